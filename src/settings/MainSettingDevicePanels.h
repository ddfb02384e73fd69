#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "agent/MainSettingModel.h"

#include <QLabel>

// The video, audio and system-monitor tabs. This version shows a note in their place; the
// settings window already drives them (model, mode, preview and tests) through these calls.

// Base of the three: the model and the note.
class MainSettingTabPlaceholder : public QWidget {
    Q_OBJECT
public:
    MainSettingTabPlaceholder(const QString &note, QWidget *parent);

    [[nodiscard]] MainSettingModel *model() const { return m_model; }
    virtual void setModel(MainSettingModel *model) { m_model = model; }
    [[nodiscard]] QLabel *noteLabel() const { return m_note; }

private:
    QPointer<MainSettingModel> m_model;
    QPointer<QLabel> m_note;
};

// The video tab: camera choice, preview, mirror and fill.
class MainSettingVideoPanel : public MainSettingTabPlaceholder {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingVideoPanel *panel)>;

    explicit MainSettingVideoPanel(QWidget *parent = nullptr);

    virtual void setInMeeting(bool inMeeting) { m_inMeeting = inMeeting; }
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    // The camera preview, running only while the tab is shown.
    virtual void startRunning() {}
    virtual void stopRunning() {}

    Block onVideoMirror;
    Block onVideoFill;
    Block onVideoDeviceChanged;

private:
    bool m_inMeeting = false;
};

// The audio tab: microphone and speaker choice and their tests.
class MainSettingAudioPanel : public MainSettingTabPlaceholder {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingAudioPanel *panel)>;

    explicit MainSettingAudioPanel(QWidget *parent = nullptr);

    virtual void setInMeeting(bool inMeeting) { m_inMeeting = inMeeting; }
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    // Ends any microphone or speaker test.
    virtual void stopRunning() {}

    Block onMichoneChanged;
    Block onSpeakerChanged;

private:
    bool m_inMeeting = false;
};

// The system monitor tab of a meeting.
class KVSettingMonitorPanel : public MainSettingTabPlaceholder {
    Q_OBJECT
public:
    explicit KVSettingMonitorPanel(QWidget *parent = nullptr);
};
