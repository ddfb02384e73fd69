#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;

// The backing layer of a view: background, rounded and clipped corners and a
// border, painted under the view's own content. One per widget, created on
// first use and owned by the widget.
class VeskLayer final : public QObject {
    Q_OBJECT
public:
    // The widget's layer, made on first use.
    static VeskLayer *of(QWidget *widget);
    // The widget's layer, or nullptr when it has none.
    [[nodiscard]] static VeskLayer *find(const QWidget *widget);

    void setBackgroundColor(const QColor &color);
    [[nodiscard]] QColor backgroundColor() const { return m_background; }
    void setCornerRadius(qreal radius);
    [[nodiscard]] qreal cornerRadius() const { return m_radius; }
    // Clips the widget and its children to the rounded bounds.
    void setMasksToBounds(bool masks);
    [[nodiscard]] bool masksToBounds() const { return m_masks; }
    void setBorderColor(const QColor &color);
    [[nodiscard]] QColor borderColor() const { return m_borderColor; }
    void setBorderWidth(qreal width);
    [[nodiscard]] qreal borderWidth() const { return m_borderWidth; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit VeskLayer(QWidget *widget);
    void paint();
    void updateMask();
    void changed();

    QWidget *m_widget;
    QColor m_background = Qt::transparent;
    QColor m_borderColor = Qt::transparent;
    qreal m_radius = 0;
    qreal m_borderWidth = 0;
    bool m_masks = false;
};
