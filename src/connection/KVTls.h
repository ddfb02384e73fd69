#pragma once

#include <QSslConfiguration>
#include <QString>

#include <QUrl>

// The TLS settings every connection of the client uses: peer verification on, the system's CA
// store, plus at most one extra trusted CA (a development service's). Main thread.
//
// Addresses the service hands out (page images, avatars, recordings) are web addresses over TLS:
// plain http only where the agent allows it, in the development environment (the local stand-in).
namespace KVTls {
// False (nothing changed) when the file holds no PEM certificate; an empty path removes it.
bool setExtraTrustedCaFile(const QString &pemPath);
[[nodiscard]] QString extraTrustedCaFile();
[[nodiscard]] QSslConfiguration configuration();

void setPlainHttpAllowed(bool allowed);
[[nodiscard]] bool plainHttpAllowed();
// An https address with a host, or an http one while plain http is allowed; nothing else (no
// "file:", "data:", "qrc:", "ftp:").
[[nodiscard]] bool isAllowedWebAddress(const QUrl &address);
} // namespace KVTls
