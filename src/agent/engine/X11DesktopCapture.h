#pragma once

#include "DesktopCaptureSource.h"

#include <QHash>
#include <QObject>

#include <memory>

class QScreen;
struct xcb_connection_t;

// The desktop of an X11 session, on Qt's own xcb connection: screens from Qt, top-level
// windows from the window manager's stacking list (or the root's mapped children without one),
// pictures from each window's Composite pixmap so a covered window shows its own content.
// A share stream has a connection of its own and takes its pictures through shared memory
// (MIT-SHM) where the display offers it.
// X errors (a window closed meanwhile) are answered as "no window", never left to Qt.
class X11DesktopCapture final : public DesktopCaptureSource {
public:
    // Icons are taken at the size nearest this edge.
    static constexpr int kIconSize = 32;

    // nullptr when the connection lacks what capture needs (Composite); logs why. displayName is
    // the display the connection reached, where streams connect (empty: $DISPLAY).
    [[nodiscard]] static std::shared_ptr<X11DesktopCapture> create(xcb_connection_t *connection,
                                                                   const QByteArray &displayName = {});
    ~X11DesktopCapture() override;

    [[nodiscard]] Backend backend() const override { return Backend::X11; }
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize thumbnailSize) const override;
    [[nodiscard]] QImage grab(int type, qint64 sourceId) const override;
    [[nodiscard]] std::optional<QRect> windowBounds(qint64 windowId) const override;
    [[nodiscard]] bool windowShown(qint64 windowId) const override;
    [[nodiscard]] std::optional<QRect> screenBounds(qint64 screenId) const override;
    bool raiseWindowOwner(qint64 windowId) override;
    bool stackAbove(QWindow *ours, qint64 windowId) override;
    void excludeFromCapture(QWindow *ours) override;
    void includeInCapture(QWindow *ours) override;
    [[nodiscard]] std::unique_ptr<DesktopCaptureStream> openStream(const KRTCScreenOption &option,
                                                                   DesktopCaptureSink sink) override;

    // The stable id of a screen: a hash of its name and its X screen's number, so it survives other
    // screens coming and going, and same-named screens of two X screens differ.
    [[nodiscard]] static qint64 screenIdFor(const QString &screenName, int xScreen);

    struct Shared;

private:
    // One of Qt's screens with where it lies: its X screen's root and its area there.
    struct ScreenPlace {
        QScreen *screen = nullptr;
        quint32 root = 0;
        QRect area;
        qint64 id = 0;
    };
    [[nodiscard]] QList<ScreenPlace> screenPlaces() const;
    [[nodiscard]] std::optional<ScreenPlace> screenPlace(qint64 screenId) const;
    [[nodiscard]] quint32 rootOf(QScreen *screen) const;

    explicit X11DesktopCapture(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> d;
    // Roots of Qt's screens, learnt once each (main thread); forgotten with the screen.
    mutable QHash<QScreen *, quint32> m_roots;
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
};
