// The device pop-ups (camera, microphone, speaker; one open at a time) and the floating windows
// the panels place.

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCTypes.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVCameraSelectView.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

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

// A pop-up opened from the tool bar sits above it; one from the share tool bar in a floating window
// under its button. It takes the focus and gives it back to its opener.
void present(MeetingViewController *page, QWidget *popUp, VeskButton *opener, bool inWindow, QSize size)
{
    if (inWindow)
        placeAboveToolBar(popUp, page->view(), opener, size);
    else
        page->showFloatingWindowAtView(opener, popUp, QSizeF(size), 0, kUnderShareToolBar);
    KVPanelFocus::openedBy(popUp, opener);
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
    closeDevicePopUps(inWindow);
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
    present(this, popUp, sender, inWindow, kCameraPopUpSize);
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
    closeDevicePopUps(inWindow);
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
    present(this, popUp, button, inWindow, kAudioPopUpSize);
}

namespace {

// Takes a pop-up away; a pop-up opened from the share tool bar sits alone in a floating window,
// which closes with it. False when there was none.
bool closePopUp(QPointer<QWidget> &popUp)
{
    if (!popUp)
        return false;
    auto *floating = qobject_cast<KVWindow *>(popUp->window());
    if (floating && floating->contentView() == popUp)
        floating->close();
    popUp->hide();
    // Later: this may run inside one of the pop-up's own callbacks.
    popUp->deleteLater();
    popUp = nullptr;
    return true;
}

} // namespace

void MeetingViewController::hideVideoSelectView()
{
    QPointer<QWidget> &popUp = m_panels->state().videoSelectView;
    if (auto *camera = qobject_cast<KVCameraSelectView *>(popUp))
        camera->stopRunning();
    if (!closePopUp(popUp))
        return;
    if (ui->selectCameraBtn)
        ui->selectCameraBtn->setState(0);
}

void MeetingViewController::hideAudioSelectView()
{
    if (!closePopUp(m_panels->state().audioSelectView))
        return;
    for (MeetingBottomButton *button : {ui->selectMicrophoneBtn.data(), ui->selectSpeakerBtn.data()}) {
        if (button)
            button->setState(0);
    }
}

void MeetingViewController::closeDevicePopUps(bool inWindow)
{
    if (inWindow) {
        hideSettingPage();
        hideAudioSelectView();
        hideVideoSelectView();
    } else {
        hideSelectWindow();
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
