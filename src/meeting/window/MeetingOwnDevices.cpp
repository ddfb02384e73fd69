#include "meeting/window/MeetingOwnDevices.h"

#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/KVDataText.h"

#include "agent/OmbrelManager.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
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
#include "uikit/VeskButton.h"
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
    void (MeetingOwnDevices::*setOn)(bool);
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
                            &MeetingOwnDevices::setIsMicOn,
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
                        &MeetingOwnDevices::setIsCameraOn,
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

// The devices with the window they are shown in.
struct Devices {
    MeetingOwnDevices &own;
    Ui::MeetingViewController &ui;
    QWidget *view; // nullptr before the window's view is loaded
};

void switchOff(const Devices &c, const OwnDevice &device)
{
    (c.own.*device.setOn)(false);
    if (c.view)
        VeskMeetingToast::showNomalTip(c.view, device.closedTip);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        (manager->*device.stop)();
    if (MeetingBottomButton *button = c.ui.*device.button)
        button->setState(0);
}

// Nothing opened: the device is off and both its buttons go back.
void switchBack(const Devices &c, const OwnDevice &device, VeskButton *sender)
{
    (c.own.*device.setOn)(false);
    setBack(sender, c.ui.*device.button);
}

void showDeniedAlert(const Devices &c, const OwnDevice &device, const QString &message)
{
    KVAlert *alert = KVAlert::alertWithTitle(device.deniedTitle, message, Rules::kCancel, Rules::kGoToSettings,
                                             KVAlert::Action(), [pane = device.pane] { openSettingsPane(pane); });
    alert->setObjectName(QString::fromLatin1(device.deniedAlertName));
    alert->showInCenterOfWindow(c.view ? c.view->window() : nullptr);
}

// A device check that did not pass: no device (1) or no access (any other result).
void checkFailed(const Devices &c, const OwnDevice &device, qint64 result, VeskButton *sender)
{
    switchBack(c, device, sender);
    if (result != 1) {
        showDeniedAlert(c, device, device.deniedMessage);
        return;
    }
    if (c.view)
        VeskMeetingToast::showErrorTip(c.view, device.noDevice);
}

} // namespace

MeetingOwnDevices::MeetingOwnDevices(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent)
    : QObject(parent), m_ui(ui), m_window(std::move(window))
{
}

void MeetingOwnDevices::setIsMicOn(bool on)
{
    m_state.isMicOn = on;
    if (m_ui.microphoneBtn)
        m_ui.microphoneBtn->setState(on ? 1 : 0);
}

// ---- Tool-bar buttons -----------------------------------------------------------------------------

void MeetingOwnDevices::openOrCloseMicrophone(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (refusedByBan(kMicrophone, sender, on))
        return;
    if (!on) {
        switchOff(Devices{*this, m_ui, m_window.view()}, kMicrophone);
        return;
    }
    // Outside the room the manager opens nothing, so nothing may look or be reported open.
    if (m_window.stateMeeting() != VeskMeetingManager::StateInRoom || !MeetingCurrent::manager()) {
        switchBack(Devices{*this, m_ui, m_window.view()}, kMicrophone, sender);
        return;
    }
    m_state.micOpenChecking = true;
    QPointer<MeetingOwnDevices> weak(this);
    QPointer<VeskButton> button(sender);
    MeetingDeviceCheck::checkMicrophone([weak, button](qint64 result) {
        if (!weak)
            return;
        MeetingOwnDevices *self = weak;
        self->m_state.micOpenChecking = false;
        if (self->m_window.meetingEnded())
            return;
        if (result != 0) {
            checkFailed(Devices{*self, self->m_ui, self->m_window.view()}, kMicrophone, result, button);
            return;
        }
        VeskMeetingManager *manager = MeetingCurrent::manager();
        // Switched off again meanwhile, or left the room: nothing to open.
        if ((button && button->state() == 0) || !manager ||
            self->m_window.stateMeeting() != VeskMeetingManager::StateInRoom) {
            switchBack(Devices{*self, self->m_ui, self->m_window.view()}, kMicrophone, button);
            return;
        }
        // A close of every microphone that came while joining wins over the open.
        if (self->m_state.tempIsMicOn) {
            self->m_state.tempIsMicOn = false;
            self->m_state.temControlData = MeetingControlData();
            switchBack(Devices{*self, self->m_ui, self->m_window.view()}, kMicrophone, button);
            VeskToast::showToastInMeeting(Rules::kAllMicsClosed);
            return;
        }
        manager->startMicrophone();
        if (!manager->micDidOpen()) {
            qCWarning(lcMeeting) << "microphone did not open";
            switchBack(Devices{*self, self->m_ui, self->m_window.view()}, kMicrophone, button);
            return;
        }
        self->setIsMicOn(true);
        if (QWidget *view = self->m_window.view())
            VeskMeetingToast::showNomalTip(view, Rules::kMicOpened);
        self->reportMicStatus(true);
        if (self->m_ui.microphoneBtn)
            self->m_ui.microphoneBtn->setState(1);
    });
}

void MeetingOwnDevices::openOrCloseCamera(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (refusedByBan(kCamera, sender, on))
        return;
    if (!on) {
        switchOff(Devices{*this, m_ui, m_window.view()}, kCamera);
        return;
    }
    QPointer<MeetingOwnDevices> weak(this);
    QPointer<VeskButton> button(sender);
    MeetingDeviceCheck::checkCamera([weak, button](qint64 result) {
        if (!weak || weak->m_window.meetingEnded())
            return;
        MeetingOwnDevices *self = weak;
        if (result != 0) {
            checkFailed(Devices{*self, self->m_ui, self->m_window.view()}, kCamera, result, button);
            return;
        }
        if (button && button->state() == 0)
            return;
        self->setIsCameraOn(true);
        if (QWidget *view = self->m_window.view())
            VeskMeetingToast::showNomalTip(view, Rules::kCameraOpened);
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->startCamera();
        if (self->m_ui.cameraBtn)
            self->m_ui.cameraBtn->setState(1);
    });
}

void MeetingOwnDevices::openOrCloseSpeaker(VeskButton *sender)
{
    const bool on = sender && sender->state() == 1;
    if (QWidget *view = m_window.view())
        VeskMeetingToast::showNomalTip(view, on ? Rules::kSpeakerOn : Rules::kSpeakerOff);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->enableSpeaker(on);
}

// ---- Applying a new microphone state ---------------------------------------------------------------

void MeetingOwnDevices::micphoneChange()
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
    QPointer<MeetingOwnDevices> weak(this);
    // A newer report meanwhile (the microphone opened again) is the true one: this one is dropped.
    const quint64 serial = ++m_state.micReportSerial;
    KVTimer::singleShot(this, kMicOffReport, [weak, serial] {
        if (weak && !weak->m_window.meetingEnded() && weak->m_state.micReportSerial == serial)
            weak->reportMicStatus(false);
    });
    uploadRecord(QStringLiteral("closeMic"), start, true);
}

void MeetingOwnDevices::openMicOperation()
{
    const QDateTime start = QDateTime::currentDateTime();
    m_state.micOpenChecking = true;
    QPointer<MeetingOwnDevices> weak(this);
    MeetingDeviceCheck::checkMicrophone([weak, start](qint64 result) {
        if (!weak)
            return;
        MeetingOwnDevices *self = weak;
        self->m_state.micOpenChecking = false;
        if (self->m_window.meetingEnded())
            return;
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (result == 0) {
            if (!manager || self->m_window.stateMeeting() != VeskMeetingManager::StateInRoom || !self->isMicOn()) {
                self->setIsMicOn(false);
                return;
            }
            if (self->m_state.tempIsMicOn) {
                self->applyHeldHostControl();
                return;
            }
            manager->setOpenMicStatusExc(false);
            manager->syncStartMicrophone();
            KVTimer::singleShot(self, kMicOpenConfirmation, [weak, start] {
                if (!weak || weak->m_window.meetingEnded())
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
            if (QWidget *view = self->m_window.view())
                VeskMeetingToast::showErrorTip(view, Rules::kNoMicrophone);
            uploadRecord(QStringLiteral("openMic"), start, false, Rules::kNoMicrophone);
            KVLogManager::sharedInstance().logInfo(QStringLiteral("开麦失败"), QStringLiteral("ERROR"),
                                                   {QStringLiteral("失败"), QStringLiteral("未检测到可用的麦克风")});
            return;
        }
        uploadRecord(QStringLiteral("openMic"), start, false, Rules::kMicDeniedOperationMessage);
        KVLogManager::sharedInstance().logInfo(QStringLiteral("开麦失败"), QStringLiteral("ERROR"),
                                               {QStringLiteral("失败"), Rules::kMicDeniedOperationMessage});
        showDeniedAlert(Devices{*self, self->m_ui, self->m_window.view()}, kMicrophone,
                        Rules::kMicDeniedOperationMessage);
    });
}

void MeetingOwnDevices::reportMicStatus(bool on)
{
    ++m_state.micReportSerial;
    reportOwnDevices(this, QString(), on ? QStringLiteral("1") : QStringLiteral("0"));
}

// The confirmation 0.8 s after a quiet open: the members and the service learn of it only when
// the microphone really is open and the service did not refuse one more.
void MeetingOwnDevices::confirmMicOpened()
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

void MeetingOwnDevices::controlMicWithData(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    Rules::MicState state;
    state.isMicOn = isMicOn();
    state.micDidOpen = manager && manager->micDidOpen();
    state.stateMeeting = m_window.stateMeeting();
    state.alertShow = m_state.alertShow;
    switch (Rules::micAction(data, MeetingCurrent::me(), state)) {
    case Rules::MicAction::HoldUntilInRoom:
        m_state.tempIsMicOn = true;
        m_state.temControlData = data;
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

void MeetingOwnDevices::applyHeldHostControl()
{
    if (!m_state.tempIsMicOn)
        return;
    // One turn later, so the join steps of the same state change have started their open.
    QPointer<MeetingOwnDevices> weak(this);
    MainQueue::async(this, [weak] {
        if (!weak || !weak->m_state.tempIsMicOn || weak->m_window.meetingEnded() ||
            weak->m_window.stateMeeting() != VeskMeetingManager::StateInRoom)
            return;
        // An open under way applies it when its check answers.
        if (weak->m_state.micOpenChecking)
            return;
        weak->m_state.tempIsMicOn = false;
        weak->m_state.temControlData = MeetingControlData();
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (weak->isMicOn() || (manager && manager->micDidOpen()))
            weak->closeAllMicsByHost();
    });
}

void MeetingOwnDevices::closeAllMicsByHost()
{
    setIsMicOn(false);
    micphoneChange();
    VeskToast::showToastInMeeting(Rules::kAllMicsClosed);
    const VeskUserModel &me = VeskAppAgent::sharedInstance()->myInfo();
    KVLogManager::sharedInstance().logInfo(
        QStringLiteral("全员闭麦"), QStringLiteral("INFO"),
        {RXEncrypt::aes128ecbEncrypt(me.phoneNumber), me.userName, QStringLiteral("成功")});
}

void MeetingOwnDevices::closeMyMicByHost(const MeetingControlData &data)
{
    const QDateTime start = QDateTime::currentDateTime();
    m_state.tempIsMicOn = false;
    setIsMicOn(false);
    VeskToast::showToastInMeeting(data.sender == Rules::kServerSender ? Rules::kMicForbidden : Rules::kMicClosed);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->stopMicrophone();
    uploadRecord(QStringLiteral("recevieImCloseMic"), start, true, QString(), data.peerId);
    OmbrelManager::sharedInstance().setEndMicDate(QDateTime::currentDateTime());
    OmbrelManager::sharedInstance().uploadOmbrelMicOpenTime();
    reportMicStatus(false);
}

void MeetingOwnDevices::showMicOpenRequest(const MeetingControlData &data)
{
    if (m_state.alertShow)
        return;
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    const QString name = Rules::requesterName(data, room ? room->creatorId : QString());
    QPointer<MeetingOwnDevices> weak(this);
    auto refuse = [weak, data] {
        if (!weak)
            return;
        weak->m_state.alertShow = false;
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
        weak->m_state.alertShow = false;
        uploadRecord(QStringLiteral("receiveImOpenMic"), start, true, QString(), data.peerId);
    };
    KVAlert *alert = KVAlert::alertWithMessage(Rules::kOpenRequest.arg(KVDataText::isolated(name)), Rules::kDontOpen,
                                               Rules::kOpen, refuse, accept);
    alert->setObjectName(QStringLiteral("micOpenRequestAlert"));
    m_state.micOpenRequestAlert = alert;
    m_state.alertShow = true;
    QWidget *view = m_window.view();
    alert->showInCenterOfWindow(view ? view->window() : nullptr);
}

void MeetingOwnDevices::controlCameraWithData(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    Rules::CameraState state;
    state.isCameraOn = isCameraOn();
    state.currentCameraOn = manager && manager->currentCameraOn();
    state.stateMeeting = m_window.stateMeeting();
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

void MeetingOwnDevices::justCloseCamera()
{
    VeskToast::showLoadingToast(QString());
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->stopCamera();
    VeskToast::dismissLoadingToast();
    VeskToast::showToastInMeeting(Rules::kCameraClosed);
    if (m_ui.cameraBtn)
        m_ui.cameraBtn->setState(0);
    setIsCameraOn(false);
    reportOwnDevices(this, QStringLiteral("0"), QString());
}

void MeetingOwnDevices::handleAllowAllowOpenMic(const MeetingControlData &data)
{
    changeUIBaseAllowOpenMic(data.switchStatus != 0);
}

void MeetingOwnDevices::handleAllowAllowOpenCamera(const MeetingControlData &data)
{
    changeUIBaseAllowOpenCamera(data.switchStatus != 0);
}

void MeetingOwnDevices::changeUIBaseAllowOpenMic(bool allow)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (const auto room = manager ? manager->roomInfo() : nullptr)
        room->micAllowStatus = allow;
    if (manager && manager->asssitantHost())
        m_window.allowOpenMicChanged(allow);
}

void MeetingOwnDevices::changeUIBaseAllowOpenCamera(bool allow)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (const auto room = manager ? manager->roomInfo() : nullptr)
        room->cameraAllowStatus = allow;
    if (MeetingCurrent::me().privileged())
        m_window.allowOpenCameraChanged();
}
