#include "meeting/panels/MemberControlMessages.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/RXEncrypt.h"
#include "meeting/panels/MemberListTexts.h"

namespace MemberControlMessages {

namespace {

constexpr qint64 kMicrophone = 1;
constexpr qint64 kAllowOpenMic = 9;
constexpr qint64 kCamera = 803;
constexpr qint64 kAllowOpenCamera = 804;

std::function<void(const Message &)> &sink()
{
    static std::function<void(const Message &)> s;
    return s;
}

VeskUserModel me()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    return agent ? agent->myInfo() : VeskUserModel();
}

Message closing(qint64 type, const QString &peerId, bool isClose, const QString &allText)
{
    Message m;
    m.type = type;
    m.data.peerId = RXEncrypt::aes128ecbDecrypt(peerId);
    m.data.switchStatus = isClose ? 0 : 1;
    m.data.sender = me().phoneNumber;
    m.fields = {QStringLiteral("peerId"), QStringLiteral("switchStatus"), QStringLiteral("sender")};
    if (isClose && peerId == QLatin1String("-1"))
        m.message = allText;
    return m;
}

Message permission(qint64 type, const QString &peerId, bool notAllowed)
{
    Message m;
    m.type = type;
    m.data.peerId = RXEncrypt::aes128ecbDecrypt(peerId);
    m.data.senderName = me().userName;
    m.data.switchStatus = notAllowed ? 0 : 1;
    m.fields = {QStringLiteral("peerId"), QStringLiteral("switchStatus"), QStringLiteral("senderName")};
    if (notAllowed && peerId == QLatin1String("-1"))
        m.message = QString(QLatin1String(""));
    return m;
}

} // namespace

Message micControl(const QString &peerId, bool isClose)
{
    return closing(kMicrophone, peerId, isClose, MemberListTexts::kAllMicsClosedMessage);
}

Message cameraControl(const QString &peerId, bool isClose)
{
    return closing(kCamera, peerId, isClose, MemberListTexts::kAllCamerasClosedMessage);
}

Message allowOpenMic(const QString &peerId, bool notAllowOpenMic)
{
    return permission(kAllowOpenMic, peerId, notAllowOpenMic);
}

Message allowOpenCamera(const QString &peerId, bool notAllowOpenCamera)
{
    return permission(kAllowOpenCamera, peerId, notAllowOpenCamera);
}

void send(const Message &message)
{
    if (sink()) {
        sink()(message);
        return;
    }
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = agent ? agent->meetingManager() : nullptr;
    if (manager)
        manager->sendMeetingControlWithType(message.type, message.data, message.fields, message.message);
}

void sendMicControlDataWithPeerId(const QString &peerId, bool isClose)
{
    send(micControl(peerId, isClose));
}

void sendCameraControlDataWithPeerId(const QString &peerId, bool isClose)
{
    send(cameraControl(peerId, isClose));
}

void sendAllowMemberOpenMicWithPeerId(const QString &peerId, bool notAllowOpenMic)
{
    send(allowOpenMic(peerId, notAllowOpenMic));
}

void sendAllowMemberOpenCameraWithPeerId(const QString &peerId, bool notAllowOpenCamera)
{
    send(allowOpenCamera(peerId, notAllowOpenCamera));
}

SinkScope::SinkScope(std::function<void(const Message &)> s) : m_previous(std::move(sink()))
{
    sink() = std::move(s);
}

SinkScope::~SinkScope()
{
    sink() = std::move(m_previous);
}

} // namespace MemberControlMessages
