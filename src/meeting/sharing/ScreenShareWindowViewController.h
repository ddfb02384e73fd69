#pragma once

// The tool bar that floats at the top centre of the primary screen while the user shares a
// screen or window. It mirrors the meeting window's tool bar and only reports its buttons; the
// meeting window does the work. Five seconds after it opens, and whenever the pointer leaves it
// downwards, it slides up 72 points (unless a menu is open); the pointer on the end-share area
// brings it back.

#include "uikit/MacBaseViewController.h"

#include <QPoint>
#include <QPointer>
#include <QRect>

#include <functional>

class KVTimer;
class MeetingBottomButton;
class QLabel;
class VeskButton;

class ScreenShareWindowViewController final : public MacBaseViewController {
    Q_OBJECT
    // The member window sets it back to NO when it closes.
    Q_PROPERTY(bool memberListShow READ memberListShow WRITE setMemberListShow)
public:
    using Block = std::function<void(VeskButton *)>;

    static constexpr double kSlideOffset = 72.0;
    static constexpr int kHideDelayMs = 5000;
    static constexpr int kAnimationMs = 300;

    explicit ScreenShareWindowViewController(QObject *parent = nullptr);
    ~ScreenShareWindowViewController() override;

    // The bar's frameless, stay-on-top window holding the view (owned by the caller).
    static QWidget *makeWindow();

    // ---- Mirrored states: each sets its button on or off --------------------------------------
    void setRecording(bool on);
    void setScreenSharing(bool on);
    void setCameraCapturing(bool on);
    void setMicCapturing(bool on);
    void setSpeakerEnable(bool on);
    void setMemberListShow(bool on);
    [[nodiscard]] bool recording() const { return m_recording; }
    [[nodiscard]] bool screenSharing() const { return m_screenSharing; }
    [[nodiscard]] bool cameraCapturing() const { return m_cameraCapturing; }
    [[nodiscard]] bool micCapturing() const { return m_micCapturing; }
    [[nodiscard]] bool speakerEnable() const { return m_speakerEnable; }
    [[nodiscard]] bool memberListShow() const { return m_memberListShow; }

    Block recordBlock, screenShareBlock, cameraBlock, micBlock, speakerBlock, memberListBlock, selectCameraBlock,
        selectMicBlock, selectSpeakerBlock, moreBlock;

    // ---- Actions -----------------------------------------------------------------------------
    void recordButtonAction(VeskButton *sender);
    void memberButtonAction(VeskButton *sender);
    void cameraButtonAction(VeskButton *sender);
    void micButtonAction(VeskButton *sender);
    void speakerButtonAction(VeskButton *sender);
    void shareButtonAction(VeskButton *sender);
    void moreButtonAction(VeskButton *sender);
    void cameraSelectButtonAction(VeskButton *sender);
    void micSelectButtonAction(VeskButton *sender);
    void speakerSelectButtonAction(VeskButton *sender);
    void stopScreenShareAction(VeskButton *sender);

    // ---- Window movement (screen coordinates, y downwards) ------------------------------------
    // The window's origin when shown; the slide back returns to it.
    void setOriginalPosition(const QPoint &origin) { m_originalPosition = origin; }
    [[nodiscard]] QPoint originalPosition() const { return m_originalPosition; }
    void animateWindow();
    void animateWindowToOffsetY(double dy);
    void animateWindowToOriginalPosition();
    void animateWindowToFrame(const QRect &frame);
    // The pointer (screen coordinates) entered or left the bar.
    void mouseEntered(const QPoint &globalPos);
    void mouseExited(const QPoint &globalPos);
    // Any of the more, member and three device menu buttons is on.
    [[nodiscard]] bool menuOpen() const;
    // Where the window is going (the last slide's target), or its frame when not moving.
    [[nodiscard]] QRect targetFrame() const;
    [[nodiscard]] KVTimer *timer() const { return m_timer; }

    QPointer<QWidget> toolBarView;
    QPointer<QWidget> stopScreenShareButtonBKView;
    QPointer<VeskButton> stopScreenShareButton;
    QPointer<MeetingBottomButton> moreButton, recordButton, memberButton, cameraButton, micButton, speakerButton,
        shareButton, selectCameraButton, selectMicButton, selectSpeakerButton;
    QPointer<QLabel> memverNumLabel;

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void setOn(MeetingBottomButton *button, bool on);

    bool m_recording = false, m_screenSharing = false, m_cameraCapturing = false, m_micCapturing = false,
         m_speakerEnable = false, m_memberListShow = false;
    QPoint m_originalPosition;
    QPointer<KVTimer> m_timer;
    // The slide: steps on the project clock towards m_target.
    void animationStep();
    QPointer<KVTimer> m_animation;
    QRect m_from;
    QRect m_target;
    qint64 m_animationStart = 0;
};
