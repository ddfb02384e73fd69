#pragma once

#include "DesktopCaptureSource.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWindow>

#include <mutex>

// A scriptable desktop for tests: screens and windows as the test sets them, bounds that the
// test moves, windows that close, and share streams that deliver the frames the test pushes.
// Records what was asked of it. Main thread, except pushFrame, which may run on any thread.
class FakeDesktopCapture final : public DesktopCaptureSource {
public:
    struct Stack {
        QPointer<QWindow> ours;
        qint64 windowId = 0;
    };

    // --- scripting ---
    void setBackend(Backend backend) { m_backend = backend; }
    void setScreens(const QList<KRTCDesktopSource> &screens) { m_screens = screens; }
    void setWindows(const QList<KRTCDesktopSource> &windows) { m_windows = windows; }
    // A listed window's bounds (windows without bounds answer "no window").
    void setWindowBounds(qint64 windowId, QRect bounds) { m_windowBounds.insert(windowId, bounds); }
    void setScreenBounds(qint64 screenId, QRect bounds) { m_screenBounds.insert(screenId, bounds); }
    // The window is gone: no longer listed, grabbed, bounded; its streams end.
    void closeWindow(qint64 windowId);
    // Delivers a frame to every open stream (fitted to its option's size).
    void pushFrame(const QImage &picture);

    // --- what was asked ---
    [[nodiscard]] QList<qint64> raised() const { return m_raised; }
    [[nodiscard]] QList<Stack> stacked() const { return m_stacked; }
    [[nodiscard]] QList<QWindow *> excluded() const;
    [[nodiscard]] int openStreams() const;
    [[nodiscard]] int streamsOpened() const { return m_streamsOpened; }
    [[nodiscard]] KRTCScreenOption lastStreamOption() const { return m_lastOption; }

    // --- DesktopCaptureSource ---
    [[nodiscard]] Backend backend() const override { return m_backend; }
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

private:
    class Stream;
    friend class Stream;
    struct Open {
        Stream *stream = nullptr;
        KRTCScreenOption option;
        DesktopCaptureSink sink;
    };
    [[nodiscard]] bool hasWindow(qint64 windowId) const;
    void release(Stream *stream);

    Backend m_backend = Backend::X11;
    QList<KRTCDesktopSource> m_screens;
    QList<KRTCDesktopSource> m_windows;
    QHash<qint64, QRect> m_windowBounds;
    QHash<qint64, QRect> m_screenBounds;
    QList<qint64> m_raised;
    QList<Stack> m_stacked;
    QList<QPointer<QWindow>> m_excluded;
    int m_streamsOpened = 0;
    KRTCScreenOption m_lastOption;
    mutable std::mutex m_mutex; // guards m_open (pushFrame may come from any thread)
    QList<Open> m_open;
};
