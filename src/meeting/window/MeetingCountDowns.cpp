#include "meeting/window/MeetingCountDowns.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "connection/KVMResponse.h"
#include "foundation/MainQueue.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/CountDownRules.h"
#include "meeting/panels/HostCountDownStartView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/PanelViews.h"
#include "meeting/panels/RespondCountDownView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskToast.h"

#include <QEvent>

namespace {

const QString kAlreadyRunning = QStringLiteral("已有倒计时进行中");
const QString kNetworkError = QStringLiteral("网络不给力，请稍后重试");
const QString kCloseTitle = QStringLiteral("终止计时");
const QString kCloseMessage = QStringLiteral("关闭窗口后，计时会自动停止，确认关闭子窗口？");

void showFailure(const KVMResponse &reply)
{
    VeskToast::showToast(reply.message.isEmpty() ? kNetworkError : reply.message);
}

// The time left the service reports, when its reply names one.
std::optional<qint64> remainingMs(const KVMResponse &reply)
{
    const QVariantMap data = reply.dataMap();
    const auto it = data.constFind(QStringLiteral("countdown"));
    if (it == data.constEnd())
        return std::nullopt;
    // A time the setter could not show is no count-down.
    return CountDownRules::remainingMs(*it).value_or(0);
}

// Off the screen; a floating window that only held the view goes with it, so no empty window stays,
// and the more menu's item that opened it goes off, so its next press opens the setter again.
void takeOffScreen(QWidget *view, MeetingPanels &panels)
{
    if (!view)
        return;
    QPointer<KVWindow> floating = qobject_cast<KVWindow *>(view->parentWidget());
    if (floating && floating->contentView() == view)
        floating->setContentView(nullptr);
    PanelViews::removeFromSuperview(view);
    if (floating) {
        floating->close();
        panels.moreMenuItemDidClose(MoreItemView::CountDownItem);
    }
}

} // namespace

MeetingCountDowns::MeetingCountDowns(Ui::MeetingViewController &ui, MeetingPanels &panels, WindowCalls window,
                                     QObject *parent)
    : QObject(parent), m_ui(ui), m_panels(panels), m_window(std::move(window))
{
}

void MeetingCountDowns::watch(QWidget *view)
{
    view->installEventFilter(this);
    // The views move with the middle view too, as the bars beside it come and go.
    if (m_ui.middleView)
        m_ui.middleView->installEventFilter(this);
}

bool MeetingCountDowns::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
        if (m_window.countDownPlaced)
            m_window.countDownPlaced();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QList<QWidget *> MeetingCountDowns::shownViews() const
{
    QList<QWidget *> shown;
    QWidget *view = m_window.view();
    for (const QPointer<QWidget> &w :
         {m_state.hostCountDownView, m_state.hostCountStartView, m_state.respondCountDownView}) {
        if (w && view && view->isAncestorOf(w) && w->isVisibleTo(view))
            shown.append(w);
    }
    return shown;
}

bool MeetingCountDowns::hostCountDownRunning() const
{
    const auto *running = qobject_cast<HostCountDownStartView *>(m_state.hostCountStartView.data());
    return running && running->isRunning();
}

bool MeetingCountDowns::busy() const
{
    const auto *setter = qobject_cast<HostCountDownView *>(m_state.hostCountDownView.data());
    return hostCountDownRunning() || (setter && setter->parentWidget());
}

void MeetingCountDowns::showHostCountDownView()
{
    QWidget *middle = m_ui.middleView;
    if (!middle)
        return;
    HostCountDownView *setter = hostCountDownView();
    if (setter->parentWidget() != middle) {
        takeOffScreen(setter, m_panels);
        setter->setParent(middle);
    }
    // Centred on the middle view.
    const QRect area = middle->rect();
    setter->setGeometry(qRound(area.width() / 2.0 - HostCountDownView::kWidth / 2.0),
                        qRound(area.height() / 2.0 - HostCountDownView::kHeight / 2.0), HostCountDownView::kWidth,
                        HostCountDownView::kHeight);
    setter->show();
    setter->raise();
    // From the applications panel, which closes behind it: the keyboard comes back to its button.
    QPointer<HostCountDownView> guarded(setter);
    KVPanelFocus::opened(setter, m_ui.applicationBtn.data(), [guarded] {
        if (guarded && guarded->closeButton)
            guarded->closeButton->click();
    });
}

HostCountDownView *MeetingCountDowns::hostCountDownView()
{
    QPointer<QWidget> &slot = m_state.hostCountDownView;
    if (!slot) {
        auto *view = new HostCountDownView();
        view->setGeometry(0, 0, HostCountDownView::kWidth, HostCountDownView::kHeight);
        QPointer<MeetingCountDowns> weak(this);
        view->startActionBlock = [weak](int minutes, int seconds, VeskButton *) {
            if (weak)
                weak->startHostCountDown(minutes, seconds);
        };
        view->closeActionBlock = [weak](HostCountDownView *setter) {
            if (!weak)
                return;
            setter->stopCountDown();
            takeOffScreen(setter, weak->m_panels);
            weak->m_window.countDownClosed();
        };
        m_panels.keepView(view);
        watch(view);
        slot = view;
    }
    return qobject_cast<HostCountDownView *>(slot.data());
}

HostCountDownStartView *MeetingCountDowns::hostCountStartView()
{
    QPointer<QWidget> &slot = m_state.hostCountStartView;
    if (!slot) {
        auto *view = new HostCountDownStartView();
        view->setGeometry(0, 0, HostCountDownStartView::kWidth, HostCountDownStartView::kHeight);
        QPointer<MeetingCountDowns> weak(this);
        // The natural end asks nothing of the service: the setter comes back at 05:00.
        view->endActionBlock = [weak](HostCountDownStartView *running) {
            if (!weak)
                return;
            weak->hostCountDownView()->stopCountDown();
            PanelViews::removeFromSuperview(running);
            weak->showHostCountDownView();
        };
        view->stopActionBlock = [weak](HostCountDownStartView *) {
            if (weak)
                weak->stopHostCountDown(false);
        };
        view->closeActionBlock = [weak](HostCountDownStartView *running) {
            if (!weak)
                return;
            KVAlert *alert = KVAlert::alertWithTitle(kCloseTitle, kCloseMessage, QStringLiteral("取消"),
                                                     QStringLiteral("确定"), nullptr, [weak] {
                                                         if (weak)
                                                             weak->stopHostCountDown(true);
                                                     });
            alert->setObjectName(QStringLiteral("countDownCloseAlert"));
            // Its lower left corner on the running view's lower right corner.
            const QPoint corner = running->mapToGlobal(QPoint(running->width(), running->height()));
            alert->showAtOrigin(QPoint(corner.x(), corner.y() - alert->preferredSize().height()));
        };
        m_panels.keepView(view);
        watch(view);
        slot = view;
    }
    return qobject_cast<HostCountDownStartView *>(slot.data());
}

RespondCountDownView *MeetingCountDowns::respondCountDownView()
{
    QPointer<QWidget> &slot = m_state.respondCountDownView;
    if (!slot) {
        auto *view = new RespondCountDownView();
        // Just under the top bar, where the window shows it.
        const int top = m_ui.topView ? m_ui.topView->height() : 0;
        view->setGeometry(10, top + 10, RespondCountDownView::kWidth, RespondCountDownView::kHeight);
        // Run out: no count-down runs any more, and the next may start.
        view->reachedEndBlock = [] {
            if (VeskMeetingManager *manager = MeetingCurrent::manager())
                manager->setRespondCoundownRuning(false);
        };
        m_panels.keepView(view);
        watch(view);
        slot = view;
    }
    return qobject_cast<RespondCountDownView *>(slot.data());
}

int MeetingCountDowns::countDownTop() const
{
    // 10 points under the top bar, in the middle view.
    QWidget *middle = m_ui.middleView;
    QWidget *view = m_window.view();
    if (!middle || !m_ui.topView || !view)
        return 10;
    const QPoint barBottom = m_ui.topView->mapTo(view, QPoint(0, m_ui.topView->height()));
    return middle->mapFrom(view, barBottom).y() + 10;
}

void MeetingCountDowns::startHostCountDown(int minutes, int seconds)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!manager || !agent || m_window.meetingEnded())
        return;
    if (manager->respondCoundownRuning()) {
        VeskToast::showToast(kAlreadyRunning);
        return;
    }
    VeskToast::showLoadingToast(QString());
    QPointer<MeetingCountDowns> weak(this);
    agent->hostStartnewCountDownWith(this, (qint64(minutes) * 60 + seconds) * 1000, [weak](const KVMResponse &reply) {
        VeskToast::dismissLoadingToast();
        if (!weak || weak->m_window.meetingEnded())
            return;
        if (!reply.successed) {
            showFailure(reply);
            return;
        }
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        if (!agent)
            return;
        agent->requstCountDownInfoCompletionBlock(weak, [weak](const KVMResponse &info) {
            if (!weak || weak->m_window.meetingEnded())
                return;
            if (!info.successed)
                showFailure(info);
            const std::optional<qint64> left = remainingMs(info);
            if (left && *left >= 1)
                weak->showHostCountStartView(*left / 1000);
        });
    });
}

void MeetingCountDowns::showHostCountStartView(qint64 seconds)
{
    QWidget *middle = m_ui.middleView;
    if (!middle)
        return;
    HostCountDownStartView *running = hostCountStartView();
    running->setParent(middle);
    running->setGeometry(20, countDownTop(), running->width(), running->height());
    running->show();
    running->raise();
    running->startCountDownWith(seconds);
    HostCountDownView *setter = hostCountDownView();
    takeOffScreen(setter, m_panels);
    setter->startCountDownWith(seconds);
}

void MeetingCountDowns::stopHostCountDown(bool closing)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_window.meetingEnded())
        return;
    VeskToast::showLoadingToast(QString());
    QPointer<MeetingCountDowns> weak(this);
    agent->hostTerminalCountDownCompletionBlock(this, [weak, closing](const KVMResponse &reply) {
        VeskToast::dismissLoadingToast();
        if (!weak || weak->m_window.meetingEnded())
            return;
        if (!reply.successed) {
            showFailure(reply);
            return;
        }
        HostCountDownStartView *running = weak->hostCountStartView();
        running->stopCountDown();
        PanelViews::removeFromSuperview(running);
        weak->hostCountDownView()->stopCountDown();
        if (closing) {
            weak->m_window.countDownClosed();
        } else {
            weak->showHostCountDownView();
        }
    });
}

void MeetingCountDowns::countDownComming()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_window.meetingEnded())
        return;
    QPointer<MeetingCountDowns> weak(this);
    agent->requstCountDownInfoCompletionBlock(this, [weak](const KVMResponse &reply) {
        const std::optional<qint64> left = remainingMs(reply);
        if (!weak || !left)
            return;
        MainQueue::async(weak.data(), [weak, ms = *left] {
            if (weak && !weak->m_window.meetingEnded())
                weak->showRespondCountDown(ms);
        });
    });
}

void MeetingCountDowns::showRespondCountDown(qint64 ms)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    RespondCountDownView *display = respondCountDownView();
    if (ms <= 0) {
        if (manager)
            manager->setRespondCoundownRuning(false);
        PanelViews::removeFromSuperview(display);
        return;
    }
    QWidget *middle = m_ui.middleView;
    if (!middle)
        return;
    if (!display->parentWidget()) {
        display->setParent(middle);
        display->setGeometry(10, countDownTop(), RespondCountDownView::kWidth, RespondCountDownView::kHeight);
        display->show();
        display->raise();
    }
    display->startCountDownWith(ms / 1000);
    if (manager)
        manager->setRespondCoundownRuning(true);
}

void MeetingCountDowns::countDownViewHadEnd()
{
    if (auto *display = qobject_cast<RespondCountDownView *>(m_state.respondCountDownView.data()))
        display->stopCountDown();
    auto *setter = qobject_cast<HostCountDownView *>(m_state.hostCountDownView.data());
    if (setter && setter->parentWidget())
        setter->stopCountDown();
    // The host's running view stays where it is, at 00:00.
    auto *running = qobject_cast<HostCountDownStartView *>(m_state.hostCountStartView.data());
    if (running && (running->parentWidget() || running->isRunning()))
        running->stopCountDown();
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->setRespondCoundownRuning(false);
    // The service refuses what this user may not stop; the answer changes nothing here. The agent
    // owns the request, so a window closing as the user leaves does not cancel it.
    if (VeskAppAgent *agent = VeskAppAgent::existingInstance())
        agent->hostTerminalCountDownCompletionBlock(nullptr, [](const KVMResponse &) {});
}
