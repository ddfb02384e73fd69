#include "scheduling/MainMeetingListViewController.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/KVMResponse.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingListDataModel.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/KVDownloadRecordManage.h"
#include "scheduling/KVMeetingListCloudRecordCell.h"
#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/MainMeetingListModel.h"
#include "scheduling/MeetingDetailViews.h"
#include "scheduling/MeetingListIcons.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingAgent.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kMaxShownMembers = 20;
using MeetingListRules::Show;

using MeetingDetailViews::apply;
using MeetingDetailViews::plain;

// A part of the pane the rules hide is disabled with it: a screen reader's press reaches hidden
// controls too (the record document's delete sent its request from a hidden row).
void offer(QWidget *part, bool shown)
{
    part->setVisible(shown);
    part->setEnabled(shown);
}

QFFlatButton *button(const QString &title, const char *objectName, QWidget *parent, bool primary = false)
{
    auto *b = new QFFlatButton(parent);
    b->setObjectName(QLatin1String(objectName));
    b->setTitle(title);
    b->setFont(vesk::systemFont(13));
    b->setTitleNormalColor(primary ? QColor(Qt::white) : vesk::colorWithHexString(QStringLiteral("333333")));
    vesk::setBackgroundColor(b, primary ? vesk::colorWithHexString(QStringLiteral("007AFF"))
                                        : vesk::colorWithHexString(QStringLiteral("F5F7FA")));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedHeight(32);
    b->setMinimumWidth(80);
    return b;
}

QFFlatButton *tabButton(const QString &title, const char *objectName, QWidget *parent)
{
    auto *b = button(title, objectName, parent);
    vesk::setBackgroundColor(b, Qt::white);
    b->setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    b->setToggle(true);
    return b;
}

QLabel *titled(const QString &title, QGridLayout *grid, int row, QWidget *parent)
{
    QLabel *t = plain(parent, 13, "999999");
    t->setText(title);
    grid->addWidget(t, row, 0);
    return t;
}

} // namespace

MainMeetingListViewController::MainMeetingListViewController(QObject *parent) : MacBaseViewController(parent) {}

MainMeetingListViewController::~MainMeetingListViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

QSize MainMeetingListViewController::visibleScreen() const
{
    return screenSize ? screenSize() : KVWindowPlacement::mainScreenVisibleFrame().size();
}

void MainMeetingListViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("mainMeetingListView"));
    vesk::setBackgroundColor(view, Qt::white);
    view->resize(RecordListRules::meetingListSize(visibleScreen()));
    auto *columns = new QHBoxLayout(view);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    // Left: the tabs and the list.
    auto *left = new QWidget(view);
    left->setFixedWidth(300);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 12, 0, 0);
    auto *tabs = new QHBoxLayout();
    m_unfinishBtn = tabButton(RecordTexts::kUnfinished, "unfinishBtn", left);
    m_finishedBtn = tabButton(RecordTexts::kFinished, "finishedBtn", left);
    tabs->addWidget(m_unfinishBtn);
    tabs->addWidget(m_finishedBtn);
    leftColumn->addLayout(tabs);
    m_model = new MainMeetingListModel(this);
    m_list = new QListView(left);
    m_list->setObjectName(QStringLiteral("meetingListCollectionView"));
    m_list->setAccessibleName(RecordTexts::kAllMeetingsTitle);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new MainMeetingListDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(false);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    leftColumn->addWidget(m_list, 1);
    m_emptyView = plain(left, 14, "999999");
    static_cast<QLabel *>(m_emptyView)->setText(RecordTexts::kNoMeetings);
    static_cast<QLabel *>(m_emptyView)->setAlignment(Qt::AlignCenter);
    m_emptyView->setObjectName(QStringLiteral("emptyView"));
    leftColumn->addWidget(m_emptyView, 1);
    m_emptyView->hide();
    columns->addWidget(left);

    // Right: the detail pane.
    auto *right = new QVBoxLayout();
    right->setContentsMargins(24, 16, 24, 16);
    m_detailScroll = new QScrollArea(view);
    m_detailScroll->setObjectName(QStringLiteral("meetingDetailScrollView"));
    m_detailScroll->setWidgetResizable(true);
    m_detailScroll->setFrameShape(QFrame::NoFrame);
    auto *pane = new QWidget(m_detailScroll);
    vesk::setBackgroundColor(pane, Qt::white);
    auto *detail = new QVBoxLayout(pane);
    detail->setSpacing(12);
    const MeetingDetailViews::Head head = MeetingDetailViews::addHead(pane, detail, 22);
    m_detailTitleLabel = head.title;
    m_periodImageView = head.period;
    m_detailBeginHourLabel = head.beginTime;
    m_detailBeginDateLabel = head.beginDate;
    m_detailDurationLabel = head.duration;
    m_statusLabel = head.status;
    m_detailEndHourLabel = head.endTime;
    m_detailEndDateLabel = head.endDate;
    auto *facts = new QGridLayout();
    titled(RecordTexts::kMeetingId, facts, 0, pane);
    m_detailMeetingIdLabel = plain(pane, 13);
    m_detailMeetingIdLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    facts->addWidget(m_detailMeetingIdLabel, 0, 1);
    m_passwordTitleLabel = titled(RecordTexts::kPassword, facts, 1, pane);
    m_passwordLabel = new KVMeetingIDLabel(pane);
    facts->addWidget(m_passwordLabel, 1, 1);
    titled(RecordTexts::kCreator, facts, 2, pane);
    m_detailCreatorLabel = new KVElidedLabel(pane);
    facts->addWidget(m_detailCreatorLabel, 2, 1);
    facts->setColumnStretch(1, 1);
    detail->addLayout(facts);
    auto *usersRow = new QHBoxLayout();
    m_detailUserCountLabel = plain(pane, 13, "666666");
    m_detailDownloadMembersListBtn = button(RecordTexts::kDownloadMembers, "detailDownloadMembersListBtn", pane);
    usersRow->addWidget(m_detailUserCountLabel, 1);
    usersRow->addWidget(m_detailDownloadMembersListBtn);
    detail->addLayout(usersRow);
    m_detailUserCollectionView = new KVMeetingMemberCollectionView(pane);
    detail->addWidget(m_detailUserCollectionView);

    m_detailRecordContainer = new QWidget(pane);
    auto *records = new QVBoxLayout(m_detailRecordContainer);
    records->setContentsMargins(0, 0, 0, 0);
    m_detailRecordBtn = button(RecordTexts::kCloudRecords, "detailRecordBtn", m_detailRecordContainer);
    m_detailRecordBtn->setToggle(true);
    records->addWidget(m_detailRecordBtn, 0, Qt::AlignLeft);
    m_detailRecordContainerView = new QWidget(m_detailRecordContainer);
    m_recordCellsLayout = new QVBoxLayout(m_detailRecordContainerView);
    m_recordCellsLayout->setContentsMargins(0, 0, 0, 0);
    m_recordCellsLayout->setSpacing(0);
    records->addWidget(m_detailRecordContainerView);
    detail->addWidget(m_detailRecordContainer);

    m_detailRecordFileContainerView = new QWidget(pane);
    auto *fileRow = new QHBoxLayout(m_detailRecordFileContainerView);
    fileRow->setContentsMargins(0, 0, 0, 0);
    auto *fileIcon = new QLabel(m_detailRecordFileContainerView);
    fileIcon->setPixmap(MeetingListIcons::image(MeetingListIcons::kRecordFile, 24));
    QLabel *fileTitle = plain(m_detailRecordFileContainerView, 13);
    fileTitle->setText(RecordTexts::kRecordDocument);
    auto *fileDownload = button(RecordTexts::kDownload, "detailDownloadFileBtn", m_detailRecordFileContainerView);
    fileDownload->setAccessibleName(RecordTexts::kDownloadOf.arg(RecordTexts::kRecordDocument));
    auto *fileDelete = button(RecordTexts::kDelete, "detailDeleteFileBtn", m_detailRecordFileContainerView);
    m_detailDeleteFileBtn = fileDelete;
    fileDelete->setAccessibleName(RecordTexts::kDeleteOf.arg(RecordTexts::kRecordDocument));
    fileRow->addWidget(fileIcon);
    fileRow->addWidget(fileTitle, 1);
    fileRow->addWidget(fileDownload);
    fileRow->addWidget(fileDelete);
    detail->addWidget(m_detailRecordFileContainerView);
    detail->addStretch(1);
    m_detailScroll->setWidget(pane);
    right->addWidget(m_detailScroll, 1);

    m_detailBottom = new QWidget(view);
    auto *bottom = new QHBoxLayout(m_detailBottom);
    bottom->setContentsMargins(0, 8, 0, 0);
    m_detailCopyBtn = button(RecordTexts::kCopyInvite, "detailCopyBtn", m_detailBottom);
    m_detailCancelBtn = button(RecordTexts::kCancelMeeting, "detailCancelBtn", m_detailBottom);
    m_detailEditBtn = button(RecordTexts::kEdit, "detailEditBtn", m_detailBottom);
    m_detailEndBtn = button(RecordTexts::kEndMeeting, "detailEndBtn", m_detailBottom);
    m_detailJoinBtn = button(RecordTexts::kJoin, "detailJoinBtn", m_detailBottom, true);
    bottom->addWidget(m_detailCopyBtn);
    bottom->addStretch(1);
    for (QFFlatButton *b : {m_detailCancelBtn, m_detailEditBtn, m_detailEndBtn, m_detailJoinBtn})
        bottom->addWidget(b);
    right->addWidget(m_detailBottom);
    columns->addLayout(right, 1);

    connect(m_unfinishBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::unfinishedMeetingAction);
    connect(m_finishedBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::finishedMeetingAction);
    connect(m_detailJoinBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailBottomJoinAction);
    connect(m_detailEditBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailEditAction);
    connect(m_detailCancelBtn, &QAbstractButton::clicked, this,
            &MainMeetingListViewController::onDetailCancelMeetingAction);
    connect(m_detailEndBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailEndAction);
    connect(m_detailCopyBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailCopyIdAction);
    connect(m_detailDownloadMembersListBtn, &QAbstractButton::clicked, this,
            &MainMeetingListViewController::onDownloadMembersList);
    connect(m_detailRecordBtn, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailRecordExpand);
    connect(fileDownload, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailDownloadFile);
    connect(fileDelete, &QAbstractButton::clicked, this, &MainMeetingListViewController::onDetailDeleteFile);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onCurrentRowChanged(current.row()); });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &MainMeetingListViewController::loadMoreIfLastRowShown);
    setView(view);
}

void MainMeetingListViewController::viewDidLoad()
{
    view()->installEventFilter(this);
    offer(m_detailRecordContainer, false);
    offer(m_detailRecordContainerView, false);
    m_unfinishBtn->setState(1);
    m_unfinishBtn->setEnabled(false);
    refreshDetail();
    refreshListData();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, KVMeetingDidUpdatedNotification, [this](const Notification &) { refreshListData(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            refreshListIfNeeded();
    });
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this,
                &MainMeetingListViewController::screenParametersDidChange);
}

bool MainMeetingListViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (isViewLoaded() && watched == view() && event->type() == QEvent::Show)
        viewDidAppear();
    return MacBaseViewController::eventFilter(watched, event);
}

void MainMeetingListViewController::viewDidAppear()
{
    // The keyboard follows: Escape closes the window, and the focus goes back to what opened it
    // (still the focus while the window is being shown).
    QWidget *top = window();
    if (!top)
        return;
    QWidget *opener = QApplication::focusWidget();
    QPointer<MainMeetingListViewController> self(this);
    KVPanelFocus::opened(top, opener && !top->isAncestorOf(opener) ? opener : nullptr, [self] {
        if (!self)
            return;
        if (self->onCloseAction)
            self->closeAction();
        else if (QWidget *w = self->window())
            w->close();
    });
}

void MainMeetingListViewController::screenParametersDidChange()
{
    if (QWidget *w = window())
        w->resize(RecordListRules::meetingListSize(visibleScreen()));
}

// ---- The list -----------------------------------------------------------------------------

void MainMeetingListViewController::setCurrentListType(qint64 type)
{
    view();
    const bool switched = type != m_currentListType;
    m_currentListType = type;
    m_selectIndexPath.reset();
    m_currentDetailModel.reset();
    const bool history = type == 1;
    m_finishedBtn->setState(history ? 1 : 0);
    m_finishedBtn->setEnabled(!history);
    m_unfinishBtn->setState(history ? 0 : 1);
    m_unfinishBtn->setEnabled(history);
    // The chosen tab shows what it knew at once (never the other tab's rows under its name) and
    // keeps it until its new rows arrive.
    if (switched)
        swapTabs();
    updateMeetingListUI();
    refreshListData();
}

void MainMeetingListViewController::swapTabs()
{
    std::swap(m_sections, m_otherTab.sections);
    std::swap(m_page, m_otherTab.page);
    std::swap(m_failedPage, m_otherTab.failedPage);
    std::swap(m_hasMore, m_otherTab.hasMore);
    std::swap(m_loaded, m_otherTab.loaded);
}

void MainMeetingListViewController::refreshListData()
{
    m_isRefreshing = true;
    requestList(1);
}

void MainMeetingListViewController::loadMoreListData()
{
    if (m_isRefreshing)
        return;
    m_isRefreshing = true;
    requestList(m_page + 1);
}

void MainMeetingListViewController::refreshListIfNeeded()
{
    if (m_isRefreshing || m_isLatestRequestSuccess)
        return;
    m_isRefreshing = true;
    requestList(m_failedPage);
}

void MainMeetingListViewController::requestList(int pageNumber)
{
    QPointer<MainMeetingListViewController> self(this);
    const quint64 generation = ++m_generation;
    auto done = [self, generation, pageNumber](const KVMResponse &r) {
        // A reply of an earlier tab or refresh is no answer to what is shown now.
        if (!self || generation != self->m_generation)
            return;
        self->refreshUI(r, pageNumber);
        self->m_isRefreshing = false;
        self->m_isLatestRequestSuccess = r.successed;
        if (r.successed)
            self->loadMoreIfLastRowShown();
    };
    if (m_currentListType == 1)
        SchedulingAgent::current().queryHistoryMeetingListWithPageNum(this, pageNumber, done);
    else
        SchedulingAgent::current().queryMeetingListIsToday(this, false, done);
}

void MainMeetingListViewController::refreshUI(const KVMResponse &r, int pageNumber)
{
    if (!r.successed) {
        // The page is asked for again; the list keeps what it shows.
        m_failedPage = pageNumber;
        VeskToast::showToast(CreateMeetingRules::failureText(r));
        return;
    }
    m_page = pageNumber;
    m_failedPage = pageNumber;
    m_loaded = true;
    if (m_currentListType == 1 && r.data.canConvert<MeetingListDataModel>()) {
        if (pageNumber == 1)
            m_sections.clear();
        m_hasMore = m_sections.appendHistoryPage(r.data.value<MeetingListDataModel>(), pageNumber);
    } else {
        m_sections.setUnfinished(MeetingListRules::unfinishedSections(r.dataList()));
        m_hasMore = false;
    }
    updateMeetingListUI();
}

void MainMeetingListViewController::updateMeetingListUI()
{
    std::optional<QString> previous;
    if (m_currentDetailModel)
        previous = m_currentDetailModel->roomId;
    m_selectIndexPath = MeetingListRules::selectionAfterReload(m_sections, previous);
    if (m_selectIndexPath)
        m_currentDetailModel = *m_sections.meetingAt(m_selectIndexPath->first, m_selectIndexPath->second);
    else
        m_currentDetailModel.reset();
    refreshDetail();
    m_applyingSelection = true;
    m_model->reload(&m_sections);
    m_list->clearSelection();
    if (m_selectIndexPath) {
        const QModelIndex index = m_model->index(m_model->listRow(m_selectIndexPath->first, m_selectIndexPath->second));
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    m_applyingSelection = false;
    // "暂无会议" only once the service said so: not while a tab's first rows are on their way, nor
    // after its first request failed.
    const bool empty = m_sections.isEmpty();
    m_emptyView->setVisible(empty && m_loaded);
    m_list->setVisible(!empty);
}

void MainMeetingListViewController::onCurrentRowChanged(int listRow)
{
    if (m_applyingSelection)
        return;
    const auto [section, row] = m_model->position(listRow);
    if (row >= 0)
        selectMeeting(section, row);
}

void MainMeetingListViewController::selectMeeting(int section, int row)
{
    const MeetingDataModel *meeting = m_sections.meetingAt(section, row);
    if (!meeting)
        return;
    m_currentDetailModel = *meeting;
    m_selectIndexPath = std::pair{section, row};
    const int listRow = m_model->listRow(section, row);
    if (m_list->currentIndex().row() != listRow) {
        m_applyingSelection = true;
        m_list->selectionModel()->setCurrentIndex(m_model->index(listRow), QItemSelectionModel::ClearAndSelect);
        m_applyingSelection = false;
    }
    refreshDetail();
}

void MainMeetingListViewController::loadMoreIfLastRowShown()
{
    if (!m_hasMore || m_isRefreshing || m_model->rowCount() == 0 || !m_list->isVisible())
        return;
    const QRect last = m_list->visualRect(m_model->index(m_model->rowCount() - 1));
    if (last.isValid() && last.top() < m_list->viewport()->height())
        loadMoreListData();
}

// ---- The detail pane ----------------------------------------------------------------------

void MainMeetingListViewController::refreshDetail()
{
    view();
    const bool shown = m_currentDetailModel.has_value();
    offer(m_detailScroll, shown);
    offer(m_detailBottom, shown);
    ++m_detailGeneration;
    if (!shown)
        return;
    const MeetingDataModel &m = *m_currentDetailModel;
    m_detailTitleLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(m.roomName)));
    m_detailBeginHourLabel->setText(m.beginTimeHourMinute());
    m_detailEndHourLabel->setText(m.endTimeHourMinute());
    m_detailBeginDateLabel->setText(m.beginTimeDate2());
    m_detailEndDateLabel->setText(m.endTimeDate2());
    m_detailDurationLabel->setText(m.durationCN());
    KVDataText::setText(m_detailMeetingIdLabel, m.displayRoomId().left(40));
    m_detailCreatorLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(m.creatorName)));

    const bool password = !m.password.isEmpty();
    m_passwordLabel->setFullText(m.password.left(40));
    m_passwordLabel->setRoomId(m.password.left(40));
    m_passwordLabel->setVisible(password);
    m_passwordTitleLabel->setVisible(password);

    MeetingDetailViews::showStatus(m_statusLabel, m);

    const auto table = MeetingListRules::listButtons(m.isSelf(), m.status);
    apply(m_detailEditBtn, table.edit);
    apply(m_detailCancelBtn, table.cancel);
    apply(m_detailEndBtn, table.end);
    apply(m_detailJoinBtn, table.join);
    updateDetailActions();
    if (table.joinEnabled)
        m_detailJoinBtn->setEnabled(*table.joinEnabled);

    m_periodImageView->setVisible(m.isCycle);
    if (const auto name = MeetingListIcons::periodImageName(m.cycleType)) {
        m_periodImageName = *name;
        m_periodImageView->setPixmap(MeetingListIcons::image(*name));
    }

    updateMemberList();

    offer(m_detailRecordContainer, false);
    m_recordVideos.clear();
    reloadRecordCells();
    if (m.hasDvr) {
        m_detailRecordBtn->setState(0);
        offer(m_detailRecordContainerView, false);
        refreshCloudRecordVideoList();
    }
    offer(m_detailRecordFileContainerView, m.hasRecord);
    m_detailDeleteFileBtn->setEnabled(!m_deletingRecords.contains(m.roomId));
}

void MainMeetingListViewController::updateMemberList()
{
    if (!m_currentDetailModel)
        return;
    QPointer<MainMeetingListViewController> self(this);
    const quint64 generation = m_detailGeneration;
    auto done = [self, generation](const KVMResponse &r) {
        // The members of a meeting no longer shown are not this pane's.
        if (!self || generation != self->m_detailGeneration || !self->m_currentDetailModel)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        self->updateDetailMemberListUI(&r);
    };
    if (m_currentDetailModel->status == 0)
        SchedulingAgent::current().queryMeetingInvitationListWithRoomId(this, m_currentDetailModel->roomId, done);
    else
        SchedulingAgent::current().queryMeetingMembersListWithRoomId(this, m_currentDetailModel->roomId, done);
    updateDetailMemberListUI(nullptr);
}

void MainMeetingListViewController::updateDetailMemberListUI(const KVMResponse *response)
{
    MeetingDataModel &m = *m_currentDetailModel;
    const bool invited = m.status == 0;
    if (response) {
        const auto people = response->data.value<QList<VeskUserModel>>();
        m.totalMemberCount = quint64(people.size());
        (invited ? m.invitationList : m.meetingMemberList) = people.mid(0, kMaxShownMembers);
    }
    m_participants = invited ? m.invitationList : m.meetingMemberList;
    m_detailUserCollectionView->setMembers(m_participants);
    m_detailUserCountLabel->setText(RecordTexts::kParticipants.arg(m.totalMemberCount));
    const bool any = !m_participants.isEmpty();
    offer(m_detailDownloadMembersListBtn, any);
    m_detailUserCollectionView->setVisible(any);
    m_detailUserContentConst = any ? kDetailUserContent : kDetailUserContent - m_detailUserCollectionView->height();
}

void MainMeetingListViewController::refreshCloudRecordVideoList()
{
    if (!m_currentDetailModel)
        return;
    QPointer<MainMeetingListViewController> self(this);
    const quint64 generation = m_detailGeneration;
    SchedulingAgent::current().queryRecordVideoListWithRoomId(
        this, m_currentDetailModel->roomId, [self, generation](const KVMResponse &r) {
            if (!self || generation != self->m_detailGeneration)
                return;
            if (!r.successed) {
                VeskToast::showToast(CreateMeetingRules::failureText(r));
                return;
            }
            self->m_recordVideos.clear();
            for (const RecordVideoModel &meeting : r.data.value<QList<RecordVideoModel>>()) {
                for (RecordVideoInfo info : meeting.dvrList) {
                    info.meetingBeginTime = meeting.meetingBeginTime;
                    info.roomId = meeting.roomId;
                    self->m_recordVideos.append(info);
                }
            }
            offer(self->m_detailRecordContainer, !self->m_recordVideos.isEmpty());
            self->reloadRecordCells();
        });
}

void MainMeetingListViewController::reloadRecordCells()
{
    while (m_recordCells.size() > m_recordVideos.size()) {
        KVMeetingListCloudRecordCell *cell = m_recordCells.takeLast();
        cell->hide();
        cell->deleteLater();
    }
    QPointer<MainMeetingListViewController> self(this);
    while (m_recordCells.size() < m_recordVideos.size()) {
        auto *cell = new KVMeetingListCloudRecordCell(m_detailRecordContainerView);
        cell->onDeleteClick = [self](QObject *, KVMeetingListCloudRecordCell *c) {
            if (!self)
                return;
            const RecordVideoInfo info = c->dataModel();
            SchedulingAgent::current().deleteRecordVideoWithRoomId(
                self, info.roomId, info.dvrSequenceId, [self](const KVMResponse &r) {
                    if (!self)
                        return;
                    if (!r.successed) {
                        VeskToast::showToast(CreateMeetingRules::failureText(r));
                        return;
                    }
                    self->refreshCloudRecordVideoList();
                });
        };
        cell->onDownloadClick = [self](QObject *, KVMeetingListCloudRecordCell *c) {
            if (self)
                KVDownloadRecordManage::downloadRecordVideo(c->dataModel().dvrDownPath, self->view()->window());
        };
        m_recordCellsLayout->addWidget(cell);
        m_recordCells.append(cell);
    }
    for (qsizetype i = 0; i < m_recordVideos.size(); ++i)
        m_recordCells[i]->setDataModel(m_recordVideos[i]);
}

// ---- Actions ------------------------------------------------------------------------------

void MainMeetingListViewController::updateDetailActions()
{
    const bool busy = m_currentDetailModel && requestInFlight && requestInFlight(m_currentDetailModel->roomId);
    // A button the rules hide stays disabled: a screen reader's press reaches hidden ones too.
    m_detailCancelBtn->setEnabled(!busy && !m_detailCancelBtn->isHidden());
    m_detailEndBtn->setEnabled(!busy && !m_detailEndBtn->isHidden());
}

void MainMeetingListViewController::onDetailBottomJoinAction()
{
    // Only what the pane offers for this meeting: a hidden button is a disabled one too.
    if (onJoinMeeting && m_currentDetailModel && m_detailJoinBtn->isEnabled())
        onJoinMeeting(this, *m_currentDetailModel);
}

void MainMeetingListViewController::onDetailEditAction()
{
    // Only what the pane offers for this meeting: a hidden button is a disabled one too.
    if (onEditMeeting && m_currentDetailModel && m_detailEditBtn->isEnabled())
        onEditMeeting(this, *m_currentDetailModel);
}

void MainMeetingListViewController::onDetailCancelMeetingAction()
{
    // Only what the pane offers for this meeting: a hidden button is a disabled one too.
    if (onCancelMeeting && m_currentDetailModel && m_detailCancelBtn->isEnabled())
        onCancelMeeting(this, *m_currentDetailModel);
}

void MainMeetingListViewController::onDetailEndAction()
{
    // Only what the pane offers for this meeting: a hidden button is a disabled one too.
    if (onEndMeeting && m_currentDetailModel && m_detailEndBtn->isEnabled())
        onEndMeeting(this, *m_currentDetailModel);
}

void MainMeetingListViewController::closeAction()
{
    if (onCloseAction)
        onCloseAction(this);
}

void MainMeetingListViewController::onDetailCopyIdAction()
{
    if (!m_currentDetailModel)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_currentDetailModel->invitedMeetingContent());
    VeskToast::showToast(RecordTexts::kInfoCopied);
    NotificationCenter::defaultCenter().post(KVMeetingAppCopyInvitedStringNotification);
}

void MainMeetingListViewController::onDownloadMembersList()
{
    if (m_currentDetailModel)
        KVDownloadRecordManage::downloadMeetingMembersList(m_currentDetailModel->roomId, view()->window());
}

void MainMeetingListViewController::onDetailDownloadFile()
{
    if (m_currentDetailModel)
        KVDownloadRecordManage::downloadRoomDocumentFile(m_currentDetailModel->roomId, view()->window());
}

void MainMeetingListViewController::onDetailDeleteFile()
{
    // One delete of a room's document at a time: its button waits for the answer.
    if (!m_currentDetailModel || m_deletingRecords.contains(m_currentDetailModel->roomId))
        return;
    VeskToast::showLoadingToast(RecordTexts::kDeleting);
    QPointer<MainMeetingListViewController> self(this);
    const QString roomId = m_currentDetailModel->roomId;
    m_deletingRecords.insert(roomId);
    m_detailDeleteFileBtn->setEnabled(false);
    SchedulingAgent::current().deleteRecordFileWithRoomId(this, roomId, [self, roomId](const KVMResponse &r) {
        VeskToast::dismissLoadingToast();
        if (!self)
            return;
        self->m_deletingRecords.remove(roomId);
        if (self->m_currentDetailModel && self->m_currentDetailModel->roomId == roomId)
            self->m_detailDeleteFileBtn->setEnabled(true);
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        // The listed meetings lose it too: choosing the meeting again copies its row.
        const auto noRecord = [](MeetingDataModel &meeting) { meeting.hasRecord = false; };
        self->m_sections.changeMeetings(roomId, noRecord);
        self->m_otherTab.sections.changeMeetings(roomId, noRecord);
        self->m_model->meetingsChanged();
        if (self->m_currentDetailModel && self->m_currentDetailModel->roomId == roomId) {
            self->m_currentDetailModel->hasRecord = false;
            offer(self->m_detailRecordFileContainerView, false);
        }
    });
}

void MainMeetingListViewController::onDetailRecordExpand()
{
    offer(m_detailRecordContainerView, m_detailRecordBtn->state() != 0);
}
