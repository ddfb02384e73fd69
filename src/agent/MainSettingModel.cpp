#include "agent/MainSettingModel.h"

#include "agent/SettingValues.h"
#include "agent/VeskAppAgent.h"
#include "foundation/UserDefaults.h"

#include <QCoreApplication>

MainSettingModel::MainSettingModel(QObject *parent) : QObject(parent)
{
    if (!loadFromLocal()) {
        // First start: defaults in memory only; the entry appears with the first change.
        m_autoCameraOn = false;
        m_autoMicphoneOn = false;
        m_showCurrentSpeaker = true;
        m_videoMirror = true;
        m_videoFill = false;
    }
    m_subtitle = new SubtitleSettingModel(this);
}

void MainSettingModel::store(bool &field, bool value)
{
    field = value;
    if (m_loading)
        return;
    saveToLocal();
    Q_EMIT changed();
}

void MainSettingModel::setAutoCameraOn(bool on)
{
    store(m_autoCameraOn, on);
}

void MainSettingModel::setAutoMicphoneOn(bool on)
{
    store(m_autoMicphoneOn, on);
}

void MainSettingModel::setShowCurrentSpeaker(bool on)
{
    store(m_showCurrentSpeaker, on);
}

void MainSettingModel::setVideoMirror(bool on)
{
    store(m_videoMirror, on);
}

void MainSettingModel::setVideoFill(bool on)
{
    store(m_videoFill, on);
}

std::optional<KVVideoDevice> MainSettingModel::currentCamera() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_currentCamera;
}

std::optional<KVAudioDevice> MainSettingModel::currentSpeaker() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_currentSpeaker;
}

std::optional<KVAudioDevice> MainSettingModel::currentMicphone() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_currentMicphone;
}

void MainSettingModel::setCurrentCamera(const std::optional<KVVideoDevice> &device)
{
    {
        std::lock_guard lock(m_deviceMutex);
        m_currentCamera = device;
    }
    Q_EMIT devicesChanged();
}

void MainSettingModel::setCurrentSpeaker(const std::optional<KVAudioDevice> &device)
{
    {
        std::lock_guard lock(m_deviceMutex);
        m_currentSpeaker = device;
    }
    Q_EMIT devicesChanged();
}

void MainSettingModel::setCurrentMicphone(const std::optional<KVAudioDevice> &device)
{
    {
        std::lock_guard lock(m_deviceMutex);
        m_currentMicphone = device;
    }
    Q_EMIT devicesChanged();
}

VeskUserModel MainSettingModel::user() const
{
    return VeskAppAgent::sharedInstance()->myInfo();
}

QString MainSettingModel::version() const
{
    const QString v = QCoreApplication::applicationVersion();
    return v.isEmpty() ? QStringLiteral(KORVI_VERSION) : v;
}

void MainSettingModel::saveToLocal()
{
    const QVariantMap dict{
        {QStringLiteral("autoCameraOn"), m_autoCameraOn},
        {QStringLiteral("autoMicphoneOn"), m_autoMicphoneOn},
        {QStringLiteral("showCurrentSpeaker"), m_showCurrentSpeaker},
        {QStringLiteral("videoMirror"), m_videoMirror},
        {QStringLiteral("videoFill"), m_videoFill},
    };
    auto &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(dict, kDefaultsKey);
    defaults.synchronize();
}

bool MainSettingModel::loadFromLocal()
{
    const QVariant stored = UserDefaults::standardUserDefaults().objectForKey(kDefaultsKey);
    if (stored.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap dict = stored.toMap();
    m_loading = true;
    setAutoCameraOn(SettingValues::boolValue(dict, QStringLiteral("autoCameraOn")));
    setAutoMicphoneOn(SettingValues::boolValue(dict, QStringLiteral("autoMicphoneOn")));
    setShowCurrentSpeaker(SettingValues::boolValue(dict, QStringLiteral("showCurrentSpeaker")));
    setVideoMirror(SettingValues::boolValue(dict, QStringLiteral("videoMirror")));
    setVideoFill(SettingValues::boolValue(dict, QStringLiteral("videoFill")));
    m_loading = false;
    saveToLocal();
    Q_EMIT changed();
    return true;
}
