#pragma once

#include "KRTCTypes.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class QWindow;

// A running capture of one share source. Frames flow from construction until it is destroyed;
// destroying it stops the frames and frees the source at once.
class DesktopCaptureStream {
public:
    virtual ~DesktopCaptureStream() = default;
    // Whether it runs only once the desktop has asked the user (the sink's onStarted, or
    // onStartFailed); otherwise it runs from construction.
    [[nodiscard]] virtual bool startsLater() const { return false; }
};

// What a share stream reports. onFrame runs on a capture thread with a Format_RGB32 picture of
// exactly the option's size (the source letterboxed into it; the source's own size when the
// option has none); onEnded runs once on the main thread when the source ends by itself
// (window closed, the desktop ended the capture, stream broken), with a reason for the log;
// a window that still exists but is not shown (minimised, on another desktop) only sends no
// frames until it is shown again.
// onStartFailed runs instead of it when a stream that starts later never started (the portal
// refused, its dialog was cancelled); unset, onEnded is told. onStarted runs once, on the main
// thread, when a stream that starts later has started (the user chose in the portal's dialog).
struct DesktopCaptureSink {
    std::function<void(const QImage &frame)> onFrame;
    std::function<void(const QString &reason)> onEnded;
    std::function<void(const QString &reason)> onStartFailed;
    std::function<void()> onStarted;
};

// Where the client finds shareable screens and windows, takes their pictures and frames, and
// what the share border asks of a shared window. This is the client's only platform code:
// current() picks the X11 capture on the xcb platform, the desktop portal in a Wayland session,
// else Qt's screens; tests install a fake with setCurrent(). Main thread only, except the frame
// callback.
//
// Coordinates are device pixels of the virtual desktop (X11: the root window).
class DesktopCaptureSource {
public:
    enum class Backend { Qt, X11, Portal };
    // The one candidate the portal backend lists: choosing it opens the portal's own dialog.
    static constexpr qint64 kPortalChoiceId = 1;

    virtual ~DesktopCaptureSource() = default;

    [[nodiscard]] virtual Backend backend() const { return Backend::Qt; }
    // The portal chooses what is shared and the compositor marks it: the picker shows one
    // "选择共享内容" tile and no border is drawn.
    [[nodiscard]] bool usesPortal() const { return backend() == Backend::Portal; }

    // Sources with snapshots scaled into thumbnailSize (no snapshot for an empty size).
    // Screens are titled "桌面 N" (1-based); windows come in stacking order, bottom first.
    [[nodiscard]] virtual QList<KRTCDesktopSource> screens(QSize thumbnailSize) const = 0;
    [[nodiscard]] virtual QList<KRTCDesktopSource> windows(QSize thumbnailSize) const = 0;
    // The current picture of a source (type 1 screen, 2 window); null when it is gone.
    [[nodiscard]] virtual QImage grab(int type, qint64 sourceId) const = 0;

    // --- what the share border asks of a source ---
    // A window's outer bounds (without the window manager's frame); nullopt: no such window.
    [[nodiscard]] virtual std::optional<QRect> windowBounds(qint64 windowId) const;
    // Whether the window is on show (mapped, on the current desktop); false when it is gone or
    // unmapped (minimised, on another desktop). By default: whether it has bounds.
    [[nodiscard]] virtual bool windowShown(qint64 windowId) const;
    // A screen's bounds; nullopt: no such screen.
    [[nodiscard]] virtual std::optional<QRect> screenBounds(qint64 screenId) const;
    // Brings the window's owner to the front; false when the window is gone.
    virtual bool raiseWindowOwner(qint64 windowId);
    // Restacks our top-level window directly above the target (its frame, where a window
    // manager reparented it); false when the target is gone.
    virtual bool stackAbove(QWindow *ours, qint64 windowId);
    // Our windows kept out of every captured picture (the share border) until removed.
    virtual void excludeFromCapture(QWindow *ours);
    virtual void includeInCapture(QWindow *ours);

    // --- the share source ---
    // Starts frames of the option's source (m_eType, m_ScreenOrWindowId) at its size and frame
    // rate. nullptr when the source does not exist.
    [[nodiscard]] virtual std::unique_ptr<DesktopCaptureStream> openStream(const KRTCScreenOption &option,
                                                                           DesktopCaptureSink sink);

    [[nodiscard]] static std::shared_ptr<DesktopCaptureSource> current();
    // nullptr puts the default back (chosen again on the next current()).
    static void setCurrent(std::shared_ptr<DesktopCaptureSource> source);

    // Fits a captured picture into the option's size: scaled keeping its aspect, centred on
    // black, Format_RGB32. An empty target keeps the picture's own size.
    [[nodiscard]] static QImage fitFrame(const QImage &picture, QSize target);
};

// Screens of QGuiApplication::screens() (source id = position in that list); no windows. Used
// on platforms without a capture of their own (offscreen, unknown).
class QtDesktopCaptureSource final : public DesktopCaptureSource {
public:
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize thumbnailSize) const override;
    [[nodiscard]] QImage grab(int type, qint64 sourceId) const override;
    [[nodiscard]] std::optional<QRect> screenBounds(qint64 screenId) const override;
};
