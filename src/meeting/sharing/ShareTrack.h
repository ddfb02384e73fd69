#pragma once

// The green ring around what the user shares, so he sees what the others see. A screen's ring
// covers that screen; a window's follows the window every 0.3 s on the project clock, hidden
// while the window moves or changes size and back when two readings agree. One at a time: a new
// start ends the last. The ring takes no input and is left out of the share's picture.

#include "foundation/models/DesktopCaptureSnapshotModel.h"

#include <QPointer>
#include <QWidget>

class KVTimer;

// The ring's window: frameless, click-through, a 5-point green frame shaped by a mask (no
// compositor needed for the see-through middle).
class ShareBorderWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorderWidth = 5;
    static const QColor kBorderColor;

    explicit ShareBorderWindow(bool onTop);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};

class ShareTrack final : public QObject {
    Q_OBJECT
public:
    static constexpr int kFollowIntervalMs = 300;

    // Ends any ring; for a window that is gone answers NO and makes none.
    static bool startWithModel(const DesktopCaptureSnapshotModel &model);
    static void stop();
    [[nodiscard]] static ShareTrack *current();

    // The screen a screen candidate names (its id), else the primary one; windows: the primary.
    [[nodiscard]] static QRect matchedScreenGeometry(const DesktopCaptureSnapshotModel &model);

    [[nodiscard]] bool isScreen() const { return m_isScreen; }
    [[nodiscard]] qint64 trackWindowId() const { return m_trackWindowId; }
    [[nodiscard]] KVTimer *trackTimer() const { return m_trackTimer; }
    [[nodiscard]] ShareBorderWindow *borderWindow() const { return m_borderWindow; }

    // One follow step.
    void refreshFrame();

    ~ShareTrack() override;

private:
    explicit ShareTrack(const DesktopCaptureSnapshotModel &model);
    void setTrackWindowId(qint64 windowId);
    void stopTrackTimer();

    bool m_isScreen = false;
    qint64 m_trackWindowId = 0;
    QPointer<KVTimer> m_trackTimer;
    QPointer<ShareBorderWindow> m_borderWindow;
};
