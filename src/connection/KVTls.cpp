#include "connection/KVTls.h"

#include <QSslCertificate>

namespace {
struct ExtraCa {
    QString path;
    QList<QSslCertificate> certificates;
};
ExtraCa &extraCa()
{
    static ExtraCa ca;
    return ca;
}
bool g_plainHttpAllowed = false;
} // namespace

namespace KVTls {

bool setExtraTrustedCaFile(const QString &pemPath)
{
    if (pemPath.isEmpty()) {
        extraCa() = {};
        return true;
    }
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(pemPath, QSsl::Pem);
    if (certs.isEmpty())
        return false;
    extraCa() = {pemPath, certs};
    return true;
}

QString extraTrustedCaFile()
{
    return extraCa().path;
}

QSslConfiguration configuration()
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!extraCa().certificates.isEmpty()) {
        QList<QSslCertificate> cas = QSslConfiguration::systemCaCertificates();
        cas += extraCa().certificates;
        config.setCaCertificates(cas);
    }
    return config;
}

void setPlainHttpAllowed(bool allowed)
{
    g_plainHttpAllowed = allowed;
}

bool plainHttpAllowed()
{
    return g_plainHttpAllowed;
}

bool isAllowedWebAddress(const QUrl &address)
{
    if (!address.isValid() || address.host().isEmpty())
        return false;
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("https") || (g_plainHttpAllowed && scheme == QLatin1String("http"));
}

} // namespace KVTls
