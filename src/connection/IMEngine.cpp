#include "connection/IMEngine.h"

#include "connection/ConnectionLog.h"
#include "connection/WebSocketManager.h"
#include "connection/WireProtocol.h"
#include "foundation/KVClock.h"

#include <QUuid>

IMEngine::IMEngine(QObject *parent)
    : QObject(parent), m_socket(new WebSocketManager(this)), m_sid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    m_socket->setDelegate(this);
}

IMEngine::~IMEngine()
{
    m_delegate = nullptr;
    m_socket->setDelegate(nullptr);
}

void IMEngine::setDelegate(IMEngineDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = !m_delegateObject.isNull();
}

IMEngineDelegate *IMEngine::delegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void IMEngine::connectToRoom(const KVChannelParams &params)
{
    m_key = WireProtocol::channelKey(params.authorization);
    m_socket->connectToRoom(params);
}

void IMEngine::close(QObject *holdUntilGone)
{
    stopHeartbeat();
    m_unacked.clear();
    if (!holdUntilGone || !m_socket->isOpen()) {
        m_socket->close();
        return;
    }
    if (m_held) {
        m_held->close();
        m_held->deleteLater();
    }
    WebSocketManager *held = m_socket;
    held->setDelegate(nullptr);
    m_held = held;
    m_socket = new WebSocketManager(this);
    m_socket->setDelegate(this);
    connect(holdUntilGone, &QObject::destroyed, held, &WebSocketManager::close);
    KVTimer::singleShot(held, std::chrono::milliseconds(HoldMs), [held] { held->close(); });
}

bool IMEngine::isConnected() const
{
    return m_socket->isOpen();
}

qint64 IMEngine::sendMessage(IMMessage message)
{
    message.msgId = m_nextMsgId++;
    message.sid = m_sid;
    m_unacked.append(message);
    if (isConnected())
        sendFrame({{QLatin1String("cmd"), QLatin1String(WireProtocol::CmdMessage)},
                   {QLatin1String("msg"), message.toJson()}});
    return message.msgId;
}

void IMEngine::ackMessage(const IMMessage &message)
{
    sendFrame({{QLatin1String("cmd"), QLatin1String(WireProtocol::CmdAck)},
               {QLatin1String("msgId"), message.msgId},
               {QLatin1String("sid"), message.sid}});
}

bool IMEngine::sendFrame(const QJsonObject &frame)
{
    if (!isConnected())
        return false;
    return m_socket->sendText(WireProtocol::encodeFrame(frame, m_key));
}

void IMEngine::sendPending()
{
    // Copy: sending never changes the list, but a delegate reacting to a send might.
    const QList<IMMessage> pending = m_unacked;
    for (const IMMessage &message : pending) {
        if (!sendFrame({{QLatin1String("cmd"), QLatin1String(WireProtocol::CmdMessage)},
                        {QLatin1String("msg"), message.toJson()}}))
            break;
    }
}

void IMEngine::heartbeat()
{
    if (!isConnected())
        return;
    m_socket->sendText(QString::fromLatin1(WireProtocol::HeartbeatText));
    sendPending();
}

void IMEngine::stopHeartbeat()
{
    if (m_heartbeat)
        m_heartbeat->invalidate();
    m_heartbeat = nullptr;
}

void IMEngine::webSocketDidOpen()
{
    stopHeartbeat();
    m_heartbeat = KVTimer::repeating(this, std::chrono::milliseconds(HeartbeatIntervalMs), [this] { heartbeat(); });
    sendPending();
    if (auto *d = delegate())
        d->imEngineDidConnect();
}

void IMEngine::webSocketDidReceiveMessage(const QString &text)
{
    const std::optional<QJsonObject> frame = WireProtocol::decodeFrame(text, m_key);
    if (!frame) {
        qCWarning(korviNet) << "channel frame dropped: does not decode (" << text.size() << "chars)";
        return;
    }
    const QString cmd = frame->value(QLatin1String("cmd")).toString();
    if (cmd == QLatin1String(WireProtocol::CmdAck)) {
        const QJsonValue id = frame->value(QLatin1String("msgId"));
        const QString sid = frame->value(QLatin1String("sid")).toString();
        if (!id.isDouble() || (!sid.isEmpty() && sid != m_sid)) {
            qCWarning(korviNet) << "channel ack dropped: bad fields";
            return;
        }
        const qint64 msgId = id.toInteger();
        m_unacked.removeIf([msgId](const IMMessage &m) { return m.msgId == msgId; });
        return;
    }
    if (cmd != QLatin1String(WireProtocol::CmdMessage) && cmd != QLatin1String(WireProtocol::CmdHeartbeatAck)) {
        qCWarning(korviNet) << "channel frame dropped: unknown cmd" << cmd;
        return;
    }
    const std::optional<IMMessage> message = IMMessage::fromJson(frame->value(QLatin1String("msg")).toObject());
    if (!message) {
        qCWarning(korviNet) << "channel message dropped: missing fields";
        return;
    }
    IMEngineDelegate *d = delegate();
    if (!d)
        return;
    if (cmd == QLatin1String(WireProtocol::CmdHeartbeatAck))
        d->receiveHeartbeatAck(*message);
    else
        d->receiveMessage(*message);
}

void IMEngine::otherDeviceLogin()
{
    stopHeartbeat();
    if (auto *d = delegate())
        d->otherDeviceLogin();
}

void IMEngine::hostMoveConsumerToWaitRoom()
{
    stopHeartbeat();
    if (auto *d = delegate())
        d->hostMoveConsumerToWaitRoom();
}

void IMEngine::onRoomClosed(const QString &reason)
{
    stopHeartbeat();
    if (auto *d = delegate())
        d->onRoomClosed(reason);
}

void IMEngine::webSocketWillReconnect(int closeCode)
{
    Q_UNUSED(closeCode);
    stopHeartbeat();
    if (auto *d = delegate())
        d->imEngineWillReconnect();
}

void IMEngine::webSocketDidDisconnect()
{
    stopHeartbeat();
    if (auto *d = delegate())
        d->imEngineDidDisconnect();
}
