// The user's own screen or window share in the sharing part: the share control's forwards, the
// floating share tool bar, the member strip and its tab, and the tool bar's more menu.

#include "meeting/sharing/MeetingSharing.h"

#include "meeting/sharing/FileShareDocument.h"

#include "meeting/panels/PanelViews.h"
#include "meeting/sharing/AvFileShare.h"
#include "meeting/sharing/ScreenShareWindowViewController.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

namespace {

const QSize kStripSize(216, 74);
const QSize kMiniSize(40, 34);
const QSize kMoreMenuSize(138, 180);
constexpr double kStripAdjustX = 10;
constexpr double kMoreMenuBelow = 66;

template <typename F, typename... Args> void call(const F &f, Args &&...args)
{
    if (f)
        f(std::forward<Args>(args)...);
}

// Takes the view out of its floating window, then closes that window (which would delete it).
void closeWindowOf(QWidget *view, QPointer<KVWindow> window = nullptr)
{
    if (!window && view)
        window = qobject_cast<KVWindow *>(view->window());
    if (view && window && view->window() == window)
        PanelViews::removeFromSuperview(view);
    if (window)
        window->close();
}

} // namespace

void MeetingSharing::installOwnShare(OwnShareCalls calls, std::shared_ptr<ShareControlServices> services)
{
    m_own = std::move(calls);
    ScreenShareControl::WindowCalls control = m_own.control;
    control.fileShareMode = [this] { return m_state.fileShareMode; };
    control.setFileShareMode = [this](int mode) { setFileShareMode(mode); };
    control.document = [this] { return m_state.fileShareDatailModel; };
    control.closeFileSwitchPanel = [this] { m_document->FileshareSwitchPanelAction(nullptr); };
    control.startFileShare = [this](const FileShareDatailModel &document) {
        startFileShareFromAction(document);
        queryFileShareList(3);
    };
    control.avFile = [this] { return m_state.avFileShareModel; };
    control.startAVFileShare = [this](const FileShareModel &file) { m_av->startOwn(file); };
    control.openFloatingWindows = [this] { sreenShareFloatingWindow(); };
    control.closeShareWindows = [this] { closeOwnShareWindows(); };
    m_control = std::make_unique<ScreenShareControl>(services ? std::move(services) : ShareControlServices::agent(),
                                                     std::move(control));
}

ScreenShareControl *MeetingSharing::shareControl() const
{
    return m_control.get();
}

void MeetingSharing::prepareToShare(VeskButton *sender)
{
    if (m_control)
        m_control->prepareToShare(sender);
}

void MeetingSharing::stopScreenShare(bool force)
{
    if (m_control)
        m_control->stopScreenShare(force);
}

void MeetingSharing::shareEndedByEngine(bool startFailed)
{
    if (m_control)
        m_control->shareEndedByEngine(startFailed);
}

void MeetingSharing::shareStartedByEngine()
{
    if (m_control)
        m_control->shareStartedByEngine();
}

void MeetingSharing::controlScreenShareWithData(const MeetingControlData &data)
{
    if (m_control)
        m_control->controlScreenShareWithData(data);
}

void MeetingSharing::refreshShareDataIfNeeded()
{
    if (m_control)
        m_control->refreshShareDataIfNeeded();
}

void MeetingSharing::querySharePermission(bool afterChange)
{
    if (m_control)
        m_control->querySharePermission(afterChange);
}

void MeetingSharing::closeScreenShare()
{
    if (m_control)
        m_control->closeScreenShare();
}

// ---- The floating share tool bar ----------------------------------------------------------------

void MeetingSharing::sreenShareFloatingWindow()
{
    if (QWidget *meeting = m_own.meetingWindow ? m_own.meetingWindow() : nullptr)
        meeting->hide();
    auto *bar = new ScreenShareWindowViewController();
    QWidget *window = ScreenShareWindowViewController::makeWindow();
    m_state.screenShareTopWindowController = std::make_unique<MacBaseWindowController>(window);
    m_state.screenShareTopWindowController->setContentViewController(bar);
    window->resize(bar->view()->sizeHint());
    // Top centre of the primary screen's available area.
    const QRect visible = KVWindowPlacement::mainScreenVisibleFrame();
    window->move(visible.x() + (visible.width() - window->width()) / 2, visible.y());
    m_state.screenShareTopWindowController->showWindow();

    // The states are copied once; afterwards each button keeps its own.
    const QList<VeskButton *> mirrored = m_own.mirroredButtons ? m_own.mirroredButtons() : QList<VeskButton *>();
    const auto on = [&mirrored](int i) {
        return i < mirrored.size() && mirrored.at(i) && mirrored.at(i)->state() != 0;
    };
    bar->setScreenSharing(on(0));
    bar->setRecording(on(1));
    bar->setCameraCapturing(on(2));
    bar->setMicCapturing(on(3));
    bar->setSpeakerEnable(on(4));
    bar->setMemberListShow(on(5));

    bar->recordBlock = m_own.startOrStopRecord;
    bar->screenShareBlock = m_own.prepareToShare;
    bar->cameraBlock = m_own.openOrCloseCamera;
    bar->micBlock = m_own.openOrCloseMicrophone;
    bar->speakerBlock = m_own.openOrCloseSpeaker;
    bar->memberListBlock = m_own.showOrHideMember;
    bar->selectCameraBlock = m_own.selectCamera;
    bar->selectMicBlock = m_own.selectMicrophone;
    bar->selectSpeakerBlock = m_own.selectSpeaker;
    QPointer<MeetingSharing> weak(this);
    bar->moreBlock = [weak](VeskButton *button) {
        if (weak)
            weak->showFloatingWindowMoreView(button);
    };
    bar->setOriginalPosition(window->pos());

    // The member strip: 10 points right of the bar, tops aligned.
    if (m_own.showFloatingWindowAtFrame) {
        if (KVWindow *strip = m_own.showFloatingWindowAtFrame(window->frameGeometry(), floatingMediaView(),
                                                              QSizeF(kStripSize), kStripAdjustX, 0)) {
            strip->setIdentifier(QStringLiteral("floatingMediaViewWindow"));
            m_state.floatingMediaViewWindow = strip;
        }
    }
    if (m_state.floatingMediaViewStorage) {
        call(m_own.placeSpeakerInStrip, m_state.floatingMediaViewStorage.data());
        call(m_own.fillStrip, m_state.floatingMediaViewStorage.data());
    }
}

QWidget *MeetingSharing::floatingMediaView()
{
    if (!m_state.floatingMediaViewStorage && m_own.makeFloatingMediaView) {
        QPointer<MeetingSharing> weak(this);
        m_state.floatingMediaViewStorage = m_own.makeFloatingMediaView([weak] {
            if (!weak)
                return;
            State &state = weak->m_state;
            if (!state.floatingMediaMiniViewWindow) {
                if (weak->m_own.showFloatingWindowAtFrame) {
                    const QRect visible = KVWindowPlacement::mainScreenVisibleFrame();
                    KVWindow *mini = weak->m_own.showFloatingWindowAtFrame(
                        QRect(visible.x(), visible.y(), visible.width(), kMiniSize.height()),
                        weak->floatingMediaMiniView(), QSizeF(kMiniSize), -kMiniSize.width(), 0);
                    if (mini) {
                        mini->setIdentifier(QStringLiteral("floatingMediaMiniViewWindow"));
                        state.floatingMediaMiniViewWindow = mini;
                    }
                }
            } else {
                state.floatingMediaMiniViewWindow->show();
                state.floatingMediaMiniViewWindow->raise();
            }
            if (state.floatingMediaViewWindow)
                state.floatingMediaViewWindow->hide();
        });
    }
    return m_state.floatingMediaViewStorage;
}

QWidget *MeetingSharing::floatingMediaMiniView()
{
    if (!m_state.floatingMediaMiniViewStorage && m_own.makeFloatingMediaMiniView) {
        QPointer<MeetingSharing> weak(this);
        m_state.floatingMediaMiniViewStorage = m_own.makeFloatingMediaMiniView([weak] {
            if (!weak)
                return;
            if (KVWindow *strip = weak->m_state.floatingMediaViewWindow) {
                strip->show();
                strip->raise();
            }
            if (KVWindow *mini = weak->m_state.floatingMediaMiniViewWindow)
                mini->hide();
        });
    }
    return m_state.floatingMediaMiniViewStorage;
}

QWidget *MeetingSharing::moreItemView()
{
    return m_state.moreItemViewStorage;
}

void MeetingSharing::showFloatingWindowMoreView(VeskButton *button)
{
    if (!button || !m_own.moreItemView)
        return;
    if (button->state() != 0) {
        QWidget *menu = m_own.moreItemView([weak = QPointer<MeetingSharing>(this)](bool open) {
            if (weak)
                call(weak->m_own.settingPage, open);
        });
        if (menu) {
            call(m_own.showFloatingWindowAtView, button, menu, QSizeF(kMoreMenuSize), 0.0, kMoreMenuBelow);
            // Escape presses the button again, which closes the menu; the focus goes back to it.
            KVPanelFocus::openedBy(menu, button);
        }
        return;
    }
    closeMoreMenu();
}

void MeetingSharing::closeMoreMenu()
{
    if (QWidget *menu = m_state.moreItemViewStorage) {
        call(m_own.resetMoreMenu, menu);
        closeWindowOf(menu);
    }
}

// The local end of a screen or window share, after the engine share and the ring went.
void MeetingSharing::closeOwnShareWindows()
{
    call(m_own.hideSelectWindow);
    call(m_own.closeMemberAndTranscriptionWindows);
    closeMoreMenu();
    closeWindowOf(m_state.floatingMediaViewStorage, m_state.floatingMediaViewWindow);
    m_state.floatingMediaViewWindow = nullptr;
    delete m_state.floatingMediaViewStorage;
    closeWindowOf(m_state.floatingMediaMiniViewStorage, m_state.floatingMediaMiniViewWindow);
    m_state.floatingMediaMiniViewWindow = nullptr;
    delete m_state.floatingMediaMiniViewStorage;
    if (m_state.screenShareTopWindowController) {
        m_state.screenShareTopWindowController->close();
        m_state.screenShareTopWindowController.reset();
    }
    if (QWidget *meeting = m_own.meetingWindow ? m_own.meetingWindow() : nullptr) {
        meeting->show();
        vesk::veskCenter(meeting);
        meeting->raise();
        meeting->activateWindow();
    }
}
