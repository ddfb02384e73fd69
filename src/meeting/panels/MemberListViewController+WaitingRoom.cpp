// The waiting room on the host's side: the manager's changes of the waiting list (also while the
// list's window is closed), the read marks, the waiting rows and the two bottom buttons. The
// manager's list changes only through the manager: a person leaves the list here only after the
// service took the admit or the removal.

#include "meeting/panels/MemberListViewController.h"
#include "uikit/KVDataText.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/RXEncrypt.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListTexts.h"
#include "meeting/panels/WaitingMeetingRowCell.h"
#include "uikit/KVMemberAlert.h"
#include "uikit/VeskToast.h"

#include <QLineEdit>

using namespace MemberListRules;
using namespace MemberListTexts;

void MemberListViewController::needUpdateUIFitMember()
{
    MainQueue::async(this, [this] {
        updateButtons(false, m_bactchRemoveModel);
        updateButtonTitle();
        applyWaitingList();
        if (!m_isMembersTableView)
            sendReadMarks();
    });
}

void MemberListViewController::needUpdateUIFitNoBoay()
{
    MainQueue::async(this, [this] { waitingListEmptied(); });
}

void MemberListViewController::waitingListEmptied()
{
    if (VeskMeetingManager *manager = MemberListContext::manager())
        manager->clearRedPoint();
    updateButtons(true, m_bactchRemoveModel);
    updateButtonTitle();
    m_waitingRoomArray.clear();
    reloadData();
}

void MemberListViewController::applyWaitingList()
{
    if (!m_searchTextField->text().isEmpty()) {
        waitRoomTableSearch();
        return;
    }
    VeskMeetingManager *manager = MemberListContext::manager();
    m_waitingRoomArray = manager ? manager->waitRoomMemberArray() : QList<IMSystemSubMessage>();
    updateButtons(m_isMembersTableView, m_bactchRemoveModel);
}

void MemberListViewController::sendReadMarks()
{
    VeskMeetingManager *manager = MemberListContext::manager();
    if (!manager)
        return;
    QStringList ids;
    for (const IMSystemSubMessage &entry : manager->waitRoomMemberArray())
        ids << RXEncrypt::aes128ecbEncrypt(entry.userId);
    // Fire and forget: the marks only clear the others' red dots.
    VeskAppAgent::sharedInstance()->readWaitMemberSingle(this, ids, [](const KVMResponse &) {});
    manager->clearRedPoint();
}

void MemberListViewController::wireWaitingRow(WaitingMeetingRowCell *cell)
{
    QPointer<MemberListViewController> self(this);
    cell->agreeEntrMeetingBlock = [self](const IMSystemSubMessage &entry) {
        if (self)
            self->admit(entry);
    };
    cell->moveOutBlock = [self](const IMSystemSubMessage &entry) {
        if (self)
            self->removeWaiting(entry);
    };
}

void MemberListViewController::admit(const IMSystemSubMessage &entry)
{
    VeskAppAgent::sharedInstance()->agreeEnterInmeeting(this, {requestId(entry.userId)},
                                                        [entry](const KVMResponse &reply) {
                                                            VeskMeetingManager *manager = MemberListContext::manager();
                                                            if (reply.successed && manager)
                                                                manager->waitRoomRemoveMember(entry);
                                                        });
}

void MemberListViewController::removeWaiting(const IMSystemSubMessage &entry)
{
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kRemoveWaitingAsk.arg(KVDataText::isolatedName(entry.userName)), false, QString(), QVariant(),
        [self, entry](const QVariant &, bool) {
            if (!self)
                return;
            VeskAppAgent::sharedInstance()->memberMoveOutfromMeetingRoom(
                self, {requestId(entry.userId)}, false, [entry](const KVMResponse &reply) {
                    VeskMeetingManager *manager = MemberListContext::manager();
                    if (!reply.successed || !manager)
                        return;
                    VeskToast::showToast(kRemovedWaiting.arg(KVDataText::isolatedName(entry.userName)));
                    manager->waitRoomRemoveMember(entry);
                });
        });
    presentAlert(alert, QStringLiteral("removeWaitingAlert"));
}

void MemberListViewController::admitAll()
{
    VeskAppAgent::sharedInstance()->agreeEnterInmeeting(this, {QStringLiteral("-1")}, [](const KVMResponse &reply) {
        VeskMeetingManager *manager = MemberListContext::manager();
        if (reply.successed && manager)
            manager->waitRoomRemoveAllMember();
    });
}

void MemberListViewController::removeAllWaiting()
{
    QPointer<MemberListViewController> self(this);
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        kRemoveAllWaitingAsk, false, QString(), QVariant(), [self](const QVariant &, bool) {
            if (!self)
                return;
            VeskAppAgent::sharedInstance()->memberMoveOutfromMeetingRoom(
                self, {QStringLiteral("-1")}, false, [](const KVMResponse &reply) {
                    VeskMeetingManager *manager = MemberListContext::manager();
                    if (reply.successed && manager)
                        manager->waitRoomRemoveAllMember();
                });
        });
    presentAlert(alert, QStringLiteral("removeAllWaitingAlert"));
}
