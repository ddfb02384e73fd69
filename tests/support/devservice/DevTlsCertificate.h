#pragma once

#include <QByteArray>
#include <QString>

// A throw-away self-signed certificate for 127.0.0.1 (EC P-256, one day), generated in memory for
// TLS tests of the stand-in service. It is its own CA: trusting it means trusting the service.
struct DevTlsCertificate {
    QByteArray certificatePem;
    QByteArray privateKeyPem;

    [[nodiscard]] bool isValid() const { return !certificatePem.isEmpty() && !privateKeyPem.isEmpty(); }
    [[nodiscard]] static DevTlsCertificate generate();
    // Writes the certificate (PEM) to a file, for HttpManager::setExtraTrustedCaFile.
    bool writeCertificate(const QString &path) const;
};
