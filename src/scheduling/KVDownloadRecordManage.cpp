#include "scheduling/KVDownloadRecordManage.h"

#include "agent/VeskAppAgent.h"
#include "foundation/KVClock.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingLog.h"
#include "uikit/VeskToast.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

KVDownloadRecordManage::DialogOpener &opener()
{
    static KVDownloadRecordManage::DialogOpener o;
    return o;
}

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
    return KVDownloadRecordManage::Failure{code.toInteger(), o.value(QStringLiteral("message")).toString()};
}

void showResultLater(bool ok)
{
    KVTimer::singleShot(QCoreApplication::instance(), 200ms,
                        [ok] { VeskToast::showToast(ok ? RecordTexts::kSaved : RecordTexts::kSaveFailed); });
}

// The download replaces what is there and leaves the caches folder; across file systems it is
// copied next to the target first, so the target is never half written.
bool replaceWith(const QString &cached, const QString &target)
{
    std::error_code ec;
    const std::filesystem::path from(cached.toStdString());
    const std::filesystem::path to(target.toStdString());
    std::filesystem::rename(from, to, ec);
    if (!ec)
        return true;
    const QString part = target + QStringLiteral(".korvi-part");
    QFile::remove(part);
    if (!QFile::copy(cached, part))
        return false;
    std::filesystem::rename(std::filesystem::path(part.toStdString()), to, ec);
    if (ec) {
        QFile::remove(part);
        return false;
    }
    QFile::remove(cached);
    return true;
}

using Start = std::function<void(VeskAppAgent::DownloadFinish finish)>;

void download(const Start &start, const QStringList &fileTypes, QWidget *window)
{
    VeskToast::showLoadingToast(RecordTexts::kDownloading);
    QPointer<QWidget> target(window);
    // The agent owns the request: a window closed meanwhile still gets its loading toast dismissed.
    start([target, fileTypes](const QString &filePath, const QString &error) {
        VeskToast::dismissLoadingToast();
        if (const auto failure = KVDownloadRecordManage::failureOf(filePath, error)) {
            qCInfo(lcScheduling) << "download failed" << failure->code << failure->text;
            if (!filePath.isEmpty())
                QFile::remove(filePath); // the service's answer, not a file of the user's
            VeskToast::showToast(RecordTexts::kDownloadFailed.arg(failure->code).arg(failure->text));
            return;
        }
        KVDownloadRecordManage::saveFileName(QFileInfo(filePath).fileName(), fileTypes, filePath, target);
    });
}

} // namespace

std::optional<KVDownloadRecordManage::Failure> KVDownloadRecordManage::failureOf(const QString &filePath,
                                                                                 const QString &error)
{
    if (!error.isEmpty() || filePath.isEmpty()) {
        static const QRegularExpression status(QStringLiteral(R"(^HTTP status (\d+)$)"));
        const auto m = status.match(error);
        return Failure{m.hasMatch() ? m.captured(1).toLongLong() : 0,
                       error.isEmpty() ? RecordTexts::kNoErrorObject : error};
    }
    if (auto envelope = envelopeFailure(filePath))
        return envelope;
    if (QFileInfo(filePath).fileName() == QLatin1String("download"))
        return Failure{0, RecordTexts::kNoErrorObject};
    return std::nullopt;
}

QString KVDownloadRecordManage::savePath(const QString &chosen, const QStringList &fileTypes)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (fileTypes.isEmpty() || fileTypes.contains(suffix, Qt::CaseInsensitive))
        return chosen;
    return chosen + QLatin1Char('.') + fileTypes.first();
}

void KVDownloadRecordManage::downloadRecordVideo(const QString &url, QWidget *window)
{
    download(
        [url](VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadRecordVideoWithUrl(nullptr, url, std::move(finish));
        },
        {QStringLiteral("mp4")}, window);
}

void KVDownloadRecordManage::downloadRoomDocumentFile(const QString &roomId, QWidget *window)
{
    download(
        [roomId](VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadSubTitleFileWithRoomId(nullptr, roomId, std::move(finish));
        },
        {QStringLiteral("pdf")}, window);
}

void KVDownloadRecordManage::downloadMeetingMembersList(const QString &roomId, QWidget *window)
{
    download(
        [roomId](VeskAppAgent::DownloadFinish finish) {
            VeskAppAgent::sharedInstance()->downloadMeetingMembersListWithRoomId(nullptr, roomId, std::move(finish));
        },
        {QStringLiteral("xlsx"), QStringLiteral("xls")}, window);
}

void KVDownloadRecordManage::saveFileName(const QString &fileName, const QStringList &fileTypes,
                                          const QString &filePath, QWidget *window)
{
    auto *dialog = new QFileDialog(window, RecordTexts::kSaveToLocal);
    dialog->setObjectName(QStringLiteral("saveFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAccessibleName(RecordTexts::kSaveToLocal);
    QStringList filters;
    for (const QString &type : fileTypes)
        filters << QStringLiteral("%1 (*.%1)").arg(type);
    dialog->setNameFilters(filters);
    if (!fileTypes.isEmpty())
        dialog->setDefaultSuffix(fileTypes.first());
    dialog->selectFile(fileName);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [filePath, fileTypes](const QString &chosen) {
        const QString target = savePath(chosen, fileTypes);
        bool ok = false;
        if (QFileInfo::exists(target))
            ok = replaceWith(filePath, target);
        else
            ok = QFile::copy(filePath, target);
        qCInfo(lcScheduling) << "saved download" << ok;
        showResultLater(ok);
    });
    if (opener())
        opener()(dialog);
    else
        dialog->open();
}

void KVDownloadRecordManage::setDialogOpener(DialogOpener o)
{
    opener() = std::move(o);
}
