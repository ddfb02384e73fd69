#include "foundation/RXEncrypt.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(content);
    return path;
}

} // namespace

TEST(CryptoAesTest, KnownAnswerVectorsGiveTheFirstBlock)
{
    // FIPS-197 appendix C.1 and SP 800-38A F.1.1; PKCS#7 then adds one full padding block.
    const QByteArray c1 = RXEncrypt::aes128EcbEncryptBytes(hex("00112233445566778899aabbccddeeff"),
                                                           hex("000102030405060708090a0b0c0d0e0f"));
    ASSERT_EQ(c1.size(), 32);
    EXPECT_EQ(c1.left(16).toHex(), "69c4e0d86a7b0430d8cdb78070b4c55a");

    const QByteArray key = hex("2b7e151628aed2a6abf7158809cf4f3c");
    const QByteArray c2 = RXEncrypt::aes128EcbEncryptBytes(hex("6bc1bee22e409f96e93d7e117393172a"), key);
    ASSERT_EQ(c2.size(), 32);
    EXPECT_EQ(c2.left(16).toHex(), "3ad77bb40d7a3660a89ecaf32466ef97");
    // The padding block is the encryption of sixteen 0x10 bytes.
    EXPECT_EQ(c2.mid(16), RXEncrypt::aes128EcbEncryptBytes(QByteArray(16, '\x10'), key).left(16));

    const auto back = RXEncrypt::aes128EcbDecryptBytes(c2, key);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->toHex(), "6bc1bee22e409f96e93d7e117393172a");
}

TEST(CryptoAesTest, RawBytesRejectWrongKeysLengthsAndPadding)
{
    const QByteArray key(16, 'k');
    EXPECT_TRUE(RXEncrypt::aes128EcbEncryptBytes("abc", QByteArray(15, 'k')).isEmpty());
    EXPECT_FALSE(RXEncrypt::aes128EcbDecryptBytes(QByteArray(16, 'x'), QByteArray(17, 'k')).has_value());
    EXPECT_EQ(RXEncrypt::aes128EcbEncryptBytes({}, key).size(), 16); // padding only
    EXPECT_FALSE(RXEncrypt::aes128EcbDecryptBytes({}, key).has_value());
    EXPECT_FALSE(RXEncrypt::aes128EcbDecryptBytes(QByteArray(15, 'x'), key).has_value());
    // A block whose plain text ends in 0x00 has no valid PKCS#7 padding.
    const QByteArray block = RXEncrypt::aes128EcbEncryptBytes(QByteArray(15, 'A') + '\0', key).left(16);
    EXPECT_FALSE(RXEncrypt::aes128EcbDecryptBytes(block, key).has_value());
}

TEST(CryptoAesTest, ShortFieldsRoundTripAsLowercaseHex)
{
    for (const QString &plain : {QStringLiteral("13800138000"), QStringLiteral("-1"), QStringLiteral("张三"),
                                 QStringLiteral("1234567890123456789")}) {
        const QString c = RXEncrypt::aes128ecbEncrypt(plain);
        EXPECT_NE(c, plain);
        EXPECT_GE(c.size(), 20) << "cipher text must itself count as encrypted";
        EXPECT_EQ(c.size() % 32, 0);
        EXPECT_EQ(c, c.toLower());
        EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(c), plain);
        EXPECT_EQ(RXEncrypt::aes128ecbEncrypt(c), c) << "encrypting twice must not double-encrypt";
    }
    EXPECT_EQ(RXEncrypt::applicationKey().size(), 16);
    EXPECT_EQ(
        RXEncrypt::aes128ecbEncrypt("13800138000"),
        QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes("13800138000", RXEncrypt::applicationKey()).toHex()));
    // Deterministic: the service matches peer ids by their cipher text.
    EXPECT_EQ(RXEncrypt::aes128ecbEncrypt("13800138000"), RXEncrypt::aes128ecbEncrypt("13800138000"));
    // Upper-case hex from a peer decrypts too.
    EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(RXEncrypt::aes128ecbEncrypt("13800138000").toUpper()), "13800138000");
}

TEST(CryptoAesTest, TwentyCharacterRulesHoldBothWays)
{
    const QString twenty = QStringLiteral("abcdefghijklmnopqrst");
    ASSERT_EQ(twenty.size(), 20);
    EXPECT_EQ(RXEncrypt::aes128ecbEncrypt(twenty), twenty);
    EXPECT_EQ(RXEncrypt::aes128ecbEncrypt(twenty + "uvw"), twenty + "uvw");
    EXPECT_NE(RXEncrypt::aes128ecbEncrypt(twenty.left(19)), twenty.left(19));
    EXPECT_EQ(RXEncrypt::aes128ecbEncrypt(QString()), QString());

    // Counted in characters, not bytes: 10 Chinese characters are 30 UTF-8 bytes but still short.
    const QString chinese = QString(10, QChar(0x5F20));
    EXPECT_NE(RXEncrypt::aes128ecbEncrypt(chinese), chinese);

    for (const QString &shortText : {QStringLiteral("-1"), QStringLiteral("13800138000"), QStringLiteral(""),
                                     QStringLiteral("0123456789abcdef012")})
        EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(shortText), shortText);
}

TEST(CryptoAesTest, DecryptOfAnythingElseReturnsTheInput)
{
    const QString good = RXEncrypt::aes128ecbEncrypt("13800138000");
    const QByteArray key = RXEncrypt::applicationKey();
    const QString badPadding =
        QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes(QByteArray(15, 'A') + '\0', key).left(16).toHex());
    const QString notUtf8 = QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes("\xff\xfe\xfd", key).toHex());
    const QStringList garbage{
        QString(32, u'z'),                                                // not hex
        good.left(31),                                                    // odd length
        good + "00",                                                      // not whole blocks
        QString(40, u'0'),                                                // 20 bytes
        good.left(30) + "g1",                                             // one bad digit
        QStringLiteral("这是一个超过二十个字符的普通中文句子不是密文啊"), // plain long text
        badPadding,
        notUtf8,
        QString(64, u'f'),
    };
    for (const QString &g : garbage)
        EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(g), g) << g.toStdString();
}

TEST(CryptoDesTest, KnownAnswerAndRoundTrip)
{
    const QByteArray key = hex("133457799bbcdff1");
    const QByteArray c = RXEncrypt::desEncrypt(hex("0123456789abcdef"), key);
    ASSERT_EQ(c.size(), 16);
    EXPECT_EQ(c.left(8).toHex(), "85e813540f0ab405");
    EXPECT_EQ(RXEncrypt::desDecrypt(c, key), hex("0123456789abcdef"));

    EXPECT_EQ(RXEncrypt::desDecrypt(RXEncrypt::desEncrypt("hello, 世界", key), key), QByteArray("hello, 世界"));
    EXPECT_TRUE(RXEncrypt::desEncrypt("x", "short").isEmpty());
    EXPECT_TRUE(RXEncrypt::desDecrypt(QByteArray(7, 'x'), key).isEmpty());
    EXPECT_NE(RXEncrypt::desDecrypt(c, hex("0000000000000000")), hex("0123456789abcdef"));
}

TEST(CryptoHmacTest, Rfc4231Vectors)
{
    EXPECT_EQ(RXEncrypt::hmacSha256Hex(QByteArray(20, '\x0b'), "Hi There"),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(RXEncrypt::hmacSha256Hex("Jefe", "what do ya want for nothing?"),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(RXEncrypt::hmacSha256Hex(QByteArray(20, '\xaa'), QByteArray(50, '\xdd')),
              "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe");
    // Test case 6: a key longer than the block size is hashed first.
    EXPECT_EQ(
        RXEncrypt::hmacSha256Hex(QByteArray(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First"),
        "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    EXPECT_EQ(RXEncrypt::hmacSha256(QByteArray(20, '\x0b'), "Hi There").size(), 32);
    // Empty key and data are legal inputs, not failures.
    EXPECT_EQ(RXEncrypt::hmacSha256Hex({}, {}), "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
}

TEST(CryptoDigestTest, Md5OfFilesInChunks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(RXEncrypt::md5HexOfFile(writeFile(dir, "abc", "abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(RXEncrypt::md5HexOfFile(writeFile(dir, "empty", {})), "d41d8cd98f00b204e9800998ecf8427e");
    // Many 1024-byte chunks and a partial last one.
    EXPECT_EQ(RXEncrypt::md5HexOfFile(writeFile(dir, "million", QByteArray(1000000, 'a'))),
              "7707d6ae4e027c70eea2a935c2296f21");
    EXPECT_EQ(RXEncrypt::md5HexOfFile(writeFile(dir, "fox", "The quick brown fox jumps over the lazy dog")),
              "9e107d9d372bb6826bd81d3542a419d6");

    EXPECT_EQ(RXEncrypt::md5HexOfFile(dir.filePath("missing")), QString());
    EXPECT_EQ(RXEncrypt::md5HexOfFile(dir.path()), QString());
    EXPECT_EQ(RXEncrypt::md5HexOfFile(QString()), QString());
}

TEST(CryptoRandomTest, RandomBytesHaveTheAskedSizeAndDiffer)
{
    EXPECT_EQ(RXEncrypt::randomBytes(32).size(), 32);
    EXPECT_NE(RXEncrypt::randomBytes(32), RXEncrypt::randomBytes(32));
    EXPECT_TRUE(RXEncrypt::randomBytes(0).isEmpty());
    EXPECT_TRUE(RXEncrypt::randomBytes(-5).isEmpty());
}
