#pragma once

#include <QColor>
#include <QPixmap>
#include <QSlider>

// A horizontal slider with knob images and a filled progress bar. Dragging
// posts "MacSliderStartTracking" and "MacSliderStopTracking" (object: the
// slider) on the default notification centre.
class MacSliderCell : public QSlider {
    Q_OBJECT
public:
    static constexpr auto kStartTracking = "MacSliderStartTracking";
    static constexpr auto kStopTracking = "MacSliderStopTracking";

    explicit MacSliderCell(QWidget *parent = nullptr);

    void setNormalKnobImage(const QPixmap &image);
    void setDraggingKnobImage(const QPixmap &image);
    void setProgressHeight(qreal height);
    [[nodiscard]] qreal progressHeight() const { return m_progressHeight; }
    // Kept for the callers; the knob never animates here.
    void setDisableDraggingAnimation(bool disable) { m_disableDraggingAnimation = disable; }
    void setTrackColor(const QColor &color);
    void setProgressColor(const QColor &color);
    [[nodiscard]] bool isTracking() const { return isSliderDown(); }

    [[nodiscard]] QSize sizeHint() const override { return {160, 20}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {40, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] QSize knobSize() const;
    [[nodiscard]] int valueAt(qreal x) const;

    QPixmap m_normalKnob;
    QPixmap m_draggingKnob;
    qreal m_progressHeight = 4;
    bool m_disableDraggingAnimation = false;
    QColor m_track;
    QColor m_progress;
};
