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

} // namespace KVTls
