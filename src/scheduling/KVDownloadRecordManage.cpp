#include "scheduling/KVDownloadRecordManage.h"

#include "connection/HttpManager.h"
#include "foundation/AppLifetime.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/OperationQueue.h"
#include "foundation/StringHelpers.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingLog.h"
#include "uikit/KVAlert.h"
#include "uikit/KVDownloadTexts.h"
#include "uikit/KVFileDialog.h"
#include "uikit/VeskToast.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

#include <atomic>
#include <deque>
#include <filesystem>
#include <utility>
#include <vector>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

using DownloadError = VeskAppAgent::DownloadError;

KVDownloadRecordManage::DialogOpener &opener()
{
    static KVDownloadRecordManage::DialogOpener o;
    return o;
}

// ---- Failures ------------------------------------------------------------------------------

// An error envelope of the service is small; a real file of that size is read once more, no harm.
constexpr qint64 kEnvelopeLimit = 64 * 1024;

std::optional<KVDownloadRecordManage::Failure> envelopeFailure(const QString &filePath)
{
    QFile file(filePath);
    if (file.size() > kEnvelopeLimit || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue code = o.value(QStringLiteral("code"));
    if (!code.isDouble() || code.toInteger() == 0)
        return std::nullopt;
    // The service's reason goes into a sentence of ours.
    const QString message = o.value(QStringLiteral("message")).toString();
    return KVDownloadRecordManage::Failure{code.toInteger(),
                                           DataText::isolated(DataText::bounded(message, DataText::kChatLength))};
}

// ---- Saving --------------------------------------------------------------------------------

// The mode a file the user makes gets: 0666 less the umask (read, not set: setting it is
// process-wide and races with every other thread making files).
mode_t userFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok)
                return mode_t(0666 & ~mask);
        }
    }
    return 0644;
}

// Copies and moves run here, so a recording of gigabytes never holds the main thread; the
// application's end stops a copy at its next piece.
class SaveWorker final : public QObject {
public:
    static SaveWorker &shared()
    {
        static QPointer<SaveWorker> worker;
        if (!worker) {
            worker = new SaveWorker;
            AppLifetime::deleteWithApplication(worker);
        }
        return *worker;
    }
    ~SaveWorker() override { m_stop = true; }
    [[nodiscard]] int inProgress() const { return m_inProgress; }

    // Main thread. The download leaves the caches folder whether or not it could be written.
    void write(const QString &cached, const QString &target)
    {
        ++m_inProgress;
        QPointer<SaveWorker> self(this);
        m_queue.addOperation([this, self, cached, target] {
            const bool ok = writeFile(cached, target);
            HttpManager::removeDownload(cached);
            MainQueue::async([self, ok] {
                if (self)
                    --self->m_inProgress;
                qCInfo(lcScheduling) << "saved download" << ok;
                KVTimer::singleShot(QCoreApplication::instance(), 200ms, [ok] {
                    VeskToast::showToast(ok ? RecordTexts::kSaved : RecordTexts::kSaveFailed);
                });
            });
        });
    }

private:
    // The download is renamed to the target (replacing what is there) when it can be; otherwise
    // it is copied next to the target first, so the target is never half written.
    bool writeFile(const QString &cached, const QString &target) const
    {
        const std::filesystem::path to(QFile::encodeName(target).toStdString());
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(QFile::encodeName(cached).toStdString()), to, ec);
        if (!ec) {
            ::chmod(to.c_str(), userFileMode()); // the file is saved either way
            return true;
        }
        const QString part = target + QStringLiteral(".korvi-part");
        QFile::remove(part);
        QFile in(cached);
        QFile out(part); // a new file: the user's mode, not the cache's 0600
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        QByteArray piece(1024 * 1024, Qt::Uninitialized);
        bool ok = true;
        while (ok) {
            if (m_stop) {
                ok = false;
                break;
            }
            const qint64 n = in.read(piece.data(), piece.size());
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            ok = out.write(piece.constData(), n) == n;
        }
        ok = out.flush() && ok;
        out.close();
        if (ok) {
            std::filesystem::rename(std::filesystem::path(QFile::encodeName(part).toStdString()), to, ec);
            ok = !ec;
        }
        if (!ok)
            QFile::remove(part);
        return ok;
    }

    SaveWorker() = default;
    std::atomic<bool> m_stop{false};
    int m_inProgress = 0; // main thread
    // Last, so it is destroyed first: it waits for a running copy, which reads m_stop.
    OperationQueue m_queue{QStringLiteral("korvi-save-download")};
};

// One save dialog at a time, in the order the downloads finished.
struct PendingSave {
    QString fileName;
    QStringList fileTypes;
    QString filePath;
    QPointer<QWidget> window;
};
std::deque<PendingSave> &pendingSaves()
{
    static std::deque<PendingSave> saves;
    return saves;
}
bool g_saveOpen = false;
// Downloads and saves belong to the sign-in that asked for them; its end counts up here.
int g_session = 0;
QPointer<QFileDialog> g_openDialog;
QPointer<KVAlert> g_replaceAlert;

void openNextSave();

void saveDone()
{
    g_saveOpen = false;
    MainQueue::async(openNextSave);
}

QString downloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

// The type a name filter "mp4 (*.mp4)" stands for.
QString typeOfFilter(const QString &filter, const QStringList &fileTypes)
{
    for (const QString &type : fileTypes) {
        if (filter.startsWith(type + QLatin1Char(' ')))
            return type;
    }
    return fileTypes.value(0);
}

// The dialog's own messages (its overwrite and delete questions) name files of the folder,
// names the service proposed among them: plain text, as every text from others.
class PlainMessages final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildPolished) {
            if (auto *box = qobject_cast<QMessageBox *>(static_cast<QChildEvent *>(event)->child()))
                box->setTextFormat(Qt::PlainText);
        }
        return QObject::eventFilter(watched, event);
    }
};

void afterDialog(const PendingSave &save, const QString &chosen, const QString &chosenType, int session)
{
    if (session != g_session) { // closed by the end of its sign-in: nothing is saved
        HttpManager::removeDownload(save.filePath);
        return;
    }
    if (chosen.isEmpty()) {
        HttpManager::removeDownload(save.filePath);
        saveDone();
        return;
    }
    const QString target = KVDownloadRecordManage::savePath(chosen, save.fileTypes, chosenType);
    if (!QFileInfo::exists(target)) {
        SaveWorker::shared().write(save.filePath, target);
        saveDone();
        return;
    }
    // Asked here, for the name that is written: the dialog only knows the name as typed.
    auto replace = std::make_shared<bool>(false);
    KVAlert *alert = KVAlert::alertWithMessage(
        RecordTexts::kReplaceQuestion.arg(DataText::isolatedTitle(QFileInfo(target).fileName())), RecordTexts::kCancel,
        RecordTexts::kReplace, {}, [replace] { *replace = true; });
    alert->setObjectName(QStringLiteral("replaceFileAlert"));
    g_replaceAlert = alert;
    QObject::connect(alert, &QObject::destroyed, QCoreApplication::instance(),
                     [replace, cached = save.filePath, target, session] {
                         if (session != g_session) {
                             HttpManager::removeDownload(cached);
                             return;
                         }
                         if (*replace)
                             SaveWorker::shared().write(cached, target);
                         else
                             HttpManager::removeDownload(cached);
                         saveDone();
                     });
    alert->showInCenterOfWindow(save.window);
}

void openNextSave()
{
    if (g_saveOpen || pendingSaves().empty())
        return;
    PendingSave save = pendingSaves().front();
    pendingSaves().pop_front();
    g_saveOpen = true;

    QFileDialog *dialog = KVFileDialog::make(save.window, RecordTexts::kSaveToLocal, QFileDialog::AcceptSave);
    g_openDialog = dialog;
    dialog->setObjectName(QStringLiteral("saveFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAccessibleName(RecordTexts::kSaveToLocal);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->installEventFilter(new PlainMessages(dialog));
    QStringList filters;
    for (const QString &type : std::as_const(save.fileTypes))
        filters << QStringLiteral("%1 (*.%1)").arg(type);
    dialog->setNameFilters(filters);
    if (!save.fileTypes.isEmpty())
        dialog->setDefaultSuffix(save.fileTypes.first());
    dialog->setDirectory(downloadFolder());
    dialog->selectFile(save.fileName);

    auto chosen = std::make_shared<std::pair<QString, QString>>(); // the path and its type
    const QStringList types = save.fileTypes;
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, types](const QString &filter) { dialog->setDefaultSuffix(typeOfFilter(filter, types)); });
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [dialog, chosen, types](const QString &path) {
        *chosen = {path, typeOfFilter(dialog->selectedNameFilter(), types)};
    });
    QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    QObject::connect(dialog, &QObject::destroyed, QCoreApplication::instance(), [save, chosen, session = g_session] {
        MainQueue::async([save, chosen, session] { afterDialog(save, chosen->first, chosen->second, session); });
    });
    if (opener()) {
        opener()(dialog);
        return;
    }
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

// ---- Downloads -----------------------------------------------------------------------------

struct Running {
    int id = 0;
    QString key;             // what is downloaded: the same again starts nothing
    QPointer<QObject> owner; // the request's: deleting it stops the download
};
std::vector<Running> &running()
{
    static std::vector<Running> list;
    return list;
}

std::optional<Running> takeRunning(int id)
{
    auto &list = running();
    const auto it = std::find_if(list.begin(), list.end(), [id](const Running &r) { return r.id == id; });
    if (it == list.end())
        return std::nullopt;
    Running r = *it;
    list.erase(it);
    return r;
}

void cancel(int id);

// The loading toast for the latest download still running; its 取消 stops that one.
void showProgress()
{
    if (running().empty()) {
        VeskToast::dismissLoadingToast();
        return;
    }
    const int id = running().back().id;
    VeskToast::showLoadingToast(RecordTexts::kDownloading, RecordTexts::kCancel, [id] { cancel(id); });
}

void cancel(int id)
{
    const auto r = takeRunning(id);
    if (!r)
        return;
    qCInfo(lcScheduling) << "download cancelled";
    // The request aborts and its partial file goes; no completion runs.
    delete r->owner.data();
    showProgress();
}

// The end of a sign-in: its running downloads stop (their partial files go with their requests),
// its saves not yet answered are dropped with their files, and its open dialog or question
// closes unanswered. A file already being written to the place the user chose is finished.
void endSession()
{
    ++g_session;
    const std::vector<Running> stopped = std::exchange(running(), {});
    for (const Running &r : stopped)
        delete r.owner.data();
    if (!stopped.empty())
        showProgress(); // its loading toast goes
    for (const PendingSave &save : pendingSaves())
        HttpManager::removeDownload(save.filePath);
    pendingSaves().clear();
    g_saveOpen = false;
    if (g_openDialog)
        g_openDialog->reject();
    if (g_replaceAlert)
        g_replaceAlert->dismiss();
}

// Follows the agent in force (tests replace it).
void watchSession()
{
    static QPointer<VeskAppAgent> watched;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    if (watched == agent)
        return;
    watched = agent;
    QObject::connect(agent, &VeskAppAgent::signedOut, QCoreApplication::instance(), [] { endSession(); });
}

using Start = std::function<void(QObject *owner, VeskAppAgent::DownloadFinish finish)>;

void download(const QString &key, const Start &start, const QStringList &fileTypes, QWidget *window)
{
    for (const Running &r : running()) {
        if (r.key == key)
            return; // already on its way; its toast is up
    }
    watchSession();
    static int nextId = 1;
    const int id = nextId++;
    auto *owner = new QObject(QCoreApplication::instance());
    running().push_back({id, key, owner});
    showProgress();
    QPointer<QWidget> target(window);
    start(owner, [id, target, fileTypes](const QString &filePath, const DownloadError &error) {
        if (const auto r = takeRunning(id); r && r->owner)
            r->owner->deleteLater();
        showProgress();
        if (const auto failure = KVDownloadRecordManage::failureOf(filePath, error)) {
            qCInfo(lcScheduling) << "download failed" << failure->code << error.kind << error.detail;
            HttpManager::removeDownload(filePath); // the service's answer, not a file of the user's
            VeskToast::showToast(RecordTexts::kDownloadFailed.arg(failure->code).arg(failure->text));
            return;
        }
        KVDownloadRecordManage::saveFileName(QFileInfo(filePath).fileName(), fileTypes, filePath, target);
    });
}

} // namespace

std::optional<KVDownloadRecordManage::Failure>
KVDownloadRecordManage::failureOf(const QString &filePath, const VeskAppAgent::DownloadError &error)
{
    if (error.failed() || filePath.isEmpty())
        return Failure{error.kind == DownloadError::HttpStatus ? error.status : 0,
                       error.failed() ? KVDownloadTexts::reasonOf(error) : RecordTexts::kNoErrorObject};
    if (auto envelope = envelopeFailure(filePath))
        return envelope;
    if (QFileInfo(filePath).fileName() == QLatin1String("download"))
        return Failure{0, RecordTexts::kNoErrorObject};
    return std::nullopt;
}

QString KVDownloadRecordManage::savePath(const QString &chosen, const QStringList &fileTypes, const QString &chosenType)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (fileTypes.isEmpty() || fileTypes.contains(suffix, Qt::CaseInsensitive))
        return chosen;
    QString name = chosen;
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    const QString type = fileTypes.contains(chosenType) ? chosenType : fileTypes.first();
    return name + QLatin1Char('.') + type;
}

int KVDownloadRecordManage::runningDownloads()
{
    return int(running().size());
}

int KVDownloadRecordManage::savesInProgress()
{
    return int(pendingSaves().size()) + (g_saveOpen ? 1 : 0) + SaveWorker::shared().inProgress();
}

void KVDownloadRecordManage::downloadRecordVideo(const QString &url, QWidget *window)
{
    download(
        QStringLiteral("recording ") + url,
        [url](QObject *owner, VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadRecordVideoWithUrl(owner, url, std::move(finish));
        },
        {QStringLiteral("mp4")}, window);
}

void KVDownloadRecordManage::downloadRoomDocumentFile(const QString &roomId, QWidget *window)
{
    download(
        QStringLiteral("document ") + roomId,
        [roomId](QObject *owner, VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadSubTitleFileWithRoomId(owner, roomId, std::move(finish));
        },
        {QStringLiteral("pdf")}, window);
}

void KVDownloadRecordManage::downloadMeetingMembersList(const QString &roomId, QWidget *window)
{
    download(
        QStringLiteral("members ") + roomId,
        [roomId](QObject *owner, VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadMeetingMembersListWithRoomId(owner, roomId, std::move(finish));
        },
        {QStringLiteral("xlsx"), QStringLiteral("xls")}, window);
}

void KVDownloadRecordManage::saveFileName(const QString &fileName, const QStringList &fileTypes,
                                          const QString &filePath, QWidget *window)
{
    watchSession();
    pendingSaves().push_back({fileName, fileTypes, filePath, window});
    openNextSave();
}

void KVDownloadRecordManage::setDialogOpener(DialogOpener o)
{
    opener() = std::move(o);
}
