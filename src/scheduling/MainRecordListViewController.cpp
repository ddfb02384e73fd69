#include "scheduling/MainRecordListViewController.h"

#include "connection/KVMResponse.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/KVDownloadRecordManage.h"
#include "scheduling/MainRecordListCell.h"
#include "scheduling/MainRecordListModel.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingAgent.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QHBoxLayout>
#include <QScrollBar>

namespace {

QLabel *titleLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(13, QFont::DemiBold));
    return l;
}

QFFlatButton *switchButton(const QString &title, QWidget *parent)
{
    auto *b = new QFFlatButton(parent);
    b->setTitle(title);
    b->setFont(vesk::systemFont(15));
    b->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("666666")));
    b->setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    b->setToggle(true);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedSize(96, 32);
    return b;
}

} // namespace

MainRecordListViewController::MainRecordListViewController(QObject *parent) : MacBaseViewController(parent) {}

void MainRecordListViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("mainRecordListView"));
    vesk::setBackgroundColor(view, Qt::white);
    // A light page inside the dark home window: its texts must not inherit the window's light ink.
    QPalette pal = view->palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    view->setPalette(pal);
    view->resize(980, 780);
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(24, 16, 24, 16);
    column->setSpacing(12);

    auto *switches = new QHBoxLayout();
    m_recordDocumentButton = switchButton(RecordTexts::kRecordDocuments, view);
    m_recordDocumentButton->setObjectName(QStringLiteral("recordDocumentButton"));
    m_recordVideoButton = switchButton(RecordTexts::kRecordVideos, view);
    m_recordVideoButton->setObjectName(QStringLiteral("recordVideoButton"));
    switches->addWidget(m_recordDocumentButton);
    switches->addWidget(m_recordVideoButton);
    switches->addStretch(1);
    column->addLayout(switches);
    m_tipsLabel = titleLabel(QString(), view);
    m_tipsLabel->setFont(vesk::systemFont(12));
    column->addWidget(m_tipsLabel);

    auto *bar = new KVFlatView(view);
    bar->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("F5F7FA")));
    bar->setFixedHeight(36);
    auto *titles = new QHBoxLayout(bar);
    titles->setContentsMargins(24, 0, 24, 0);
    titles->setSpacing(16);
    m_nameTitleLabel = titleLabel(QString(), bar);
    m_timeTitleLabel = titleLabel(QString(), bar);
    m_sizeTitleLabel = titleLabel(RecordTexts::kSizeTitle, bar);
    m_sizeTitleLabel->setFixedWidth(90);
    auto *actionTitle = titleLabel(RecordTexts::kActionTitle, bar);
    actionTitle->setFixedWidth(112);
    titles->addWidget(m_nameTitleLabel, 3);
    titles->addWidget(m_timeTitleLabel, 2);
    titles->addWidget(m_sizeTitleLabel);
    titles->addWidget(actionTitle);
    m_titleView = bar;
    column->addWidget(bar);

    // Row widgets only for the entries in view: a thousand recordings cost the rows on screen.
    m_listModel = new MainRecordListModel(this);
    m_scrollView = new KVRowListView(view);
    m_scrollView->setObjectName(QStringLiteral("recordListScrollView"));
    m_scrollView->setRowHeight(MainRecordListCell::kHeight);
    vesk::setBackgroundColor(m_scrollView->widget(), Qt::white);
    m_scrollView->setDelegate({[this](QWidget *parent) -> QWidget * { return createCell(parent); },
                               [this](QWidget *row, const QModelIndex &index) {
                                   auto *cell = static_cast<MainRecordListCell *>(row);
                                   if (m_listModel->type() == 1)
                                       cell->setVideoInfo(m_listModel->video(index.row()));
                                   else
                                       cell->setFileModel(m_listModel->document(index.row()));
                               }});
    m_scrollView->setModel(m_listModel);
    column->addWidget(m_scrollView, 1);

    m_emptyView = new QWidget(view);
    auto *emptyColumn = new QVBoxLayout(m_emptyView);
    m_emptyLabel = titleLabel(QString(), m_emptyView);
    m_emptyLabel->setObjectName(QStringLiteral("emptyLabel"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(m_emptyLabel);
    emptyColumn->addStretch(1);
    column->addWidget(m_emptyView, 1);

    connect(m_recordVideoButton, &QAbstractButton::clicked, this, &MainRecordListViewController::onRecordVideoAction);
    connect(m_recordDocumentButton, &QAbstractButton::clicked, this,
            &MainRecordListViewController::onRecordDocumentAction);
    connect(m_scrollView->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &MainRecordListViewController::loadMoreIfLastRowShown);
    setView(view);
}

void MainRecordListViewController::viewDidLoad()
{
    setCurrentListType(0);
}

void MainRecordListViewController::setCurrentListType(qint64 type)
{
    view();
    m_currentListType = type;
    const bool videos = type == 1;
    m_recordVideoButton->setState(videos ? 1 : 0);
    m_recordVideoButton->setEnabled(!videos);
    m_recordDocumentButton->setState(videos ? 0 : 1);
    m_recordDocumentButton->setEnabled(videos);
    m_tipsLabel->setText(videos ? RecordTexts::kVideoTips : RecordTexts::kDocumentTips);
    m_nameTitleLabel->setText(videos ? RecordTexts::kVideoNameTitle : RecordTexts::kDocumentNameTitle);
    m_timeTitleLabel->setText(videos ? RecordTexts::kVideoTimeTitle : RecordTexts::kDocumentTimeTitle);
    m_sizeTitleLabel->setVisible(videos);
    m_emptyLabel->setText(videos ? RecordTexts::kNoVideos : RecordTexts::kNoDocuments);
    m_scrollView->setAccessibleName(videos ? RecordTexts::kRecordVideos : RecordTexts::kRecordDocuments);
    updateEmptyView();
    reloadData();
}

void MainRecordListViewController::viewWillAppear()
{
    refreshCloudRecordVideoList();
    refreshDocumentFileList();
}

void MainRecordListViewController::updateEmptyView()
{
    const bool empty = m_currentListType == 1 ? m_recordVideos.isEmpty() : m_documentFiles.isEmpty();
    m_emptyView->setVisible(empty);
    m_titleView->setVisible(!empty);
    m_scrollView->setVisible(!empty);
    // Placed now: the list knows at once how many rows are in view.
    view()->layout()->activate();
}

QList<MainRecordListCell *> MainRecordListViewController::cells() const
{
    QList<MainRecordListCell *> cells;
    if (m_scrollView)
        for (QWidget *row : m_scrollView->rowWidgets())
            cells << static_cast<MainRecordListCell *>(row);
    return cells;
}

MainRecordListCell *MainRecordListViewController::createCell(QWidget *parent)
{
    auto *cell = new MainRecordListCell(parent);
    // The cell's buttons act on the entry it shows when they are pressed.
    QPointer<MainRecordListViewController> self(this);
    cell->onDownloadAction = [self](MainRecordListCell *c) {
        if (self)
            self->downloadAction(c);
    };
    cell->onDeleteAction = [self](MainRecordListCell *c) {
        if (self)
            self->deleteAction(c);
    };
    return cell;
}

void MainRecordListViewController::reloadData()
{
    view();
    // The rows in view are bound again; the others are bound as they scroll into view.
    m_listModel->reload(m_currentListType, m_recordVideos, m_documentFiles);
    loadMoreIfLastRowShown();
}

void MainRecordListViewController::loadMoreIfLastRowShown()
{
    if (m_currentListType != 0 || !m_hasMoreDocument || m_isRefreshing || m_documentFiles.isEmpty() ||
        !m_scrollView->isVisible())
        return;
    // The last row is about to show once the visible part reaches its top (rows have a fixed
    // height, so this holds before the rows' layout has run).
    const qsizetype lastTop = (m_documentFiles.size() - 1) * MainRecordListCell::kHeight;
    if (m_scrollView->verticalScrollBar()->value() + m_scrollView->viewport()->height() > lastTop)
        loadMoreDocumentFileList();
}

void MainRecordListViewController::refreshCloudRecordVideoList()
{
    QPointer<MainRecordListViewController> self(this);
    const quint64 generation = ++m_videoGeneration;
    SchedulingAgent::current().queryRecordVideoListWithRoomId(
        this, QString(), [self, generation](const KVMResponse &r) {
            if (!self || generation != self->m_videoGeneration)
                return;
            if (!r.successed) {
                // What was shown stays: a failed reload is no reason to claim there is nothing.
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
            if (self->m_currentListType == 1) {
                self->updateEmptyView();
                self->reloadData();
            }
        });
}

void MainRecordListViewController::refreshDocumentFileList()
{
    m_isRefreshing = true;
    m_recordDocumentPageNumber = 1;
    m_hasMoreDocument = true;
    loadRecordDocumentFileList();
}

void MainRecordListViewController::loadMoreDocumentFileList()
{
    m_isRefreshing = true;
    ++m_recordDocumentPageNumber;
    loadRecordDocumentFileList();
}

void MainRecordListViewController::loadRecordDocumentFileList()
{
    QPointer<MainRecordListViewController> self(this);
    const quint64 generation = ++m_documentGeneration;
    const qint32 page = m_recordDocumentPageNumber;
    SchedulingAgent::current().queryRecordFileListWith(this, page, kPageSize,
                                                       [self, generation, page](const KVMResponse &r) {
                                                           // A reply overtaken by a later request (a refresh) would put
                                                           // an old page in the list.
                                                           if (!self || generation != self->m_documentGeneration)
                                                               return;
                                                           self->m_isRefreshing = false;
                                                           if (!r.successed) {
                                                               // The failed page is asked for again by the next load.
                                                               if (page > 1)
                                                                   self->m_recordDocumentPageNumber = page - 1;
                                                               VeskToast::showToast(CreateMeetingRules::failureText(r));
                                                               return;
                                                           }
                                                           const auto files = r.data.value<QList<RecordFileModel>>();
                                                           self->m_hasMoreDocument = files.size() >= kPageSize;
                                                           if (page == 1)
                                                               self->m_documentFiles.clear();
                                                           self->m_documentFiles += files;
                                                           if (self->m_currentListType == 0) {
                                                               self->updateEmptyView();
                                                               self->reloadData();
                                                           }
                                                       });
}

void MainRecordListViewController::downloadAction(MainRecordListCell *cell)
{
    if (m_currentListType == 0) {
        KVDownloadRecordManage::downloadRoomDocumentFile(cell->fileModel().roomId, view()->window());
        return;
    }
    if (cell->videoInfo().dvrStatus != RecordVideoInfo::StatusReady) {
        VeskToast::showToast(RecordTexts::kVideoProcessing);
        return;
    }
    KVDownloadRecordManage::downloadRecordVideo(cell->videoInfo().dvrDownPath, view()->window());
}

void MainRecordListViewController::deleteAction(MainRecordListCell *cell)
{
    VeskToast::showLoadingToast(RecordTexts::kDeleting);
    QPointer<MainRecordListViewController> self(this);
    const bool videos = m_currentListType == 1;
    auto done = [self, videos](const KVMResponse &r) {
        VeskToast::dismissLoadingToast();
        if (!self)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        if (videos)
            self->refreshCloudRecordVideoList();
        else
            self->refreshDocumentFileList();
    };
    if (videos)
        SchedulingAgent::current().deleteRecordVideoWithRoomId(this, cell->videoInfo().roomId,
                                                               cell->videoInfo().dvrSequenceId, done);
    else
        SchedulingAgent::current().deleteRecordFileWithRoomId(this, cell->fileModel().roomId, done);
}
