#include "meeting/window/MeetingOwnShare.h"
#include "meeting/window/MeetingOwnDevices.h"

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/window/CurrentSpeakerView.h"
#include "meeting/window/FloatingMediaMiniView.h"
#include "meeting/window/FloatingMediaView.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/MeetingViewController.h"

#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QPointer>
#include <QVBoxLayout>

OwnShareCalls makeOwnShareCalls(MeetingViewController *window)
{
    QPointer<MeetingViewController> c(window);
    const auto button = [c](void (MeetingViewController::*op)(VeskButton *)) -> OwnShareCalls::ButtonCall {
        return [c, op](VeskButton *sender) {
            if (c)
                (c.data()->*op)(sender);
        };
    };
    OwnShareCalls calls;
    ScreenShareControl::WindowCalls &w = calls.control;
    w.view = [c]() -> QWidget * { return c && c->isViewLoaded() ? c->view() : nullptr; };
    w.shareBtn = [c]() -> VeskButton * { return c ? c->ui->shareBtn.data() : nullptr; };
    w.finishShareBtn = [c]() -> VeskButton * { return c ? c->ui->finishShareBtn.data() : nullptr; };
    w.judgeSharing = [c] {
        if (!c)
            return false;
        for (const auto &tile : c->activeMembers())
            if (tile && tile->activeVideoSourceType() == 2)
                return true;
        return false;
    };
    w.memberScreenShareOnShow = [c] { return c && c->screenShareSourceModel() != nullptr; };
    w.avFileShareStopped = [c] {
        if (!c)
            return;
        if (c->ui->avFileSharePlayButton)
            c->ui->avFileSharePlayButton->setState(1);
        c->sharing().stopAVFileShareTimer(false);
    };
    w.queryAllShareFileInfo = [c] {
        if (c)
            c->sharing().queryAllShareFileInfo();
    };
    w.reloadGrid = [c] {
        if (c)
            c->reloadVideoCollectionView();
    };
    w.hideFilePagePanel = [c] {
        if (c && c->ui->fileSharePanelBKView)
            c->ui->fileSharePanelBKView->hide();
    };
    w.setSharePermissionInfo = [c](const QMap<QString, MeetingMemberShareStatusModel> &fresh) {
        if (!c)
            return;
        c->sharePermissionInfo() = fresh;
        c->refreshMembers();
    };
    w.refreshShareBottomPanel = [c] {
        if (!c)
            return;
        const QPointer<QWidget> &panel = c->sharing().state().fileShareSpeedSwicthPanelBottom;
        if (panel && panel->parentWidget())
            MeetingPanels::invokeIfOffered(panel, "refreshSharePermissionUI()", "refreshSharePermissionUI");
    };
    w.setMemberShareFlag = [c](const QString &peerId, int switchStatus) {
        if (!c)
            return;
        for (const auto &member : c->allMembers())
            if (member && member->phoneNumber == peerId)
                member->setShareFlag(switchStatus);
        if (MemberListViewController *list = c->memberListViewController())
            list->updateMembers(c->allMembers());
    };

    calls.meetingWindow = [c]() -> QWidget * { return c && c->isViewLoaded() ? c->view()->window() : nullptr; };
    calls.mirroredButtons = [c] {
        QList<VeskButton *> out;
        if (c)
            out = {c->ui->shareBtn,      c->ui->recordButton, c->ui->cameraBtn,
                   c->ui->microphoneBtn, c->ui->speakerBtn,   c->ui->memberListBtn};
        return out;
    };
    calls.startOrStopRecord = [c](VeskButton *sender) {
        if (c)
            c->recording().startOrStopRecord(sender);
    };
    calls.prepareToShare = [c](VeskButton *sender) {
        if (c)
            c->sharing().prepareToShare(sender);
    };
    calls.openOrCloseCamera = [c](VeskButton *sender) {
        if (c)
            c->ownDevices().openOrCloseCamera(sender);
    };
    calls.openOrCloseMicrophone = [c](VeskButton *sender) {
        if (c)
            c->ownDevices().openOrCloseMicrophone(sender);
    };
    calls.openOrCloseSpeaker = [c](VeskButton *sender) {
        if (c)
            c->ownDevices().openOrCloseSpeaker(sender);
    };
    calls.showOrHideMember = button(&MeetingViewController::showOrHideMember);
    calls.selectCamera = button(&MeetingViewController::selectCamera);
    calls.selectMicrophone = button(&MeetingViewController::selectMicrophone);
    calls.selectSpeaker = button(&MeetingViewController::selectSpeaker);
    calls.hideSelectWindow = [c] {
        if (c)
            c->hideSelectWindow();
    };
    calls.closeMemberAndTranscriptionWindows = [c] {
        if (!c)
            return;
        if (MeetingBottomButton *members = c->ui->memberListBtn; members && members->state() != 0) {
            members->setState(0);
            c->showOrHideMember(members);
        }
        c->showOrHiddeTranscriptionWindow(false, false);
    };
    calls.makeFloatingMediaView = [](std::function<void()> collapse) -> QWidget * {
        auto *strip = new FloatingMediaView();
        strip->miniActionBlock = std::move(collapse);
        return strip;
    };
    calls.makeFloatingMediaMiniView = [](std::function<void()> unfold) -> QWidget * {
        auto *tab = new FloatingMediaMiniView();
        tab->unflodBlock = std::move(unfold);
        return tab;
    };
    // The share's speaker label, blank on the bar's colour, fills the strip's place for it.
    calls.placeSpeakerInStrip = [c](QWidget *view) {
        auto *strip = qobject_cast<FloatingMediaView *>(view);
        CurrentSpeakerView *speaker = c ? c->currentSpeakerFloatingView() : nullptr;
        if (!strip || !strip->currentSpeakerView || !speaker || speaker->parentWidget())
            return;
        speaker->nameLabel->setFullText(QString());
        speaker->setBkColor(vesk::colorWithHexString(QStringLiteral("191919")));
        auto *box = qobject_cast<QVBoxLayout *>(strip->currentSpeakerView->layout());
        if (!box) {
            box = new QVBoxLayout(strip->currentSpeakerView);
            box->setContentsMargins(0, 0, 0, 0);
        }
        box->addWidget(speaker);
        speaker->show();
    };
    calls.fillStrip = [c](QWidget *view) {
        auto *strip = qobject_cast<FloatingMediaView *>(view);
        if (!c || !strip)
            return;
        strip->setActiveMembers(c->activeMembers());
        if (!strip->activeMembers().isEmpty())
            strip->showAllMediaAction();
    };
    calls.moreItemView = [c](std::function<void(bool)> setting) -> QWidget * {
        MoreItemView *menu = c ? c->moreItemView() : nullptr;
        if (menu)
            menu->settingBlock = [setting](VeskButton *button) { setting(button && button->state() != 0); };
        return menu;
    };
    calls.resetMoreMenu = [](QWidget *view) {
        if (auto *menu = qobject_cast<MoreItemView *>(view))
            menu->resetItem(nullptr);
    };
    calls.settingPage = [c](bool open) {
        if (!c)
            return;
        if (open)
            c->showSettingPage(0);
        else
            c->hideSettingPage();
    };
    calls.showFloatingWindowAtFrame = [c](const QRect &frame, QWidget *content, const QSizeF &size, double dx,
                                          double dy) -> KVWindow * {
        return c ? c->showFloatingWindowAtFrame(frame, content, size, dx, dy) : nullptr;
    };
    calls.showFloatingWindowAtView = [c](QWidget *anchor, QWidget *content, const QSizeF &size, double dx, double dy) {
        if (c)
            c->showFloatingWindowAtView(anchor, content, size, dx, dy);
    };
    return calls;
}
