#include "meeting/sharing/AudioRingAnimation.h"

#include "foundation/KVClock.h"

#include <QConicalGradient>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QTransform>
#include <QWidget>

#include <cmath>

namespace {

QPixmap ringPicture()
{
    QPixmap picture(AudioRingAnimation::kRingSize * 2);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(QPointF(0, 0), QSizeF(AudioRingAnimation::kRingSize));
    const QRectF circle = box.adjusted(24, 24, -24, -24);
    // A fading arc, so the turn can be seen.
    QConicalGradient sweep(circle.center(), 90);
    sweep.setColorAt(0, QColor(0x2A, 0xBA, 0x00));
    sweep.setColorAt(0.75, QColor(0x2A, 0xBA, 0x00, 40));
    sweep.setColorAt(1, QColor(0x2A, 0xBA, 0x00, 0));
    p.setPen(QPen(QBrush(sweep), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(circle);
    return picture;
}

QPixmap wavePicture()
{
    const QSize size = AudioRingAnimation::kWaveSize;
    QPixmap picture(size * 2);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    static constexpr double kHeights[] = {0.25, 0.5, 0.8, 1.0, 0.65, 0.4, 0.7, 0.95, 0.55, 0.3, 0.6, 0.85, 0.45, 0.2};
    const double step = double(size.width()) / std::size(kHeights);
    for (size_t i = 0; i < std::size(kHeights); ++i) {
        const double h = kHeights[i] * size.height();
        p.drawRoundedRect(QRectF(i * step + step * 0.25, (size.height() - h) / 2, step * 0.5, h), 3, 3);
    }
    return picture;
}

double easeInOut(double t)
{
    return t * t * (3 - 2 * t);
}

} // namespace

AudioRingAnimation::AudioRingAnimation(QWidget *background, QLabel *ring, QLabel *wave, QObject *parent)
    : QObject(parent), m_ring(ring), m_wave(wave)
{
    if (!background || !ring || !wave)
        return;
    background->setAttribute(Qt::WA_TranslucentBackground);
    m_ringImage = ringPicture();
    ring->setGeometry(QRect(QPoint(0, 0), kRingSize));
    ring->setAlignment(Qt::AlignCenter);
    ring->setPixmap(m_ringImage);
    QRect waveFrame(QPoint(0, 0), kWaveSize);
    waveFrame.moveCenter(ring->geometry().center());
    wave->setGeometry(waveFrame);
    wave->setAlignment(Qt::AlignCenter);
    wave->setPixmap(wavePicture());
    m_waveEffect = new QGraphicsOpacityEffect(wave);
    m_waveEffect->setOpacity(1.0);
    wave->setGraphicsEffect(m_waveEffect);
    for (QLabel *view : {ring, wave})
        view->setAttribute(Qt::WA_TranslucentBackground);
}

void AudioRingAnimation::start()
{
    const qint64 now = KVClock::current().nowMs();
    if (!m_ringSince)
        m_ringSince = now;
    if (!m_waveSince)
        m_waveSince = now;
    updateTimer();
    tick();
}

void AudioRingAnimation::stop()
{
    m_ringSince.reset();
    m_waveSince.reset();
    updateTimer();
    if (m_ring)
        m_ring->setPixmap(m_ringImage);
    if (m_waveEffect)
        m_waveEffect->setOpacity(1.0);
}

QStringList AudioRingAnimation::ringAnimationKeys() const
{
    return m_ringSince ? QStringList{QString::fromLatin1(kRotationKey)} : QStringList();
}

QStringList AudioRingAnimation::waveAnimationKeys() const
{
    return m_waveSince ? QStringList{QString::fromLatin1(kOpacityKey)} : QStringList();
}

double AudioRingAnimation::ringAngle(qint64 elapsedMs)
{
    return 360.0 * double(elapsedMs % kTurnMs) / double(kTurnMs);
}

double AudioRingAnimation::waveOpacity(qint64 elapsedMs)
{
    const double t = double(elapsedMs % kPulseMs) / double(kPulseMs);
    // Key times 0, 0.5 and 1 with the values 1.0, 0.5 and 1.0.
    return t < 0.5 ? 1.0 - 0.5 * easeInOut(t / 0.5) : 0.5 + 0.5 * easeInOut((t - 0.5) / 0.5);
}

void AudioRingAnimation::updateTimer()
{
    const bool running = m_ringSince || m_waveSince;
    if (running && !m_timer) {
        m_timer = KVTimer::repeating(this, std::chrono::milliseconds(kFrameMs), [this] { tick(); });
    } else if (!running && m_timer) {
        m_timer->invalidate();
        m_timer = nullptr;
    }
}

void AudioRingAnimation::tick()
{
    const qint64 now = KVClock::current().nowMs();
    if (m_ringSince && m_ring && !m_ringImage.isNull()) {
        // Turned about the picture's centre and cut back to its size, so the ring stays in place.
        const QPixmap turned =
            m_ringImage.transformed(QTransform().rotate(ringAngle(now - *m_ringSince)), Qt::SmoothTransformation);
        QPixmap frame(m_ringImage.size());
        frame.setDevicePixelRatio(m_ringImage.devicePixelRatio());
        frame.fill(Qt::transparent);
        QPainter p(&frame);
        const QSizeF extra = QSizeF(turned.size() - m_ringImage.size()) / 2.0 / m_ringImage.devicePixelRatio();
        p.drawPixmap(QPointF(-extra.width(), -extra.height()), turned);
        p.end();
        m_ring->setPixmap(frame);
    }
    if (m_waveSince && m_waveEffect)
        m_waveEffect->setOpacity(waveOpacity(now - *m_waveSince));
}
