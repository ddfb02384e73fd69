#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Symmetric crypto, keyed digests and file digests used across the client.
// Every function is thread-safe and never throws; failures come back as empty/nullopt values
// (or, for the string helpers, as the unchanged input).
namespace RXEncrypt {

// AES-128-ECB (PKCS#7) under applicationKey(), as lowercase hex.
// A string of 20 characters or more is taken as already encrypted and returned unchanged;
// "" stays "".
[[nodiscard]] QString aes128ecbEncrypt(const QString &plain);
// Inverse of aes128ecbEncrypt. Strings shorter than 20 characters are returned unchanged, and so is
// anything that is not valid hex / whole blocks / good padding / UTF-8.
[[nodiscard]] QString aes128ecbDecrypt(const QString &cipherHex);

// Raw AES-128-ECB with PKCS#7 padding. Empty result when key16 is not 16 bytes.
[[nodiscard]] QByteArray aes128EcbEncryptBytes(const QByteArray &plain, const QByteArray &key16);
// nullopt on a wrong key size, a length that is not a whole number of blocks or bad padding.
[[nodiscard]] std::optional<QByteArray> aes128EcbDecryptBytes(const QByteArray &cipher, const QByteArray &key16);

// Single DES in ECB mode with PKCS#7 padding (OpenSSL legacy provider). key8 must be 8 bytes.
// Empty result on a wrong key size, bad input or when DES is not available.
[[nodiscard]] QByteArray desEncrypt(const QByteArray &plain, const QByteArray &key8);
[[nodiscard]] QByteArray desDecrypt(const QByteArray &cipher, const QByteArray &key8);

[[nodiscard]] QByteArray hmacSha256(const QByteArray &key, const QByteArray &data);
// Lowercase hex of hmacSha256.
[[nodiscard]] QString hmacSha256Hex(const QByteArray &key, const QByteArray &data);

// MD5 of a file's contents as 32 lowercase hex characters; "" when the file can't be read.
[[nodiscard]] QString md5HexOfFile(const QString &path);

// n cryptographically random bytes (empty for n <= 0).
[[nodiscard]] QByteArray randomBytes(int n);

// The 16-byte key of aes128ecbEncrypt/aes128ecbDecrypt.
[[nodiscard]] QByteArray applicationKey();

} // namespace RXEncrypt
