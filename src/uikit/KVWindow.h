#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// The floating pop-up window: frameless, see-through, dark, above the other
// windows, and moved by dragging its background.
class KVWindow : public QWidget {
    Q_OBJECT
public:
    explicit KVWindow(const QRect &frame = QRect(), QWidget *parent = nullptr);

    // A floating window with that frame and identifier holding contentView
    // (taken from its former parent, filling the window), made key and shown.
    // The window is deleted when it closes, with its content.
    static KVWindow *showFloating(const QRect &frame, QWidget *contentView, const QString &identifier);

    void setIdentifier(const QString &identifier) { m_identifier = identifier; }
    [[nodiscard]] QString identifier() const { return m_identifier; }

    // The view filling the window (edges pinned, zero insets).
    void setContentView(QWidget *view);
    [[nodiscard]] QWidget *contentView() const { return m_content; }

    void setMovableByWindowBackground(bool movable) { m_movable = movable; }
    [[nodiscard]] bool isMovableByWindowBackground() const { return m_movable; }

    // Shows, raises and activates the window.
    void makeKeyAndOrderFront();

    // The dark look of the kit's windows.
    static void applyDarkAppearance(QWidget *widget);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_identifier;
    QPointer<QWidget> m_content;
    bool m_movable = true;
    bool m_pressed = false;  // a left press on the background, until it drags or ends
    bool m_dragging = false; // moved by hand where the window manager takes no move
    QPoint m_pressAt;
    QPoint m_dragOffset;
};

// Where floating windows go, in screen coordinates (y grows downwards).
namespace KVWindowPlacement {
// A view's rectangle on the screen.
[[nodiscard]] QRect screenRectOfView(const QWidget *view);
// Centred under the anchor, its top adjustY below the anchor's bottom edge.
[[nodiscard]] QRect frameBelowView(const QRect &anchor, const QSize &size, qreal adjustX, qreal adjustY);
// Just right of the anchor (plus adjustX), tops aligned; a positive adjustY raises it.
[[nodiscard]] QRect frameBesideFrame(const QRect &anchor, const QSize &size, qreal adjustX, qreal adjustY);
// The origin for window a placed right of window b (dx, dy; a positive dy raises it), inside
// b's right edge when the screen's visible area has no room right of b, and the whole of a kept
// in that area (keptInside).
[[nodiscard]] QPoint originRightOf(const QRect &a, const QRect &b, const QRect &screenArea, qreal dx, qreal dy);
// The frame moved the least to lie whole in the area; one larger than the area keeps its top-left
// corner there (a title bar and a close button stay reachable).
[[nodiscard]] QRect keptInside(const QRect &frame, const QRect &area);
// A frame of that size centred in the area, kept inside it as above.
[[nodiscard]] QRect centredIn(const QRect &area, const QSize &size);
// The visible area of the primary screen.
[[nodiscard]] QRect mainScreenVisibleFrame();
} // namespace KVWindowPlacement
