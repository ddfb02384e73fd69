#pragma once

#include "uikit/VeskButton.h"

#include <QPointer>

#include "foundation/KVClock.h"

// A participant's microphone: on or off, and while on the live sound level of
// that participant from "VESK_NOTIFFY_VOICE_VALUE_CHANGED" (levels 0-100).
class VeskMicrophoneIcon : public VeskButton {
    Q_OBJECT
public:
    static constexpr auto kVoiceValueChanged = "VESK_NOTIFFY_VOICE_VALUE_CHANGED";
    // Levels are only posted while loud: without one for this long the level falls to 0.
    static constexpr std::chrono::milliseconds kLevelHold{1000};

    explicit VeskMicrophoneIcon(QWidget *parent = nullptr);
    ~VeskMicrophoneIcon() override;

    // The participant (phone number) whose level is shown.
    void setPhoneNumber(const QString &phoneNumber);
    [[nodiscard]] QString phoneNumber() const { return m_phoneNumber; }
    void setOnImage(const QPixmap &image);
    void setOffImage(const QPixmap &image);
    // Non-zero: the microphone is open.
    void setIconState(qint64 state);
    [[nodiscard]] qint64 iconState() const { return m_iconState; }
    [[nodiscard]] qreal level() const { return m_level; }

    [[nodiscard]] QSize sizeHint() const override { return {20, 20}; }
    // Draws the icon as its paint event does, into bounds of another painter (a tile drawing
    // its overlay itself).
    void paintIcon(QPainter &painter, const QRect &bounds) const;

Q_SIGNALS:
    // The shown level moved (a level arrived, decayed, or the microphone closed).
    void levelChanged(qreal level);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Router;
    static Router *s_router; // main thread only

    void follow(const QString &phoneNumber);
    void voiceValueChanged(qreal value);
    void setLevel(qreal level);
    void paintDefaultIcon(QPainter &p, const QRectF &r) const;

    QString m_phoneNumber;
    QPixmap m_onImage;
    QPixmap m_offImage;
    qint64 m_iconState = 0;
    qreal m_level = 0;
    qint64 m_lastLevelAt = 0;
};
