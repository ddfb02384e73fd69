#include "meeting/panels/ApplicationView.h"

#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/PanelIcons.h"
#include "meeting/panels/PanelViews.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>

using namespace std::chrono_literals;

namespace {

constexpr auto kReopenDelay = 50ms;
constexpr int kTileWidth = 50;
constexpr int kArrowSide = 20;
constexpr int kBottomAboveSuperview = 70;
constexpr int kHostCenterOffset = 30;
constexpr int kSubPanelGap = 6;
constexpr int kShareViewWidth = 150;
constexpr int kShareViewHeight = 44;
const QString kPanelColour = QStringLiteral("#3D3E44");
const QString kSubPanelColour = QStringLiteral("#37383D");
const QString kOnColour = QStringLiteral("#007AFF");

struct TileNames {
    const char *off;
    const char *on;
};
constexpr TileNames kTileImages[] = {
    {"countdown_nor", "countdown_on"}, {"transcribe", "transcribe_on"}, {"headset", "headset_blue"}};

QWidget *tile(QWidget *parent, const QString &title, QPointer<VeskButton> &button, QPointer<QLabel> &image,
              QPointer<QLabel> &label)
{
    auto *bk = new QWidget(parent);
    bk->resize(kTileWidth, ApplicationView::kHeight);
    image = new QLabel(bk);
    image->setGeometry((kTileWidth - 24) / 2, 9, 24, 24);
    label = new QLabel(title, bk);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(vesk::systemFont(11));
    label->setGeometry(0, 36, kTileWidth, 16);
    // The button lies over the image and the title and takes the clicks.
    button = new VeskButton(bk);
    button->setToggle(true);
    button->setAccessibleName(title);
    button->setToolTip(title);
    button->setGeometry(0, 0, kTileWidth, ApplicationView::kHeight);
    return bk;
}

MeetingBottomButton *arrow(QWidget *parent, const QString &name)
{
    auto *button = new MeetingBottomButton(parent);
    button->setToggle(true);
    button->setImage(PanelIcons::image(QStringLiteral("panel_arrow_up"), 16));
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setCovered(false);
    button->setCoverColor(Qt::transparent);
    button->setCoverExtendedSize(0);
    button->resize(kArrowSide, kArrowSide);
    vesk::setBackgroundColor(button, vesk::colorWithHexString(kPanelColour));
    return button;
}

} // namespace

ApplicationView::ApplicationView(QWidget *parent) : QWidget(parent), m_services(ApplicationServices::meeting())
{
    setObjectName(QStringLiteral("ApplicationView"));
    setAccessibleName(QStringLiteral("应用"));
    resize(kHostWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(kPanelColour));
    vesk::setCornerRadius(this, 3.0);

    bkView1 = tile(this, QStringLiteral("倒计时"), counDownButton, coundownImageView, countDownLabel);
    bkview2 = tile(this, QStringLiteral("实时转录"), transcriptionButton, transcriptionImageView, transcriptionLabel);
    bkView3 = tile(this, QStringLiteral("仅音频"), onlyAudioButton, onlyAudioImageView, onlyAudioLabel);
    rightMoreButton = arrow(this, QStringLiteral("会议记录设置"));
    allowScreenShareButton = arrow(this, QStringLiteral("仅音频设置"));
    for (int t : {CountDownTile, TranscriptionTile, OnlyAudioTile})
        setTileLook(t, false);

    connect(counDownButton, &VeskButton::clicked, this, [this] { countDownAction(counDownButton); });
    connect(transcriptionButton, &VeskButton::clicked, this, [this] { transcriptionAction(transcriptionButton); });
    connect(onlyAudioButton, &VeskButton::clicked, this, [this] { onlyAudioAction(onlyAudioButton); });
    // A sub-panel the user opens takes the focus; Escape closes it and goes back to its arrow.
    connect(rightMoreButton, &VeskButton::clicked, this, [this] {
        allowMemberViewRecordAction(rightMoreButton);
        if (rightMoreButton->state() == 1)
            KVPanelFocus::openedBy(m_allowMeetingRecordView, rightMoreButton);
    });
    connect(allowScreenShareButton, &VeskButton::clicked, this, [this] {
        allowScreenShareViewAction(allowScreenShareButton);
        if (allowScreenShareButton->state() == 1)
            KVPanelFocus::openedBy(m_allowScreenShareView, allowScreenShareButton);
    });

    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("TranscriptionViewHidden"),
        [this](const Notification &) { MainQueue::safe(this, [this] { transcriptionViewHidden(); }); });
    placeTiles();
}

ApplicationView::~ApplicationView()
{
    // The sub-panels live in the window beside the panel; they are the panel's all the same.
    delete m_allowMeetingRecordView.data();
    delete m_allowScreenShareView.data();
}

void ApplicationView::setServices(std::shared_ptr<ApplicationServices> services)
{
    if (services)
        m_services = std::move(services);
}

void ApplicationView::placeTiles()
{
    const int transcriptionX = m_hostLayout ? 64 : 5;
    const int onlyAudioGap = m_hostLayout ? 30 : 14;
    bkView1->move(9, 0);
    bkview2->move(transcriptionX, 0);
    bkView3->move(transcriptionX + kTileWidth + onlyAudioGap, 0);
    rightMoreButton->move(transcriptionX + kTileWidth + 2, (kHeight - kArrowSide) / 2);
    allowScreenShareButton->move(bkView3->x() + kTileWidth + 2, (kHeight - kArrowSide) / 2);
    bkView1->setVisible(m_hostLayout);
    rightMoreButton->setVisible(m_hostLayout);
}

void ApplicationView::layoutSelfWithView(QWidget *button)
{
    QWidget *superview = parentWidget();
    if (!superview || !button)
        return;
    AutoLayout::removeConstraints(this);
    m_hostLayout = m_services->isPrivileged();
    // The sub-panels open again 0.05 s later, as their arrows say.
    for (QWidget *sub : {static_cast<QWidget *>(m_allowMeetingRecordView.data()), m_allowScreenShareView.data()}) {
        if (sub)
            sub->hide();
    }
    placeTiles();
    QPointer<ApplicationView> self(this);
    auto pin = [&](QWidget *sub, QWidget *leftOf, const QSizeF &size) {
        if (sub->parentWidget() != superview)
            sub->setParent(superview);
        AutoLayout::removeConstraints(sub);
        AutoLayout::autoPinEdge(sub, AutoLayout::Attribute::Left, AutoLayout::Attribute::Left, leftOf);
        AutoLayout::autoPinEdge(sub, AutoLayout::Attribute::Bottom, AutoLayout::Attribute::Top, this, -kSubPanelGap);
        return AutoLayout::autoSetDimensionsToSize(sub, size);
    };
    if (m_hostLayout) {
        AutoLayout::autoSetDimensionsToSize(this, QSizeF(kHostWidth, kHeight));
        AutoLayout::autoPinEdgeToSuperviewEdge(this, AutoLayout::Attribute::Bottom, kBottomAboveSuperview);
        AutoLayout::autoAlignAxis(this, AutoLayout::Attribute::CenterX, button, kHostCenterOffset);
        MeetingRecordSwitchView *record = allowMeetingRecordView();
        const int height = m_services->openTranslateText() != 0 ? MeetingRecordSwitchView::kOpenHeight
                                                                : MeetingRecordSwitchView::kClosedHeight;
        const QList<KVLayoutConstraint *> size = pin(record, this, QSizeF(MeetingRecordSwitchView::kWidth, height));
        layoutConstraintHeight = size.size() > 1 ? size.at(1) : nullptr;
        record->raise();
        KVTimer::singleShot(this, kReopenDelay, [self] {
            if (self && self->parentWidget())
                self->allowMemberViewRecordAction(self->rightMoreButton);
        });
    } else {
        AutoLayout::autoSetDimensionsToSize(this, QSizeF(kMemberWidth, kHeight));
        AutoLayout::autoPinEdgeToSuperviewEdge(this, AutoLayout::Attribute::Bottom, kBottomAboveSuperview);
        AutoLayout::autoAlignAxis(this, AutoLayout::Attribute::CenterX, button);
    }
    QWidget *share = allowScreenShareView();
    pin(share, bkView3, QSizeF(kShareViewWidth, kShareViewHeight));
    share->raise();
    KVTimer::singleShot(this, kReopenDelay, [self] {
        if (self && self->parentWidget())
            self->allowScreenShareViewAction(self->allowScreenShareButton);
    });
}

void ApplicationView::setTileLook(int tile, bool on)
{
    QLabel *image = nullptr;
    QLabel *label = nullptr;
    switch (tile) {
    case CountDownTile:
        image = coundownImageView;
        label = countDownLabel;
        break;
    case TranscriptionTile:
        image = transcriptionImageView;
        label = transcriptionLabel;
        break;
    case OnlyAudioTile:
        image = onlyAudioImageView;
        label = onlyAudioLabel;
        break;
    default:
        return;
    }
    const QString name = QString::fromLatin1(on ? kTileImages[tile].on : kTileImages[tile].off);
    image->setPixmap(PanelIcons::image(name, 24));
    image->setProperty("imageName", name);
    label->setStyleSheet(on ? QStringLiteral("color: %1;").arg(kOnColour) : QStringLiteral("color: white;"));
}

QString ApplicationView::imageNameOf(int tile) const
{
    const QLabel *image = tile == CountDownTile       ? coundownImageView.data()
                          : tile == TranscriptionTile ? transcriptionImageView.data()
                          : tile == OnlyAudioTile     ? onlyAudioImageView.data()
                                                      : nullptr;
    return image ? image->property("imageName").toString() : QString();
}

void ApplicationView::countDownAction(VeskButton *sender)
{
    const bool on = sender && sender->state() != 0;
    setTileLook(CountDownTile, on);
    if (countDownActionBlock)
        countDownActionBlock(on);
}

void ApplicationView::transcriptionAction(VeskButton *sender)
{
    if (!sender)
        return;
    const char *refusal = m_services->openTranslateText() == 0      ? "主持人已关闭会议记录"
                          : m_services->roomTranscribeStatus() == 0 ? "主持人已关闭实时转录"
                                                                    : nullptr;
    if (refusal) {
        VeskToast::showToastInMeeting(QString::fromUtf8(refusal));
        // Refused: the tile stays as it was, so the next click asks for the same again.
        sender->setState(sender->state() == 1 ? 0 : 1);
        return;
    }
    const bool on = sender->state() != 0;
    setTileLook(TranscriptionTile, on);
    if (transcriptionActionBlock)
        transcriptionActionBlock(on);
}

void ApplicationView::onlyAudioAction(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    setTileLook(OnlyAudioTile, on);
    m_services->useOnlyAudioMode(on);
    if (allowScreenShareActionBlock)
        allowScreenShareActionBlock(on);
}

void ApplicationView::setArrowOpen(MeetingBottomButton *arrowButton, QWidget *subPanel, bool open)
{
    if (arrowButton)
        vesk::setBackgroundColor(arrowButton, open ? QColor(Qt::black) : vesk::colorWithHexString(kPanelColour));
    if (subPanel)
        subPanel->setVisible(open);
}

void ApplicationView::allowMemberViewRecordAction(VeskButton *sender)
{
    const bool open = sender && sender->state() == 1;
    if (open)
        hideAllOverViewsExceptView(allowMeetingRecordView());
    setArrowOpen(rightMoreButton, allowMeetingRecordView(), open);
    if (open)
        allowMeetingRecordView()->raise();
}

void ApplicationView::allowScreenShareViewAction(VeskButton *sender)
{
    const bool open = sender && sender->state() == 1;
    if (open)
        hideAllOverViewsExceptView(allowScreenShareView());
    setArrowOpen(allowScreenShareButton, allowScreenShareView(), open);
    if (open)
        allowScreenShareView()->raise();
}

void ApplicationView::hideAllOverViewsExceptView(QWidget *view)
{
    const std::pair<MeetingBottomButton *, QWidget *> subPanels[] = {
        {rightMoreButton, m_allowMeetingRecordView},
        {allowScreenShareButton, m_allowScreenShareView},
    };
    for (const auto &[arrowButton, subPanel] : subPanels) {
        if (subPanel == view)
            continue;
        if (arrowButton)
            arrowButton->setState(0);
        setArrowOpen(arrowButton, subPanel, false);
    }
}

MeetingRecordSwitchView *ApplicationView::allowMeetingRecordView()
{
    if (!m_allowMeetingRecordView) {
        m_allowMeetingRecordView = new MeetingRecordSwitchView(this);
        m_allowMeetingRecordView->hide();
        m_allowMeetingRecordView->checkButtonClicked = [this](VeskButton *box) { checkButtonClicked(box); };
    }
    // Each look at it brings it up to date with the room.
    MainQueue::async(this, [this] { refreshRecordViewFromRoom(); });
    return m_allowMeetingRecordView;
}

void ApplicationView::refreshRecordViewFromRoom()
{
    if (!m_allowMeetingRecordView)
        return;
    const bool record = m_services->openTranslateText() != 0;
    if (layoutConstraintHeight)
        layoutConstraintHeight->setConstant(record ? MeetingRecordSwitchView::kOpenHeight
                                                   : MeetingRecordSwitchView::kClosedHeight);
    m_allowMeetingRecordView->setSwitches(record, m_services->roomTranscribeStatus() != 0);
}

QWidget *ApplicationView::allowScreenShareView()
{
    if (!m_allowScreenShareView) {
        auto *view = new QWidget(this);
        view->hide();
        view->setObjectName(QStringLiteral("allowScreenShareView"));
        view->setAccessibleName(QStringLiteral("仅音频设置"));
        view->resize(kShareViewWidth, kShareViewHeight);
        vesk::setBackgroundColor(view, vesk::colorWithHexString(kSubPanelColour));
        vesk::setCornerRadius(view, 3.0);
        const QString text = QStringLiteral("保留屏幕共享");
        allowScreenShareCheckBtn = new VeskButton(view);
        allowScreenShareCheckBtn->setToggle(true);
        allowScreenShareCheckBtn->setImage(PanelIcons::image(QStringLiteral("check_box_off"), 14));
        allowScreenShareCheckBtn->setAlternateImage(PanelIcons::image(QStringLiteral("check_box_on"), 14));
        allowScreenShareCheckBtn->setAccessibleName(text);
        allowScreenShareCheckBtn->setGeometry(20, (kShareViewHeight - 14) / 2, 14, 14);
        allowScreenShareCheckBtn->setState(m_services->isOnlyAudioAllowScreenShare() ? 1 : 0);
        connect(allowScreenShareCheckBtn, &VeskButton::clicked, this,
                [this] { checkScreenShareButtonClicked(allowScreenShareCheckBtn); });
        auto *label = new QLabel(text, view);
        label->setFont(vesk::systemFont(14));
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        label->setGeometry(44, (kShareViewHeight - 20) / 2, kShareViewWidth - 50, 20);
        m_allowScreenShareView = view;
    }
    return m_allowScreenShareView;
}

void ApplicationView::checkButtonClicked(VeskButton *sender)
{
    if (!m_allowMeetingRecordView)
        return;
    QPointer<ApplicationView> self(this);
    m_allowMeetingRecordView->sendSwitches(sender, m_services, [self](bool on) {
        if (!self)
            return;
        self->m_services->setOpenTranslateText(on ? 1 : 0);
        VeskToast::showToastInMeeting(on ? QStringLiteral("你已打开会议记录") : QStringLiteral("你已关闭会议记录"));
        if (self->layoutConstraintHeight)
            self->layoutConstraintHeight->setConstant(on ? MeetingRecordSwitchView::kOpenHeight
                                                         : MeetingRecordSwitchView::kClosedHeight);
    });
}

void ApplicationView::checkScreenShareButtonClicked(VeskButton *sender)
{
    if (sender)
        m_services->setIsOnlyAudioAllowScreenShare(sender->state() == 1);
}

void ApplicationView::applicationStateSettingAction(int tile)
{
    if (tile == CountDownTile) {
        counDownButton->setState(1);
        countDownAction(counDownButton);
    } else if (tile == OnlyAudioTile) {
        onlyAudioButton->setState(1);
        onlyAudioAction(onlyAudioButton);
    }
}

void ApplicationView::applicationStateRecover(int tile)
{
    VeskButton *button = tile == CountDownTile       ? counDownButton.data()
                         : tile == TranscriptionTile ? transcriptionButton.data()
                         : tile == OnlyAudioTile     ? onlyAudioButton.data()
                                                     : nullptr;
    if (!button)
        return;
    button->setState(0);
    setTileLook(tile, false);
}

void ApplicationView::resetCountDownUIState(qint64 state)
{
    counDownButton->setState(state);
    setTileLook(CountDownTile, state == 1);
}

bool ApplicationView::countDownShow() const
{
    return counDownButton && counDownButton->state() == 1;
}

void ApplicationView::transcriptionViewHidden()
{
    // The tile's look follows, as everywhere else the state changes.
    applicationStateRecover(TranscriptionTile);
}

void ApplicationView::removeFromSuperview()
{
    if (rightMoreButton && rightMoreButton->state() == 1 && m_allowMeetingRecordView)
        m_allowMeetingRecordView->hide();
    if (allowScreenShareButton && allowScreenShareButton->state() == 1 && m_allowScreenShareView)
        m_allowScreenShareView->hide();
    PanelViews::removeFromSuperview(this);
}
