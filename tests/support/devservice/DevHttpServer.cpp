#include "DevHttpServer.h"

#include "DevService.h"
#include "MultipartParser.h"

#include "foundation/KVClock.h"

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
// Writes a streamed body to its connection: a piece at a time, as fast as the connection takes
// them or one per interval of project time; it goes with the connection.
class StreamWriter final : public QObject {
public:
    StreamWriter(QTcpSocket *socket, const DevReply::Stream &stream)
        : QObject(socket), m_socket(socket), m_stream(stream)
    {
        if (m_stream.piece.isEmpty())
            m_stream.piece = QByteArray(64 * 1024, 'x');
        if (m_stream.intervalMs > 0) {
            KVTimer::repeating(this, std::chrono::milliseconds(m_stream.intervalMs), [this] { writePiece(); });
        } else {
            connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { fill(); });
            fill();
        }
    }

private:
    void fill()
    {
        while (!m_done && m_socket->bytesToWrite() < 4 * m_stream.piece.size())
            writePiece();
    }
    void writePiece()
    {
        if (m_done || m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        QByteArray piece = m_stream.piece;
        if (m_stream.total >= 0)
            piece.truncate(qsizetype(std::min<qint64>(piece.size(), m_stream.total - m_sent)));
        m_socket->write(piece);
        m_sent += piece.size();
        if (m_stream.total >= 0 && m_sent >= m_stream.total) {
            m_done = true;
            // Without a length the body ends with the connection.
            if (m_stream.announced < 0)
                m_socket->disconnectFromHost();
        }
    }

    QTcpSocket *m_socket;
    DevReply::Stream m_stream;
    qint64 m_sent = 0;
    bool m_done = false;
};

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
            if (reply.stream) {
                QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " OK\r\n";
                head += "Content-Type: " + reply.contentType + "\r\n";
                if (reply.stream->announced >= 0)
                    head += "Content-Length: " + QByteArray::number(reply.stream->announced) + "\r\n";
                else
                    head += "Connection: close\r\n";
                for (const auto &[name, value] : reply.headers)
                    head += name + ": " + value + "\r\n";
                alive->write(head + "\r\n");
                new StreamWriter(alive, *reply.stream);
                return;
            }
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
