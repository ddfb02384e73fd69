#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>

class VeskButton;

// The tab the floating media strip collapses into: one unfold button on a dark tab whose left
// corners are rounded (it sits against the right edge of the screen).
class FloatingMediaMiniView final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 6.0;

    explicit FloatingMediaMiniView(QWidget *parent = nullptr);
    ~FloatingMediaMiniView() override;

    // The tab's outline: left corners rounded, right corners square.
    [[nodiscard]] static QPainterPath tabShape(const QRectF &bounds, qreal radius = kCornerRadius);

    void miniBtnAction(QObject *sender = nullptr);
    void mouseEntered();
    void mouseExited();
    // The mask follows the tab's size.
    void applyRoundedCorners();

    // Set by the sharing code: shows the strip's window again and hides the tab's.
    std::function<void()> unflodBlock;
    QPointer<VeskButton> miniBtn;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
