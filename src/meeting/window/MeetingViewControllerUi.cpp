// The meeting window's views: made, laid out and given their look in one pass.

#include "meeting/window/MeetingViewControllerUi.h"

#include "agent/engine/KRTCVideoView.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCodes.h"
#include "meeting/common/MeetingIcons.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/window/MeetingWindowSizing.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVEventView.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVMacWatermarkView.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskTextView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>

namespace Ui {

namespace {

using A = KVLayoutConstraint::Attribute;

constexpr int kTopBarHeight = 44;
constexpr int kBottomBarHeight = 72;
// The chat input's row under the grid: the input and the gap on either side of it. The grid stops
// above it, so the input and the forbid box never cover a tile's name.
constexpr int kChatInputHeight = 32;
constexpr int kChatInputGap = 12;
constexpr int kChatRowHeight = kChatInputHeight + 2 * kChatInputGap;

const QString kToolBarTitleColor = QStringLiteral("#D7D7D8");
const QString kToolBarOnColor = QStringLiteral("#0A8AF9");

// A box in a row of a QLayout whose width its constraint sets: the row gives it that width.
class ConstrainedBox final : public QWidget {
public:
    using QWidget::QWidget;
    QPointer<KVLayoutConstraint> widthConstraint;

    [[nodiscard]] QSize sizeHint() const override
    {
        const QSize own = QWidget::sizeHint();
        return widthConstraint ? QSize(qRound(widthConstraint->constant()), own.height()) : own;
    }
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // The constraint has set a new width: the row places the box again.
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        if (widthConstraint && event->size().width() != event->oldSize().width() &&
            event->size().width() == qRound(widthConstraint->constant()))
            updateGeometry();
    }
};

VeskButton *iconButton(QWidget *parent, const QString &image, const QString &name)
{
    auto *b = new VeskButton(parent);
    b->setImage(MeetingIcons::image(image, 18));
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setFixedSize(28, 28);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

MeetingBottomButton *toolButton(QWidget *parent, const QString &title, const QString &image, const QString &onImage,
                                MeetingToolBarTag tag)
{
    auto *b = new MeetingBottomButton(title, MeetingIcons::image(image), parent);
    if (!onImage.isEmpty())
        b->setAlternateImage(MeetingIcons::image(onImage));
    b->setAccessibleName(title);
    b->setTag(qint64(tag));
    b->setToggle(true);
    return b;
}

// The small arrow beside a device button that opens its pop-up.
MeetingBottomButton *selectButton(QWidget *parent, const QString &name)
{
    auto *b = new MeetingBottomButton(parent);
    b->setImage(MeetingIcons::image(QStringLiteral("select_arrow"), 14));
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setToggle(true);
    b->setFixedSize(18, 40);
    return b;
}

} // namespace

void MeetingViewController::setupUi(QWidget *root)
{
    eventView = new KVEventView(root);
    eventView->setObjectName(QStringLiteral("eventView"));
    eventView->setResponseSubviewsEvent(true);
    eventView->setAutoSendEventToNext(true);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(eventView);
    setupTopBar(eventView);
    setupMiddleArea(eventView);
    setupBottomBar(eventView);
    // The bars slide out of the window through these two pins; the video area follows them.
    topToolViewTopConstraint = AutoLayout::autoPinEdgeToSuperviewEdge(topView, A::Top);
    AutoLayout::autoPinEdgeToSuperviewEdge(topView, A::Leading);
    AutoLayout::autoPinEdgeToSuperviewEdge(topView, A::Trailing);
    AutoLayout::autoSetDimension(topView, A::Height, kTopBarHeight);
    bottomViewBottomConstraint = AutoLayout::autoPinEdgeToSuperviewEdge(bottomView, A::Bottom);
    AutoLayout::autoPinEdgeToSuperviewEdge(bottomView, A::Leading);
    AutoLayout::autoPinEdgeToSuperviewEdge(bottomView, A::Trailing);
    AutoLayout::autoSetDimension(bottomView, A::Height, kBottomBarHeight);
    videoViewTopConstraint = AutoLayout::autoPinEdge(middleView, A::Top, A::Bottom, topView);
    videoViewBottomConstraint = AutoLayout::autoPinEdge(middleView, A::Bottom, A::Top, bottomView);
    AutoLayout::autoPinEdgeToSuperviewEdge(middleView, A::Leading);
    AutoLayout::autoPinEdgeToSuperviewEdge(middleView, A::Trailing);
    setupOverlays(eventView);
    setupLook(root);
}

void MeetingViewController::setupTopBar(QWidget *parent)
{
    topView = new QWidget(parent);
    topView->setObjectName(QStringLiteral("topView"));
    topView->setFixedHeight(kTopBarHeight);
    auto *topLayout = new QVBoxLayout(topView);
    topLayout->setContentsMargins(0, 0, 0, 0);
    titleView = new QWidget(topView);
    titleView->setObjectName(QStringLiteral("titleView"));
    topLayout->addWidget(titleView);

    auto *row = new QHBoxLayout(titleView);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(8);
    qosShowButton = iconButton(titleView, QStringLiteral("top_signal_status_good"), QStringLiteral("网络状态"));
    qosShowButton->setProperty("imageName", QStringLiteral("top_signal_status_good"));
    KVAccessibility::setValue(qosShowButton,
                              MeetingWindowRules::networkQualityText(QStringLiteral("top_signal_status_good")));
    row->addWidget(qosShowButton);
    row->addStretch(1);

    titleLabel = new KVMeetingIDLabel(titleView);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setFont(vesk::systemFont(14, QFont::Medium));
    titleLabel->setAccessibleName(QStringLiteral("会议名称和会议ID"));
    titleLabel->setToolTip(QStringLiteral("点击复制会议ID"));
    row->addWidget(titleLabel);
    // The title copies the ID; the button beside it copies the whole invitation.
    meetingIdCopyBtn = iconButton(titleView, QStringLiteral("meeting_id_copy"), QStringLiteral("复制会议信息"));
    row->addWidget(meetingIdCopyBtn);
    row->addStretch(1);

    fullScreenBtn = iconButton(titleView, QStringLiteral("full_screen"), QStringLiteral("全屏"));
    row->addWidget(fullScreenBtn);
    endMeetingBtn = new VeskButton(MeetingWindowRules::kEndMeetingTitle, titleView);
    endMeetingBtn->setObjectName(QStringLiteral("endMeetingBtn"));
    endMeetingBtn->setTextColor(vesk::colorWithHexString(QStringLiteral("FF656B")));
    endMeetingBtn->setFont(vesk::systemFont(13));
    endMeetingBtn->setToolTip(MeetingWindowRules::kEndMeetingTitle);
    endMeetingBtn->setFixedHeight(28);
    endMeetingBtn->setMinimumWidth(72);
    vesk::setButtonBordered(endMeetingBtn, vesk::colorWithHexString(QStringLiteral("FF656B")), 1.0);
    vesk::setCornerRadius(endMeetingBtn, 4.0);
    row->addWidget(endMeetingBtn);
}

void MeetingViewController::setupMiddleArea(QWidget *parent)
{
    middleView = new QWidget(parent);
    middleView->setObjectName(QStringLiteral("middleView"));

    // The grid of tiles; the controller puts the real grid in place of this empty document.
    scrollView = new QScrollArea(middleView);
    // A Tab stop (it scrolls from ten tiles on), so it is named.
    scrollView->setAccessibleName(QStringLiteral("成员画面"));
    scrollView->setObjectName(QStringLiteral("scrollView"));
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setWidgetResizable(true);
    videoCollectionView = new QWidget();
    videoCollectionView->setObjectName(QStringLiteral("videoCollectionView"));
    scrollView->setWidget(videoCollectionView);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(scrollView, {0, 0, kChatRowHeight, 0});

    noPeopleTipView = new QLabel(QStringLiteral("暂无其他成员"), middleView);
    noPeopleTipView->setObjectName(QStringLiteral("noPeopleTipView"));
    static_cast<QLabel *>(noPeopleTipView.data())->setAlignment(Qt::AlignCenter);
    noPeopleTipView->setStyleSheet(QStringLiteral("color: #8E8E93; font-size: 14px;"));
    AutoLayout::autoCenterInSuperview(noPeopleTipView);

    // The member strip at the right edge, beside a screen share and beside a shared file alike;
    // its width is 0 while it has no tiles.
    verticalShowScrollView = new QScrollArea(middleView);
    verticalShowScrollView->setObjectName(QStringLiteral("verticalShowScrollView"));
    verticalShowScrollView->setFrameShape(QFrame::NoFrame);
    // A Tab stop beside the share, so it is named as the grid is.
    verticalShowScrollView->setAccessibleName(QStringLiteral("成员画面"));
    verticalShowScrollView->setWidgetResizable(true);
    // A column as wide as its tiles: it scrolls down only.
    verticalShowScrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalShowCollectionView = new QWidget();
    verticalShowCollectionView->setObjectName(QStringLiteral("verticalShowCollectionView"));
    new QVBoxLayout(verticalShowCollectionView);
    verticalShowScrollView->setWidget(verticalShowCollectionView);
    AutoLayout::autoPinEdgeToSuperviewEdge(verticalShowScrollView, A::Top, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(verticalShowScrollView, A::Bottom, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(verticalShowScrollView, A::Trailing, 0);
    verticalShowCollectionViewWidthConstraint = AutoLayout::autoSetDimension(verticalShowScrollView, A::Width, 0);
    verticalShowScrollView->hide();

    // Another's screen share, left of the strip.
    screenShareRenderView = new KRTCVideoView(middleView);
    screenShareRenderView->setObjectName(QStringLiteral("screenShareRenderView"));
    // Another's shared screen is read as a picture, named by its sharer while it shows.
    KVAccessibility::setRole(screenShareRenderView, QAccessible::Graphic);
    screenShareRenderView->setAccessibleName(QStringLiteral("屏幕共享"));
    AutoLayout::autoPinEdgeToSuperviewEdge(screenShareRenderView, A::Top, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(screenShareRenderView, A::Bottom, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(screenShareRenderView, A::Leading, 0);
    AutoLayout::autoPinEdge(screenShareRenderView, A::Trailing, A::Leading, verticalShowScrollView, 0);
    screenShareRenderView->hide();

    // Share display: document pages or a shared audio/video file, left of the strip.
    shareShowBKView = new QWidget(middleView);
    shareShowBKView->setObjectName(QStringLiteral("shareShowBKView"));
    AutoLayout::autoPinEdgeToSuperviewEdge(shareShowBKView, A::Top, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(shareShowBKView, A::Bottom, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(shareShowBKView, A::Leading, 0);
    AutoLayout::autoPinEdge(shareShowBKView, A::Trailing, A::Leading, verticalShowScrollView, 0);
    shareShowBKView->hide();
    // Over the share views, which are made after it.
    verticalShowScrollView->raise();

    fileSharePanelBKView = new QWidget(shareShowBKView);
    fileSharePanelBKView->setObjectName(QStringLiteral("fileSharePanelBKView"));
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(fileSharePanelBKView);

    fileShareScrollView = new MacDisableScrollView(fileSharePanelBKView);
    fileShareScrollView->setObjectName(QStringLiteral("fileShareScrollView"));
    fileShareScrollView->setFrameShape(QFrame::NoFrame);
    fileShareScrollView->setWidgetResizable(true);
    fileShareCollectionView = new QWidget();
    fileShareCollectionView->setObjectName(QStringLiteral("fileShareCollectionView"));
    new QVBoxLayout(fileShareCollectionView);
    fileShareScrollView->setWidget(fileShareCollectionView);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(fileShareScrollView);

    avFileShareRenderView = new KRTCVideoView(fileSharePanelBKView);
    avFileShareRenderView->setObjectName(QStringLiteral("avFileShareRenderView"));
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(avFileShareRenderView);
    avFileShareRenderView->hide();

    audioAnimationBKView = new QWidget(fileSharePanelBKView);
    audioAnimationBKView->setObjectName(QStringLiteral("audioAnimationBKView"));
    audioAnimationBorderImageView = new QLabel(audioAnimationBKView);
    audioAnimationContentImageView = new QLabel(audioAnimationBKView);
    AutoLayout::autoSetDimensionsToSize(audioAnimationBKView, QSizeF(336, 329));
    AutoLayout::autoCenterInSuperview(audioAnimationBKView);
    audioAnimationBKView->hide();

    avFileSharePlayButton = new VeskButton(fileSharePanelBKView);
    avFileSharePlayButton->setObjectName(QStringLiteral("avFileSharePlayButton"));
    avFileSharePlayButton->setImage(MeetingIcons::image(QStringLiteral("av_file_play"), 48));
    avFileSharePlayButton->setAccessibleName(QStringLiteral("播放"));
    avFileSharePlayButton->setToolTip(QStringLiteral("播放"));
    avFileSharePlayButton->setToggle(true);
    AutoLayout::autoSetDimensionsToSize(avFileSharePlayButton, QSizeF(100, 100));
    AutoLayout::autoCenterInSuperview(avFileSharePlayButton);
    avFileSharePlayButton->hide();

    avFileShareSliderBKView = new QWidget(fileSharePanelBKView);
    avFileShareSliderBKView->setObjectName(QStringLiteral("avFileShareSliderBKView"));
    auto *sliderRow = new QHBoxLayout(avFileShareSliderBKView);
    sliderRow->setContentsMargins(12, 4, 12, 4);
    avFileShareCurrentTime = new QLabel(QStringLiteral("00:00"), avFileShareSliderBKView);
    avFileShareSlider = new MacSliderCell(avFileShareSliderBKView);
    avFileShareSlider->setAccessibleName(QStringLiteral("播放进度"));
    avFileShareSlider->setToolTip(QStringLiteral("播放进度"));
    customSliderCell = avFileShareSlider;
    avFileShareTotalTime = new QLabel(QStringLiteral("00:00"), avFileShareSliderBKView);
    for (QLabel *l : {avFileShareCurrentTime.data(), avFileShareTotalTime.data()})
        l->setStyleSheet(QStringLiteral("color: white;"));
    sliderRow->addWidget(avFileShareCurrentTime);
    sliderRow->addWidget(avFileShareSlider, 1);
    sliderRow->addWidget(avFileShareTotalTime);
    AutoLayout::autoPinEdgeToSuperviewEdge(avFileShareSliderBKView, A::Leading, 40);
    AutoLayout::autoPinEdgeToSuperviewEdge(avFileShareSliderBKView, A::Trailing, 40);
    // Above the chat input's row, which runs over the share as over the grid.
    AutoLayout::autoPinEdgeToSuperviewEdge(avFileShareSliderBKView, A::Bottom, kChatRowHeight);
    AutoLayout::autoSetDimension(avFileShareSliderBKView, A::Height, 36);
    avFileShareSliderBKView->hide();
}

void MeetingViewController::setupBottomBar(QWidget *parent)
{
    bottomView = new QWidget(parent);
    bottomView->setObjectName(QStringLiteral("bottomView"));
    bottomView->setFixedHeight(kBottomBarHeight);
    auto *row = new QHBoxLayout(bottomView);
    row->setContentsMargins(16, 6, 16, 6);
    row->addStretch(1);

    toolBarMiddleView = new QWidget(bottomView);
    toolBarMiddleView->setObjectName(QStringLiteral("toolBarMiddleView"));
    auto *tools = new QHBoxLayout(toolBarMiddleView);
    tools->setContentsMargins(8, 0, 8, 0);
    tools->setSpacing(6);

    microphoneBtn = toolButton(toolBarMiddleView, QStringLiteral("麦克风"), QStringLiteral("toolbar_mic_off"),
                               QStringLiteral("toolbar_mic_on"), MeetingToolBarTag::Microphone);
    selectMicrophoneBtn = selectButton(toolBarMiddleView, QStringLiteral("选择麦克风"));
    cameraBtn = toolButton(toolBarMiddleView, QStringLiteral("摄像头"), QStringLiteral("toolbar_camera_off"),
                           QStringLiteral("toolbar_camera_on"), MeetingToolBarTag::Camera);
    selectCameraBtn = selectButton(toolBarMiddleView, QStringLiteral("选择摄像头"));
    speakerBtn = toolButton(toolBarMiddleView, QStringLiteral("扬声器"), QStringLiteral("toolbar_speaker_off"),
                            QStringLiteral("toolbar_speaker_on"), MeetingToolBarTag::Speaker);
    selectSpeakerBtn = selectButton(toolBarMiddleView, QStringLiteral("选择扬声器"));
    // The share button and the arrow of the room's shared files, in a box as wide as what shows in
    // it: the arrow's width comes and goes with it (bottomSareContainerViewWidthConst).
    auto *shareBoxView = new ConstrainedBox(toolBarMiddleView);
    shareBoxView->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    bottomSareContainerView = shareBoxView;
    bottomSareContainerView->setObjectName(QStringLiteral("bottomSareContainerView"));
    auto *shareBox = new QHBoxLayout(bottomSareContainerView);
    shareBox->setContentsMargins(0, 0, 0, 0);
    shareBox->setSpacing(0);
    shareBtn = toolButton(bottomSareContainerView, QStringLiteral("共享屏幕"), QStringLiteral("toolbar_share"),
                          QString(), MeetingToolBarTag::Share);
    shareBtn->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    shareBox->addWidget(shareBtn, 1);
    // Ends the share on show; shown while the user may end it.
    finishShareBtn = new VeskButton(QStringLiteral("结束共享"), toolBarMiddleView);
    finishShareBtn->setObjectName(QStringLiteral("finishShareBtn"));
    finishShareBtn->setTextColor(Qt::white);
    finishShareBtn->setFont(vesk::systemFont(13));
    finishShareBtn->setFixedSize(72, 28);
    VeskLayer::of(finishShareBtn)->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("FF656B")));
    VeskLayer::of(finishShareBtn)->setCornerRadius(4);
    finishShareBtn->hide();
    memberListBtnBKView = new QWidget(toolBarMiddleView);
    memberListBtnBKView->setObjectName(QStringLiteral("memberListBtnBKView"));
    memberListBtn = toolButton(memberListBtnBKView, QStringLiteral("成员"), QStringLiteral("toolbar_members"),
                               QString(), MeetingToolBarTag::MemberList);
    auto *memberBox = new QHBoxLayout(memberListBtnBKView);
    memberBox->setContentsMargins(0, 0, 0, 0);
    memberBox->addWidget(memberListBtn);
    memberLabel = new QLabel(memberListBtnBKView);
    memberLabel->setObjectName(QStringLiteral("memberLabel"));
    memberLabel->setAlignment(Qt::AlignCenter);
    memberLabel->setFont(vesk::systemFont(10));
    memberLabel->setStyleSheet(QStringLiteral("color: #111111;"));
    AutoLayout::autoSetDimensionsToSize(memberLabel, QSizeF(22, 15));
    AutoLayout::autoPinEdgeToSuperviewEdge(memberLabel, A::Top, 2);
    AutoLayout::autoPinEdgeToSuperviewEdge(memberLabel, A::Trailing, 0);
    memberBtnRedDot = new KVFlatView(memberListBtnBKView);
    memberBtnRedDot->setObjectName(QStringLiteral("memberBtnRedDot"));
    memberBtnRedDot->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("FF3B30")));
    memberBtnRedDot->setCornerRadius(4);
    AutoLayout::autoSetDimensionsToSize(memberBtnRedDot, QSizeF(8, 8));
    AutoLayout::autoPinEdgeToSuperviewEdge(memberBtnRedDot, A::Top, 4);
    AutoLayout::autoPinEdgeToSuperviewEdge(memberBtnRedDot, A::Leading, 8);
    memberBtnRedDot->hide();
    KVAccessibility::setMark(memberListBtn, memberBtnRedDot, QStringLiteral("有人等候"));
    recordButton = toolButton(toolBarMiddleView, QStringLiteral("录制"), QStringLiteral("toolbar_record"), QString(),
                              MeetingToolBarTag::Record);
    selectRecordBtn = selectButton(toolBarMiddleView, QStringLiteral("截图和本地录制"));
    selectSubtitiletn = toolButton(toolBarMiddleView, QStringLiteral("字幕"), QStringLiteral("toolbar_subtitle"),
                                   QString(), MeetingToolBarTag::Subtitle);
    subtitleSettingBtn = selectButton(toolBarMiddleView, QStringLiteral("字幕设置"));
    applicationBtn = toolButton(toolBarMiddleView, QStringLiteral("应用"), QStringLiteral("toolbar_application"),
                                QString(), MeetingToolBarTag::Application);
    settingPageBtn = toolButton(toolBarMiddleView, QStringLiteral("设置"), QStringLiteral("toolbar_setting"), QString(),
                                MeetingToolBarTag::SettingPage);
    selectFileShareSwitchBtn = selectButton(bottomSareContainerView, QStringLiteral("切换共享文件"));
    selectFileShareSwitchBtn->setFixedWidth(MeetingWindowRules::kShareBoxWithArrow - MeetingWindowRules::kShareBox);
    selectFileShareSwitchBtn->hide();
    shareBox->addWidget(selectFileShareSwitchBtn);
    bottomSareContainerViewWidthConst =
        AutoLayout::autoSetDimension(bottomSareContainerView, A::Width, MeetingWindowRules::kShareBox);
    shareBoxView->widthConstraint = bottomSareContainerViewWidthConst;

    // The share arrow sits beside the share buttons; Tab follows the bar from left to right.
    QWidget *previous = nullptr;
    for (QWidget *w :
         {static_cast<QWidget *>(microphoneBtn.data()), static_cast<QWidget *>(selectMicrophoneBtn.data()),
          static_cast<QWidget *>(cameraBtn.data()), static_cast<QWidget *>(selectCameraBtn.data()),
          static_cast<QWidget *>(speakerBtn.data()), static_cast<QWidget *>(selectSpeakerBtn.data()),
          static_cast<QWidget *>(bottomSareContainerView.data()), static_cast<QWidget *>(finishShareBtn.data()),
          static_cast<QWidget *>(memberListBtnBKView.data()), static_cast<QWidget *>(recordButton.data()),
          static_cast<QWidget *>(selectRecordBtn.data()), static_cast<QWidget *>(selectSubtitiletn.data()),
          static_cast<QWidget *>(subtitleSettingBtn.data()), static_cast<QWidget *>(applicationBtn.data()),
          static_cast<QWidget *>(settingPageBtn.data())}) {
        tools->addWidget(w);
        QList<QWidget *> stops{w};
        if (w == memberListBtnBKView)
            stops = {memberListBtn};
        else if (w == bottomSareContainerView)
            stops = {shareBtn, selectFileShareSwitchBtn};
        for (QWidget *stop : stops) {
            if (previous)
                QWidget::setTabOrder(previous, stop);
            previous = stop;
        }
    }

    row->addWidget(toolBarMiddleView);
    row->addStretch(1);

    // The cloud-recording mark, at the bar's left end while the service records.
    recordingTipContainer = new QWidget(bottomView);
    recordingTipContainer->setObjectName(QStringLiteral("recordingTipContainer"));
    recordingTipContainer->setAccessibleName(QStringLiteral("云录制中"));
    recordingTipContainer->setFixedSize(92, 28);
    auto *mark = new QHBoxLayout(recordingTipContainer);
    mark->setContentsMargins(10, 0, 0, 0);
    mark->setSpacing(6);
    auto *dot = new QLabel(recordingTipContainer);
    dot->setPixmap(MeetingIcons::image(QStringLiteral("recording_dot"), 12));
    auto *recordingText = new QLabel(QStringLiteral("录制中"), recordingTipContainer);
    recordingText->setFont(vesk::systemFont(12));
    recordingText->setStyleSheet(QStringLiteral("color: white;"));
    recordingTipLine = new QWidget(recordingTipContainer);
    recordingTipLine->setObjectName(QStringLiteral("recordingTipLine"));
    recordingTipLine->setFixedSize(1, 16);
    mark->addWidget(dot);
    mark->addWidget(recordingText);
    mark->addStretch(1);
    mark->addWidget(recordingTipLine);
    AutoLayout::autoPinEdgeToSuperviewEdge(recordingTipContainer, A::Leading, 16);
    AutoLayout::autoAlignAxisToSuperviewAxis(recordingTipContainer, A::CenterY);
    recordingTipContainer->hide();

    leaveRoomButton = new VeskButton(QStringLiteral("离开会议"), bottomView);
    leaveRoomButton->setObjectName(QStringLiteral("leaveRoomButton"));
    leaveRoomButton->setTextColor(vesk::colorWithHexString(QStringLiteral("FF656B")));
    leaveRoomButton->setFont(vesk::systemFont(14));
    leaveRoomButton->setToolTip(QStringLiteral("离开会议"));
    leaveRoomButton->setFixedSize(96, 36);
    row->addWidget(leaveRoomButton);
}

void MeetingViewController::setupOverlays(QWidget *root)
{
    // Subtitles: centred above the chat input (pinned to it below).
    subtitleBKView = new QWidget(root);
    subtitleBKView->setObjectName(QStringLiteral("subtitleBKView"));
    subtitileScrollView = new QScrollArea(subtitleBKView);
    subtitileScrollView->setFrameShape(QFrame::NoFrame);
    subtitileScrollView->setWidgetResizable(true);
    subtitleClipView = subtitileScrollView->viewport();
    subtitileTextView = new QTextEdit();
    subtitileTextView->setObjectName(QStringLiteral("subtitileTextView"));
    subtitileTextView->setReadOnly(true);
    subtitileTextView->setFrameShape(QFrame::NoFrame);
    subtitileTextView->setAccessibleName(QStringLiteral("字幕"));
    subtitileScrollView->setWidget(subtitileTextView);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(subtitileScrollView, {8, 12, 8, 12});
    AutoLayout::autoAlignAxisToSuperviewAxis(subtitleBKView, A::CenterX);
    subtitleTextViewWidth = AutoLayout::autoSetDimension(subtitleBKView, A::Width, 800);
    subtitleTextViewHeight = AutoLayout::autoSetDimension(subtitleBKView, A::Height, 72);

    // Chat: the lines in the lower left, the input under them.
    // Registered by MeetingPanels::registerPanels.
    IMView = vesk::loadViewFromNibWithName<IMDisplayView>(QStringLiteral("IMDisplayView"));
    IMView->setParent(root);
    IMChatTextView = new VeskTextView(root);
    IMChatTextView->setObjectName(QStringLiteral("IMChatTextView"));
    IMChatTextView->setAccessibleName(QStringLiteral("聊天输入"));
    IMChatTextView->setToolTip(QStringLiteral("聊天输入"));
    IMChatTextView->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: rgba(0,0,0,0.4); color: #F2F2F7; border-radius: 4px; }"));
    // One line that scrolls with the cursor: no bar of its own over the window.
    IMChatTextView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    IMChatTextView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AutoLayout::autoPinEdgeToSuperviewEdge(IMChatTextView, A::Leading, 16);
    // In the row under the grid, which follows the tool bar as it hides.
    AutoLayout::autoPinEdge(IMChatTextView, A::Bottom, A::Bottom, middleView, -kChatInputGap);
    AutoLayout::autoSetDimension(IMChatTextView, A::Height, kChatInputHeight);
    imInputViewWidthConst =
        AutoLayout::autoSetDimension(IMChatTextView, A::Width, MeetingWindowSizing::kImInputMaxWidth);
    IMChatEnableButton = new VeskButton(QStringLiteral("全员禁言"), root);
    IMChatEnableButton->setObjectName(QStringLiteral("IMChatEnableButton"));
    IMChatEnableButton->setToggle(true);
    IMChatEnableButton->setFont(vesk::systemFont(12));
    IMChatEnableButton->setTextColor(vesk::colorWithHexString(kToolBarTitleColor));
    IMChatEnableButton->setAlternateTextColor(vesk::colorWithHexString(kToolBarOnColor));
    IMChatEnableButton->setToolTip(QStringLiteral("全员禁言"));
    AutoLayout::autoPinEdge(IMChatEnableButton, A::Leading, A::Trailing, IMChatTextView, 8);
    AutoLayout::autoAlignAxis(IMChatEnableButton, A::CenterY, IMChatTextView);
    AutoLayout::autoPinEdge(subtitleBKView, A::Bottom, A::Top, IMChatTextView, -16);
    // The lines stand on the input; the overlay places itself (layoutSelf) clear of the tiles' names.
    IMView->setAnchorView(IMChatTextView);
    IMView->layoutSelfBottom(-8);

    // Waiting room: covers everything under the title bar.
    waitingRoomBKView = new QWidget(root);
    waitingRoomBKView->setObjectName(QStringLiteral("waitingRoomBKView"));
    auto *cover = new QVBoxLayout(waitingRoomBKView);
    cover->addStretch(1);
    auto *waitText = new QLabel(QStringLiteral("请稍候，主持人即将允许您入会"), waitingRoomBKView);
    waitText->setObjectName(QStringLiteral("waitingRoomText"));
    waitText->setAlignment(Qt::AlignCenter);
    waitText->setFont(vesk::systemFont(18));
    waitText->setStyleSheet(QStringLiteral("color: #F2F2F7;"));
    cover->addWidget(waitText);
    cover->addSpacing(24);
    exitWaitingRoomBtn = new VeskButton(MeetingWindowRules::kExitWaitingRoomTitle, waitingRoomBKView);
    exitWaitingRoomBtn->setObjectName(QStringLiteral("exitWaitingRoomBtn"));
    exitWaitingRoomBtn->setFixedSize(120, 36);
    exitWaitingRoomBtn->setToolTip(MeetingWindowRules::kExitWaitingRoomTitle);
    cover->addWidget(exitWaitingRoomBtn, 0, Qt::AlignHCenter);
    cover->addStretch(1);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(waitingRoomBKView, {double(kTopBarHeight), 0, 0, 0});
    waitingRoomBKView->hide();
}

void MeetingViewController::setupLook(QWidget *root)
{
    avFileShareRenderView->setAttribute(Qt::WA_StyledBackground, true);
    vesk::setBackgroundColor(root, vesk::colorWithHexString(QStringLiteral("#222222")));
    vesk::setBackgroundColor(topView, Qt::transparent);
    vesk::setBackgroundColor(titleView, vesk::colorWithHexString(QStringLiteral("#232527")));
    vesk::setBackgroundColor(bottomView, vesk::colorWithHexString(QStringLiteral("#111111"), 0.8));
    vesk::setBackgroundColor(toolBarMiddleView, vesk::colorWithHexString(QStringLiteral("#111111"), 0.8));
    vesk::setBackgroundColor(leaveRoomButton, vesk::colorWithHexString(QStringLiteral("000000"), 0.16));
    vesk::setCornerRadius(leaveRoomButton, 3.0);
    for (QWidget *w :
         {static_cast<QWidget *>(scrollView.data()), videoCollectionView.data(), verticalShowCollectionView.data(),
          static_cast<QWidget *>(verticalShowScrollView.data()), memberListBtnBKView.data()})
        vesk::setBackgroundColor(w, Qt::transparent);
    scrollView->viewport()->setAutoFillBackground(false);
    vesk::setBackgroundColor(memberLabel, Qt::white);
    vesk::setCornerRadius(memberLabel, 7.5);
    memberLabel->hide();

    subtitileScrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vesk::setBackgroundColor(subtitileScrollView, Qt::transparent);
    subtitileScrollView->viewport()->setAutoFillBackground(false);
    vesk::setCornerRadius(subtitleBKView, 8.0);
    vesk::setBackgroundColor(subtitleBKView, QColor::fromRgbF(34 / 255.0, 34 / 255.0, 34 / 255.0, 0.5));
    subtitileTextView->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; color: white; }"));
    subtitleBKView->hide();

    vesk::setBackgroundColor(verticalShowScrollView, vesk::colorWithHexString(QStringLiteral("#191919")));
    vesk::setBackgroundColor(verticalShowCollectionView, vesk::colorWithHexString(QStringLiteral("#FFFFFF"), 0));
    vesk::setBackgroundColor(shareShowBKView, vesk::colorWithHexString(QStringLiteral("#191919")));

    for (MeetingBottomButton *b : {selectFileShareSwitchBtn.data(), selectSubtitiletn.data(), selectSpeakerBtn.data(),
                                   selectMicrophoneBtn.data(), selectCameraBtn.data()})
        b->setCoverExtendedSize(0.0);
    customSliderCell->setNormalKnobImage(MeetingIcons::image(QStringLiteral("btn_progress_ctrl_nor"), 16));
    customSliderCell->setDraggingKnobImage(MeetingIcons::image(QStringLiteral("btn_progress_ctrl_hover"), 16));
    avFileShareSlider->setProgressColor(vesk::colorWithHexString(QStringLiteral("#007AFF")));
    vesk::setBackgroundColor(avFileShareSliderBKView, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.7));
    vesk::setCornerRadius(avFileShareSliderBKView, 8.0);
    vesk::setCornerRadius(avFileSharePlayButton, 50.0);
    vesk::setBackgroundColor(avFileSharePlayButton, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.7));
    vesk::setBackgroundColor(audioAnimationBKView, Qt::transparent);
    vesk::setBackgroundColor(recordingTipContainer, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.7));
    vesk::setCornerRadius(recordingTipContainer, 2.0);
    vesk::setBackgroundColor(recordingTipLine, vesk::colorWithHexString(QStringLiteral("#323338")));

    // The user's name over every share, above the share's own views.
    watermarkView = new KVMacWatermarkView(shareShowBKView);
    watermarkView->setObjectName(QStringLiteral("watermark"));
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(watermarkView);
    watermarkView->raise();
}

} // namespace Ui
