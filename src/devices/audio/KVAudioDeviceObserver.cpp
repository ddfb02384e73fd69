#include "devices/audio/KVAudioDeviceObserver.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "devices/DevicesLog.h"
#include "devices/audio/PulseAudioClient.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

std::mutex g_providerMutex;
KVAudioDeviceObserver::ModelProvider &modelProvider()
{
    static KVAudioDeviceObserver::ModelProvider provider;
    return provider;
}

QList<KVAudioDevice> listFrom(const std::vector<PulseDeviceInfo> &devices, const QString &defaultName)
{
    QList<KVAudioDevice> list;
    QString defaultDescription;
    for (const PulseDeviceInfo &info : devices) {
        // A sink's monitor is not a microphone anyone means to pick.
        if (info.isMonitor)
            continue;
        if (info.name == defaultName)
            defaultDescription = info.description;
        list.append(KVAudioDevice::device(info.name, info.description));
    }
    if (list.isEmpty())
        return list;
    if (defaultDescription.isEmpty())
        defaultDescription = list.first().name;
    KVAudioDevice systemDefault;
    systemDefault.name = QStringLiteral("default (%1)").arg(defaultDescription);
    list.prepend(systemDefault);
    return list;
}

bool isListed(const QList<KVAudioDevice> &list, const KVAudioDevice &device)
{
    return std::any_of(list.begin(), list.end(), [&](const KVAudioDevice &listed) {
        return !listed.isSystemDefault() && listed.name == device.name;
    });
}

// A meeting's engine goes on with the device it was switched to (by name) while that is listed;
// once it goes, the engine is on the system default, the first entry. At home a change takes the
// first entries again.
std::optional<KVAudioDevice> chosenAfterChange(const std::optional<KVAudioDevice> &chosen,
                                               const QList<KVAudioDevice> &listed, bool inMeeting)
{
    if (listed.isEmpty())
        return std::nullopt;
    if (inMeeting && chosen && !chosen->isSystemDefault()) {
        for (const KVAudioDevice &device : listed) {
            if (!device.isSystemDefault() && device.name == chosen->name)
                return device;
        }
    }
    return listed.first();
}

} // namespace

KVAudioDeviceObserver &KVAudioDeviceObserver::shared()
{
    static auto *observer = new KVAudioDeviceObserver;
    return *observer;
}

KVAudioDeviceObserver::KVAudioDeviceObserver()
    : m_queue(std::make_unique<OperationQueue>(QStringLiteral("com.kvaudio.deviceobserver.queue"), 1))
{
}

void KVAudioDeviceObserver::setModelProvider(ModelProvider provider)
{
    std::lock_guard guard(g_providerMutex);
    modelProvider() = std::move(provider);
}

KVAudioDeviceLists KVAudioDeviceObserver::buildLists()
{
    PulseAudioClient &client = PulseAudioClient::shared();
    KVAudioDeviceLists lists;
    const auto server = client.serverInfo();
    const auto sinks = client.sinks();
    const auto sources = client.sources();
    if (!server || !sinks || !sources) {
        qCInfo(lcDevices) << "no sound server: the device lists are empty";
        return lists;
    }
    lists.playoutDevices = listFrom(*sinks, server->defaultSinkName);
    lists.recordDevices = listFrom(*sources, server->defaultSourceName);
    return lists;
}

void KVAudioDeviceObserver::start()
{
    std::call_once(m_started, [this] {
        PulseAudioClient::shared().setEventHandler([this] { refresh(); });
        m_queue->addOperation([this] { rebuild(true); });
    });
}

void KVAudioDeviceObserver::refresh()
{
    // One plug makes several server events; a rebuild already waiting covers them all.
    if (m_rebuildQueued.exchange(true))
        return;
    m_queue->addOperation([this] {
        m_rebuildQueued = false;
        rebuild(false);
    });
}

void KVAudioDeviceObserver::rebuild(bool initial)
{
    // Events can still arrive while the process exits; there is no one left to tell.
    if (!initial && (!QCoreApplication::instance() || QCoreApplication::closingDown()))
        return;
    KVAudioDeviceLists lists = buildLists();
    KVAudioDeviceLists before;
    bool changed = false;
    std::vector<std::pair<QPointer<const QObject>, std::function<void()>>> waiting;
    {
        std::lock_guard guard(m_mutex);
        before = m_lists;
        lists.recordDevices = orderedLike(std::move(lists.recordDevices), m_engineMicrophones);
        lists.playoutDevices = orderedLike(std::move(lists.playoutDevices), m_engineSpeakers);
        changed = !initial && m_loaded && !(lists == m_lists);
        m_lists = lists;
        m_loaded = true;
        waiting.swap(m_whenLoaded);
    }
    m_loadedCondition.notify_all();
    if (!waiting.empty()) {
        MainQueue::async([waiting = std::move(waiting)] {
            for (const auto &[context, fn] : waiting) {
                if (context)
                    fn();
            }
        });
    }
    if (!changed)
        return;
    qCInfo(lcDevices) << "audio devices changed:" << lists.recordDevices.size() << "inputs,"
                      << lists.playoutDevices.size() << "outputs";
    MainQueue::async([before = std::move(before), lists] {
        ModelProvider provider;
        {
            std::lock_guard guard(g_providerMutex);
            provider = modelProvider();
        }
        // No agent yet means no choices to reset; the observer never creates one.
        VeskAppAgent *agent = provider || QCoreApplication::closingDown() ? nullptr : VeskAppAgent::existingInstance();
        MainSettingModel *model = provider ? provider() : agent ? agent->settingModel() : nullptr;
        if (model) {
            VeskMeetingManager *manager = agent ? agent->meetingManager() : nullptr;
            const bool inMeeting = manager && manager->state() != VeskMeetingManager::StateIdle;
            KRTCEngineOC *engine = inMeeting ? manager->engine() : nullptr;
            const auto follow = [engine](const std::optional<KVAudioDevice> &chosen, const QList<KVAudioDevice> &was,
                                         const QList<KVAudioDevice> &is, int kind) {
                // The sound server moved the engine's stream off a chosen device that went, to the
                // system default: the engine stays there, also when the device comes back while
                // the lists show the default.
                if (engine && chosen && isListed(was, *chosen) && !isListed(is, *chosen))
                    engine->switchDevice(kind, QString());
            };
            follow(model->currentSpeaker(), before.playoutDevices, lists.playoutDevices, KRTCDeviceKind::Speaker);
            follow(model->currentMicphone(), before.recordDevices, lists.recordDevices, KRTCDeviceKind::Microphone);
            model->setCurrentSpeaker(chosenAfterChange(model->currentSpeaker(), lists.playoutDevices, inMeeting));
            model->setCurrentMicphone(chosenAfterChange(model->currentMicphone(), lists.recordDevices, inMeeting));
        }
        NotificationCenter::defaultCenter().post(kKVAudioDeviceDidChangedNotification);
    });
}

void KVAudioDeviceObserver::waitUntilLoaded()
{
    start();
    std::unique_lock lock(m_mutex);
    m_loadedCondition.wait(lock, [this] { return m_loaded; });
}

void KVAudioDeviceObserver::whenLoaded(const QObject *context, std::function<void()> fn)
{
    if (!fn)
        return;
    start();
    {
        std::lock_guard guard(m_mutex);
        if (!m_loaded) {
            m_whenLoaded.emplace_back(context, std::move(fn));
            return;
        }
    }
    if (context)
        fn();
}

bool KVAudioDeviceObserver::isLoaded() const
{
    std::lock_guard guard(m_mutex);
    return m_loaded;
}

void KVAudioDeviceObserver::setEngineOrder(const QStringList &microphones, const QStringList &speakers)
{
    std::lock_guard guard(m_mutex);
    m_engineMicrophones = microphones;
    m_engineSpeakers = speakers;
    // The entries stay the same, so the first of each list keeps meaning the system default:
    // nothing to reset and nothing to announce.
    m_lists.recordDevices = orderedLike(std::move(m_lists.recordDevices), m_engineMicrophones);
    m_lists.playoutDevices = orderedLike(std::move(m_lists.playoutDevices), m_engineSpeakers);
}

QList<KVAudioDevice> KVAudioDeviceObserver::orderedLike(QList<KVAudioDevice> list, const QStringList &names)
{
    if (names.isEmpty() || list.isEmpty())
        return list;
    const qsizetype unknown = names.size();
    auto rank = [&](const KVAudioDevice &device) {
        if (device.isSystemDefault())
            return qsizetype(-1);
        const qsizetype at = names.indexOf(device.name);
        return at < 0 ? unknown : at;
    };
    std::stable_sort(list.begin(), list.end(),
                     [&](const KVAudioDevice &a, const KVAudioDevice &b) { return rank(a) < rank(b); });
    return list;
}

KVAudioDeviceLists KVAudioDeviceObserver::lists() const
{
    std::lock_guard guard(m_mutex);
    return m_lists;
}

void KVAudioDeviceObserver::waitUntilIdle()
{
    m_queue->waitUntilAllOperationsAreFinished();
}
