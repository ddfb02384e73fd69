#pragma once

#include <QAbstractHttpServer>

#include <functional>

class DevService;

// The REST side of the stand-in: every request goes to DevService, which may answer later.
class DevHttpServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit DevHttpServer(DevService *service);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    DevService *m_service;
};
