// The tool bar: button dispatch, copying the meeting information, full screen, the bars'
// auto-hide, window dragging and page turning.

#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCodes.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/window/dispatch/MeetingToolBarRules.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <optional>

using namespace std::chrono_literals;

namespace {

constexpr auto kToolBarHideDelay = 5s;
constexpr qint64 kBarAnimationMs = 800;
constexpr auto kBarAnimationStep = 40ms;
// Hidden bars sit outside the window: the top one 52 above its top edge, the bottom one 72 below
// its bottom edge (a pin reads "bar edge = window edge + constant").
constexpr qreal kTopHidden = -52;
constexpr qreal kBottomHidden = 72;
const QString kMeetingInfoCopied = QStringLiteral("会议信息已复制");

// The meeting view's mouse entry and exit, swipes and background presses, for the controller.
class TrackingArea final : public QObject {
public:
    TrackingArea(MeetingViewController *controller, QWidget *view) : QObject(controller), m_controller(controller)
    {
        view->setAttribute(Qt::WA_Hover, true);
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            m_controller->mouseEntered();
            break;
        case QEvent::Leave:
            m_controller->mouseExited();
            break;
        case QEvent::NativeGesture: {
            auto *gesture = static_cast<QNativeGestureEvent *>(event);
            if (gesture->gestureType() == Qt::SwipeNativeGesture)
                m_controller->swipeWithEvent(gesture->delta().x(), gesture->delta().y());
            break;
        }
        // The window moves only when a press on its background becomes a drag. Started on the
        // press, the window manager's move began after a click's release and the window followed
        // the pointer until the next click, mostly off the screen.
        case QEvent::MouseButtonPress:
            m_pressAt.reset();
            if (watched == m_controller->view() && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_pressAt = static_cast<QMouseEvent *>(event)->globalPosition();
            break;
        case QEvent::MouseMove: {
            auto *move = static_cast<QMouseEvent *>(event);
            if (watched == m_controller->view() && m_pressAt && (move->buttons() & Qt::LeftButton) &&
                (move->globalPosition() - *m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
                m_pressAt.reset();
                m_controller->mouseDown(move);
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            m_pressAt.reset();
            break;
        default:
            break;
        }
        return false;
    }

private:
    MeetingViewController *m_controller;
    std::optional<QPointF> m_pressAt; // a left press on the background, until it drags or ends
};

void turnPageOf(MeetingViewController *controller, MeetingToolBarRules::PageTurn turn)
{
    if (turn == MeetingToolBarRules::PageTurn::Next)
        controller->rightFlipOverAction(nullptr);
    else if (turn == MeetingToolBarRules::PageTurn::Previous)
        controller->leftFlipOverAction(nullptr);
}

} // namespace

// ---- Buttons ----------------------------------------------------------------------------------------------

void MeetingViewController::bottomToolButtonClick(VeskButton *sender)
{
    if (!sender)
        return;
    switch (MeetingToolBarTag(sender->tag())) {
    case MeetingToolBarTag::SettingPage:
        if (sender->state() == 1) {
            showSettingPage(0);
        } else if (m_panels->state().settingPage) {
            if (auto *page = qobject_cast<MacBaseViewController *>(m_panels->state().settingPage.data())) {
                if (QWidget *w = page->window())
                    w->close();
            }
            m_panels->state().settingPage = nullptr;
        }
        break;
    case MeetingToolBarTag::Application:
        showApplicationView(sender);
        break;
    case MeetingToolBarTag::Subtitle: {
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        VeskMeetingManager *manager = MeetingCurrent::manager();
        const auto room = manager ? manager->roomInfo() : nullptr;
        MeetingHostControlRules::Me me;
        me.isHost = agent->myInfo().isHost();
        me.isAssistantHost = manager && manager->asssitantHost();
        const QString ban = MeetingHostControlRules::banToast(MeetingHostControlRules::kSubtitlesBanned,
                                                              room && room->roomTranscribeStatus != 0, me, true);
        if (!ban.isEmpty()) {
            VeskToast::showToastInMeeting(ban);
            sender->setState(0);
            break;
        }
        showSubtitleViewAction(sender->state() == 1);
        break;
    }
    case MeetingToolBarTag::Record:
        hideOtherOverViewsExceptView(nullptr);
        m_recording->startOrStopRecord(sender);
        break;
    case MeetingToolBarTag::Share:
        hideOtherOverViewsExceptView(nullptr);
        prepareToShare(sender);
        break;
    case MeetingToolBarTag::MemberList:
        showOrHideMember(sender);
        break;
    case MeetingToolBarTag::Camera:
        m_ownDevices->openOrCloseCamera(sender);
        break;
    case MeetingToolBarTag::Microphone:
        m_ownDevices->openOrCloseMicrophone(sender);
        break;
    case MeetingToolBarTag::Speaker:
        m_ownDevices->openOrCloseSpeaker(sender);
        break;
    default:
        break;
    }
}

void MeetingViewController::roomInfoCopy(QObject *)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(room ? room->invitedMeetingContent : QString());
        // The user's own copy: the home page never offers it back for joining.
        NotificationCenter::defaultCenter().post(KVMeetingAppCopyInvitedStringNotification);
    }
    if (isViewLoaded())
        VeskMeetingToast::showNomalTip(view(), kMeetingInfoCopied);
}

void MeetingViewController::EnterFullScreen(QObject *)
{
    QWidget *w = window();
    if (!w || (isViewLoaded() && w == view()))
        return;
    if (w->isFullScreen())
        w->showNormal();
    else
        w->showFullScreen();
}

void MeetingViewController::mouseDown(QMouseEvent *)
{
    QWidget *w = window();
    if (w && w->windowHandle())
        w->windowHandle()->startSystemMove();
}

// ---- Auto-hide of the bars ---------------------------------------------------------------------------------

void MeetingViewController::setupTrackingArea()
{
    if (m_toolBar.trackingArea || !isViewLoaded())
        return;
    m_toolBar.trackingArea = new TrackingArea(this, view());
}

void MeetingViewController::mouseEntered()
{
    m_toolBar.mouseEnterFlag = true;
    if (m_sharing->state().fileShareMode == 0) {
        setToolBarsShown(true, false);
        if (m_toolBar.toolBarHiddenTimer)
            m_toolBar.toolBarHiddenTimer->invalidate();
        m_toolBar.toolBarHiddenTimer = nullptr;
        return;
    }
    if (m_sharing->state().avFileShareModel && m_sharing->state().avFileShareModel->userCanControl() &&
        ui->avFileSharePlayButton)
        ui->avFileSharePlayButton->show();
}

void MeetingViewController::mouseExited()
{
    m_toolBar.mouseEnterFlag = false;
    if (m_sharing->state().fileShareMode == 0) {
        if (m_toolBar.toolBarHiddenTimer)
            m_toolBar.toolBarHiddenTimer->invalidate();
        QPointer<MeetingViewController> weak(this);
        m_toolBar.toolBarHiddenTimer = KVTimer::singleShot(this, kToolBarHideDelay, [weak] {
            if (weak)
                weak->toolBarHiddenTimerAction();
        });
        return;
    }
    if (m_sharing->state().avFileShareModel && m_sharing->state().avFileShareModel->userCanControl() &&
        ui->avFileSharePlayButton)
        ui->avFileSharePlayButton->hide();
    toolBarShowAction();
}

void MeetingViewController::toolBarHiddenTimerAction()
{
    m_toolBar.toolBarHiddenTimer = nullptr;
    if (m_toolBar.mouseEnterFlag || m_sharing->state().fileShareMode != 0)
        return;
    // An open pop-up keeps the bars.
    for (MeetingBottomButton *b : {ui->applicationBtn.data(), ui->subtitleSettingBtn.data(), ui->shareSettingBtn.data(),
                                   ui->selectRecordBtn.data(), ui->cameraSettingBtn.data(), ui->micSettingBtn.data(),
                                   ui->speakerSettingBtn.data()}) {
        if (b && b->state() == 1)
            return;
    }
    setToolBarsShown(false, true);
}

void MeetingViewController::toolBarShowAction()
{
    if (!m_toolBar.toolBarsHidden)
        return;
    setToolBarsShown(true, true);
}

void MeetingViewController::setToolBarsShown(bool shown, bool animated)
{
    m_toolBar.toolBarsHidden = !shown;
    if (m_toolBar.toolBarAnimation)
        m_toolBar.toolBarAnimation->invalidate();
    m_toolBar.toolBarAnimation = nullptr;
    const qreal top = shown ? 0 : kTopHidden;
    const qreal bottom = shown ? 0 : kBottomHidden;
    // The bars sit in the window's column; without their constraints they leave by hiding.
    if (!ui->topToolViewTopConstraint || !ui->bottomViewBottomConstraint) {
        if (ui->topView)
            ui->topView->setVisible(shown);
        if (ui->bottomView)
            ui->bottomView->setVisible(shown);
        return;
    }
    if (!animated) {
        ui->topToolViewTopConstraint->setConstant(top);
        ui->bottomViewBottomConstraint->setConstant(bottom);
        return;
    }
    const qreal topFrom = ui->topToolViewTopConstraint->constant();
    const qreal bottomFrom = ui->bottomViewBottomConstraint->constant();
    const qint64 startMs = KVClock::current().nowMs();
    QPointer<MeetingViewController> weak(this);
    m_toolBar.toolBarAnimation =
        KVTimer::repeating(this, kBarAnimationStep, [weak, topFrom, bottomFrom, top, bottom, startMs] {
            if (!weak || !weak->ui->topToolViewTopConstraint || !weak->ui->bottomViewBottomConstraint)
                return;
            const qreal t = qMin<qreal>(1.0, qreal(KVClock::current().nowMs() - startMs) / kBarAnimationMs);
            weak->ui->topToolViewTopConstraint->setConstant(topFrom + (top - topFrom) * t);
            weak->ui->bottomViewBottomConstraint->setConstant(bottomFrom + (bottom - bottomFrom) * t);
            if (t >= 1.0 && weak->m_toolBar.toolBarAnimation) {
                weak->m_toolBar.toolBarAnimation->invalidate();
                weak->m_toolBar.toolBarAnimation = nullptr;
            }
        });
}

// ---- Page turning ------------------------------------------------------------------------------------------

void MeetingViewController::keyDown(QKeyEvent *event)
{
    if (!event)
        return;
    turnPageOf(this, MeetingToolBarRules::keyPageTurn(m_sharing->state().fileShareMode, event->key()));
}

void MeetingViewController::swipeWithEvent(double deltaX, double deltaY)
{
    turnPageOf(this, MeetingToolBarRules::swipePageTurn(deltaX, deltaY));
}
