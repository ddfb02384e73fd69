#pragma once

// What the share border asks of the desktop about a shared window: where it is, bringing its
// owner to the front and stacking our ring directly above it. The platform capture answers; tests
// install a scripted one. Main thread only.

#include <QRect>

#include <memory>
#include <optional>

class QWidget;

class ShareTrackDesktop {
public:
    virtual ~ShareTrackDesktop() = default;

    // The window's bounds in root (virtual desktop) coordinates, y downwards; nothing when the
    // window is gone.
    [[nodiscard]] virtual std::optional<QRect> windowBounds(qint64 windowId) const = 0;
    // Brings the application that owns the window to the front.
    virtual void raiseOwner(qint64 windowId) = 0;
    // Stacks our top-level window directly above the window (its frame when it has one).
    virtual void stackAbove(QWidget *ours, qint64 windowId) = 0;
    // False where the compositor marks shared content itself (the portal): no ring is drawn.
    [[nodiscard]] virtual bool drawsBorder() const { return true; }

    [[nodiscard]] static std::shared_ptr<ShareTrackDesktop> current();
    // nullptr puts the default back (the desktop capture's answers).
    static void setCurrent(std::shared_ptr<ShareTrackDesktop> desktop);
};
