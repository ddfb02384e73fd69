#pragma once

// The turning ring and the pulsing wave shown while a shared audio file plays. The two views are
// the window's; the pictures are drawn here once. Runs on the project clock, only while started.

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QStringList>

#include <optional>

class KVTimer;
class QGraphicsOpacityEffect;
class QLabel;
class QWidget;

class AudioRingAnimation final : public QObject {
    Q_OBJECT
public:
    static constexpr QSize kRingSize{336, 329};
    static constexpr QSize kWaveSize{264, 106};
    static constexpr qint64 kTurnMs = 4000;
    static constexpr qint64 kPulseMs = 3000;
    static constexpr int kFrameMs = 50;
    static constexpr auto kRotationKey = "rotationAnimation";
    static constexpr auto kOpacityKey = "opacityAnimation";

    // Places the ring at the background's top left and the wave centred on it.
    AudioRingAnimation(QWidget *background, QLabel *ring, QLabel *wave, QObject *parent = nullptr);

    // Adds each animation only where it is not running yet.
    void start();
    // Removes both.
    void stop();
    [[nodiscard]] QStringList ringAnimationKeys() const;
    [[nodiscard]] QStringList waveAnimationKeys() const;

    // One full turn every kTurnMs, clockwise on screen; degrees.
    [[nodiscard]] static double ringAngle(qint64 elapsedMs);
    // 1.0, 0.5, 1.0 over kPulseMs, easing in and out between the key times.
    [[nodiscard]] static double waveOpacity(qint64 elapsedMs);

private:
    void tick();
    void updateTimer();

    QPointer<QLabel> m_ring;
    QPointer<QLabel> m_wave;
    QPointer<QGraphicsOpacityEffect> m_waveEffect;
    QPixmap m_ringImage;
    std::optional<qint64> m_ringSince;
    std::optional<qint64> m_waveSince;
    QPointer<KVTimer> m_timer;
};
