#include "connection/KVFileUploadManager.h"

#include "connection/ConnectionLog.h"
#include "connection/KVFileSnapshot.h"
#include "foundation/MainQueue.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('"'), QLatin1String("\\\""));
    value.remove(QLatin1Char('\r'));
    value.remove(QLatin1Char('\n'));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

void failLater(HttpManager &http, QObject *owner, const QString &error, HttpManager::UploadFinish completion)
{
    qCInfo(korviNet) << "upload not started:" << error;
    MainQueue::async(owner ? owner : &http, [completion = std::move(completion), error] {
        if (completion)
            completion(false, {}, error);
    });
}
} // namespace

namespace KVFileUploadManager {

void uploadFilesWithURL(QObject *owner, const QString &url, const QStringList &fileURLs, const QVariantMap &headers,
                        const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion)
{
    uploadFilesWithURL(*HttpManager::sharedManager(), owner, url, fileURLs, headers, parameters, std::move(progress),
                       std::move(completion));
}

void uploadFilesWithURL(HttpManager &client, QObject *owner, const QString &url, const QStringList &fileURLs,
                        const QVariantMap &headers, const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion)
{
    std::vector<std::shared_ptr<KVFileSnapshot>> snapshots;
    for (const QString &fileUrl : fileURLs) {
        const QUrl asUrl(fileUrl);
        const QString path = asUrl.isLocalFile() ? asUrl.toLocalFile() : fileUrl;
        QString error;
        auto snapshot = KVFileSnapshot::take(path, &error);
        if (!snapshot) {
            failLater(client, owner, error, std::move(completion));
            return;
        }
        snapshots.push_back(std::move(snapshot));
    }
    uploadSnapshots(client, owner, url, snapshots, headers, parameters, std::move(progress), std::move(completion));
}

void uploadSnapshots(HttpManager &client, QObject *owner, const QString &url,
                     const std::vector<std::shared_ptr<KVFileSnapshot>> &snapshots, const QVariantMap &headers,
                     const QVariantMap &parameters, HttpManager::Progress progress,
                     HttpManager::UploadFinish completion)
{
    HttpManager *http = &client;
    QObject *context = owner ? owner : http;
    auto multi = std::make_unique<QHttpMultiPart>(QHttpMultiPart::FormDataType);
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=%1").arg(quoted(it.key())));
        part.setBody(it.value().toString().toUtf8());
        multi->append(part);
    }
    static const QMimeDatabase mimes;
    for (const auto &snapshot : snapshots) {
        std::unique_ptr<QIODevice> reader = snapshot ? snapshot->openReader() : nullptr;
        if (!reader) {
            failLater(client, owner, QStringLiteral("cannot read the copy to upload"), std::move(completion));
            return;
        }
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=\"files\"; filename=%1").arg(quoted(snapshot->fileName())));
        part.setHeader(QNetworkRequest::ContentTypeHeader,
                       mimes.mimeTypeForFile(snapshot->sourcePath(), QMimeDatabase::MatchExtension).name());
        reader->setParent(multi.get());
        part.setBodyDevice(reader.release()); // streamed from the private copy
        multi->append(part);
    }

    QNetworkRequest request = http->makeRequest(http->resolveUrl(url), headers);
    QNetworkReply *reply = http->networkAccessManager()->post(request, multi.get());
    multi.release()->setParent(reply);
    // The copies go when the request is done with them.
    QObject::connect(reply, &QObject::destroyed, [snapshots] {});

    auto lastFraction = std::make_shared<double>(0.0);
    QPointer<QObject> guard(context);
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply,
                     [guard, progress, lastFraction](qint64 sent, qint64 total) {
                         if (!guard || !progress || total <= 0)
                             return;
                         const double fraction = std::clamp(double(sent) / double(total), 0.0, 1.0);
                         if (fraction <= *lastFraction && *lastFraction > 0)
                             return;
                         *lastFraction = fraction;
                         progress(fraction);
                     });
    const auto replyBody = HttpManager::ReplyBody::attach(reply, HttpManager::MaxReplyBytes);
    // A download's idle time and deadline: progress re-arms the first, so a reply that trickles in
    // is ended by the second.
    const int idleMs = int(http->downloadLimits().idle.count());
    const qint64 deadlineMs = http->downloadLimits().overall.count();
    http->track(
        owner, reply, idleMs,
        [completion, progress, lastFraction, replyBody](QNetworkReply *r, bool timedOut) {
            const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const QByteArray data = replyBody->take(r);
            KVMResponse response;
            if (timedOut)
                response = KVMResponse::failure(KVMResponse::TimeoutCode, QStringLiteral("timed out"));
            else if (replyBody->tooLarge)
                response = KVMResponse::failure(KVMResponse::BadReplyCode, QStringLiteral("reply too large"), status);
            else if (r->error() != QNetworkReply::NoError && status == 0)
                response = KVMResponse::failure(KVMResponse::NetworkErrorCode, r->errorString());
            else
                response = KVMResponse::fromReply(status, data);
            if (response.successed && progress && *lastFraction < 1.0) {
                *lastFraction = 1.0;
                progress(1.0);
            }
            QString error;
            if (!response.successed)
                error = response.message.isEmpty() ? response.error : response.message;
            if (completion)
                completion(response.successed, response.json.toVariantMap(), error);
        },
        deadlineMs);
}

} // namespace KVFileUploadManager
