#pragma once

#include <QSslConfiguration>
#include <QString>

// The TLS settings every connection of the client uses: peer verification on, the system's CA
// store, plus at most one extra trusted CA (a development service's). Main thread.
namespace KVTls {
// False (nothing changed) when the file holds no PEM certificate; an empty path removes it.
bool setExtraTrustedCaFile(const QString &pemPath);
[[nodiscard]] QString extraTrustedCaFile();
[[nodiscard]] QSslConfiguration configuration();
} // namespace KVTls
