#pragma once

// A shared audio or video file in the meeting window: its layout, the play button and the
// progress slider (play, pause and seek for everybody), the play position from the stream's
// frames and from the service, the sharer's start-of-playback report and the turning ring shown
// for audio. The file and the playing flag are the sharing part's state; everything here runs
// on the main thread.

#include "agent/MeetingActiveModel.h"
#include "agent/models/FileShareModel.h"
#include "meeting/sharing/AvFileShareServices.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class AudioRingAnimation;
class KRTCVideoView;
class KVLayoutConstraint;
class MacDisableScrollView;
class MacSliderCell;
class MeetingBottomButton;
class MeetingSharing;
struct Notification;
class QLabel;
class QWidget;
class VeskButton;

namespace AvFileShareRules {
// "%02ld:%02ld:%02ld" of whole seconds.
[[nodiscard]] QString timeText(qint64 seconds);
// The longest file a share shows (100 hours): a duration from others or a file row is kept to
// 0 ... this where it enters, so every position and the slider stay in range.
inline constexpr qint64 kMostSeconds = 100 * 3600;
[[nodiscard]] qint64 boundedDuration(qint64 seconds);
// The turning ring runs only for a stream of a file without video that carries file audio.
[[nodiscard]] bool audioOnlySource(const std::shared_ptr<MeetingActiveModel> &source);
} // namespace AvFileShareRules

class AvFileShare final : public QObject {
    Q_OBJECT
public:
    // The window's views it drives: references to the window's own pointers (null until made).
    struct Views {
        QPointer<KRTCVideoView> &avFileShareRenderView;
        QPointer<VeskButton> &avFileSharePlayButton;
        QPointer<MacSliderCell> &avFileShareSlider;
        QPointer<QWidget> &avFileShareSliderBKView;
        QPointer<QLabel> &avFileShareCurrentTime;
        QPointer<QLabel> &avFileShareTotalTime;
        QPointer<QWidget> &audioAnimationBKView;
        QPointer<QLabel> &audioAnimationBorderImageView;
        QPointer<QLabel> &audioAnimationContentImageView;
        QPointer<QLabel> &shareFileName;
        QPointer<KVLayoutConstraint> &currentFilePanelWidthConstraint;
        QPointer<MeetingBottomButton> &shareBtn;
        QPointer<VeskButton> &finishShareBtn;
        // The document views the file's layout hides.
        QPointer<MacDisableScrollView> &fileShareScrollView;
        QPointer<VeskButton> &leftFlipOverButton;
        QPointer<VeskButton> &rightFlipOverButton;
        QPointer<QWidget> &currentFilePanel;
        QPointer<QWidget> &currentPagePanel;
        QPointer<QLabel> &currentFileShareNameLabel;
        QPointer<QLabel> &shareStateImageView;
    };

    struct WindowCalls {
        std::function<std::shared_ptr<MeetingActiveModel>()> source; // the stream's tile, or null
    };

    AvFileShare(MeetingSharing &room, Views views, WindowCalls window,
                std::shared_ptr<AvFileShareServices> services = nullptr);
    ~AvFileShare() override;

    void setServices(std::shared_ptr<AvFileShareServices> services) { m_services = std::move(services); }
    // Once the window's views exist: the play button and the slider report here.
    void connectUi();

    // ---- Showing a file ----
    void setAvFileShareModel(const std::shared_ptr<FileShareModel> &model);
    // The user's own start from the picker: shown, playing from 0.
    void startOwn(const FileShareModel &file);
    // The layout of the file modes (2 and 3); other modes hide the file's controls.
    void applyLayout(int mode);

    // ---- The user's controls ----
    void avFileSharePlayAction();
    void sliderStartTracking(const Notification &notification);
    void sliderStopTracking(const Notification &notification);
    void avFileShareSliderAction();

    // ---- The play position ----
    [[nodiscard]] qint64 avFileSharePlayTimerCount() const { return m_position; }
    void setAvFileSharePlayTimerCount(qint64 seconds);
    [[nodiscard]] bool avFileSharePlaySliderTracking() const { return m_tracking; }
    void setAvFileSharePlaySliderTracking(bool tracking) { m_tracking = tracking; }
    // A frame's position, parsed on the engine's thread and handed over here.
    void takeFramePosition(qint64 seconds);
    // The stream is flowing: the button follows, the sharer reports the start once.
    void avFileShareRecvStream(const QString &peerId);

    // ---- Playback (re)started, paused, stopped: the ring follows ----
    void startAVFileShareTimer();
    void resumeAVFileShareTimer();
    void pauseAVFileShareTimer();
    void stopAVFileShareTimer(bool keepAnimation);
    void addAudioRotationAnimationView();
    void startAudioRotationAnimation();
    void stopAudioRotationAnimation();
    [[nodiscard]] AudioRingAnimation *animation() const { return m_animation; }

protected:
    // Keyboard focus on the slider brings the play button back, as the pointer over the window does.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setButtonPlaying(bool playing);
    void updatePositionViews();
    [[nodiscard]] bool audioOnlySource() const;

    MeetingSharing &m_room;
    const Views m_ui; // named as in the window's ui
    const WindowCalls m_window;
    std::shared_ptr<AvFileShareServices> m_services;
    AudioRingAnimation *m_animation = nullptr; // a child, made once
    qint64 m_position = 0;
    bool m_tracking = false;
    bool m_settingSlider = false; // the slider moves because the position did
};

// The same views of any ui that names them (the window's, or a test's).
template <class Ui> AvFileShare::Views avFileShareViews(Ui &ui)
{
    return {ui.avFileShareRenderView,
            ui.avFileSharePlayButton,
            ui.avFileShareSlider,
            ui.avFileShareSliderBKView,
            ui.avFileShareCurrentTime,
            ui.avFileShareTotalTime,
            ui.audioAnimationBKView,
            ui.audioAnimationBorderImageView,
            ui.audioAnimationContentImageView,
            ui.shareFileName,
            ui.currentFilePanelWidthConstraint,
            ui.shareBtn,
            ui.finishShareBtn,
            ui.fileShareScrollView,
            ui.leftFlipOverButton,
            ui.rightFlipOverButton,
            ui.currentFilePanel,
            ui.currentPagePanel,
            ui.currentFileShareNameLabel,
            ui.shareStateImageView};
}
