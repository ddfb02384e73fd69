// The share picker's upload road: choose a file, show it pending, take its private copy and
// MD5 on a worker, ask the file service whether to send it, send that copy, and drop the pending
// row once the service holds it. Failed rows stay and can be retried.
#include "meeting/sharing/ShareSelectPanel.h"

#include "foundation/AppLifetime.h"
#include "foundation/MainQueue.h"
#include "meeting/sharing/ShareFileServices.h"
#include "uikit/KVDataText.h"
#include "uikit/KVFileDialog.h"
#include "uikit/VeskButton.h"

#include <QDateTime>
#include <QFileDialog>

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

} // namespace

QFileDialog *ShareSelectPanel::openFileDialog(QWidget *parent, const QStringList &types,
                                              std::function<void(const QList<QUrl> &)> done)
{
    QFileDialog *dialog = KVFileDialog::make(parent, QStringLiteral("选择要上传的文件"), QFileDialog::AcceptOpen);
    dialog->setObjectName(QStringLiteral("uploadFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAccessibleName(dialog->windowTitle());
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
