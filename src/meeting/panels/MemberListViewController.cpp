// The member list: its build, rows, tabs, bottom buttons and search. Host actions and the waiting
// room are in +HostActions.cpp and +WaitingRoom.cpp.

#include "meeting/panels/MemberListViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "meeting/panels/MeetingRowCell.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/panels/MemberListTexts.h"
#include "meeting/panels/MemberMoreActionView.h"
#include "meeting/panels/MemberMorePanelView.h"
#include "meeting/panels/MemberTableView.h"
#include "meeting/panels/WaitingMeetingRowCell.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskToast.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

using A = KVLayoutConstraint::Attribute;
using namespace MemberListRules;

namespace {

QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}

VeskButton *tabButton(QWidget *parent, const QString &objectName)
{
    auto *b = new VeskButton(parent);
    b->setObjectName(objectName);
    b->setFont(vesk::systemFont(14));
    vesk::setCornerRadius(b, 3);
    return b;
}

VeskButton *bottomButton(QWidget *parent, const QString &objectName)
{
    auto *b = new VeskButton(parent);
    b->setObjectName(objectName);
    b->setFont(vesk::systemFont(14));
    b->setImagePosition(VeskButton::ImagePosition::Right);
    vesk::setCornerRadius(b, 6);
    AutoLayout::autoSetDimensionsToSize(b, QSizeF(145, 36));
    AutoLayout::autoAlignAxisToSuperviewAxis(b, A::CenterY);
    return b;
}

} // namespace

MemberListViewController::MemberListViewController(QObject *parent) : MacBaseViewController(parent) {}

MemberListViewController::~MemberListViewController()
{
    if (m_moreActionView && !m_moreActionView->parent())
        delete m_moreActionView.data();
}

void MemberListViewController::loadView()
{
    auto *root = new QWidget();
    root->setObjectName(QStringLiteral("MemberListView"));
    root->setAccessibleName(QStringLiteral("成员管理"));
    setView(root);
}

void MemberListViewController::viewDidLoad()
{
    createUI();
}

void MemberListViewController::createUI()
{
    QWidget *root = view();
    vesk::setBackgroundColor(root, hex("#222222"));
    vesk::setCornerRadius(root, 8);
    root->resize(342, 950);

    m_memberTitleLabel = KVDataText::label(memberTitle(0), root);
    m_memberTitleLabel->setObjectName(QStringLiteral("memberTitleLabel"));
    m_memberTitleLabel->setFont(vesk::systemFont(15, QFont::Medium));
    m_memberTitleLabel->setStyleSheet(QStringLiteral("color: #F0F0F0;"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_memberTitleLabel, A::Top, 12);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_memberTitleLabel, A::Leading, 16);
    AutoLayout::autoSetDimensionsToSize(m_memberTitleLabel, QSizeF(200, 20));

    m_closeButton = new VeskButton(root);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setImage(MemberListIcons::image(QStringLiteral("member_close"), 16));
    m_closeButton->setAccessibleName(MemberListTexts::kClose);
    m_closeButton->setToolTip(MemberListTexts::kClose);
    AutoLayout::autoSetDimensionsToSize(m_closeButton, QSizeF(22, 22));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_closeButton, A::Top, 11);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_closeButton, A::Trailing, 12);
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] { removeAction(); });

    m_lineView = new QWidget(root);
    m_lineView->setObjectName(QStringLiteral("lineView"));
    vesk::setBackgroundColor(m_lineView, hex("#232527"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_lineView, A::Top, 44);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_lineView, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_lineView, A::Trailing, 0);
    AutoLayout::autoSetDimension(m_lineView, A::Height, 1);

    // The tab bar, shown while somebody waits.
    m_buttonBKView = new QWidget(root);
    m_buttonBKView->setObjectName(QStringLiteral("buttonBKView"));
    vesk::setBackgroundColor(m_buttonBKView, hex("#303030"));
    vesk::setCornerRadius(m_buttonBKView, 3);
    AutoLayout::autoPinEdge(m_buttonBKView, A::Top, A::Bottom, m_lineView, 11);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_buttonBKView, A::Leading, 16);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_buttonBKView, A::Trailing, 16);
    AutoLayout::autoSetDimension(m_buttonBKView, A::Height, 36);
    m_meetingButton = tabButton(m_buttonBKView, QStringLiteral("meetingButton"));
    m_waitingMeetingButton = tabButton(m_buttonBKView, QStringLiteral("waitingMeetingButton"));
    for (VeskButton *b : {m_meetingButton, m_waitingMeetingButton}) {
        AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Top, 3);
        AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Bottom, 3);
        AutoLayout::autoSetDimension(b, A::Width, 152);
    }
    AutoLayout::autoPinEdgeToSuperviewEdge(m_meetingButton, A::Leading, 3);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_waitingMeetingButton, A::Trailing, 3);
    connect(m_meetingButton, &QAbstractButton::clicked, this, [this] { meetingAction(); });
    connect(m_waitingMeetingButton, &QAbstractButton::clicked, this, [this] { waitingMeetingAction(); });
    m_buttonBKView->hide();

    m_searchBKView = new QWidget(root);
    m_searchBKView->setObjectName(QStringLiteral("searchBKView"));
    vesk::setBackgroundColor(m_searchBKView, hex("#353535"));
    vesk::setCornerRadius(m_searchBKView, 6);
    m_searchViewTopConstraint =
        AutoLayout::autoPinEdge(m_searchBKView, A::Top, A::Bottom, m_lineView, kSearchTopWithoutTabs);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchBKView, A::Leading, 16);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchBKView, A::Trailing, 16);
    AutoLayout::autoSetDimension(m_searchBKView, A::Height, 32);
    auto *searchIcon = new QLabel(m_searchBKView);
    searchIcon->setPixmap(MemberListIcons::image(QStringLiteral("member_search"), 16));
    AutoLayout::autoSetDimensionsToSize(searchIcon, QSizeF(16, 16));
    AutoLayout::autoPinEdgeToSuperviewEdge(searchIcon, A::Leading, 9);
    AutoLayout::autoAlignAxisToSuperviewAxis(searchIcon, A::CenterY);
    m_searchTextField = new QLineEdit(m_searchBKView);
    m_searchTextField->setObjectName(QStringLiteral("searchTextField"));
    m_searchTextField->setFrame(false);
    m_searchTextField->setAccessibleName(MemberListTexts::kSearchPlaceholder);
    m_searchTextField->setStyleSheet(QStringLiteral("background: transparent; color: #F0F0F0;"));
    m_searchTextField->setFont(vesk::systemFont(13));
    vesk::setPlaceholder(m_searchTextField, MemberListTexts::kSearchPlaceholder, hex("#8E8E93"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchTextField, A::Leading, 30);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchTextField, A::Trailing, 8);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchTextField, A::Top, 4);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_searchTextField, A::Bottom, 4);
    connect(m_searchTextField, &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
    connect(m_searchTextField, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });

    m_bottomView = new QWidget(root);
    m_bottomView->setObjectName(QStringLiteral("bottomView"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_bottomView, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_bottomView, A::Trailing, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_bottomView, A::Bottom, 0);
    m_bottomViewHeight = AutoLayout::autoSetDimension(m_bottomView, A::Height, kBottomBarHeight);
    m_leftButton = bottomButton(m_bottomView, QStringLiteral("leftButton"));
    m_rightButton = bottomButton(m_bottomView, QStringLiteral("rightButton"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_leftButton, A::Leading, 16);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_rightButton, A::Trailing, 16);
    connect(m_leftButton, &QAbstractButton::clicked, this, [this] { leftButtonAction(); });
    connect(m_rightButton, &QAbstractButton::clicked, this, [this] { rightButtonAction(); });

    m_tableView = new MemberTableView(kRowHeight, root);
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setAccessibleName(QStringLiteral("成员列表"));
    AutoLayout::autoPinEdge(m_tableView, A::Top, A::Bottom, m_searchBKView, 8);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_tableView, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_tableView, A::Trailing, 0);
    AutoLayout::autoPinEdge(m_tableView, A::Bottom, A::Top, m_bottomView, 0);
    m_tableView->setDataSource(
        {[this] { return int(m_isMembersTableView ? m_membersDisplayArray.size() : m_waitingRoomArray.size()); },
         [this](int row) { return viewForRow(row); }, [this](int row) { return keyForRow(row); },
         [](QWidget *view) {
             // A row's more button shows only while the row is under the pointer or holds the focus.
             if (auto *cell = qobject_cast<MeetingRowCell *>(view))
                 cell->mouseEntered();
         }});

    m_tableView->setTabNeighbours(m_searchTextField, {m_leftButton, m_rightButton});
    // The tabs "已入会" and "等候室" are page tabs of the list.
    KVAccessibility::setRole(m_meetingButton, QAccessible::PageTab);
    KVAccessibility::setRole(m_waitingMeetingButton, QAccessible::PageTab);
    updateButtons(true, m_bactchRemoveModel);
    MemberMorePanelView *panel = memberMorePanelView();
    AutoLayout::autoPinEdgeToSuperviewEdge(panel, A::Trailing, 20);
    AutoLayout::autoPinEdgeToSuperviewEdge(panel, A::Bottom, 60);
    AutoLayout::autoSetDimensionsToSize(panel, QSizeF(MemberMorePanelView::kWidth, MemberMorePanelView::kHeight));
    panel->close();
    updateButtonTitle();
    root->installEventFilter(this);
}

bool MemberListViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view() && event->type() == QEvent::Show)
        viewWillAppear();
    return MacBaseViewController::eventFilter(watched, event);
}

MemberMoreActionView *MemberListViewController::moreActionView()
{
    if (!m_moreActionView) {
        // Out of the view hierarchy while closed (the list deletes it then); in the table's
        // document while open.
        m_moreActionView = new MemberMoreActionView();
        m_moreActionView->hide();
        wireMenu(m_moreActionView);
    }
    return m_moreActionView;
}

MemberMorePanelView *MemberListViewController::memberMorePanelView()
{
    if (!m_memberMorePanelView) {
        m_memberMorePanelView = new MemberMorePanelView(view());
        wireMorePanel(m_memberMorePanelView);
    }
    return m_memberMorePanelView;
}

// ---- Rows --------------------------------------------------------------------------------------------

void MemberListViewController::updateMembers(const MeetingMemberList &members)
{
    view();
    VeskMeetingManager *manager = MemberListContext::manager();
    RosterInput input;
    input.members = members;
    input.expandedPhone = expandedPhone(m_membersArray);
    if (manager) {
        input.asssitantRecordArray = manager->asssitantRecordArray();
        input.iAmAssistant = manager->asssitantHost();
    }
    MemberRows rows = buildRows(input, &m_names, m_membersInOrder);
    m_membersInOrder = rows;
    rosterOrder(rows, input.asssitantRecordArray);
    m_membersArray = std::move(rows);
    m_searchIndex.reset();
    if (m_searchTextField->text().isEmpty())
        m_membersDisplayArray = m_membersArray;
    else
        search();
    updateButtonTitle();
    reloadData();
}

void MemberListViewController::reloadData()
{
    if (!m_tableView)
        return;
    m_tableView->reloadData();
    followMenu();
}

QWidget *MemberListViewController::viewForRow(int row)
{
    if (m_isMembersTableView)
        return joinedRow(row);
    return waitingRow(row);
}

QString MemberListViewController::keyForRow(int row) const
{
    // A member by his phone number, a waiting person by his user id: the tabs never share a key.
    if (m_isMembersTableView)
        return row < m_membersDisplayArray.size() ? QStringLiteral("m:") + m_membersDisplayArray.at(row)->phoneNumber
                                                  : QString();
    return row < m_waitingRoomArray.size() ? QStringLiteral("w:") + m_waitingRoomArray.at(row).userId : QString();
}

MeetingRowCell *MemberListViewController::joinedRow(int row)
{
    if (row < 0 || row >= m_membersDisplayArray.size())
        return nullptr;
    auto *cell = qobject_cast<MeetingRowCell *>(m_tableView->dequeueReusableRow(MeetingRowCell::kIdentifier));
    if (!cell)
        cell = new MeetingRowCell(m_tableView->documentView());
    cell->setModel(m_membersDisplayArray.at(row));
    cell->setCheckModel(m_bactchRemoveModel);
    cell->setMoreView(moreActionView());
    cell->clearBKView();
    wireRow(cell);
    return cell;
}

WaitingMeetingRowCell *MemberListViewController::waitingRow(int row)
{
    if (row < 0 || row >= m_waitingRoomArray.size())
        return nullptr;
    auto *cell =
        qobject_cast<WaitingMeetingRowCell *>(m_tableView->dequeueReusableRow(WaitingMeetingRowCell::kIdentifier));
    if (!cell)
        cell = new WaitingMeetingRowCell(m_tableView->documentView());
    cell->setModel(m_waitingRoomArray.at(row));
    wireWaitingRow(cell);
    return cell;
}

// ---- Tabs, titles and buttons -------------------------------------------------------------------------

void MemberListViewController::updateButtonTitle()
{
    view();
    VeskMeetingManager *manager = MemberListContext::manager();
    const bool waiting = manager && !manager->waitRoomMemberArray().isEmpty();
    m_buttonBKView->setVisible(waiting);
    m_searchViewTopConstraint->setConstant(waiting ? kSearchTopWithTabs : kSearchTopWithoutTabs);
    KVDataText::setText(m_memberTitleLabel, memberTitle(m_membersArray.size()));
    updateButtons(m_isMembersTableView, m_bactchRemoveModel);
    const bool privileged = MemberListContext::viewer().privileged;
    m_bottomView->setVisible(privileged);
    m_bottomViewHeight->setConstant(bottomBarHeight(privileged));
}

void MemberListViewController::updateButtons(bool joinedTab, bool batchRemoveModel)
{
    view();
    m_isMembersTableView = joinedTab;
    m_meetingButton->setTitle(joinedTabTitle(m_membersDisplayArray.size()));
    m_waitingMeetingButton->setTitle(waitingTabTitle(m_waitingRoomArray.size()));
    VeskButton *selected = joinedTab ? m_meetingButton : m_waitingMeetingButton;
    VeskButton *other = joinedTab ? m_waitingMeetingButton : m_meetingButton;
    selected->setTextColor(hex("#F0F0F0"));
    vesk::setBackgroundColor(selected, hex("#454545"));
    other->setTextColor(hex("#B4B4B4"));
    vesk::setBackgroundColor(other, Qt::transparent);
    // Read as the selected page tab.
    selected->setState(1);
    other->setState(0);

    const auto room = MemberListContext::room();
    bool anyTicked = false;
    for (const MemberRow &row : std::as_const(m_membersDisplayArray))
        anyTicked = anyTicked || row->isCheck;
    const Bottom bottom = bottomButtons(joinedTab, batchRemoveModel, room && room->micAllowStatus, anyTicked);
    applyButtonStyle(m_leftButton, bottom.left);
    applyButtonStyle(m_rightButton, bottom.right);
    if (!joinedTab && m_memberMorePanelView && m_memberMorePanelView->isShow())
        m_memberMorePanelView->close();
    // The arrow follows the panel while it stays open.
    if (joinedTab && !batchRemoveModel && m_memberMorePanelView && m_memberMorePanelView->isShow())
        setRightButtonImage(QStringLiteral("arrow_up备份"));
    reloadData();
}

void MemberListViewController::applyButtonStyle(VeskButton *button, const ButtonStyle &style)
{
    button->setTitle(style.title);
    button->setTextColor(style.text);
    vesk::setBackgroundColor(button, style.background);
    vesk::setButtonBordered(button, style.border, style.borderWidth);
    button->setImage(style.image.isEmpty() ? QPixmap() : MemberListIcons::image(style.image, 12));
}

void MemberListViewController::setRightButtonImage(const QString &name)
{
    m_rightButton->setImage(name.isEmpty() ? QPixmap() : MemberListIcons::image(name, 12));
}

void MemberListViewController::rightBtnRemoveModelBKStyle()
{
    bool anyTicked = false;
    for (const MemberRow &row : std::as_const(m_membersDisplayArray))
        anyTicked = anyTicked || row->isCheck;
    applyButtonStyle(m_rightButton, bottomButtons(true, true, false, anyTicked).right);
}

void MemberListViewController::meetingAction()
{
    updateButtons(true, m_bactchRemoveModel);
}

void MemberListViewController::waitingMeetingAction()
{
    updateButtons(false, m_bactchRemoveModel);
}

void MemberListViewController::updateAllowOpenMicStatusDisplay()
{
    view();
    if (m_isMembersTableView && !m_bactchRemoveModel)
        m_leftButton->setTitle(MemberListTexts::kMuteAll);
}

void MemberListViewController::updateNotAllowOpenMicStatusDisplay()
{
    view();
    if (m_isMembersTableView && !m_bactchRemoveModel)
        m_leftButton->setTitle(MemberListTexts::kAllowSelfUnmute);
}

void MemberListViewController::updateAllowCarmeraStatusDisplay()
{
    memberMorePanelView()->refreshUI();
}

void MemberListViewController::updateIsOrNotAllowOpenCameraStatusDisplay()
{
    memberMorePanelView()->refreshUI();
}

void MemberListViewController::viewWillAppear()
{
    if (m_isMembersTableView && m_memberMorePanelView && m_memberMorePanelView->isShow()) {
        m_memberMorePanelView->close();
        setRightButtonImage(QStringLiteral("arrow_down_talk"));
    }
}

void MemberListViewController::removeAction()
{
    panelClosed();
    if (QWidget *w = window(); w && w != view()) {
        m_closingWindow = true;
        w->close();
        m_closingWindow = false;
    }
}

void MemberListViewController::windowWillClose()
{
    // The window manager's close (a title bar's button, Alt+F4) closes the panel as its own button does.
    if (!m_closingWindow)
        panelClosed();
}

void MemberListViewController::panelClosed()
{
    if (removeBlock)
        removeBlock();
    closeMoreMenu();
    if (m_isMembersTableView && m_memberMorePanelView && m_memberMorePanelView->isShow()) {
        m_memberMorePanelView->close();
        setRightButtonImage(QStringLiteral("arrow_down_talk"));
    }
}

// ---- Search ------------------------------------------------------------------------------------------

void MemberListViewController::controlTextDidChange()
{
    if (m_isMembersTableView)
        search();
    else
        waitRoomTableSearch();
}

void MemberListViewController::controlTextDidEndEditing()
{
    // Nothing found in the tab the user looks at.
    const bool empty = m_isMembersTableView ? m_membersDisplayArray.isEmpty() : m_waitingRoomArray.isEmpty();
    if (!m_searchTextField->text().isEmpty() && empty)
        VeskToast::showToast(MemberListTexts::kNoSuchUser);
}

void MemberListViewController::search()
{
    view();
    // Names are transliterated once per update, so a keystroke only compares strings: it is done
    // here, on the rows as they are, and the result always belongs to the text in the field.
    const QString text = m_searchTextField->text();
    if (text.isEmpty()) {
        m_membersDisplayArray = m_membersArray;
    } else {
        // Made on the first keystroke after an update: a list nobody searches costs nothing more.
        if (!m_searchIndex)
            m_searchIndex = MemberListRules::searchIndex(m_membersArray);
        m_membersDisplayArray = MemberListRules::search(m_membersArray, *m_searchIndex, text);
    }
    updateButtons(m_isMembersTableView, m_bactchRemoveModel);
}

void MemberListViewController::waitRoomTableSearch()
{
    view();
    VeskMeetingManager *manager = MemberListContext::manager();
    const QList<IMSystemSubMessage> waiting = manager ? manager->waitRoomMemberArray() : QList<IMSystemSubMessage>();
    m_waitingRoomArray = waitingSearch(waiting, m_searchTextField->text());
    updateButtons(m_isMembersTableView, m_bactchRemoveModel);
}
