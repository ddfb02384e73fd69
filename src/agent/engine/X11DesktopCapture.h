#pragma once

#include "DesktopCaptureSource.h"

#include <memory>

struct xcb_connection_t;

// The desktop of an X11 session, on Qt's own xcb connection: screens from Qt, top-level
// windows from the window manager's stacking list (or the root's mapped children without one),
// pictures from each window's Composite pixmap so a covered window shows its own content.
// X errors (a window closed meanwhile) are answered as "no window", never left to Qt.
class X11DesktopCapture final : public DesktopCaptureSource {
public:
    // Icons are taken at the size nearest this edge.
    static constexpr int kIconSize = 32;

    // nullptr when the connection lacks what capture needs (Composite); logs why.
    [[nodiscard]] static std::shared_ptr<X11DesktopCapture> create(xcb_connection_t *connection);
    ~X11DesktopCapture() override;

    [[nodiscard]] Backend backend() const override { return Backend::X11; }
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize thumbnailSize) const override;
    [[nodiscard]] QImage grab(int type, qint64 sourceId) const override;
    [[nodiscard]] std::optional<QRect> windowBounds(qint64 windowId) const override;
    [[nodiscard]] std::optional<QRect> screenBounds(qint64 screenId) const override;
    bool raiseWindowOwner(qint64 windowId) override;
    bool stackAbove(QWindow *ours, qint64 windowId) override;
    void excludeFromCapture(QWindow *ours) override;
    void includeInCapture(QWindow *ours) override;
    [[nodiscard]] std::unique_ptr<DesktopCaptureStream> openStream(const KRTCScreenOption &option,
                                                                   DesktopCaptureSink sink) override;

    // The stable id of a screen: a hash of its name, so it survives other screens coming and going.
    [[nodiscard]] static qint64 screenIdFor(const QString &screenName);

    struct Shared;

private:
    explicit X11DesktopCapture(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> d;
};
