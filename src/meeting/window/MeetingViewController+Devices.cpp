// Own microphone, camera and speaker; host control of them; device pop-ups and floating windows.

#include "meeting/window/MeetingViewController.h"
#include "uikit/KVDataText.h"

#include "agent/OmbrelManager.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCTypes.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVCameraSelectView.h"
#include "foundation/KVLogManager.h"
#include "foundation/MainQueue.h"
#include "foundation/RXEncrypt.h"
#include "foundation/TLWLogManager.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCodes.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/window/dispatch/MeetingDeviceCheck.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QDateTime>

#include <chrono>

using namespace std::chrono_literals;
namespace Rules = MeetingHostControlRules;

namespace {

constexpr auto kMicOpenConfirmation = 800ms;
constexpr auto kMicOffReport = 500ms;

// Fire-and-forget: the service's answer changes nothing here.
void reportOwnDevices(QObject *owner, const QString &cameraStatus, const QString &micStatus)
{
    VeskAppAgent::sharedInstance()->updateSelfMeetingConfigWithCameraStatus(owner, cameraStatus, micStatus, QString(),
                                                                            [](const KVMResponse &) {});
}

void uploadRecord(const QString &operationType, const QDateTime &start, bool success, const QString &message = {},
                  const QString &peerId = {})
{
    TLWLogManager::uploadOperationLogWithContent(
        TLWLogManager::operationRecord(operationType, start, QDateTime::currentDateTime(), success, message, peerId));
}

void setBack(VeskButton *sender, VeskButton *button)
{
    if (sender)
        sender->setState(0);
    if (button)
        button->setState(0);
}

// Linux desktops have no common privacy pane to open; sound-server and camera access are
// granted outside the client, so the alert's button only closes it.
void openSettingsPane(const char *what)
{
    qCInfo(lcMeeting) << "no privacy settings pane on this system for the" << what;
}

// What the microphone and the camera differ in along their tool-bar flows.
struct OwnDevice {
    const QString &banned;
    bool MeetingInfoModel::*roomAllows;
    void (MeetingViewController::*setOn)(bool);
    void (VeskMeetingManager::*stop)();
    QPointer<MeetingBottomButton> Ui::MeetingViewController::*button;
    const QString &closedTip;
    const QString &noDevice;
    const QString &deniedTitle;
    const QString &deniedMessage;
    const char *pane;
    const char *deniedAlertName;
};

const OwnDevice kMicrophone{Rules::kMicBanned,
                            &MeetingInfoModel::micAllowStatus,
                            &MeetingViewController::setIsMicOn,
                            &VeskMeetingManager::stopMicrophone,
                            &Ui::MeetingViewController::microphoneBtn,
                            Rules::kMicClosedTip,
                            Rules::kNoMicrophone,
                            Rules::kMicDeniedTitle,
                            Rules::kMicDeniedMessage,
                            "microphone",
                            "microphoneDeniedAlert"};

const OwnDevice kCamera{Rules::kCameraBanned,
                        &MeetingInfoModel::cameraAllowStatus,
                        &MeetingViewController::setIsCameraOn,
                        &VeskMeetingManager::stopCamera,
                        &Ui::MeetingViewController::cameraBtn,
                        Rules::kCameraClosed,
                        Rules::kNoCamera,
                        Rules::kCameraDeniedTitle,
                        Rules::kCameraDeniedMessage,
                        "camera",
                        "cameraDeniedAlert"};

// Switching on in a room that does not allow it: the ban toast, and the button goes back.
bool refusedByBan(const OwnDevice &device, VeskButton *sender, bool on)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    const QString ban = Rules::banToast(device.banned, room && (*room).*device.roomAllows, MeetingCurrent::me(), on);
    if (ban.isEmpty())
        return false;
    VeskToast::showToastInMeeting(ban);
    setBack(sender, nullptr);
    return true;
}

void switchOff(MeetingViewController *c, const OwnDevice &device)
{
    (c->*device.setOn)(false);
    if (c->isViewLoaded())
        VeskMeetingToast::showNomalTip(c->view(), device.closedTip);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        (manager->*device.stop)();
    if (MeetingBottomButton *button = (*c->ui).*device.button)
        button->setState(0);
}

// Nothing opened: the device is off and both its buttons go back.
void switchBack(MeetingViewController *c, const OwnDevice &device, VeskButton *sender)
{
    (c->*device.setOn)(false);
    setBack(sender, (*c->ui).*device.button);
}

void showDeniedAlert(MeetingViewController *c, const OwnDevice &device, const QString &message)
{
    KVAlert *alert = KVAlert::alertWithTitle(device.deniedTitle, message, Rules::kCancel, Rules::kGoToSettings,
                                             KVAlert::Action(), [pane = device.pane] { openSettingsPane(pane); });
    alert->setObjectName(QString::fromLatin1(device.deniedAlertName));
    alert->showInCenterOfWindow(c->window());
}

// A device check that did not pass: no device (1) or no access (any other result).
void checkFailed(MeetingViewController *c, const OwnDevice &device, qint64 result, VeskButton *sender)
{
    switchBack(c, device, sender);
    if (result != 1) {
        showDeniedAlert(c, device, device.deniedMessage);
        return;
    }
    if (c->isViewLoaded())
        VeskMeetingToast::showErrorTip(c->view(), device.noDevice);
}

} // namespace

// ---- Tool-bar buttons -----------------------------------------------------------------------------

void MeetingViewController::openOrCloseMicrophone(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (refusedByBan(kMicrophone, sender, on))
        return;
    if (!on) {
        switchOff(this, kMicrophone);
        return;
    }
    // Outside the room the manager opens nothing, so nothing may look or be reported open.
    if (m_lifetime.stateMeeting != VeskMeetingManager::StateInRoom || !MeetingCurrent::manager()) {
        switchBack(this, kMicrophone, sender);
        return;
    }
    m_devices.micOpenChecking = true;
    QPointer<MeetingViewController> weak(this);
    QPointer<VeskButton> button(sender);
    MeetingDeviceCheck::checkMicrophone([weak, button](qint64 result) {
        if (!weak)
            return;
        MeetingViewController *self = weak;
        self->m_devices.micOpenChecking = false;
        if (self->m_lifetime.meetingEnded)
            return;
        if (result != 0) {
            checkFailed(self, kMicrophone, result, button);
            return;
        }
        VeskMeetingManager *manager = MeetingCurrent::manager();
        // Switched off again meanwhile, or left the room: nothing to open.
        if ((button && button->state() == 0) || !manager ||
            self->m_lifetime.stateMeeting != VeskMeetingManager::StateInRoom) {
            switchBack(self, kMicrophone, button);
            return;
        }
        // A close of every microphone that came while joining wins over the open.
        if (self->m_devices.tempIsMicOn) {
            self->m_devices.tempIsMicOn = false;
            self->m_devices.temControlData = MeetingControlData();
            switchBack(self, kMicrophone, button);
            VeskToast::showToastInMeeting(Rules::kAllMicsClosed);
            return;
        }
        manager->startMicrophone();
        if (!manager->micDidOpen()) {
            qCWarning(lcMeeting) << "microphone did not open";
            switchBack(self, kMicrophone, button);
            return;
        }
        self->setIsMicOn(true);
        if (self->isViewLoaded())
            VeskMeetingToast::showNomalTip(self->view(), Rules::kMicOpened);
        self->reportMicStatus(true);
        if (self->ui->microphoneBtn)
            self->ui->microphoneBtn->setState(1);
    });
}

void MeetingViewController::openOrCloseCamera(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (refusedByBan(kCamera, sender, on))
        return;
    if (!on) {
        switchOff(this, kCamera);
        return;
    }
    QPointer<MeetingViewController> weak(this);
    QPointer<VeskButton> button(sender);
    MeetingDeviceCheck::checkCamera([weak, button](qint64 result) {
        if (!weak || weak->m_lifetime.meetingEnded)
            return;
        MeetingViewController *self = weak;
        if (result != 0) {
            checkFailed(self, kCamera, result, button);
            return;
        }
        if (button && button->state() == 0)
            return;
        self->setIsCameraOn(true);
        if (self->isViewLoaded())
            VeskMeetingToast::showNomalTip(self->view(), Rules::kCameraOpened);
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->startCamera();
        if (self->ui->cameraBtn)
            self->ui->cameraBtn->setState(1);
    });
}

void MeetingViewController::openOrCloseSpeaker(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (isViewLoaded())
        VeskMeetingToast::showNomalTip(view(), on ? Rules::kSpeakerOn : Rules::kSpeakerOff);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->enableSpeaker(on);
}

// ---- Applying a new microphone state ---------------------------------------------------------------

void MeetingViewController::micphoneChange()
{
    if (isMicOn()) {
        openMicOperation();
        return;
    }
    const QDateTime start = QDateTime::currentDateTime();
    VeskToast::showToastInMeeting(Rules::kMicClosed);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->stopMicrophone();
    OmbrelManager::sharedInstance().setEndMicDate(QDateTime::currentDateTime());
    OmbrelManager::sharedInstance().uploadOmbrelMicOpenTime();
    QPointer<MeetingViewController> weak(this);
    // A newer report meanwhile (the microphone opened again) is the true one: this one is dropped.
    const quint64 serial = ++m_devices.micReportSerial;
    KVTimer::singleShot(this, kMicOffReport, [weak, serial] {
        if (weak && !weak->m_lifetime.meetingEnded && weak->m_devices.micReportSerial == serial)
            weak->reportMicStatus(false);
    });
    uploadRecord(QStringLiteral("closeMic"), start, true);
}

void MeetingViewController::openMicOperation()
{
    const QDateTime start = QDateTime::currentDateTime();
    m_devices.micOpenChecking = true;
    QPointer<MeetingViewController> weak(this);
    MeetingDeviceCheck::checkMicrophone([weak, start](qint64 result) {
        if (!weak)
            return;
        MeetingViewController *self = weak;
        self->m_devices.micOpenChecking = false;
        if (self->m_lifetime.meetingEnded)
            return;
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (result == 0) {
            if (!manager || self->m_lifetime.stateMeeting != VeskMeetingManager::StateInRoom || !self->isMicOn()) {
                self->setIsMicOn(false);
                return;
            }
            if (self->m_devices.tempIsMicOn) {
                self->applyHeldHostControl();
                return;
            }
            manager->setOpenMicStatusExc(false);
            manager->syncStartMicrophone();
            KVTimer::singleShot(self, kMicOpenConfirmation, [weak, start] {
                if (!weak || weak->m_lifetime.meetingEnded)
                    return;
                weak->confirmMicOpened();
                if (weak->isMicOn())
                    uploadRecord(QStringLiteral("openMic"), start, true);
                else
                    uploadRecord(QStringLiteral("openMic"), start, false, QStringLiteral("开麦失败"));
            });
            return;
        }
        self->setIsMicOn(false);
        if (result == 1) {
            if (self->isViewLoaded())
                VeskMeetingToast::showErrorTip(self->view(), Rules::kNoMicrophone);
            uploadRecord(QStringLiteral("openMic"), start, false, Rules::kNoMicrophone);
            KVLogManager::sharedInstance().logInfo(QStringLiteral("开麦失败"), QStringLiteral("ERROR"),
                                                   {QStringLiteral("失败"), QStringLiteral("未检测到可用的麦克风")});
            return;
        }
        uploadRecord(QStringLiteral("openMic"), start, false, Rules::kMicDeniedOperationMessage);
        KVLogManager::sharedInstance().logInfo(QStringLiteral("开麦失败"), QStringLiteral("ERROR"),
                                               {QStringLiteral("失败"), Rules::kMicDeniedOperationMessage});
        showDeniedAlert(self, kMicrophone, Rules::kMicDeniedOperationMessage);
    });
}

void MeetingViewController::reportMicStatus(bool on)
{
    ++m_devices.micReportSerial;
    reportOwnDevices(this, QString(), on ? QStringLiteral("1") : QStringLiteral("0"));
}

// The confirmation 0.8 s after a quiet open: the members and the service learn of it only when
// the microphone really is open and the service did not refuse one more.
void MeetingViewController::confirmMicOpened()
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager || !isMicOn())
        return;
    if (manager->openMicStatusExc() || !manager->micDidOpen()) {
        // Audio over the limit, or the engine refused: off again, nothing reported as open.
        setIsMicOn(false);
        manager->stopMicrophone();
        return;
    }
    manager->onMemberConfigChange(VeskAppAgent::sharedInstance()->myInfo().phoneNumber, QStringLiteral("audio"), 1);
    VeskToast::showToastInMeeting(Rules::kMicOpened);
    OmbrelManager::sharedInstance().setStartMicDate(QDateTime::currentDateTime());
    reportMicStatus(true);
}

// ---- Host control ------------------------------------------------------------------------------------

void MeetingViewController::controlMicWithData(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    Rules::MicState state;
    state.isMicOn = isMicOn();
    state.micDidOpen = manager && manager->micDidOpen();
    state.stateMeeting = m_lifetime.stateMeeting;
    state.alertShow = m_devices.alertShow;
    switch (Rules::micAction(data, MeetingCurrent::me(), state)) {
    case Rules::MicAction::HoldUntilInRoom:
        m_devices.tempIsMicOn = true;
        m_devices.temControlData = data;
        break;
    case Rules::MicAction::CloseAll:
        closeAllMicsByHost();
        break;
    case Rules::MicAction::CloseMine:
        closeMyMicByHost(data);
        break;
    case Rules::MicAction::AskToOpen:
        showMicOpenRequest(data);
        break;
    case Rules::MicAction::None:
        break;
    }
}

void MeetingViewController::applyHeldHostControl()
{
    if (!m_devices.tempIsMicOn)
        return;
    // One turn later, so the join steps of the same state change have started their open.
    QPointer<MeetingViewController> weak(this);
    MainQueue::async(this, [weak] {
        if (!weak || !weak->m_devices.tempIsMicOn || weak->m_lifetime.meetingEnded ||
            weak->m_lifetime.stateMeeting != VeskMeetingManager::StateInRoom)
            return;
        // An open under way applies it when its check answers.
        if (weak->m_devices.micOpenChecking)
            return;
        weak->m_devices.tempIsMicOn = false;
        weak->m_devices.temControlData = MeetingControlData();
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (weak->isMicOn() || (manager && manager->micDidOpen()))
            weak->closeAllMicsByHost();
    });
}

void MeetingViewController::closeAllMicsByHost()
{
    setIsMicOn(false);
    micphoneChange();
    VeskToast::showToastInMeeting(Rules::kAllMicsClosed);
    const VeskUserModel &me = VeskAppAgent::sharedInstance()->myInfo();
    KVLogManager::sharedInstance().logInfo(
        QStringLiteral("全员闭麦"), QStringLiteral("INFO"),
        {RXEncrypt::aes128ecbEncrypt(me.phoneNumber), me.userName, QStringLiteral("成功")});
}

void MeetingViewController::closeMyMicByHost(const MeetingControlData &data)
{
    const QDateTime start = QDateTime::currentDateTime();
    m_devices.tempIsMicOn = false;
    setIsMicOn(false);
    VeskToast::showToastInMeeting(data.sender == Rules::kServerSender ? Rules::kMicForbidden : Rules::kMicClosed);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->stopMicrophone();
    uploadRecord(QStringLiteral("recevieImCloseMic"), start, true, QString(), data.peerId);
    OmbrelManager::sharedInstance().setEndMicDate(QDateTime::currentDateTime());
    OmbrelManager::sharedInstance().uploadOmbrelMicOpenTime();
    reportMicStatus(false);
}

void MeetingViewController::showMicOpenRequest(const MeetingControlData &data)
{
    if (m_devices.alertShow)
        return;
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    const QString name = Rules::requesterName(data, room ? room->creatorId : QString());
    QPointer<MeetingViewController> weak(this);
    auto refuse = [weak, data] {
        if (!weak)
            return;
        weak->m_devices.alertShow = false;
        MeetingControlData reply;
        reply.peerId = data.sender;
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->sendMeetingControlWithType(qint64(MeetingControlEvent::MicRequestRefused), reply,
                                                {QStringLiteral("peerId")});
        const VeskUserModel &me = VeskAppAgent::sharedInstance()->myInfo();
        KVLogManager::sharedInstance().logInfo(
            QStringLiteral("单人开麦"), QStringLiteral("INFO"),
            {RXEncrypt::aes128ecbEncrypt(me.phoneNumber), me.userName, QStringLiteral("拒绝开启")});
    };
    auto accept = [weak, data] {
        if (!weak)
            return;
        const QDateTime start = QDateTime::currentDateTime();
        weak->setIsMicOn(data.switchStatus != 0);
        weak->micphoneChange();
        weak->m_devices.alertShow = false;
        uploadRecord(QStringLiteral("receiveImOpenMic"), start, true, QString(), data.peerId);
    };
    KVAlert *alert = KVAlert::alertWithMessage(Rules::kOpenRequest.arg(KVDataText::isolated(name)), Rules::kDontOpen,
                                               Rules::kOpen, refuse, accept);
    alert->setObjectName(QStringLiteral("micOpenRequestAlert"));
    m_devices.micOpenRequestAlert = alert;
    m_devices.alertShow = true;
    alert->showInCenterOfWindow(window());
}

void MeetingViewController::controlCameraWithData(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    Rules::CameraState state;
    state.isCameraOn = isCameraOn();
    state.currentCameraOn = manager && manager->currentCameraOn();
    state.stateMeeting = m_lifetime.stateMeeting;
    switch (Rules::cameraAction(data, MeetingCurrent::me(), state)) {
    case Rules::CameraAction::CloseAll:
        setIsCameraOn(false);
        justCloseCamera();
        VeskToast::showToastInMeeting(Rules::kAllCamerasClosed);
        break;
    case Rules::CameraAction::CloseMine:
        setIsCameraOn(false);
        justCloseCamera();
        if (data.sender != Rules::kServerSender)
            VeskToast::showToastInMeeting(Rules::kCameraClosed);
        reportOwnDevices(this, QStringLiteral("0"), QString());
        break;
    case Rules::CameraAction::None:
        break;
    }
}

void MeetingViewController::justCloseCamera()
{
    VeskToast::showLoadingToast(QString());
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->stopCamera();
    VeskToast::dismissLoadingToast();
    VeskToast::showToastInMeeting(Rules::kCameraClosed);
    if (ui->cameraBtn)
        ui->cameraBtn->setState(0);
    setIsCameraOn(false);
    reportOwnDevices(this, QStringLiteral("0"), QString());
}

void MeetingViewController::handleAllowAllowOpenMic(const MeetingControlData &data)
{
    changeUIBaseAllowOpenMic(data.switchStatus != 0);
}

void MeetingViewController::handleAllowAllowOpenCamera(const MeetingControlData &data)
{
    changeUIBaseAllowOpenCamera(data.switchStatus != 0);
}

void MeetingViewController::changeUIBaseAllowOpenMic(bool allow)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (const auto room = manager ? manager->roomInfo() : nullptr)
        room->micAllowStatus = allow;
    if (manager && manager->asssitantHost())
        memberListUpdateAllowOpenMicStatusDisplay(allow);
}

void MeetingViewController::changeUIBaseAllowOpenCamera(bool allow)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (const auto room = manager ? manager->roomInfo() : nullptr)
        room->cameraAllowStatus = allow;
    if (MeetingCurrent::me().privileged())
        memberListUpdateIsOrNotAllowOpenCameraStatusDisplay();
}

// ---- Device pop-ups and panel windows ----------------------------------------------------------------

namespace {

constexpr QSize kCameraPopUpSize = KVCameraSelectView::kSize;
constexpr QSize kAudioPopUpSize = KVAudioSelectView::kSize;
// Pop-ups in the meeting window end this far above its bottom, clear of the tool bar.
constexpr int kPopUpBottomGap = 100;
// Pop-ups of the share tool bar hang this far under their button.
constexpr double kUnderShareToolBar = 66;

void setOff(VeskButton *button)
{
    if (button)
        button->setState(0);
}

// A pop-up's settings link: its button goes off, the pop-up (or, from the share tool bar, its
// floating window) closes, and the settings page opens on the device's tab.
std::function<void()> settingsLink(MeetingViewController *page, VeskButton *button, bool inWindow,
                                   void (MeetingViewController::*hidePopUp)(), int tab)
{
    QPointer<MeetingViewController> weak(page);
    QPointer<VeskButton> guarded(button);
    return [weak, guarded, inWindow, hidePopUp, tab] {
        if (!weak)
            return;
        setOff(guarded);
        if (inWindow)
            (weak.data()->*hidePopUp)();
        else
            weak->hideSelectWindow();
        weak->showSettingPage(tab);
    };
}

void switchEngineDevice(int kind, const QString &name)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (KRTCEngineOC *engine = manager ? manager->engine() : nullptr)
        engine->switchDevice(kind, name);
}

// Centred on the button, its bottom kPopUpBottomGap above the view's bottom.
void placeAboveToolBar(QWidget *popUp, QWidget *view, QWidget *button, QSize size)
{
    const int centre = button->mapTo(view, QPoint(button->width() / 2, 0)).x();
    popUp->setParent(view);
    popUp->setGeometry(centre - size.width() / 2, view->height() - kPopUpBottomGap - size.height(), size.width(),
                       size.height());
    popUp->show();
    popUp->raise();
}

} // namespace

void MeetingViewController::selectCamera(VeskButton *sender)
{
    if (!sender)
        return;
    const bool on = sender->state() == 1;
    const bool inWindow = sender == ui->selectCameraBtn;
    setOff(ui->selectMicrophoneBtn);
    setOff(ui->selectSpeakerBtn);
    if (!on) {
        setOff(ui->selectCameraBtn);
        if (inWindow)
            hideVideoSelectView();
        else
            hideSelectWindow();
        return;
    }
    if (inWindow) {
        hideSettingPage();
        hideAudioSelectView();
        hideVideoSelectView();
    } else {
        hideSelectWindow();
    }
    hideOtherOverViewsExceptView(nullptr);
    // After the closes above, which turn the selectors off.
    if (ui->selectCameraBtn)
        ui->selectCameraBtn->setState(1);
    sender->setState(1);

    auto *popUp = vesk::loadViewFromNibWithName<KVCameraSelectView>(QStringLiteral("KVCameraSelectView"));
    if (!popUp || !isViewLoaded()) {
        delete popUp;
        return;
    }
    popUp->onVideoDeviceChanged = [](KVCameraSelectView *view) {
        const std::optional<KVVideoDevice> camera = view->model() ? view->model()->currentCamera() : std::nullopt;
        switchEngineDevice(KRTCDeviceKind::Camera, camera ? camera->name : QString());
    };
    popUp->onSettingCamera = settingsLink(this, sender, inWindow, &MeetingViewController::hideVideoSelectView, 1);
    popUp->setModel(VeskAppAgent::sharedInstance()->settingModel());
    m_panels->state().videoSelectView = popUp;
    if (inWindow)
        placeAboveToolBar(popUp, view(), sender, kCameraPopUpSize);
    else
        showFloatingWindowAtView(sender, popUp, QSizeF(kCameraPopUpSize), 0, kUnderShareToolBar);
    KVPanelFocus::openedBy(popUp, sender);
}

void MeetingViewController::selectMicrophone(VeskButton *sender)
{
    selectAudio(sender, false);
}

void MeetingViewController::selectSpeaker(VeskButton *sender)
{
    selectAudio(sender, true);
}

void MeetingViewController::selectAudio(VeskButton *sender, bool isSpeaker)
{
    if (!sender)
        return;
    const bool on = sender->state() == 1;
    setOff(isSpeaker ? ui->selectMicrophoneBtn : ui->selectSpeakerBtn);
    setOff(ui->selectCameraBtn);
    if (on) {
        showAudioSelectView(isSpeaker, sender);
        sender->setState(1);
        return;
    }
    if (sender == (isSpeaker ? ui->selectSpeakerBtn : ui->selectMicrophoneBtn))
        hideAudioSelectView();
    else
        hideSelectWindow();
}

void MeetingViewController::showAudioSelectView(bool isSpeaker, VeskButton *button)
{
    const bool inWindow = button && (button == ui->selectSpeakerBtn || button == ui->selectMicrophoneBtn);
    if (inWindow) {
        hideSettingPage();
        hideAudioSelectView();
        hideVideoSelectView();
    } else {
        hideSelectWindow();
    }
    hideOtherOverViewsExceptView(m_panels->state().audioSelectView);

    auto *popUp = vesk::loadViewFromNibWithName<KVAudioSelectView>(QStringLiteral("KVAudioSelectView"));
    if (!popUp || !isViewLoaded()) {
        delete popUp;
        return;
    }
    popUp->setIsSpeaker(isSpeaker);
    popUp->onDeviceChanged = [](KVAudioSelectView *view) {
        MainSettingModel *model = view->model();
        if (!model)
            return;
        const std::optional<KVAudioDevice> device =
            view->isSpeaker() ? model->currentSpeaker() : model->currentMicphone();
        // The entry without a name follows the system default: the engine already does.
        if (!device || device->name.isEmpty())
            return;
        switchEngineDevice(view->isSpeaker() ? KRTCDeviceKind::Speaker : KRTCDeviceKind::Microphone, device->name);
    };
    popUp->onSettingAction = settingsLink(this, button, inWindow, &MeetingViewController::hideAudioSelectView, 2);
    popUp->setModel(VeskAppAgent::sharedInstance()->settingModel());
    m_panels->state().audioSelectView = popUp;
    if (inWindow)
        placeAboveToolBar(popUp, view(), button, kAudioPopUpSize);
    else
        showFloatingWindowAtView(button, popUp, QSizeF(kAudioPopUpSize), 0, kUnderShareToolBar);
    KVPanelFocus::openedBy(popUp, button);
}

namespace {

// A pop-up opened from the share tool bar sits alone in a floating window: no empty window stays.
void closeFloatingHolder(QWidget *popUp)
{
    auto *floating = qobject_cast<KVWindow *>(popUp->window());
    if (floating && floating->contentView() == popUp)
        floating->close();
}

} // namespace

void MeetingViewController::hideVideoSelectView()
{
    QPointer<QWidget> &popUp = m_panels->state().videoSelectView;
    if (!popUp)
        return;
    if (auto *camera = qobject_cast<KVCameraSelectView *>(popUp))
        camera->stopRunning();
    closeFloatingHolder(popUp);
    popUp->hide();
    // Later: this may run inside one of the pop-up's own callbacks.
    popUp->deleteLater();
    popUp = nullptr;
    if (ui->selectCameraBtn)
        ui->selectCameraBtn->setState(0);
}

void MeetingViewController::hideAudioSelectView()
{
    QPointer<QWidget> &popUp = m_panels->state().audioSelectView;
    if (!popUp)
        return;
    closeFloatingHolder(popUp);
    popUp->hide();
    popUp->deleteLater();
    popUp = nullptr;
    for (MeetingBottomButton *button : {ui->selectMicrophoneBtn.data(), ui->selectSpeakerBtn.data()}) {
        if (button)
            button->setState(0);
    }
}
void MeetingViewController::hideSelectWindow()
{
    hideSettingPage();
    // Both close the floating window holding their pop-up.
    hideAudioSelectView();
    hideVideoSelectView();
}

void MeetingViewController::showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize,
                                                     double adjustX, double adjustY)
{
    m_panels->showFloatingWindowAtView(view, contentView, contentViewSize, adjustX, adjustY);
}
KVWindow *MeetingViewController::showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView,
                                                           const QSizeF &contentViewSize, double adjustX,
                                                           double adjustY)
{
    return m_panels->showFloatingWindowAtFrame(frame, contentView, contentViewSize, adjustX, adjustY);
}
void MeetingViewController::placeWindowAtIndex(QWidget *window, QWidget *toTheLeftOfWindow, double adjustX,
                                               double adjustY)
{
    m_panels->placeWindowAtIndex(window, toTheLeftOfWindow, adjustX, adjustY);
}
