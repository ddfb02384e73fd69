#pragma once

#include <QColor>
#include <QPointF>
#include <QWidget>

class QGraphicsDropShadowEffect;

// A plain view with background, border, corner radius and shadow.
class KVFlatView : public QWidget {
    Q_OBJECT
public:
    explicit KVFlatView(QWidget *parent = nullptr);

    void setBackgroundColor(const QColor &color);
    [[nodiscard]] QColor backgroundColor() const { return m_background; }
    void setBorderColor(const QColor &color);
    void setBorderWidth(qreal width);
    void setCornerRadius(qreal radius);
    void setShadowColor(const QColor &color);
    // As the platform gives it: a positive y lifts the shadow above the view.
    void setShadowOffset(const QPointF &offset);
    void setShadowBlurRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QGraphicsDropShadowEffect *shadow();

    QColor m_background = Qt::transparent;
    QColor m_border = Qt::transparent;
    qreal m_borderWidth = 0;
    qreal m_radius = 0;
    QGraphicsDropShadowEffect *m_shadow = nullptr;
};
