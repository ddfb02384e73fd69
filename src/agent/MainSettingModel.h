#pragma once

#include "agent/SubtitleSettingModel.h"
#include "foundation/models/KVAudioDevice.h"
#include "foundation/models/KVVideoDevice.h"

#include <QObject>

#include <mutex>
#include <optional>

struct VeskUserModel;

// The user's preferences for the whole process (the agent's settingModel).
// Five switches are persisted as one dictionary under "KVMainSettingModel";
// the device choices live in memory only and start empty at every start.
class MainSettingModel final : public QObject {
    Q_OBJECT
public:
    static inline const QString kDefaultsKey = QStringLiteral("KVMainSettingModel");

    // Loads the switches; with no stored entry uses NO, NO, YES, YES, NO without
    // writing anything. Creates the subtitle model (which loads itself).
    explicit MainSettingModel(QObject *parent = nullptr);

    [[nodiscard]] bool autoCameraOn() const { return m_autoCameraOn; }
    [[nodiscard]] bool autoMicphoneOn() const { return m_autoMicphoneOn; }
    [[nodiscard]] bool showCurrentSpeaker() const { return m_showCurrentSpeaker; }
    [[nodiscard]] bool videoMirror() const { return m_videoMirror; }
    [[nodiscard]] bool videoFill() const { return m_videoFill; }

    // Each switch setter stores the value and then writes the whole dictionary.
    void setAutoCameraOn(bool on);
    void setAutoMicphoneOn(bool on);
    void setShowCurrentSpeaker(bool on);
    void setVideoMirror(bool on);
    void setVideoFill(bool on);

    // Device choices: stored only, never written. The device observer replaces the
    // audio ones from a background queue, so these are guarded and returned by value.
    [[nodiscard]] std::optional<KVVideoDevice> currentCamera() const;
    [[nodiscard]] std::optional<KVAudioDevice> currentSpeaker() const;
    [[nodiscard]] std::optional<KVAudioDevice> currentMicphone() const;
    void setCurrentCamera(const std::optional<KVVideoDevice> &device);
    void setCurrentSpeaker(const std::optional<KVAudioDevice> &device);
    void setCurrentMicphone(const std::optional<KVAudioDevice> &device);

    [[nodiscard]] SubtitleSettingModel *subtitle() const { return m_subtitle; }

    // The agent's signed-in user and the application's short version, read on each call.
    [[nodiscard]] VeskUserModel user() const;
    [[nodiscard]] QString version() const;

    void saveToLocal();
    // true when "KVMainSettingModel" was present; each value goes through its setter,
    // so the stored dictionary ends up holding all five keys.
    bool loadFromLocal();

Q_SIGNALS:
    void changed();
    // May be emitted on the device observer's thread.
    void devicesChanged();

private:
    // Stores one value, writes the whole entry and announces the change.
    void store(bool &field, bool value);
    bool m_loading = false; // loadFromLocal writes the whole dictionary once, at its end

    bool m_autoCameraOn = false;
    bool m_autoMicphoneOn = false;
    bool m_showCurrentSpeaker = true;
    bool m_videoMirror = true;
    bool m_videoFill = false;

    mutable std::mutex m_deviceMutex;
    std::optional<KVVideoDevice> m_currentCamera;
    std::optional<KVAudioDevice> m_currentSpeaker;
    std::optional<KVAudioDevice> m_currentMicphone;

    SubtitleSettingModel *m_subtitle = nullptr; // child, never replaced
};
