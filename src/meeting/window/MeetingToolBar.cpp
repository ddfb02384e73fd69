#include "meeting/window/MeetingToolBar.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/models/FileShareModel.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCodes.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MemberListPanel.h"
#include "meeting/panels/SettingPagePanel.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/dispatch/MeetingToolBarRules.h"
#include "uikit/AutoLayout.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacSliderCell.h"
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

// The meeting view's mouse entry and exit, swipes and background presses, for the tool bar.
class TrackingArea final : public QObject {
public:
    TrackingArea(MeetingToolBar *toolBar, QWidget *view) : QObject(toolBar), m_toolBar(toolBar), m_view(view)
    {
        view->setAttribute(Qt::WA_Hover, true);
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            m_toolBar->mouseEntered();
            break;
        case QEvent::Leave:
            m_toolBar->mouseExited();
            break;
        case QEvent::NativeGesture: {
            auto *gesture = static_cast<QNativeGestureEvent *>(event);
            if (gesture->gestureType() == Qt::SwipeNativeGesture)
                m_toolBar->swipeWithEvent(gesture->delta().x(), gesture->delta().y());
            break;
        }
        // The window moves only when a press on its background becomes a drag. Started on the
        // press, the window manager's move began after a click's release and the window followed
        // the pointer until the next click, mostly off the screen.
        case QEvent::MouseButtonPress:
            m_pressAt.reset();
            if (watched == m_view && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_pressAt = static_cast<QMouseEvent *>(event)->globalPosition();
            break;
        case QEvent::MouseMove: {
            auto *move = static_cast<QMouseEvent *>(event);
            if (watched == m_view && m_pressAt && (move->buttons() & Qt::LeftButton) &&
                (move->globalPosition() - *m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
                m_pressAt.reset();
                m_toolBar->mouseDown(move);
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
    MeetingToolBar *m_toolBar;
    QWidget *m_view;
    std::optional<QPointF> m_pressAt; // a left press on the background, until it drags or ends
};

// The window's local key-down monitor: hands every key press of the meeting window to the tool
// bar and lets it through.
class KeyDownMonitor final : public QObject {
public:
    KeyDownMonitor(MeetingToolBar *toolBar, std::function<QWidget *()> view)
        : QObject(toolBar), m_toolBar(toolBar), m_view(std::move(view))
    {
        qApp->installEventFilter(this);
    }
    ~KeyDownMonitor() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            QWidget *view = m_view();
            auto *w = qobject_cast<QWidget *>(watched);
            if (view && w && w->window() == view->window() && w->isWindow())
                m_toolBar->keyDown(static_cast<QKeyEvent *>(event));
            // Once per key: its first receiver is the focus (the window when nothing has it).
            QWidget *focus = QApplication::focusWidget();
            if (view && w && w->window() == view->window() && (w == focus || (!focus && w->isWindow())))
                m_toolBar->keyPressedInWindow();
        }
        return false;
    }

private:
    MeetingToolBar *m_toolBar;
    const std::function<QWidget *()> m_view;
};

void turnPage(MeetingSharing &sharing, MeetingToolBarRules::PageTurn turn)
{
    if (turn == MeetingToolBarRules::PageTurn::Next)
        sharing.rightFlipOverAction(nullptr);
    else if (turn == MeetingToolBarRules::PageTurn::Previous)
        sharing.leftFlipOverAction(nullptr);
}

} // namespace

MeetingToolBar::MeetingToolBar(Ui::MeetingViewController &ui, Concerns concerns, WindowCalls window, QObject *parent)
    : QObject(parent), m_ui(ui), m_concerns(concerns), m_window(std::move(window))
{
}

void MeetingToolBar::connectButtons()
{
    connect(m_ui.meetingIdCopyBtn, &QAbstractButton::clicked, this, [this] { roomInfoCopy(m_ui.meetingIdCopyBtn); });
    connect(m_ui.fullScreenBtn, &QAbstractButton::clicked, this, [this] { EnterFullScreen(m_ui.fullScreenBtn); });
    for (MeetingBottomButton *b :
         {m_ui.microphoneBtn.data(), m_ui.cameraBtn.data(), m_ui.speakerBtn.data(), m_ui.shareBtn.data(),
          m_ui.memberListBtn.data(), m_ui.recordButton.data(), m_ui.selectSubtitiletn.data(),
          m_ui.applicationBtn.data(), m_ui.settingPageBtn.data()}) {
        connect(b, &QAbstractButton::clicked, this, [this, b] { bottomToolButtonClick(b); });
    }
}

// ---- Buttons ----------------------------------------------------------------------------------------------

void MeetingToolBar::bottomToolButtonClick(VeskButton *sender)
{
    if (!sender)
        return;
    MeetingPanels &panels = m_concerns.panels;
    switch (MeetingToolBarTag(sender->tag())) {
    case MeetingToolBarTag::SettingPage:
        if (sender->state() == 1) {
            panels.panel<SettingPagePanel>().showSettingPage(0);
        } else if (panels.state().settingPage) {
            if (auto *page = qobject_cast<MacBaseViewController *>(panels.state().settingPage.data())) {
                if (QWidget *w = page->window())
                    w->close();
            }
            panels.state().settingPage = nullptr;
        }
        break;
    case MeetingToolBarTag::Application:
        m_window.showApplicationView(sender);
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
        panels.panel<SubtitlePanel>().setShowSubtitleView(sender->state() == 1);
        break;
    }
    case MeetingToolBarTag::Record:
        panels.hideOtherOverViewsExceptView(nullptr);
        m_concerns.recording.startOrStopRecord(sender);
        break;
    case MeetingToolBarTag::Share:
        panels.hideOtherOverViewsExceptView(nullptr);
        m_concerns.sharing.prepareToShare(sender);
        break;
    case MeetingToolBarTag::MemberList:
        panels.panel<MemberListPanel>().showOrHideMember(sender);
        break;
    case MeetingToolBarTag::Camera:
        m_concerns.ownDevices.openOrCloseCamera(sender);
        break;
    case MeetingToolBarTag::Microphone:
        m_concerns.ownDevices.openOrCloseMicrophone(sender);
        break;
    case MeetingToolBarTag::Speaker:
        m_concerns.ownDevices.openOrCloseSpeaker(sender);
        break;
    default:
        break;
    }
}

void MeetingToolBar::roomInfoCopy(QObject *)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(room ? room->invitedMeetingContent : QString());
        // The user's own copy: the home page never offers it back for joining.
        NotificationCenter::defaultCenter().post(KVMeetingAppCopyInvitedStringNotification);
    }
    if (QWidget *view = m_window.view())
        VeskMeetingToast::showNomalTip(view, kMeetingInfoCopied);
}

void MeetingToolBar::EnterFullScreen(QObject *)
{
    QWidget *w = m_window.window();
    if (!w || w == m_window.view())
        return;
    if (w->isFullScreen())
        w->showNormal();
    else
        w->showFullScreen();
}

void MeetingToolBar::mouseDown(QMouseEvent *)
{
    QWidget *w = m_window.window();
    if (w && w->windowHandle())
        w->windowHandle()->startSystemMove();
}

// ---- Auto-hide of the bars ---------------------------------------------------------------------------------

void MeetingToolBar::setupTrackingArea()
{
    QWidget *view = m_window.view();
    if (m_state.trackingArea || !view)
        return;
    m_state.trackingArea = new TrackingArea(this, view);
    connect(qApp, &QApplication::focusChanged, this, &MeetingToolBar::focusChanged);
}

void MeetingToolBar::addKeyDownMonitor()
{
    if (!m_state.localNSEventMaskKeyDownEventMonitor)
        m_state.localNSEventMaskKeyDownEventMonitor = new KeyDownMonitor(this, m_window.view);
}

void MeetingToolBar::removeMonitors()
{
    delete m_state.localNSEventMaskKeyDownEventMonitor.data();
    m_state.localNSEventMaskKeyDownEventMonitor.clear();
    delete m_state.localNSEventMaskMouseMoveEventMonitor.data();
    m_state.localNSEventMaskMouseMoveEventMonitor.clear();
}

void MeetingToolBar::mouseEntered()
{
    m_state.mouseEnterFlag = true;
    const MeetingSharing::State &share = m_concerns.sharing.state();
    if (share.fileShareMode == 0) {
        setToolBarsShown(true, false);
        if (m_state.toolBarHiddenTimer)
            m_state.toolBarHiddenTimer->invalidate();
        m_state.toolBarHiddenTimer = nullptr;
        return;
    }
    if (share.avFileShareModel && share.avFileShareModel->userCanControl() && m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->show();
}

void MeetingToolBar::startHideTimer()
{
    if (m_state.toolBarHiddenTimer)
        m_state.toolBarHiddenTimer->invalidate();
    QPointer<MeetingToolBar> weak(this);
    m_state.toolBarHiddenTimer = KVTimer::singleShot(this, kToolBarHideDelay, [weak] {
        if (weak)
            weak->toolBarHiddenTimerAction();
    });
}

bool MeetingToolBar::barHolds(const QWidget *w) const
{
    return w &&
           ((m_ui.topView && m_ui.topView->isAncestorOf(w)) || (m_ui.bottomView && m_ui.bottomView->isAncestorOf(w)));
}

void MeetingToolBar::keyPressedInWindow()
{
    if (m_concerns.sharing.state().fileShareMode != 0)
        return;
    if (m_state.toolBarsHidden)
        setToolBarsShown(true, false);
    if (!m_state.mouseEnterFlag)
        startHideTimer();
}

void MeetingToolBar::focusChanged(QWidget *old, QWidget *now)
{
    if (m_concerns.sharing.state().fileShareMode != 0)
        return;
    if (barHolds(now)) {
        // A keyboard user sees the control he is on.
        if (m_state.toolBarsHidden)
            setToolBarsShown(true, false);
        return;
    }
    if (barHolds(old) && !m_state.mouseEnterFlag)
        startHideTimer();
}

void MeetingToolBar::mouseExited()
{
    m_state.mouseEnterFlag = false;
    const MeetingSharing::State &share = m_concerns.sharing.state();
    if (share.fileShareMode == 0) {
        startHideTimer();
        return;
    }
    // Not while the keyboard is on the file's controls: a hidden button takes no Tab.
    const bool keyboardOnFile = (m_ui.avFileSharePlayButton && m_ui.avFileSharePlayButton->hasFocus()) ||
                                (m_ui.avFileShareSlider && m_ui.avFileShareSlider->hasFocus());
    if (share.avFileShareModel && share.avFileShareModel->userCanControl() && m_ui.avFileSharePlayButton &&
        !keyboardOnFile)
        m_ui.avFileSharePlayButton->hide();
    toolBarShowAction();
}

void MeetingToolBar::toolBarHiddenTimerAction()
{
    m_state.toolBarHiddenTimer = nullptr;
    if (m_state.mouseEnterFlag || m_concerns.sharing.state().fileShareMode != 0)
        return;
    // Not while the keyboard is in a bar: leaving it starts the delay again.
    if (barHolds(QApplication::focusWidget()))
        return;
    // An open pop-up keeps the bars.
    for (MeetingBottomButton *b :
         {m_ui.applicationBtn.data(), m_ui.subtitleSettingBtn.data(), m_ui.shareSettingBtn.data(),
          m_ui.selectRecordBtn.data(), m_ui.cameraSettingBtn.data(), m_ui.micSettingBtn.data(),
          m_ui.speakerSettingBtn.data()}) {
        if (b && b->state() == 1)
            return;
    }
    setToolBarsShown(false, true);
}

void MeetingToolBar::toolBarShowAction()
{
    if (!m_state.toolBarsHidden)
        return;
    setToolBarsShown(true, true);
}

void MeetingToolBar::setToolBarsShown(bool shown, bool animated)
{
    m_state.toolBarsHidden = !shown;
    if (m_state.toolBarAnimation)
        m_state.toolBarAnimation->invalidate();
    m_state.toolBarAnimation = nullptr;
    const qreal top = shown ? 0 : kTopHidden;
    const qreal bottom = shown ? 0 : kBottomHidden;
    // The bars sit in the window's column; without their constraints they leave by hiding.
    if (!m_ui.topToolViewTopConstraint || !m_ui.bottomViewBottomConstraint) {
        if (m_ui.topView)
            m_ui.topView->setVisible(shown);
        if (m_ui.bottomView)
            m_ui.bottomView->setVisible(shown);
        return;
    }
    if (!animated) {
        m_ui.topToolViewTopConstraint->setConstant(top);
        m_ui.bottomViewBottomConstraint->setConstant(bottom);
        return;
    }
    const qreal topFrom = m_ui.topToolViewTopConstraint->constant();
    const qreal bottomFrom = m_ui.bottomViewBottomConstraint->constant();
    const qint64 startMs = KVClock::current().nowMs();
    QPointer<MeetingToolBar> weak(this);
    m_state.toolBarAnimation =
        KVTimer::repeating(this, kBarAnimationStep, [weak, topFrom, bottomFrom, top, bottom, startMs] {
            if (!weak || !weak->m_ui.topToolViewTopConstraint || !weak->m_ui.bottomViewBottomConstraint)
                return;
            const qreal t = qMin<qreal>(1.0, qreal(KVClock::current().nowMs() - startMs) / kBarAnimationMs);
            weak->m_ui.topToolViewTopConstraint->setConstant(topFrom + (top - topFrom) * t);
            weak->m_ui.bottomViewBottomConstraint->setConstant(bottomFrom + (bottom - bottomFrom) * t);
            if (t >= 1.0 && weak->m_state.toolBarAnimation) {
                weak->m_state.toolBarAnimation->invalidate();
                weak->m_state.toolBarAnimation = nullptr;
            }
        });
}

// ---- Page turning ------------------------------------------------------------------------------------------

void MeetingToolBar::keyDown(QKeyEvent *event)
{
    if (event)
        turnPage(m_concerns.sharing,
                 MeetingToolBarRules::keyPageTurn(m_concerns.sharing.state().fileShareMode, event->key()));
}

void MeetingToolBar::swipeWithEvent(double deltaX, double deltaY)
{
    turnPage(m_concerns.sharing, MeetingToolBarRules::swipePageTurn(deltaX, deltaY));
}
