#pragma once

#include "uikit/VeskButton.h"

// A button with its own background, border and corner radius, each with a
// hover variant.
class KVCustomButton : public VeskButton {
    Q_OBJECT
public:
    explicit KVCustomButton(QWidget *parent = nullptr);
    explicit KVCustomButton(const QString &title, QWidget *parent = nullptr);

    void setBackgroundColor(const QColor &color);
    void setHoverBackgroundColor(const QColor &color);
    void setBorderColor(const QColor &color);
    void setBorderWidth(qreal width);
    void setCornerRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_background = Qt::transparent;
    QColor m_hoverBackground;
    QColor m_border = Qt::transparent;
    qreal m_borderWidth = 0;
    qreal m_radius = 4;
};
