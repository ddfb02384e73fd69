#pragma once

#include "uikit/KVFlatView.h"

#include <QList>
#include <QPointer>

class QLabel;

// The help pop-up of the audio tab's microphone or speaker: a title and numbered hints.
class MainSettingAudioNoticeView final : public KVFlatView {
    Q_OBJECT
public:
    static constexpr int kWidth = 308;
    static constexpr int kSpeakerHeight = 149;
    static constexpr int kMicrophoneHeight = 203;

    explicit MainSettingAudioNoticeView(QWidget *parent = nullptr);

    // Fills the title and the hints of that device.
    void setIsSpeaker(bool isSpeaker);
    [[nodiscard]] bool isSpeaker() const { return m_isSpeaker; }
    // Dark in a meeting, light at home.
    void setDarkAppearance(bool dark);

    [[nodiscard]] QLabel *titleLabel() const { return m_titleLabel; }
    [[nodiscard]] QStringList contentLines() const;

private:
    bool m_isSpeaker = false;
    bool m_dark = false;
    QPointer<QLabel> m_titleLabel;
    QWidget *m_content = nullptr;
    QList<QLabel *> m_lines;
};
