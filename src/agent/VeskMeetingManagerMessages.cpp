// VeskMeetingManager: channel messages, the waiting list, rings and the host lists.

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/VeskMeetingManager_p.h"
#include "connection/IMEngine.h"
#include "connection/IMMessage.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingHostModel.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr qint64 kControlType = 1;
constexpr qint64 kRingType = 6;
constexpr int kAssistantAsks = 3;
constexpr std::chrono::seconds kAssistantAskAgain{2};

QString idOf(const QVariant &entry)
{
    if (entry.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = entry.toMap();
        const QString phone = map.value(QStringLiteral("phoneNumber")).toString();
        return phone.isEmpty() ? map.value(QStringLiteral("userId")).toString() : phone;
    }
    return entry.toString();
}
} // namespace

void VeskMeetingManager::sendMessage(const IMMessage &message)
{
    if (!d->im) {
        qCWarning(lcMeetingManager) << "message dropped: no channel" << message.type;
        return;
    }
    IMMessage out = message;
    if (out.sender.isEmpty())
        out.sender =
            VeskAppAgent::existingInstance() ? VeskAppAgent::existingInstance()->myInfo().phoneNumber : QString();
    out.msgId = d->im->sendMessage(out);
    out.sid = d->im->sessionId();
    // A ring is for the others; everything else shows at once on the sender's side too.
    if (out.type == kRingType)
        return;
    d->toRoom([out](VeskRoomDelegate &delegate) { delegate.receiveMessage(out); });
}

void VeskMeetingManager::sendMeetingControlWithType(qint64 event, const MeetingControlData &data,
                                                    const QStringList &fields, const std::optional<QString> &message)
{
    const QVariantMap all = jx_keyValues(data);
    QJsonObject set;
    for (const QString &field : fields) {
        if (all.contains(field))
            set.insert(field, QJsonValue::fromVariant(all.value(field)));
        else
            qCWarning(lcMeetingManager) << "control field unknown:" << field;
    }
    QJsonObject control;
    control.insert(QStringLiteral("event"), event);
    control.insert(QStringLiteral("data"), set);
    if (message)
        control.insert(QStringLiteral("message"), *message);
    IMMessage im;
    im.type = kControlType;
    if (auto *agent = VeskAppAgent::existingInstance())
        im.senderName = agent->myInfo().userName;
    im.data = QStringList{QString::fromUtf8(QJsonDocument(control).toJson(QJsonDocument::Compact))};
    sendMessage(im);
}

bool VeskMeetingManager::judegeDuplicates(const IMMessage &message)
{
    QString key = QStringLiteral("%1-%2").arg(message.msgId).arg(message.type);
    if (message.type == 5 || message.type == kRingType)
        key += QLatin1Char('-') + message.sender;
    if (d->seenMessages.contains(key))
        return false;
    d->seenMessages.insert(key);
    return true;
}

// --- waiting room ------------------------------------------------------------------------------

void VeskMeetingManager::Private::waitListChanged(bool added)
{
    bool empty;
    {
        std::lock_guard lock(waitMutex);
        empty = waitList.isEmpty();
    }
    if (added)
        toDelegate(redPoint, [](VeskRedPointDelegate &d) { d.updateUIRedpoint(true); });
    toDelegate(waitMember, [empty](VeskMemberWaitRoomDelegate &d) {
        if (empty)
            d.needUpdateUIFitNoBoay();
        else
            d.needUpdateUIFitMember();
    });
}

void VeskMeetingManager::waitRoomAddMember(const IMSystemSubMessage &member)
{
    d->waitQueue->addOperation([this, member] {
        bool added = false;
        {
            std::lock_guard lock(d->waitMutex);
            const bool known = std::any_of(d->waitList.cbegin(), d->waitList.cend(),
                                           [&](const IMSystemSubMessage &m) { return m.userId == member.userId; });
            if (!known) {
                d->waitList.append(member);
                added = true;
            }
        }
        if (added)
            d->waitListChanged(true);
    });
}

void VeskMeetingManager::waitRoomRemoveMember(const IMSystemSubMessage &member)
{
    d->waitQueue->addOperation([this, member] {
        qsizetype removed;
        {
            std::lock_guard lock(d->waitMutex);
            removed = d->waitList.removeIf([&](const IMSystemSubMessage &m) { return m.userId == member.userId; });
        }
        if (removed > 0)
            d->waitListChanged(false);
    });
}

void VeskMeetingManager::waitRoomRemoveAllMember()
{
    d->waitQueue->addOperation([this] {
        bool changed;
        {
            std::lock_guard lock(d->waitMutex);
            changed = !d->waitList.isEmpty();
            d->waitList.clear();
        }
        if (changed)
            d->waitListChanged(false);
    });
}

void VeskMeetingManager::clearRedPoint()
{
    d->toDelegate(d->redPoint, [](VeskRedPointDelegate &delegate) { delegate.updateUIRedpoint(false); });
}

// --- rings and hosts ---------------------------------------------------------------------------

void VeskMeetingManager::addRecordToRingBuffer(const QString &sender)
{
    if (sender.isEmpty() || d->ringRecords.contains(sender))
        return;
    d->ringRecords.append(sender);
    d->toRoom([](VeskRoomDelegate &delegate) { delegate.ringringDisplay(); });
}

void VeskMeetingManager::deleteRecordFromRingBuffer(const QString &sender)
{
    if (d->ringRecords.removeAll(sender) == 0)
        return;
    d->toRoom([](VeskRoomDelegate &delegate) { delegate.ringringDisplay(); });
}

void VeskMeetingManager::rebuildAssistant(const QVariantList &assistants)
{
    QStringList ids;
    QSet<QString> plain;
    for (const QVariant &entry : assistants) {
        const QString id = idOf(entry);
        if (id.isEmpty())
            continue;
        ids.append(id);
        plain.insert(RXEncrypt::aes128ecbDecrypt(id));
    }
    d->assistantsList = ids;
    for (const auto &m : std::as_const(d->members))
        m->setIsAssistantHost(plain.contains(m->userId));
    d->toDelegate(d->assistants,
                  [](VeskMemeberAssistantsDelegate &delegate) { delegate.needUpdateUIFitAssistantChange(); });
}

void VeskMeetingManager::requireAssistantInfo()
{
    if (d->roomInfo)
        d->askAssistants(++d->assistantAsk, d->roomInfo, kAssistantAsks);
}

void VeskMeetingManager::Private::askAssistants(quint64 ask, const std::weak_ptr<MeetingInfoModel> &meeting,
                                                int asksLeft)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    const auto room = meeting.lock();
    // Only for the meeting that asked, and only the newest ask.
    if (!agent || !room || room != roomInfo || ask != assistantAsk)
        return;
    QPointer<VeskMeetingManager> self(q);
    agent->getAssistanthostInfoWith(q, room->roomId, [self, ask, meeting, asksLeft](const KVMResponse &reply) {
        if (!self)
            return;
        Private *d = self->d.get();
        const auto room = meeting.lock();
        if (!room || room != d->roomInfo || ask != d->assistantAsk)
            return;
        if (!reply.successed) {
            if (asksLeft > 1) {
                KVTimer::singleShot(self, kAssistantAskAgain, [self, ask, meeting, asksLeft] {
                    if (self)
                        self->d->askAssistants(ask, meeting, asksLeft - 1);
                });
            }
            return;
        }
        const auto hosts = reply.data.value<MeetingHostModel>();
        self->rebuildAssistant(hosts.assistants);
        self->rebuildMetaMembers(hosts.metaMembers);
    });
}

void VeskMeetingManager::rebuildMetaMembers(const QVariantList &metaMembers)
{
    d->metaMembers = metaMembers;
    d->toDelegate(d->assistants,
                  [](VeskMemeberAssistantsDelegate &delegate) { delegate.needUpdateUIFitMetaMemberChange(); });
}
