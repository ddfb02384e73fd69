#pragma once

// The meeting window's views and layout constraints, in one place: what a designer form of the
// window would generate, filled here by code. setupUi makes them and gives them their look; the
// controller connects them and drives them (ui->microphoneBtn). The view tree owns every view,
// so each is held weakly. Views that no build step makes yet stay null until their owner makes
// them.

#include <QPointer>

class IMDisplayView;
class KRTCVideoView;
class KVEventView;
class KVFlatView;
class KVLayoutConstraint;
class KVMacWatermarkView;
class KVMeetingIDLabel;
class MacDisableScrollView;
class MacSliderCell;
class MeetingBottomButton;
class QLabel;
class QScrollArea;
class QTextEdit;
class QWidget;
class VeskButton;
class VeskTextView;

namespace Ui {

class MeetingViewController final {
public:
    // Builds every view into root (the controller's view), top to bottom, with its look.
    void setupUi(QWidget *root);

    // ---- Layout constraints the window moves ----
    QPointer<KVLayoutConstraint> topToolViewTopConstraint; // the tool bars in and out
    QPointer<KVLayoutConstraint> bottomViewBottomConstraint;
    QPointer<KVLayoutConstraint> videoViewTopConstraint; // the video area between the bars
    QPointer<KVLayoutConstraint> videoViewBottomConstraint;
    QPointer<KVLayoutConstraint> imInputViewWidthConst;                     // chat input width
    QPointer<KVLayoutConstraint> bottomSareContainerViewWidthConst;         // bottom share container
    QPointer<KVLayoutConstraint> verticalShowCollectionViewWidthConstraint; // member strip beside a share
    QPointer<KVLayoutConstraint> currentPageNumWidthConstraint;             // document share panels
    QPointer<KVLayoutConstraint> pageNumPanelWidthConstraint;
    QPointer<KVLayoutConstraint> currentFilePanelWidthConstraint;
    QPointer<KVLayoutConstraint> subtitleTextViewHeight; // subtitle text
    QPointer<KVLayoutConstraint> subtitleTextViewWidth;

    // ---- Top bar and title ----
    QPointer<KVEventView> eventView; // over the whole window; passes mouse events on
    QPointer<QWidget> topView;
    QPointer<QWidget> titleView;
    QPointer<KVMeetingIDLabel> titleLabel;
    QPointer<VeskButton> meetingIdCopyBtn;
    QPointer<VeskButton> endMeetingBtn;
    QPointer<VeskButton> fullScreenBtn;
    QPointer<VeskButton> qosShowButton;

    // ---- Video area ----
    QPointer<QWidget> middleView;
    QPointer<QScrollArea> scrollView;
    QPointer<QWidget> videoCollectionView; // the grid, once setupVideoGridViews has put it in
    QPointer<QWidget> noPeopleTipView;
    QPointer<KRTCVideoView> screenShareRenderView;

    // ---- Bottom tool bar ----
    QPointer<QWidget> bottomView;
    QPointer<QWidget> toolBarMiddleView;
    QPointer<QWidget> bottomSareContainerView; // the share button and the shared files' arrow
    QPointer<MeetingBottomButton> cameraBtn;
    QPointer<MeetingBottomButton> microphoneBtn;
    QPointer<MeetingBottomButton> speakerBtn;
    QPointer<MeetingBottomButton> shareBtn;
    QPointer<VeskButton> leaveRoomButton;
    QPointer<MeetingBottomButton> selectCameraBtn; // the device pop-up arrows
    QPointer<MeetingBottomButton> selectMicrophoneBtn;
    QPointer<MeetingBottomButton> selectSpeakerBtn;
    QPointer<MeetingBottomButton> selectSubtitiletn;
    QPointer<MeetingBottomButton> selectFileShareSwitchBtn;
    QPointer<MeetingBottomButton> memberListBtn;
    QPointer<MeetingBottomButton> recordButton;
    QPointer<MeetingBottomButton> selectRecordBtn; // opens the more menu (screenshot, local recording)
    QPointer<MeetingBottomButton> settingPageBtn;
    QPointer<MeetingBottomButton> applicationBtn;
    QPointer<MeetingBottomButton> subtitleSettingBtn;
    QPointer<MeetingBottomButton> shareSettingBtn;
    QPointer<MeetingBottomButton> cameraSettingBtn;
    QPointer<MeetingBottomButton> micSettingBtn;
    QPointer<MeetingBottomButton> speakerSettingBtn;
    QPointer<QLabel> memberLabel; // member count badge
    QPointer<QWidget> memberListBtnBKView;
    QPointer<KVFlatView> memberBtnRedDot; // waiting-room arrivals
    QPointer<QWidget> recordingTipContainer;
    QPointer<QWidget> recordingTipLine;

    // ---- Waiting room ----
    QPointer<QWidget> waitingRoomBKView;
    QPointer<VeskButton> exitWaitingRoomBtn;

    // ---- Chat and subtitles ----
    QPointer<IMDisplayView> IMView;
    QPointer<VeskTextView> IMChatTextView;
    QPointer<VeskButton> IMChatEnableButton;
    QPointer<QWidget> subtitleBKView;
    QPointer<QScrollArea> subtitileScrollView;
    QPointer<QWidget> subtitleClipView;
    QPointer<QTextEdit> subtitileTextView;

    // ---- Share display: documents ----
    QPointer<QWidget> shareShowBKView;
    QPointer<QWidget> fileSharePanelBKView;
    QPointer<MacDisableScrollView> fileShareScrollView;
    QPointer<QWidget> fileShareCollectionView;
    QPointer<QLabel> currentPage;
    QPointer<QLabel> totalPage;
    QPointer<VeskButton> leftFlipOverButton;
    QPointer<VeskButton> rightFlipOverButton;
    QPointer<QWidget> currentFilePanel;
    QPointer<QWidget> currentPagePanel;
    QPointer<QLabel> currentFileShareNameLabel;
    QPointer<QLabel> shareFileName;
    QPointer<QLabel> shareStateImageView;
    QPointer<VeskButton> fileShareSwitchButton;
    QPointer<VeskButton> fileShareFlagButton;
    QPointer<VeskButton> finishShareBtn;
    QPointer<KVMacWatermarkView> watermarkView; // the user's name over every share

    // ---- Share display: audio/video files and the member strip ----
    QPointer<KRTCVideoView> avFileShareRenderView;
    QPointer<VeskButton> avFileSharePlayButton;
    QPointer<MacSliderCell> avFileShareSlider;
    QPointer<MacSliderCell> customSliderCell; // the same slider (its look)
    QPointer<QWidget> avFileShareSliderBKView;
    QPointer<QLabel> avFileShareCurrentTime;
    QPointer<QLabel> avFileShareTotalTime;
    QPointer<QWidget> audioAnimationBKView;
    QPointer<QLabel> audioAnimationBorderImageView;
    QPointer<QLabel> audioAnimationContentImageView;
    QPointer<QScrollArea> verticalShowScrollView;
    QPointer<QWidget> verticalShowCollectionView;

private:
    void setupTopBar(QWidget *parent);
    void setupMiddleArea(QWidget *parent);
    void setupBottomBar(QWidget *parent);
    void setupOverlays(QWidget *root);
    void setupLook(QWidget *root);
};

} // namespace Ui
