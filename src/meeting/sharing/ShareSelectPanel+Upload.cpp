// The share picker's upload road: choose a file, show it pending, take its private copy and
// MD5 on a worker, ask the file service whether to send it, send that copy, and drop the pending
// row once the service holds it. Failed rows stay and can be retried.
#include "meeting/sharing/ShareSelectPanel.h"

#include "foundation/AppLifetime.h"
#include "foundation/MainQueue.h"
#include "meeting/sharing/ShareFileServices.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QSplitter>
#include <QTranslator>
#include <QTreeView>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>

namespace {

const QString kNetworkFailed = QStringLiteral("网络不给力，请稍后重试");

// The reads of chosen files, shared by every picker and living with the application; each read
// runs on a thread of its own, and at most kUploadOperations of them count at once. A read whose
// files were all cancelled no longer counts: one held in the kernel by a mount that stopped
// answering ends on its thread whenever the kernel lets it, without holding later uploads back.
// A picker that goes stops its reads and leaves without waiting for them. Main thread, but for
// the reads themselves.
class UploadWorkers final : public QObject {
public:
    static UploadWorkers &shared()
    {
        static QPointer<UploadWorkers> workers;
        if (!workers) {
            workers = new UploadWorkers();
            AppLifetime::deleteWithApplication(workers);
        }
        return *workers;
    }

    void addRead(const std::vector<std::stop_token> &stops, std::function<void()> read)
    {
        auto job = std::make_shared<Job>();
        job->read = std::move(read);
        job->stops = stops;
        m_waiting.push_back(std::move(job));
        startWaiting();
    }

    // Tests: until every read has ended, cancelled ones too.
    static void waitUntilAllEnded()
    {
        std::unique_lock lock(s_mutex);
        s_ended.wait(lock, [] { return s_running == 0; });
    }

private:
    struct Job {
        std::function<void()> read;
        std::vector<std::stop_token> stops;
        std::vector<std::unique_ptr<std::stop_callback<std::function<void()>>>> cancelled;
        std::shared_ptr<std::atomic<int>> uncancelled;
        bool counted = false;
    };

    void startWaiting()
    {
        while (m_live < ShareSelectPanel::kUploadOperations && !m_waiting.empty()) {
            std::shared_ptr<Job> job = std::move(m_waiting.front());
            m_waiting.pop_front();
            start(job);
        }
    }

    void start(const std::shared_ptr<Job> &job)
    {
        job->counted = true;
        ++m_live;
        {
            const std::lock_guard lock(s_mutex);
            ++s_running;
        }
        const QPointer<UploadWorkers> self(this);
        const std::weak_ptr<Job> weak(job);
        // The last of its files cancelled lets the read go from the count (its thread goes on).
        job->uncancelled = std::make_shared<std::atomic<int>>(int(job->stops.size()));
        for (const std::stop_token &stop : job->stops) {
            job->cancelled.push_back(std::make_unique<std::stop_callback<std::function<void()>>>(
                stop, std::function<void()>([left = job->uncancelled, self, weak] {
                    if (--*left != 0)
                        return;
                    MainQueue::async([self, weak] {
                        if (const std::shared_ptr<Job> cancelled = weak.lock(); self && cancelled)
                            self->release(*cancelled);
                    });
                })));
        }
        std::thread([job, self] {
            job->read();
            MainQueue::async([self, job] {
                if (self)
                    self->release(*job);
            });
            const std::lock_guard lock(s_mutex);
            --s_running;
            s_ended.notify_all();
        }).detach();
    }

    void release(Job &job)
    {
        if (!job.counted)
            return;
        job.counted = false;
        --m_live;
        startWaiting();
    }

    std::deque<std::shared_ptr<Job>> m_waiting;
    int m_live = 0;
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_ended;
    static inline int s_running = 0;
};

// Why a chosen file was not read to the end, told with its name.
QString readFailure(const QString &fileName, KVFileSnapshot::Failure failure)
{
    const QString name = DataText::isolatedTitle(fileName);
    switch (failure) {
    case KVFileSnapshot::Failure::NotRegular:
        return QStringLiteral("%1:不是普通文件，无法上传").arg(name);
    case KVFileSnapshot::Failure::Changed:
        return QStringLiteral("%1:文件在读取时被修改，请重新上传").arg(name);
    case KVFileSnapshot::Failure::CannotCopy:
        return QStringLiteral("%1:磁盘空间不足或无法写入，请稍后重试").arg(name);
    default:
        return QStringLiteral("%1:无法读取该文件").arg(name);
    }
}

// The list's columns in the client's language: titles, kinds, sizes and dates of its own rather
// than the system locale's.
class FileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("类型"),
                                        QStringLiteral("修改日期")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < titles.size())
            return titles.at(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString() : sizeText(info.size());
        case 2:
            if (info.isDir())
                return QStringLiteral("文件夹");
            return info.suffix().isEmpty() ? QStringLiteral("文件")
                                           : QStringLiteral("%1 文件").arg(info.suffix().toUpper());
        default:
            return info.lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        }
    }

private:
    static QString sizeText(qint64 bytes)
    {
        if (bytes < 1024)
            return QStringLiteral("%1 B").arg(bytes);
        static const char *const units[] = {"KB", "MB", "GB", "TB"};
        double value = double(bytes);
        int unit = -1;
        while (value >= 1024 && unit < 3) {
            value /= 1024;
            ++unit;
        }
        return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
    }
};

// Texts of Qt's own that the chooser shows (its sidebar's root, a folder's kind, its menus and
// warnings): the app loads no Qt translations.
class ChooserTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    [[nodiscard]] bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QByteArray, QString> texts{
            {"QFileSystemModel|Computer", QStringLiteral("计算机")},
            {"QAbstractFileIconProvider|Folder", QStringLiteral("文件夹")},
            {"QAbstractFileIconProvider|Drive", QStringLiteral("驱动器")},
            {"QFileDialog|Back", QStringLiteral("后退")},
            {"QFileDialog|Go back", QStringLiteral("回到上一个位置")},
            {"QFileDialog|Forward", QStringLiteral("前进")},
            {"QFileDialog|Go forward", QStringLiteral("前往下一个位置")},
            {"QFileDialog|Parent Directory", QStringLiteral("上一级")},
            {"QFileDialog|Go to the parent directory", QStringLiteral("前往上一级文件夹")},
            {"QFileDialog|Create New Folder", QStringLiteral("新建文件夹")},
            {"QFileDialog|Create a New Folder", QStringLiteral("新建一个文件夹")},
            {"QFileDialog|List View", QStringLiteral("列表视图")},
            {"QFileDialog|Change to list view mode", QStringLiteral("以列表显示")},
            {"QFileDialog|Detail View", QStringLiteral("详细视图")},
            {"QFileDialog|Change to detail view mode", QStringLiteral("显示详细信息")},
            {"QFileDialog|Files", QStringLiteral("文件")},
            {"QFileDialog|Sidebar", QStringLiteral("侧边栏")},
            {"QFileDialog|List of places and bookmarks", QStringLiteral("位置和书签")},
            {"QFileDialog|&Rename", QStringLiteral("重命名(&R)")},
            {"QFileDialog|&Delete", QStringLiteral("删除(&D)")},
            {"QFileDialog|Show &hidden files", QStringLiteral("显示隐藏文件(&H)")},
            {"QFileDialog|&New Folder", QStringLiteral("新建文件夹(&N)")},
            {"QFileDialog|New Folder", QStringLiteral("新建文件夹")},
            {"QFileDialog|Remove", QStringLiteral("移除")},
            {"QFileDialog|Recent Places", QStringLiteral("最近访问")},
            {"QFileDialog|Delete", QStringLiteral("删除")},
            {"QFileDialog|Are you sure you want to delete '%1'?", QStringLiteral("确定要删除“%1”吗？")},
            {"QFileDialog|'%1' is write protected.\nDo you want to delete it anyway?",
             QStringLiteral("“%1”有写保护。\n仍要删除吗？")},
            {"QFileDialog|Could not delete directory.", QStringLiteral("无法删除文件夹。")},
            {"QFileDialog|%1\nFile not found.\nPlease verify the correct file name was given.",
             QStringLiteral("%1\n找不到该文件。\n请确认文件名是否正确。")},
            {"QFileDialog|%1\nDirectory not found.\nPlease verify the correct directory name was given.",
             QStringLiteral("%1\n找不到该文件夹。\n请确认文件夹名是否正确。")},
            {"QPlatformTheme|OK", QStringLiteral("确定")},
            {"QPlatformTheme|&Yes", QStringLiteral("是(&Y)")},
            {"QPlatformTheme|&No", QStringLiteral("否(&N)")},
        };
        return texts.value(QByteArray(context) + '|' + source);
    }
};

} // namespace

QFileDialog *ShareSelectPanel::openFileDialog(QWidget *parent, const QStringList &types,
                                              std::function<void(const QList<QUrl> &)> done)
{
    // Installed before the first chooser is made, so that it is made with these texts; the
    // windows already open take the change of language now, before the chooser is one of their
    // children (its buttons would go back to Qt's own texts).
    static ChooserTexts *const texts = [] {
        auto *t = new ChooserTexts(QCoreApplication::instance());
        QCoreApplication::installTranslator(t);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        return t;
    }();
    Q_UNUSED(texts);
    auto *dialog = new QFileDialog(parent, QStringLiteral("选择要上传的文件"));
    dialog->setObjectName(QStringLiteral("uploadFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // Qt's own dialog, so that every text on it can be the client's.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setAccessibleName(dialog->windowTitle());
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("打开"));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog->setProxyModel(new FileColumns(dialog));
    // Room for the places' names and a whole date.
    dialog->resize(std::max(dialog->width(), 720), std::max(dialog->height(), 440));
    if (auto *places = dialog->findChild<QSplitter *>(QStringLiteral("splitter")); places && places->count() == 2)
        places->setSizes({140, dialog->width() - 140});
    if (auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView")))
        details->header()->resizeSection(
            3, details->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24);
    QStringList patterns;
    for (const QString &type : types)
        patterns << QStringLiteral("*.%1").arg(type);
    dialog->setNameFilter(QStringLiteral("可共享的文件 (%1)").arg(patterns.join(QLatin1Char(' '))));
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (*answered)
            return;
        *answered = true;
        done(result == QDialog::Accepted ? dialog->selectedUrls() : QList<QUrl>());
    });
    dialog->open();
    return dialog;
}

void ShareSelectPanel::fileUploadAction()
{
    if (!m_onlyShareFile && m_services->allowFileUpload() == 0) {
        toast(QStringLiteral("主持人已关闭您的上传权限"));
        return;
    }
    fileUploadButton->setEnabled(false);
    // The types pop-over would cover the row the choice adds.
    hideSupportFileList();
    QPointer<ShareSelectPanel> self(this);
    const FileChooser choose =
        fileChooser
            ? fileChooser
            : FileChooser([](QWidget *parent, const QStringList &types, std::function<void(const QList<QUrl> &)> done) {
                  openFileDialog(parent, types, std::move(done));
              });
    choose(window(), ShareFileList::chooserTypes(m_files.supportFileTypeArray), [self](const QList<QUrl> &urls) {
        if (!self)
            return;
        self->fileUploadButton->setEnabled(true);
        // Disabled while the chooser was open, it lost the focus it is given back now.
        self->fileUploadButton->setFocus(Qt::OtherFocusReason);
        if (!urls.isEmpty())
            self->uploadFileNoExit(urls);
    });
}

void ShareSelectPanel::waitForUploadWorkers()
{
    UploadWorkers::waitUntilAllEnded();
}

ShareSelectPanel::Pending *ShareSelectPanel::pendingRow(quint64 timeStamp)
{
    for (Pending &p : m_pending)
        if (p.row.timeStamp == timeStamp)
            return &p;
    return nullptr;
}

ShareSelectPanel::Pending *ShareSelectPanel::pendingRow(const QString &identity)
{
    if (identity.isEmpty())
        return nullptr;
    for (Pending &p : m_pending)
        if (p.row.identity == identity)
            return &p;
    return nullptr;
}

void ShareSelectPanel::uploadFileNoExit(const QList<QUrl> &urls)
{
    // The chooser's filter only offers: a name typed into it passes it.
    const QStringList types = ShareFileList::chooserTypes(m_files.supportFileTypeArray);
    QList<quint64> rows;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || !ShareFileList::acceptsUpload(url.fileName(), types)) {
            toast(ShareFileList::typeRefusal(url.fileName()));
            continue;
        }
        Pending pending;
        FileShareModel &row = pending.row;
        row.fileURL = url;
        row.fileName = url.fileName();
        row.userName = m_services->myUserName();
        row.state = 0;
        // The row's key: unique among the pending rows, even for one file chosen twice at once.
        row.timeStamp = quint64(QDateTime::currentMSecsSinceEpoch());
        while (pendingRow(row.timeStamp))
            ++row.timeStamp;
        m_pending.append(pending);
        rows << row.timeStamp;
    }
    if (rows.isEmpty())
        return;
    reloadFileGrid();
    readFiles(rows);
}

void ShareSelectPanel::readFiles(const QList<quint64> &rows)
{
    struct Job {
        quint64 timeStamp;
        QString path;
        std::stop_token stop;
    };
    QList<Job> jobs;
    std::vector<std::stop_token> stops;
    for (quint64 stamp : rows) {
        if (Pending *p = pendingRow(stamp)) {
            jobs.append({stamp, p->row.fileURL.toLocalFile(), p->reading.get_token()});
            stops.push_back(jobs.last().stop);
        }
    }
    if (jobs.isEmpty())
        return;
    // The guard is made here, on the main thread; the worker only carries it back.
    const QPointer<ShareSelectPanel> guard(this);
    std::shared_ptr<ShareFileServices> services = m_services;
    UploadWorkers::shared().addRead(stops, [services, jobs, guard] {
        QList<Read> results;
        for (const Job &job : jobs) {
            Read read{job.timeStamp, nullptr, KVFileSnapshot::Failure::Cancelled};
            if (!job.stop.stop_requested())
                read.snapshot = services->takeSnapshot(job.path, job.stop, &read.failure);
            results.append(read);
        }
        MainQueue::async([guard, results] {
            if (guard)
                guard->filesRead(results);
        });
    });
}

void ShareSelectPanel::filesRead(const QList<Read> &results)
{
    QList<quint64> ready;
    for (const Read &read : results) {
        Pending *p = pendingRow(read.timeStamp);
        // Deleted meanwhile.
        if (!p || read.failure == KVFileSnapshot::Failure::Cancelled)
            continue;
        if (!read.snapshot) {
            toast(readFailure(p->row.fileName, read.failure));
            // Nothing of it was read: no row to retry.
            if (read.failure == KVFileSnapshot::Failure::NotRegular)
                m_pending.removeIf([&](const Pending &other) { return other.row.timeStamp == read.timeStamp; });
            else
                p->row.state = 4;
            continue;
        }
        p->snapshot = read.snapshot;
        p->row.filesize = quint64(read.snapshot->size());
        p->row.identity = ShareFileList::identity(read.snapshot->md5(), p->row.fileName, p->row.timeStamp);
        ready << read.timeStamp;
    }
    reloadFileGrid();
    preUpload(ready);
}

void ShareSelectPanel::preUpload(const QList<quint64> &rows)
{
    QList<std::shared_ptr<KVFileSnapshot>> files;
    QStringList identities;
    for (quint64 stamp : rows) {
        Pending *p = pendingRow(stamp);
        if (!p || !p->snapshot)
            continue;
        p->row.state = 0;
        files << p->snapshot;
        identities << p->row.identity;
    }
    if (files.isEmpty())
        return;
    QPointer<ShareSelectPanel> self(this);
    m_services->prepareUploadFileWithfileURL(this, files, identities, fileRoomId(),
                                             [self, identities](const KVMResponse &r) {
                                                 if (self)
                                                     self->prepareAnswered(identities, r);
                                             });
}

void ShareSelectPanel::prepareAnswered(const QStringList &identities, const KVMResponse &response)
{
    if (response.code != 0) {
        for (const QString &identity : identities)
            if (Pending *p = pendingRow(identity))
                p->row.state = 4;
        toast(response.message.isEmpty() ? kNetworkFailed : response.message);
        reloadFileGrid();
        return;
    }
    const ShareFileList::PreUploadPlan plan = ShareFileList::planPreUpload(response.dataList(), uploadFailedArray());
    // A file the service holds already leaves the list at once; its copy there shows with the
    // list query below.
    m_pending.removeIf([&](const Pending &p) { return plan.held.contains(p.row.identity); });
    for (const QString &identity : plan.refused)
        if (Pending *p = pendingRow(identity))
            p->row.state = 4;
    for (const QString &refusal : plan.refusals)
        toast(refusal);
    reloadFileGrid();
    if (!plan.identities.isEmpty()) {
        if (!plan.held.isEmpty())
            reloadView();
        uploadFileInter(plan.fileIds, plan.identities);
    } else {
        reloadView();
    }
}

void ShareSelectPanel::uploadFileInter(const QStringList &fileIds, const QStringList &identities)
{
    QPointer<ShareSelectPanel> self(this);
    // One request per file, each sending the copy whose MD5 was announced.
    for (qsizetype i = 0; i < identities.size(); ++i) {
        const QString identity = identities.at(i);
        const Pending *p = pendingRow(identity);
        if (!p || !p->snapshot)
            continue;
        m_services->uploadFileWithfileURL(
            this, p->snapshot, fileIds.value(i), fileRoomId(),
            [self, identity](const QUrl &, bool ok, const QVariantMap &reply, const QString &) {
                if (self)
                    self->uploadAnswered(identity, ok, reply);
            });
    }
}

void ShareSelectPanel::uploadAnswered(const QString &identity, bool ok, const QVariantMap &reply)
{
    if (ok && reply.contains(QStringLiteral("code")) && reply.value(QStringLiteral("code")).toLongLong() == 0) {
        m_pending.removeIf([&](const Pending &p) { return p.row.identity == identity; });
        reloadFileGrid();
        reloadView();
        return;
    }
    if (Pending *p = pendingRow(identity))
        p->row.state = 4;
    if (ok) {
        const QString message = reply.value(QStringLiteral("message")).toString();
        toast(message.isEmpty() ? kNetworkFailed : message.left(256));
    }
    reloadFileGrid();
}
