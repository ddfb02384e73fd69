#pragma once

#include <QColor>
#include <QWidget>

// A bordered container whose border turns "007AFF" while hovered, while a
// field inside has the focus, or always while alwaysHighlight is set.
class KVHoverBorderView : public QWidget {
    Q_OBJECT
public:
    explicit KVHoverBorderView(QWidget *parent = nullptr);

    void setAlwaysHighlight(bool highlight);
    [[nodiscard]] bool alwaysHighlight() const { return m_always; }
    [[nodiscard]] bool isHighlighted() const;
    void setNormalBorderColor(const QColor &color);
    void setCornerRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_always = false;
    bool m_hovered = false;
    QColor m_normal;
    qreal m_radius = 4;
};
