#include "DevHttpServer.h"

#include "DevService.h"
#include "MultipartParser.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>

namespace {
// As a service's form decoder reads "a=b&c=d" (the query too): "+" is a space, "%XX" a byte.
void decodeForm(const QByteArray &encoded, QVariantMap &into)
{
    for (const QByteArray &pair : encoded.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        const auto decode = [](QByteArray part) {
            part.replace('+', ' ');
            return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
        };
        into.insert(decode(pair.left(eq < 0 ? pair.size() : eq)), eq < 0 ? QString() : decode(pair.mid(eq + 1)));
    }
}
} // namespace

DevHttpServer::DevHttpServer(DevService *service) : m_service(service) {}

bool DevHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    DevRequest req;
    req.method = QString::fromLatin1(
                     QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(static_cast<int>(request.method())))
                     .toUpper();
    req.path = request.url().path();
    decodeForm(request.url().query(QUrl::FullyEncoded).toLatin1(), req.query);
    for (const auto &[name, value] : request.headers())
        req.headers.insert(name.toLower(), value);
    req.body = request.body();
    const QByteArray contentType = req.headers.value("content-type");
    if (contentType.startsWith("application/json")) {
        req.json = QJsonDocument::fromJson(req.body).object();
    } else if (contentType.startsWith("application/x-www-form-urlencoded")) {
        decodeForm(req.body, req.form);
    } else if (contentType.startsWith("multipart/form-data")) {
        parseMultipart(contentType, req.body, req.form, req.files);
    }

    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QPointer<QTcpSocket> alive(socket);
    m_service->handleHttp(
        std::move(req),
        [responder, alive](const DevReply &reply) {
            if (!alive || alive->state() != QAbstractSocket::ConnectedState)
                return;
            responder->writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
            responder->writeHeader("Content-Type", reply.contentType);
            responder->writeHeader("Content-Length", QByteArray::number(reply.body.size()));
            for (const auto &[name, value] : reply.headers)
                responder->writeHeader(name, value);
            responder->writeBody(reply.body);
        },
        [alive] {
            if (alive)
                alive->abort();
        });
    return true;
}

void DevHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
