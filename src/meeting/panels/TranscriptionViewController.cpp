#include "meeting/panels/TranscriptionViewController.h"

#include "agent/VeskAppAgent.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/TranscriptionViewCell.h"
#include "uikit/KVDownloadTexts.h"
#include "uikit/KVFileDialog.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSaveFile>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <chrono>

namespace {

const QString kSearching = QStringLiteral("搜索中...");
const QString kDownloading = QStringLiteral("转录文件处理中");
const QString kCancel = QStringLiteral("取消");
const QString kDownloadFailed = QStringLiteral("转录文件下载失败：%1-%2");
const QString kSaveMessage = QStringLiteral("保存转录文件到本地");
const QString kSaved = QStringLiteral("转录文件保存成功");
const QString kSaveFailed = QStringLiteral("转录文件保存失败");

// Copies beside the target and renames over it, so an existing file is replaced whole or not at all.
bool replaceWithCopy(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (target.write(buffer, n) != n)
            return false;
    }
    return target.commit();
}

} // namespace

// ---- The table -------------------------------------------------------------------------------------

class TranscriptionViewController::Model final : public QAbstractListModel {
public:
    explicit Model(TranscriptionViewController *owner) : QAbstractListModel(owner), m_owner(owner) {}
    [[nodiscard]] int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_owner->m_dataSourceArray.size());
    }
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_owner->m_dataSourceArray.size())
            return {};
        const KVSubTitleRecord &record = m_owner->m_dataSourceArray.at(index.row()).record;
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return QStringLiteral("%1 %2 %3").arg(record.name, record.timeString(), record.content);
        return {};
    }
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    TranscriptionViewController *m_owner;
};

class TranscriptionViewController::Delegate final : public QStyledItemDelegate {
public:
    Delegate(TranscriptionViewController *owner, QObject *parent) : QStyledItemDelegate(parent), m_owner(owner)
    {
        m_cell = new TranscriptionViewCell();
        m_cell->setParent(m_owner->m_tableView);
        m_cell->hide();
    }
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int height = TranscriptionViewCell::rowHeight(m_owner->m_dataSourceArray.at(index.row()).textHeight);
        return {option.rect.width() > 0 ? option.rect.width() : 342, height};
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const TranscriptLines::Row &row = m_owner->m_dataSourceArray.at(index.row());
        m_cell->setRecord(row.record, row.textHeight, row.layout);
        m_cell->paintCell(*painter, option.rect);
    }

private:
    TranscriptionViewController *m_owner;
    TranscriptionViewCell *m_cell;
};

// ---- Life --------------------------------------------------------------------------------------------

TranscriptionViewController::TranscriptionViewController(QObject *parent) : MacBaseViewController(parent)
{
    fileChooser = [](QWidget *sheetParent, const SaveRequest &request, std::function<void(QString)> done) {
        QFileDialog *dialog = KVFileDialog::make(sheetParent, request.message, QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setNameFilter(QStringLiteral("PDF (*.pdf)"));
        dialog->setDefaultSuffix(QStringLiteral("pdf"));
        dialog->setLabelText(QFileDialog::LookIn, request.message);
        dialog->selectFile(request.proposedName);
        if (!request.canCreateDirectories)
            dialog->setOption(QFileDialog::ReadOnly);
        dialog->setWindowModality(Qt::WindowModal);
        QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [done](const QString &path) { done(path); });
        QObject::connect(dialog, &QFileDialog::rejected, dialog, [done] { done(QString()); });
        dialog->open();
    };
}

TranscriptionViewController::~TranscriptionViewController() = default;

QString TranscriptionViewController::roomId()
{
    const auto room = MeetingCurrent::room();
    return room ? room->roomId : QString();
}

void TranscriptionViewController::loadView()
{
    auto *root = new QWidget();
    root->setObjectName(QStringLiteral("TranscriptionView"));
    root->setAccessibleName(QStringLiteral("实时转录"));
    vesk::setBackgroundColor(root, vesk::colorWithHexString(QStringLiteral("#222222")));
    vesk::setCornerRadius(root, 8);

    auto *headerBKView = new QWidget(root);
    headerBKView->setObjectName(QStringLiteral("headerBKView"));
    vesk::setBackgroundColor(headerBKView, vesk::colorWithHexString(QStringLiteral("#232527")));
    auto *title = new QLabel(QStringLiteral("实时转录"), headerBKView);
    title->setStyleSheet(QStringLiteral("color: #F2F2F7;"));
    title->setFont(vesk::systemFont(14, QFont::Medium));
    m_closeButton = new VeskButton(QStringLiteral("关闭"), headerBKView);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    m_closeButton->setTextColor(vesk::colorWithHexString(QStringLiteral("#D7D7D8")));
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] { removeAction(); });
    auto *header = new QHBoxLayout(headerBKView);
    header->setContentsMargins(16, 12, 12, 12);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_closeButton);

    auto *searchView = new QWidget(root);
    searchView->setObjectName(QStringLiteral("searchView"));
    auto *searchTextFieldBKView = new QWidget(searchView);
    searchTextFieldBKView->setObjectName(QStringLiteral("searchTextFieldBKView"));
    vesk::setBackgroundColor(searchTextFieldBKView, vesk::colorWithHexString(QStringLiteral("#353535")));
    vesk::setCornerRadius(searchTextFieldBKView, 6);
    m_searchTextField = new QLineEdit(searchTextFieldBKView);
    m_searchTextField->setObjectName(QStringLiteral("searchTextField"));
    m_searchTextField->setPlaceholderText(QStringLiteral("搜索"));
    m_searchTextField->setAccessibleName(QStringLiteral("搜索转录"));
    m_searchTextField->setFrame(false);
    m_searchTextField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: #F2F2F7; }"));
    // Every change of the text, typed or set by assistive technology, searches.
    connect(m_searchTextField, &QLineEdit::textChanged, this, [this](const QString &t) { controlTextDidChange(t); });
    connect(m_searchTextField, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });
    auto *fieldBox = new QHBoxLayout(searchTextFieldBKView);
    fieldBox->setContentsMargins(8, 4, 8, 4);
    fieldBox->addWidget(m_searchTextField);
    auto *searchBox = new QHBoxLayout(searchView);
    searchBox->setContentsMargins(16, 10, 16, 10);
    searchBox->addWidget(searchTextFieldBKView);

    auto *lineView = new QWidget(root);
    lineView->setObjectName(QStringLiteral("lineView"));
    lineView->setFixedHeight(1);
    vesk::setBackgroundColor(lineView, vesk::colorWithHexString(QStringLiteral("#232527")));

    m_tableView = new QListView(root);
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setAccessibleName(QStringLiteral("转录内容"));
    m_model = new Model(this);
    m_tableView->setModel(m_model);
    m_tableView->setItemDelegate(new Delegate(this, m_tableView));
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setFrameShape(QFrame::NoFrame);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tableView->setUniformItemSizes(false);
    m_tableView->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    m_tableView->viewport()->setAutoFillBackground(false);
    // Lines are laid out to the rows' width: a window of another scale lays them out again.
    m_tableView->viewport()->installEventFilter(this);

    m_saveButton = new VeskButton(QStringLiteral("下载转录文件"), root);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setToolTip(QStringLiteral("下载转录文件"));
    m_saveButton->setTextColor(Qt::white);
    m_saveButton->setFixedHeight(32);
    vesk::setBackgroundColor(m_saveButton, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    vesk::setCornerRadius(m_saveButton, 6);
    connect(m_saveButton, &QAbstractButton::clicked, this, [this] { saveButtonAction(); });

    auto *column = new QVBoxLayout(root);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(headerBKView);
    column->addWidget(searchView);
    column->addWidget(lineView);
    column->addWidget(m_tableView, 1);
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 10, 16, 14);
    footer->addWidget(m_saveButton);
    column->addLayout(footer);
    setView(root);
}

void TranscriptionViewController::viewDidLoad()
{
    requestData();
}

// ---- Results ---------------------------------------------------------------------------------------

void TranscriptionViewController::receiveMessages(const QStringList &data)
{
    receiveRecords(TranscriptLines::recordsFromMessage(data));
}

void TranscriptionViewController::receiveRecords(const QList<KVSubTitleRecord> &records)
{
    if (records.isEmpty())
        return;
    for (const KVSubTitleRecord &record : records)
        m_lines.merge(record);

    if (!m_refreshTimer) {
        m_refreshTimer =
            KVTimer::repeating(this, std::chrono::milliseconds(kRefreshMs), [this] { refreshTableViewMethod(); });
    } else if (m_refreshTimerIsSuspend) {
        // Parked after the last burst: show this one at once, then every half second.
        m_refreshTimerIsSuspend = false;
        m_refreshTimer->start();
        refreshTableViewMethod();
    }
    // The end of a burst: a second without results parks the refresh.
    if (!m_endMessageRefreshTimer) {
        m_endMessageRefreshTimer = new KVTimer(this, std::chrono::milliseconds(kBurstEndMs), true, [this] {
            m_endMessageRefreshTimer->stop();
            endRefreshMessage();
        });
    }
    m_endMessageRefreshTimer->start();
}

void TranscriptionViewController::endRefreshMessage()
{
    if (!m_refreshTimer)
        return;
    m_refreshTimerIsSuspend = true;
    m_refreshTimer->stop();
}

void TranscriptionViewController::refreshTableViewMethod()
{
    // Asking for the superview builds the view (and asks for the first page) at the latest now.
    if (!view()->parentWidget() || m_searchFlag)
        return;
    rebuildFromLive();
}

int TranscriptionViewController::textWidth() const
{
    const int rowWidth = m_tableView ? m_tableView->viewport()->width() : 0;
    return TranscriptionViewCell::textWidth(rowWidth > 0 ? rowWidth : TranscriptionViewCell::kDesignRowWidth);
}

bool TranscriptionViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_tableView && watched == m_tableView->viewport())
        layOutRowsAgain();
    return MacBaseViewController::eventFilter(watched, event);
}

void TranscriptionViewController::layOutRowsAgain()
{
    const int width = textWidth();
    bool changed = false;
    for (TranscriptLines::Row &row : m_dataSourceArray) {
        if (row.textWidth == width)
            continue;
        TranscriptLines::Measured text = TranscriptionViewCell::layOutText(row.record.content, width);
        row.textHeight = text.height;
        row.layout = std::move(text.layout);
        row.textWidth = width;
        changed = true;
    }
    // The lines' own layouts follow at the next refresh.
    if (changed && m_model) {
        m_model->reload();
        m_tableView->scrollToBottom();
    }
}

void TranscriptionViewController::rebuildFromLive()
{
    m_dataSourceArray = m_lines.displayCopy(&TranscriptionViewCell::layOutText, textWidth());
    ++m_refreshCount;
    tableViewReload();
}

void TranscriptionViewController::tableViewReload()
{
    if (!m_model)
        return;
    m_model->reload();
    if (!m_dataSourceArray.isEmpty())
        m_tableView->scrollToBottom();
}

// ---- History -----------------------------------------------------------------------------------------

void TranscriptionViewController::requestData()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return;
    QPointer<TranscriptionViewController> self(this);
    agent->querySubTitleListWithRoomId(this, roomId(), QDateTime::currentMSecsSinceEpoch(), false, true,
                                       [self](const KVMResponse &reply) {
                                           if (!self)
                                               return;
                                           if (!reply.successed) {
                                               VeskToast::showToast(reply.message);
                                               return;
                                           }
                                           const auto page = reply.data.value<KVSubTitleListModel>();
                                           self->m_didLoadAllPastData = page.list.size() < kPageSize;
                                           // The live lines merged before the answer stay; older history goes before
                                           // them.
                                           self->m_lines.mergeFirstPage(page.list);
                                           if (!page.list.isEmpty() && !self->m_searchFlag)
                                               self->rebuildFromLive();
                                       });
}

void TranscriptionViewController::beginUpRefresh()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_didLoadAllPastData || m_dataSourceArray.isEmpty())
        return;
    // The oldest line shown is at the top.
    const double anchor = m_dataSourceArray.first().record.timeStamp;
    QPointer<TranscriptionViewController> self(this);
    agent->querySubTitleListWithRoomId(this, roomId(), qint64(anchor - 1.0), false, true,
                                       [self](const KVMResponse &reply) {
                                           if (!self)
                                               return;
                                           if (!reply.successed) {
                                               VeskToast::showToast(reply.message);
                                               return;
                                           }
                                           const auto page = reply.data.value<KVSubTitleListModel>();
                                           if (page.list.size() < kPageSize)
                                               self->m_didLoadAllPastData = true;
                                           self->m_lines.appendOlderPage(page.list);
                                           if (!self->m_searchFlag)
                                               self->rebuildFromLive();
                                       });
}

// ---- Search ------------------------------------------------------------------------------------------

void TranscriptionViewController::controlTextDidChange(const QString &text)
{
    if (text.isEmpty())
        return;
    m_searchFlag = true;
    searchList(text);
}

void TranscriptionViewController::controlTextDidEndEditing()
{
    if (!m_searchFlag)
        return;
    m_searchFlag = false;
    // The live lines come back at once, not at the next result.
    if (view()->parentWidget())
        rebuildFromLive();
}

void TranscriptionViewController::searchList(const QString &text)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return;
    VeskToast::showLoadingToast(kSearching);
    const quint64 serial = ++m_searchSerial;
    QPointer<TranscriptionViewController> self(this);
    agent->querySubTitleKeyTimesWithRoomId(this, roomId(), text, [self, serial, text](const KVMResponse &reply) {
        if (!self || serial != self->m_searchSerial)
            return; // a later search is under way and owns the loading toast
        VeskToast::dismissLoadingToast();
        // Only the answer for the text in the field, and only while searching.
        if (!self->m_searchFlag || !self->m_searchTextField || self->m_searchTextField->text() != text)
            return;
        if (!reply.successed) {
            VeskToast::showToast(reply.message);
            return;
        }
        QList<TranscriptLines::Row> rows;
        for (const QVariant &entry : reply.dataMap().value(QStringLiteral("list")).toList()) {
            auto record = jx_objectWithKeyValues<KVSubTitleRecord>(entry);
            record.name = DataText::bounded(record.name, DataText::kNameLength);
            record.content = DataText::bounded(record.content, DataText::kTranscriptLength);
            const int width = self->textWidth();
            const TranscriptLines::Measured text = TranscriptionViewCell::layOutText(record.content, width);
            rows.append({record, text.height, text.layout, width});
        }
        self->m_dataSourceArray = rows;
        self->tableViewReload();
    });
}

// ---- Download ----------------------------------------------------------------------------------------

void TranscriptionViewController::saveButtonAction()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_download)
        return;
    m_download = new QObject(this);
    if (m_saveButton)
        m_saveButton->setEnabled(false);
    QPointer<TranscriptionViewController> self(this);
    // However it ends, finished, cancelled or with the panel, the button and the toast go back.
    connect(m_download, &QObject::destroyed, QCoreApplication::instance(), [self] {
        VeskToast::dismissLoadingToast();
        if (self && self->m_saveButton)
            self->m_saveButton->setEnabled(true);
    });
    QPointer<QObject> download(m_download);
    VeskToast::showLoadingToast(kDownloading, kCancel, [download] { delete download.data(); });
    agent->downloadSubTitleFileWithRoomId(
        m_download, roomId(), [self, download](const QString &filePath, const VeskAppAgent::DownloadError &error) {
            VeskToast::dismissLoadingToast();
            if (download)
                download->deleteLater();
            if (!self)
                return;
            // The service names a missing transcript "download".
            if (filePath.isEmpty() || QFileInfo(filePath).fileName() == QLatin1String("download")) {
                if (!filePath.isEmpty())
                    HttpManager::removeDownload(filePath);
                VeskToast::showToast(
                    kDownloadFailed.arg(error.failed() ? -1 : 0).arg(KVDownloadTexts::reasonOf(error)));
                return;
            }
            self->saveDownloadedFile(filePath);
        });
}

void TranscriptionViewController::saveDownloadedFile(const QString &downloaded)
{
    // The download is only a step on the way: it leaves the caches folder whatever the user chooses.
    if (!fileChooser) {
        HttpManager::removeDownload(downloaded);
        return;
    }
    SaveRequest request;
    request.message = kSaveMessage;
    request.proposedName = QFileInfo(downloaded).fileName();
    request.allowedTypes = {QStringLiteral("pdf")};
    request.canCreateDirectories = true;
    QPointer<TranscriptionViewController> self(this);
    fileChooser(isViewLoaded() ? view()->window() : nullptr, request, [self, downloaded](QString chosen) {
        if (!self || chosen.isEmpty()) {
            HttpManager::removeDownload(downloaded);
            return;
        }
        // Only PDF: another name gets the PDF extension.
        if (QFileInfo(chosen).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
            chosen += QStringLiteral(".pdf");
        const bool saved = replaceWithCopy(downloaded, chosen);
        HttpManager::removeDownload(downloaded);
        VeskToast::showToast(saved ? kSaved : kSaveFailed);
    });
}

// ---- Closing -----------------------------------------------------------------------------------------

void TranscriptionViewController::removeAction()
{
    panelClosed();
    if (QWidget *w = isViewLoaded() ? view()->window() : nullptr; w && w != view()) {
        m_closingWindow = true;
        w->close();
        m_closingWindow = false;
    }
}

void TranscriptionViewController::windowWillClose()
{
    // The window manager's close (a title bar's button, Alt+F4) closes the panel as its own button does.
    if (!m_closingWindow)
        panelClosed();
}

void TranscriptionViewController::panelClosed()
{
    NotificationCenter::defaultCenter().post(kHiddenNotification);
    if (removeBlock)
        removeBlock();
}
