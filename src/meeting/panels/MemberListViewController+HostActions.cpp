// The host's and the assistant hosts' actions of the member list: the control messages, the
// blocks of the rows, of the per-row menu and of the "more" panel, and the joined tab's bottom
// buttons. Each asks the service first; control messages to the members follow a success.

#include "meeting/panels/MemberListViewController.h"
#include "uikit/KVDataText.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/DateHelpers.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/TLWLogManager.h"
#include "meeting/panels/MeetingRowCell.h"
#include "meeting/panels/MemberControlMessages.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListTexts.h"
#include "meeting/panels/MemberMoreActionView.h"
#include "meeting/panels/MemberMorePanelView.h"
#include "meeting/panels/MemberTableView.h"
#include "uikit/KVMemberAlert.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>

using namespace MemberListRules;
using namespace MemberListTexts;

namespace {

constexpr double kMenuBelow = 18;
constexpr double kMenuLeft = 105;

// Whether anybody but me has the device on.
bool othersHave(const MemberRows &rows, bool MeetingMemberModelCopy::*flag)
{
    for (const MemberRow &row : rows) {
        if (!row->checkIsMe() && (*row).*flag)
            return true;
    }
    return false;
}

} // namespace

void MemberListViewController::presentAlert(KVAlert *alert, const QString &objectName)
{
    alert->setObjectName(objectName);
    QPointer<QWidget> list = window();
    const bool hadKeyboard = list && QApplication::activeWindow() == list;
    alert->showInCenterOfWindow(list);
    // Answered, the keyboard goes back to the list where it was (the window manager hands it to
    // another window when the alert goes); the table keeps that place while the rows change.
    QPointer<MemberTableView> table = m_tableView;
    connect(alert, &QObject::destroyed, this, [list, table, hadKeyboard] {
        if (!hadKeyboard || !list || !list->isVisible())
            return;
        list->activateWindow();
        if (table && list->focusWidget())
            table->restoreFocusTo(list->focusWidget());
    });
}

// ---- The four control messages -------------------------------------------------------------------------

void MemberListViewController::sendMicControlDataWithPeerId(const QString &peerId, bool isClose)
{
    MemberControlMessages::sendMicControlDataWithPeerId(peerId, isClose);
}

void MemberListViewController::sendCameraControlDataWithPeerId(const QString &peerId, bool isClose)
{
    MemberControlMessages::sendCameraControlDataWithPeerId(peerId, isClose);
}

void MemberListViewController::sendAllowMemberOpenMicWithPeerId(const QString &peerId, bool notAllowOpenMic)
{
    MemberControlMessages::sendAllowMemberOpenMicWithPeerId(peerId, notAllowOpenMic);
}

void MemberListViewController::sendAllowMemberOpenCameraWithPeerId(const QString &peerId, bool notAllowOpenCamera)
{
    MemberControlMessages::sendAllowMemberOpenCameraWithPeerId(peerId, notAllowOpenCamera);
}

// ---- Rows ----------------------------------------------------------------------------------------------

void MemberListViewController::wireRow(MeetingRowCell *cell)
{
    QPointer<MemberListViewController> self(this);
    cell->micHandleBlock = [self](const MemberRow &row, bool askToOpen) {
        if (!self)
            return;
        self->sendMicControlDataWithPeerId(withoutMeta(row->phoneNumber), !askToOpen);
        if (askToOpen)
            VeskToast::showToastInMeeting(kAskToOpenMicSent);
    };
    cell->cameraHandleBlock = [self](const MemberRow &row) {
        if (self)
            self->sendCameraControlDataWithPeerId(withoutMeta(row->phoneNumber), true);
    };
    cell->moreHandleBlock = [self](const MemberRow &row, double x, double y) {
        if (self)
            self->moreHandle(row, x, y);
    };
    // The row reports for the member it shows now: a reused row view shows another after a reload.
    QPointer<MeetingRowCell> guarded(cell);
    cell->mouseEnteredOrExitedHandleBlock = [self, guarded](bool show) {
        if (self && guarded)
            self->menuRowReported(guarded->model(), show);
    };
    cell->sharePermisssionChangeBlock = [self] {
        if (self)
            NotificationCenter::defaultCenter().post(QStringLiteral("MemeberSharePermissionChange"),
                                                     QVariant::fromValue<QObject *>(self.data()));
    };
    cell->removeModelCheckAction = [self](bool) {
        if (self)
            self->rightBtnRemoveModelBKStyle();
    };
}

namespace {

bool sameMember(const MemberRow &a, const MemberRow &b)
{
    return a && b && (a == b || a->phoneNumber == b->phoneNumber);
}

qsizetype indexOfMember(const MemberRows &rows, const MemberRow &row)
{
    for (qsizetype i = 0; row && i < rows.size(); ++i) {
        if (sameMember(rows.at(i), row))
            return i;
    }
    return -1;
}

} // namespace

MeetingRowCell *MemberListViewController::rowCellOf(const MemberRow &row) const
{
    if (!m_isMembersTableView || !m_tableView)
        return nullptr;
    const qsizetype at = indexOfMember(m_membersDisplayArray, row);
    auto *cell = at < 0 ? nullptr : qobject_cast<MeetingRowCell *>(m_tableView->rowViewAtRow(int(at)));
    return cell && sameMember(cell->model(), row) ? cell : nullptr;
}

void MemberListViewController::moreHandle(const MemberRow &row, double x, double y)
{
    MemberMoreActionView *menu = moreActionView();
    if (menu->model() && !sameMember(menu->model(), row))
        closeMoreMenu();
    const qsizetype index = indexOfMember(m_membersDisplayArray, row);
    menu->row = int(index);
    menu->setModel(row);
    if (menu->parentWidget() || index < 0) {
        // A second click closes it.
        menu->hide();
        menu->setParent(nullptr);
        return;
    }
    menu->setParent(m_tableView->documentView());
    menu->setGeometry(int(x - kMenuLeft), int(y + kMenuBelow), MemberMoreActionView::kWidth,
                      MemberMoreActionView::kHeight);
    menu->show();
    menu->raise();
    // The keyboard goes into the menu; Escape closes it as a second press of the row's button does.
    if (MeetingRowCell *cell = rowCellOf(row)) {
        QPointer<MemberListViewController> self(this);
        KVPanelFocus::opened(menu, cell->moreButton(), [self] {
            if (self)
                self->closeMoreMenu();
        });
    }
}

void MemberListViewController::menuRowReported(const MemberRow &row, bool show)
{
    MemberMoreActionView *menu = m_moreActionView;
    if (!menu || !sameMember(menu->model(), row))
        return;
    if (!show)
        menu->hide();
    else if (menu->parentWidget())
        menu->show();
}

void MemberListViewController::followMenu()
{
    MemberMoreActionView *menu = m_moreActionView;
    if (!menu || !menu->parentWidget() || !menu->model())
        return;
    const qsizetype at = m_isMembersTableView ? indexOfMember(m_membersDisplayArray, menu->model()) : -1;
    // Not shown any more (left, searched away, another tab), or no longer the viewer's to act on.
    if (at < 0 || !m_membersDisplayArray.at(at)->isExpand) {
        closeMoreMenu();
        return;
    }
    // The rows are equal in height: the menu moves as far as its row did.
    if (at != menu->row)
        menu->move(menu->x(), menu->y() + int(at - menu->row) * m_tableView->rowHeight());
    menu->row = int(at);
    // The row may be a new object for the same member: the menu titles itself after the member as he is now.
    menu->setModel(m_membersDisplayArray.at(at));
    menu->raise();
    if (MeetingRowCell *cell = rowCellOf(menu->model()))
        cell->mouseEntered();
}

void MemberListViewController::closeMoreMenu()
{
    MemberMoreActionView *menu = m_moreActionView;
    if (!menu)
        return;
    const MemberRow owner = menu->model();
    if (owner)
        owner->isExpand = false;
    if (menu->parentWidget()) {
        menu->hide();
        menu->setParent(nullptr);
    }
    collapseRowLook(owner);
}

void MemberListViewController::collapseMenuRow()
{
    MemberMoreActionView *menu = m_moreActionView;
    if (!menu)
        return;
    if (menu->model())
        menu->model()->isExpand = false;
    collapseRowLook(menu->model());
}

void MemberListViewController::collapseRowLook(const MemberRow &row)
{
    MeetingRowCell *cell = rowCellOf(row);
    if (!cell)
        return;
    cell->clearBKView();
    // The hover look stays with the pointer or the keyboard on the row.
    const QWidget *focus = QApplication::focusWidget();
    if (!cell->underMouse() && !(focus && cell->isAncestorOf(focus)))
        cell->mouseExited();
}

bool MemberListViewController::inRoster(const MemberRow &row) const
{
    return indexOfMember(m_membersArray, row) >= 0;
}

// ---- The per-row menu ----------------------------------------------------------------------------------

void MemberListViewController::wireMenu(MemberMoreActionView *menu)
{
    QPointer<MemberListViewController> self(this);
    menu->assistantHostBlock = [self](const MemberRow &row, bool grant) {
        if (self)
            self->assistantHost(row, grant);
    };
    menu->removeToWaitingRoomBlock = [self](const MemberRow &row) {
        if (self)
            self->removeToWaitingRoom(row);
    };
    menu->moveOutMeetingRoomBlock = [self](const MemberRow &row) {
        if (self)
            self->moveOutMeetingRoom(row);
    };
}

void MemberListViewController::assistantHost(const MemberRow &row, bool grant)
{
    collapseMenuRow();
    // Only a member still in the meeting.
    if (!inRoster(row))
        return;
    VeskMeetingManager *manager = MemberListContext::manager();
    // At most two assistant hosts, checked against the list as it stands.
    if (grant && manager && manager->asssitantRecordArray().size() >= 2) {
        VeskToast::showToastInMeeting(kAssistantLimit);
        return;
    }
    QPointer<MemberListViewController> self(this);
    VeskAppAgent::sharedInstance()->assginMember(this, {row->phoneNumber}, grant,
                                                 [self, row, grant](const KVMResponse &reply) {
                                                     if (!self)
                                                         return;
                                                     if (!reply.successed) {
                                                         // Late or refused, the service may have done
                                                         // it all the same: its list, not a guess.
                                                         if (VeskMeetingManager *m = MemberListContext::manager())
                                                             m->requireAssistantInfo();
                                                         return;
                                                     }
                                                     row->isAssistantHost = grant;
                                                     self->reloadData();
                                                 });
}

void MemberListViewController::removeToWaitingRoom(const MemberRow &row)
{
    collapseMenuRow();
    if (!inRoster(row))
        return;
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kMoveToWaitingAsk.arg(KVDataText::isolatedName(row->userName)), false, QString(), QVariant(),
        [self, row](const QVariant &, bool) {
            if (!self)
                return;
            VeskAppAgent::sharedInstance()->memberMoveIntoWaitingRoom(
                self, {RXEncrypt::aes128ecbEncrypt(row->phoneNumber)}, [self, row](const KVMResponse &reply) {
                    if (self && reply.successed)
                        VeskToast::showToast(kMovedToWaiting.arg(KVDataText::isolatedName(row->userName)));
                });
        });
    presentAlert(alert, QStringLiteral("moveToWaitingRoomAlert"));
}

void MemberListViewController::moveOutMeetingRoom(const MemberRow &row)
{
    collapseMenuRow();
    if (!inRoster(row))
        return;
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kRemoveAsk.arg(KVDataText::isolatedName(row->userName)), true, kNoReEntry, QVariant(),
        [self, row](const QVariant &, bool forbid) {
            if (!self)
                return;
            VeskAppAgent::sharedInstance()->memberMoveOutfromMeetingRoom(
                self, {requestId(row->phoneNumber)}, forbid, [self, row](const KVMResponse &reply) {
                    if (!self)
                        return;
                    // Told as done only when it is.
                    VeskToast::showToast(reply.successed ? kRemoved.arg(KVDataText::isolatedName(row->userName))
                                                         : failureText(reply.message));
                });
        });
    presentAlert(alert, QStringLiteral("removeMemberAlert"));
}

// ---- The joined tab's bottom buttons -------------------------------------------------------------------

void MemberListViewController::leftButtonAction()
{
    if (!m_isMembersTableView) {
        admitAll();
        return;
    }
    if (m_bactchRemoveModel) {
        endBatchMode();
        return;
    }
    if (m_leftButton->title() == kMuteAll)
        muteAll();
    else
        allowSelfUnmute();
}

void MemberListViewController::rightButtonAction()
{
    if (!m_isMembersTableView) {
        removeAllWaiting();
        return;
    }
    if (m_bactchRemoveModel) {
        batchRemove();
        return;
    }
    MemberMorePanelView *panel = memberMorePanelView();
    if (panel->isShow()) {
        panel->close();
        setRightButtonImage(QStringLiteral("arrow_down_talk"));
    } else {
        panel->show();
        setRightButtonImage(QStringLiteral("arrow_up备份"));
        QPointer<MemberListViewController> self(this);
        KVPanelFocus::opened(panel, m_rightButton, [self] {
            if (self)
                self->rightButtonAction();
        });
    }
}

void MemberListViewController::endBatchMode()
{
    m_bactchRemoveModel = false;
    for (const MemberRow &row : std::as_const(m_membersDisplayArray))
        row->isCheck = false;
    updateButtons(true, false);
}

void MemberListViewController::enterBatchMode()
{
    m_bactchRemoveModel = true;
    updateButtons(true, true);
}

void MemberListViewController::muteAll()
{
    if (!othersHave(m_membersArray, &MeetingMemberModelCopy::audioFlag)) {
        VeskToast::showToast(kNobodyMicOn);
        return;
    }
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kMuteAllAsk, true, kNoSelfUnmute, QVariant(), [self](const QVariant &, bool forbid) {
            if (!self)
                return;
            VeskToast::showLoadingToast(QString());
            const QDateTime start = QDateTime::currentDateTime();
            const QString roomId = MemberListContext::room() ? MemberListContext::room()->roomId : QString();
            VeskAppAgent::sharedInstance()->switchAllMicWithAct(
                self, 0, {QStringLiteral("-1")}, forbid ? 0 : 1,
                [self, forbid, start, roomId](const KVMResponse &reply) {
                    VeskToast::dismissLoadingToast();
                    QVariantMap record = TLWLogManager::operationRecord(
                        QStringLiteral("allMemberCloseMic"), start, QDateTime::currentDateTime(), reply.successed,
                        reply.successed ? QString() : reply.message, QString(), QString(), roomId);
                    if (!reply.successed)
                        record.insert(QStringLiteral("status"), QString::number(reply.code));
                    TLWLogManager::uploadOperationLogWithContent(record);
                    if (!self)
                        return;
                    if (!reply.successed) {
                        VeskToast::showToast(failureText(reply.message));
                        return;
                    }
                    self->sendMicControlDataWithPeerId(QStringLiteral("-1"), true);
                    self->sendAllowMemberOpenMicWithPeerId(QStringLiteral("-1"), forbid);
                    if (forbid) {
                        if (const auto room = MemberListContext::room())
                            room->micAllowStatus = false;
                        self->updateButtons(self->m_isMembersTableView, self->m_bactchRemoveModel);
                        self->memberMorePanelView()->refreshUI();
                    }
                });
        });
    presentAlert(alert, QStringLiteral("muteAllAlert"));
}

void MemberListViewController::allowSelfUnmute()
{
    QPointer<MemberListViewController> self(this);
    VeskToast::showLoadingToast(QString());
    VeskAppAgent::sharedInstance()->allowMemberOpenByselfCompletionBlock(this, [self](const KVMResponse &reply) {
        VeskToast::dismissLoadingToast();
        if (!self)
            return;
        if (!reply.successed) {
            VeskToast::showToast(failureText(reply.message));
            return;
        }
        VeskToast::showToast(kSelfUnmuteAllowed);
        self->sendAllowMemberOpenMicWithPeerId(QStringLiteral("-1"), false);
        if (const auto room = MemberListContext::room())
            room->micAllowStatus = true;
        self->updateButtons(self->m_isMembersTableView, self->m_bactchRemoveModel);
    });
}

void MemberListViewController::closeAllCamera()
{
    if (!othersHave(m_membersArray, &MeetingMemberModelCopy::videoFlag)) {
        VeskToast::showToastInMeeting(kNobodyCameraOn);
        return;
    }
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kCamerasOffAsk, true, kNoSelfCamera, QVariant(), [self](const QVariant &, bool forbid) {
            if (!self)
                return;
            VeskToast::showLoadingToast(QString());
            VeskAppAgent::sharedInstance()->handleConsumerAllOpenCamera(
                self, 0, {QStringLiteral("-1")}, forbid ? 0 : 1, [self, forbid](const KVMResponse &reply) {
                    VeskToast::dismissLoadingToast();
                    if (!self)
                        return;
                    if (!reply.successed) {
                        VeskToast::showToastInMeeting(failureText(reply.message));
                        return;
                    }
                    self->sendCameraControlDataWithPeerId(QStringLiteral("-1"), true);
                    self->sendAllowMemberOpenCameraWithPeerId(QStringLiteral("-1"), forbid);
                    if (forbid) {
                        if (const auto room = MemberListContext::room())
                            room->cameraAllowStatus = false;
                        self->memberMorePanelView()->refreshUI();
                    }
                });
        });
    presentAlert(alert, QStringLiteral("closeAllCamerasAlert"));
}

void MemberListViewController::batchRemove()
{
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kBatchRemoveAsk, true, kNoReEntry, QVariant(), [self](const QVariant &, bool forbid) {
            if (!self)
                return;
            QStringList ids;
            for (const MemberRow &row : std::as_const(self->m_membersDisplayArray)) {
                if (row->isCheck)
                    ids << requestId(row->phoneNumber);
            }
            VeskAppAgent::sharedInstance()->memberMoveOutfromMeetingRoom(
                self, ids, forbid, [self](const KVMResponse &reply) {
                    if (self && reply.code != 0)
                        VeskToast::showToast(failureText(reply.message));
                });
        });
    presentAlert(alert, QStringLiteral("batchRemoveAlert"));
}

// ---- The host "more" panel -----------------------------------------------------------------------------

void MemberListViewController::wireMorePanel(MemberMorePanelView *panel)
{
    QPointer<MemberListViewController> self(this);
    panel->allowMemberOpenMicBlock = [self] {
        if (self)
            self->updateButtons(true, self->m_bactchRemoveModel);
    };
    panel->closeAllCameraBlock = [self] {
        if (self)
            self->closeAllCamera();
    };
    panel->batchRemoveActionBlock = [self] {
        if (self)
            self->enterBatchMode();
    };
    panel->hiddenActionBlock = [self] {
        if (self && self->m_memberMorePanelView && self->m_memberMorePanelView->isShow()) {
            self->m_memberMorePanelView->close();
            self->setRightButtonImage(QStringLiteral("arrow_down_talk"));
        }
    };
}
