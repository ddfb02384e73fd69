#include "uikit/MacSliderCell.h"

#include "foundation/NotificationCenter.h"
#include "uikit/VeskCategories.h"

#include <QMouseEvent>
#include <QPainter>

MacSliderCell::MacSliderCell(QWidget *parent)
    : QSlider(Qt::Horizontal, parent), m_track(vesk::colorWithHexString(QStringLiteral("4A4B50"))),
      m_progress(vesk::colorWithHexString(QStringLiteral("007AFF")))
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &QSlider::sliderPressed, this, [this] {
        NotificationCenter::defaultCenter().post(QLatin1String(kStartTracking), QVariant::fromValue<QObject *>(this));
        update();
    });
    connect(this, &QSlider::sliderReleased, this, [this] {
        NotificationCenter::defaultCenter().post(QLatin1String(kStopTracking), QVariant::fromValue<QObject *>(this));
        update();
    });
}

void MacSliderCell::setNormalKnobImage(const QPixmap &image)
{
    m_normalKnob = image;
    update();
}

void MacSliderCell::setDraggingKnobImage(const QPixmap &image)
{
    m_draggingKnob = image;
    update();
}

void MacSliderCell::setProgressHeight(qreal height)
{
    m_progressHeight = std::max<qreal>(1, height);
    update();
}

void MacSliderCell::setTrackColor(const QColor &color)
{
    m_track = color;
    update();
}

void MacSliderCell::setProgressColor(const QColor &color)
{
    m_progress = color;
    update();
}

QSize MacSliderCell::knobSize() const
{
    const QPixmap &img = isSliderDown() && !m_draggingKnob.isNull() ? m_draggingKnob : m_normalKnob;
    return img.isNull() ? QSize(14, 14) : img.deviceIndependentSize().toSize();
}

int MacSliderCell::valueAt(qreal x) const
{
    const qreal half = knobSize().width() / 2.0;
    const qreal span = std::max<qreal>(1, width() - 2 * half);
    const qreal t = std::clamp((x - half) / span, 0.0, 1.0);
    return minimum() + qRound(t * (maximum() - minimum()));
}

void MacSliderCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize knob = knobSize();
    const qreal half = knob.width() / 2.0;
    const qreal cy = height() / 2.0;
    const qreal span = std::max<qreal>(0, width() - 2 * half);
    const qreal range = std::max(1, maximum() - minimum());
    const qreal t = qreal(sliderPosition() - minimum()) / range;
    const qreal knobX = half + span * t;
    const QRectF track(half, cy - m_progressHeight / 2, span, m_progressHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(m_track);
    p.drawRoundedRect(track, m_progressHeight / 2, m_progressHeight / 2);
    QColor progress = m_progress;
    if (!isEnabled())
        progress.setAlphaF(0.4f);
    p.setBrush(progress);
    p.drawRoundedRect(QRectF(track.left(), track.top(), knobX - half, track.height()), m_progressHeight / 2,
                      m_progressHeight / 2);
    const QPixmap &img = isSliderDown() && !m_draggingKnob.isNull() ? m_draggingKnob : m_normalKnob;
    const QRectF knobRect(knobX - half, cy - knob.height() / 2.0, knob.width(), knob.height());
    if (!img.isNull()) {
        p.drawPixmap(knobRect.toRect(), img);
    } else {
        p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(200, 200, 200));
        p.setPen(QPen(QColor(0, 0, 0, 40), 1));
        p.drawEllipse(knobRect.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void MacSliderCell::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QSlider::mousePressEvent(event);
        return;
    }
    event->accept();
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
}

void MacSliderCell::mouseMoveEvent(QMouseEvent *event)
{
    if (!isSliderDown()) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    setSliderPosition(valueAt(event->position().x()));
}

void MacSliderCell::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isSliderDown()) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    setSliderPosition(valueAt(event->position().x()));
    setSliderDown(false);
}
