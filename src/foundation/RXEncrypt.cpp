#include "RXEncrypt.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include <memory>
#include <mutex>

Q_LOGGING_CATEGORY(lcCrypto, "korvi.crypto")

namespace {

// Strings this long or longer are taken as already encrypted (and shorter ones as plain): peers and
// the service rely on this rule, e.g. "-1" and plain phone numbers pass aes128ecbDecrypt untouched.
constexpr int kEncryptedMinLength = 20;

constexpr int kAesBlock = 16;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX *c) const { EVP_CIPHER_CTX_free(c); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX *c) const { EVP_MD_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

// One pass of an ECB cipher with PKCS#7 padding; nullopt on any OpenSSL failure (bad padding included).
std::optional<QByteArray> runCipher(const EVP_CIPHER *cipher, const QByteArray &key, const QByteArray &in, bool encrypt)
{
    if (!cipher)
        return std::nullopt;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return std::nullopt;
    const auto *k = reinterpret_cast<const unsigned char *>(key.constData());
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, k, nullptr, encrypt ? 1 : 0) != 1)
        return std::nullopt;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 1);
    const int block = EVP_CIPHER_CTX_get_block_size(ctx.get());
    QByteArray out(in.size() + block, Qt::Uninitialized);
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    int len = 0;
    int total = 0;
    if (!in.isEmpty()) {
        if (EVP_CipherUpdate(ctx.get(), o, &len, reinterpret_cast<const unsigned char *>(in.constData()),
                             static_cast<int>(in.size())) != 1)
            return std::nullopt;
        total = len;
    }
    if (EVP_CipherFinal_ex(ctx.get(), o + total, &len) != 1)
        return std::nullopt;
    total += len;
    out.truncate(total);
    return out;
}

// Single DES lives in OpenSSL 3's legacy provider. We load it into a library context of our own,
// so the process-wide default context keeps only the default provider.
const EVP_CIPHER *desEcbCipher()
{
    static const EVP_CIPHER *cipher = []() -> const EVP_CIPHER * {
        // Kept for the life of the process on purpose: freeing at exit races OpenSSL's own cleanup.
        OSSL_LIB_CTX *ctx = OSSL_LIB_CTX_new();
        if (!ctx)
            return nullptr;
        if (!OSSL_PROVIDER_load(ctx, "legacy") || !OSSL_PROVIDER_load(ctx, "default")) {
            qCWarning(lcCrypto) << "DES unavailable: the OpenSSL legacy provider could not be loaded";
            return nullptr;
        }
        EVP_CIPHER *c = EVP_CIPHER_fetch(ctx, "DES-ECB", nullptr);
        if (!c)
            qCWarning(lcCrypto) << "DES unavailable: DES-ECB not found in the legacy provider";
        return c;
    }();
    return cipher;
}

std::optional<QString> strictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isHex(const QString &s)
{
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

} // namespace

namespace RXEncrypt {

QByteArray applicationKey()
{
    // The one key under which short fields (phone numbers, user ids, peer ids) travel. It is shared
    // by every client and the service, so it is a fixed constant rather than a secret per user;
    // change it only together with the service.
    static constexpr char kKey[] = "Kv#Mt2026@rx!AeK";
    static_assert(sizeof kKey - 1 == kAesBlock);
    return QByteArray::fromRawData(kKey, kAesBlock);
}

QByteArray aes128EcbEncryptBytes(const QByteArray &plain, const QByteArray &key16)
{
    if (key16.size() != kAesBlock)
        return {};
    return runCipher(EVP_aes_128_ecb(), key16, plain, true).value_or(QByteArray());
}

std::optional<QByteArray> aes128EcbDecryptBytes(const QByteArray &cipher, const QByteArray &key16)
{
    if (key16.size() != kAesBlock || cipher.isEmpty() || cipher.size() % kAesBlock != 0)
        return std::nullopt;
    return runCipher(EVP_aes_128_ecb(), key16, cipher, false);
}

QString aes128ecbEncrypt(const QString &plain)
{
    // An empty field stays empty: encrypting it would turn "no value" into a value.
    if (plain.isEmpty() || plain.size() >= kEncryptedMinLength)
        return plain;
    const QByteArray out = aes128EcbEncryptBytes(plain.toUtf8(), applicationKey());
    if (out.isEmpty()) {
        qCWarning(lcCrypto) << "AES encryption failed";
        return plain;
    }
    return QString::fromLatin1(out.toHex());
}

QString aes128ecbDecrypt(const QString &cipherHex)
{
    if (cipherHex.size() < kEncryptedMinLength)
        return cipherHex;
    // Anything that is not our cipher text comes back as it was: it was never encrypted.
    if (cipherHex.size() % (2 * kAesBlock) != 0 || !isHex(cipherHex))
        return cipherHex;
    const auto plain = aes128EcbDecryptBytes(QByteArray::fromHex(cipherHex.toLatin1()), applicationKey());
    if (!plain)
        return cipherHex;
    return strictUtf8(*plain).value_or(cipherHex);
}

QByteArray desEncrypt(const QByteArray &plain, const QByteArray &key8)
{
    if (key8.size() != 8)
        return {};
    return runCipher(desEcbCipher(), key8, plain, true).value_or(QByteArray());
}

QByteArray desDecrypt(const QByteArray &cipher, const QByteArray &key8)
{
    if (key8.size() != 8 || cipher.isEmpty() || cipher.size() % 8 != 0)
        return {};
    return runCipher(desEcbCipher(), key8, cipher, false).value_or(QByteArray());
}

QByteArray hmacSha256(const QByteArray &key, const QByteArray &data)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    static const unsigned char empty = 0;
    const auto *k = key.isEmpty() ? &empty : reinterpret_cast<const unsigned char *>(key.constData());
    const auto *d = data.isEmpty() ? &empty : reinterpret_cast<const unsigned char *>(data.constData());
    if (!HMAC(EVP_sha256(), k, static_cast<int>(key.size()), d, static_cast<size_t>(data.size()), md, &len))
        return {};
    return QByteArray(reinterpret_cast<const char *>(md), static_cast<qsizetype>(len));
}

QString hmacSha256Hex(const QByteArray &key, const QByteArray &data)
{
    return QString::fromLatin1(hmacSha256(key, data).toHex());
}

QString md5HexOfFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1)
        return {};
    char chunk[1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            return {}; // a read error half-way must not pass for the digest of a shorter file
        if (n == 0)
            break;
        if (EVP_DigestUpdate(ctx.get(), chunk, static_cast<size_t>(n)) != 1)
            return {};
    }
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_DigestFinal_ex(ctx.get(), md, &len) != 1)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(md), len).toHex());
}

QByteArray randomBytes(int n)
{
    if (n <= 0)
        return {};
    QByteArray out(n, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char *>(out.data()), n) != 1) {
        // The kernel's generator is just as good when OpenSSL's could not seed.
        QRandomGenerator::system()->generate(out.begin(), out.end());
    }
    return out;
}

} // namespace RXEncrypt
