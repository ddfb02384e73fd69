// The meeting form's invitees and allowed sharers: the lists of an edited meeting, the search,
// the member picker and the chips.
#include "scheduling/CreateMeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/SchedulingAgent.h"
#include "scheduling/SchedulingLog.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>

#include <algorithm>

namespace {

// People from the service carry encrypted user ids, the signed-in user a plain one: the lists
// match people by the plain id (the request encrypts it again).
QList<VeskUserModel> withPlainIds(QList<VeskUserModel> users)
{
    for (VeskUserModel &user : users)
        user.userId = RXEncrypt::aes128ecbDecrypt(user.userId);
    return users;
}

QList<VeskUserModel> usersOf(const KVMResponse &response)
{
    if (response.data.canConvert<QList<VeskUserModel>>())
        return withPlainIds(response.data.value<QList<VeskUserModel>>());
    return withPlainIds(jx_objectArrayWithKeyValuesArray<VeskUserModel>(response.data));
}

} // namespace

QList<VeskUserModel> &CreateMeetingViewController::listOf(int type)
{
    return type == ShareMembers ? m_shareMembers : m_members;
}

KVMemberEnterCollectionView *CreateMeetingViewController::chipViewOf(int type) const
{
    return type == ShareMembers ? m_ui->shareMemberCollectionView : m_ui->confereeCollectionView;
}

KVHoverBorderView *CreateMeetingViewController::fieldOf(int type) const
{
    return type == ShareMembers ? m_ui->shareMemberBackView : m_ui->confereeCollectionBackView;
}

// ---- Loading --------------------------------------------------------------------------------

void CreateMeetingViewController::loadMembers()
{
    MeetingDataModel &model = this->model();
    if (model.isEdit && !model.roomId.isEmpty()) {
        // What the caller knew shows until the service answers.
        m_members = withPlainIds(model.status == 0 ? model.invitationList : model.meetingMemberList);
        m_shareMembers = withPlainIds(model.allowShareList);
        m_inviteesLoaded = false;
        reloadInvitees();
        reloadShareMembers();
        updateMemberCountLabel();
        fetchAllowShareList();
        return;
    }
    m_inviteesLoaded = true;
    m_members = {VeskAppAgent::sharedInstance()->myInfo()};
    model.totalMemberCount = 1;
    updateMemberCountLabel();
    reloadInvitees();
    m_shareMembers = withPlainIds(model.allowShareList);
    reloadShareMembers();
}

void CreateMeetingViewController::fetchAllowShareList()
{
    QPointer<CreateMeetingViewController> self(this);
    SchedulingAgent::current().queryMeetingAllowShareListWithRoomId(
        this, dataModel().roomId, false, [self](const KVMResponse &r) {
            if (!self)
                return;
            if (r.successed) {
                const QList<VeskUserModel> list = usersOf(r);
                self->m_dataModel->allowShareList = list;
                self->m_shareMembers = list;
                self->reloadShareMembers();
            } else {
                VeskToast::showToast(CreateMeetingRules::failureText(r));
            }
            self->fetchInvitees();
        });
}

void CreateMeetingViewController::fetchInvitees()
{
    const MeetingDataModel &model = dataModel();
    const bool invitations = model.status == 0;
    QPointer<CreateMeetingViewController> self(this);
    auto done = [self, invitations](const KVMResponse &r) {
        if (!self)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        // Every invitee is kept: the update replaces the service's list with this one.
        const QList<VeskUserModel> list = usersOf(r);
        MeetingDataModel &m = *self->m_dataModel;
        m.totalMemberCount = quint64(list.size());
        if (invitations)
            m.invitationList = list;
        else
            m.meetingMemberList = list;
        self->m_members = list;
        self->m_inviteesLoaded = true;
        self->reloadInvitees();
        self->updateMemberCountLabel();
    };
    if (invitations)
        SchedulingAgent::current().queryMeetingInvitationListWithRoomId(this, model.roomId, std::move(done));
    else
        SchedulingAgent::current().queryMeetingMembersListWithRoomId(this, model.roomId, std::move(done));
}

void CreateMeetingViewController::reloadInvitees()
{
    Ui &ui = *m_ui;
    ui.confereeCollectionView->reloadData(m_members);
    m_shownInviteeCount = m_members.size();
    updateInviteeFieldHeight();
}

void CreateMeetingViewController::updateInviteeFieldHeight()
{
    Ui &ui = *m_ui;
    const int height = CreateMeetingRules::memberFieldHeight(ui.confereeCollectionView->lines());
    if (ui.confereeCollectionBackView->maximumHeight() != height) {
        ui.confereeCollectionBackView->setFixedHeight(height);
        updateScrollContentSize();
    }
}

void CreateMeetingViewController::reloadShareMembers()
{
    m_ui->shareMemberCollectionView->reloadData(m_shareMembers);
}

// ---- Search ---------------------------------------------------------------------------------

void CreateMeetingViewController::memberTextChanged(int type, const QString &text)
{
    // The same text typed in the other list is a new search.
    if (type != m_currentMemberType)
        m_searchMemberKey.clear();
    m_currentMemberType = type;
    searchMember(text);
}

void CreateMeetingViewController::searchMember(const QString &text)
{
    if (text == m_searchMemberKey && !m_searchMemberKey.isNull())
        return;
    m_searchMemberKey = text.isNull() ? QStringLiteral("") : text;
    if (text.isEmpty()) {
        m_searchMembers.clear();
        updateSearchMemberList();
        return;
    }
    QPointer<CreateMeetingViewController> self(this);
    const int type = m_currentMemberType;
    SchedulingAgent::current().queryUserWithUserName(this, text, [self, text, type](const KVMResponse &r) {
        // A reply to an older text, or for the other list, would show the wrong people.
        if (!self || self->m_searchMemberKey != text || self->m_currentMemberType != type)
            return;
        self->m_searchMembers.clear();
        if (r.successed)
            self->m_searchMembers = usersOf(r);
        else
            qCInfo(lcScheduling) << "member search failed" << r.code;
        self->updateSearchMemberList();
    });
}

void CreateMeetingViewController::updateSearchMemberList()
{
    Ui &ui = *m_ui;
    showOverMask();
    if (!ui.memberSelectView) {
        ui.memberSelectView = new KVMemberSelectView(view());
        ui.memberSelectView->installEventFilter(this);
        ui.memberSelectView->onItemClick = [this](const VeskUserModel &, bool) { memberPickerClicked(); };
    }
    KVMemberSelectView *picker = ui.memberSelectView;
    picker->setMembers(m_searchMembers);
    picker->setSelectMembers(&listOf(m_currentMemberType));
    placeMemberPicker();
    picker->updateData();
    // Suggestions while typing: the focus stays in the field.
    picker->show();
    picker->raise();
    updateMaskRegion();
    keyboardFollowsMemberPicker();
}

void CreateMeetingViewController::keyboardFollowsMemberPicker()
{
    KVMemberSelectView *picker = m_ui->memberSelectView;
    if (!picker)
        return;
    QWidget *previous = chipViewOf(m_currentMemberType)->inputTextField();
    for (KVMemberSelectCollectionItem *row : picker->rows()) {
        QWidget::setTabOrder(previous, row);
        previous = row;
    }
    uncoverControls();
    const QRect covered = picker->geometry();
    for (QWidget *w : m_ui->document->findChildren<QWidget *>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && rectInView(w).intersects(covered)) {
            m_coveredByPicker.append({w, w->focusPolicy()});
            w->setFocusPolicy(Qt::NoFocus);
        }
    }
}

void CreateMeetingViewController::uncoverControls()
{
    for (const auto &[widget, policy] : std::as_const(m_coveredByPicker)) {
        if (widget)
            widget->setFocusPolicy(policy);
    }
    m_coveredByPicker.clear();
}

bool CreateMeetingViewController::memberPickerKey(QObject *watched, QEvent *event)
{
    KVMemberSelectView *picker = m_ui->memberSelectView;
    if (event->type() != QEvent::KeyPress || !picker || !picker->isVisible())
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    KVTextField *entry = chipViewOf(m_currentMemberType)->inputTextField();
    const QList<KVMemberSelectCollectionItem *> rows = picker->rows();
    const auto at = std::find(rows.begin(), rows.end(), QApplication::focusWidget());
    if (key == Qt::Key_Escape) {
        hideOverMaskBtnViews();
        entry->setFocus(Qt::OtherFocusReason);
        return true;
    }
    QWidget *to = nullptr;
    if (key == Qt::Key_Down && watched == entry && !rows.isEmpty())
        to = rows.first();
    else if (at == rows.end() || (key != Qt::Key_Down && key != Qt::Key_Up))
        return false;
    else if (key == Qt::Key_Up)
        to = at == rows.begin() ? static_cast<QWidget *>(entry) : *(at - 1);
    else
        to = at + 1 != rows.end() ? *(at + 1) : *at;
    to->setFocus(key == Qt::Key_Up ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    if (to != entry)
        picker->ensureRowVisible(to);
    return true;
}

void CreateMeetingViewController::placeMemberPicker()
{
    KVMemberSelectView *picker = m_ui->memberSelectView;
    if (!picker)
        return;
    // The field may just have changed its height: lay the form out before measuring it.
    if (QLayout *layout = m_ui->document->layout())
        layout->activate();
    const QRect field = rectInView(fieldOf(m_currentMemberType));
    picker->setGeometry(field.left(), field.bottom() + 1 + 10, chipViewOf(m_currentMemberType)->width(),
                        picker->suitedHeight());
    updateMaskRegion();
    keyboardFollowsMemberPicker();
}

void CreateMeetingViewController::memberPickerClicked()
{
    if (m_currentMemberType == ShareMembers) {
        reloadShareMembers();
        keyboardFollowsMemberPicker();
        return;
    }
    MeetingDataModel &model = this->model();
    model.totalMemberCount =
        CreateMeetingRules::adjustedMemberCount(model.totalMemberCount, m_shownInviteeCount, m_members.size());
    reloadInvitees();
    updateMemberCountLabel();
    placeMemberPicker();
}

void CreateMeetingViewController::deleteMember(int type, int index)
{
    QList<VeskUserModel> &list = listOf(type);
    if (index < 0 || index >= list.size())
        return;
    list.removeAt(index);
    if (type == Invitees) {
        MeetingDataModel &model = this->model();
        model.totalMemberCount =
            CreateMeetingRules::adjustedMemberCount(model.totalMemberCount, list.size() + 1, list.size());
        reloadInvitees();
        updateMemberCountLabel();
    } else {
        reloadShareMembers();
    }
    if (m_ui->memberSelectView) {
        m_ui->memberSelectView->updateData();
        placeMemberPicker();
    }
}
