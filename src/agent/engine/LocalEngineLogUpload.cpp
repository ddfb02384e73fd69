// The local engine's diagnostic log upload.
#include "EngineLog.h"
#include "LocalEngine.h"
#include "LocalLogArchive.h"

#include "connection/HttpManager.h"
#include "foundation/KVFileLog.h"
#include "foundation/MainQueue.h"
#include "foundation/OperationQueue.h"

#include <mutex>

namespace {

std::mutex g_authorizationMutex;
std::function<QString()> g_authorization;

OperationQueue &packQueue()
{
    static OperationQueue queue(QStringLiteral("korvi-log-pack"));
    return queue;
}

int codeForReply(const KVMResponse &reply)
{
    if (reply.successed)
        return KRTCEngineOC::AnalyzeUploaded;
    if (reply.code == KVMResponse::TimeoutCode)
        return KRTCEngineOC::AnalyzeTimedOut;
    if (reply.code == 401 || reply.httpStatus == 401 || reply.httpStatus == 403)
        return KRTCEngineOC::AnalyzeNotAuthorised;
    return LocalEngine::kLogUploadFailed;
}

} // namespace

void LocalEngine::setLogUploadAuthorization(std::function<QString()> source)
{
    std::lock_guard lock(g_authorizationMutex);
    g_authorization = std::move(source);
}

void LocalEngine::analyzePerformance(const QString &appId, const QString &userId, const QString &userName,
                                     const QString &logDirectory, AnalyzeCallback callback)
{
    QString authorization;
    {
        std::function<QString()> source;
        {
            std::lock_guard lock(g_authorizationMutex);
            source = g_authorization;
        }
        if (source)
            authorization = source();
    }
    const QString folder = logDirectory.isEmpty() ? KVFileLog::defaultFolder() : logDirectory;
    auto finish = std::make_shared<AnalyzeCallback>(std::move(callback));
    const auto answer = [finish](int code) {
        if (*finish)
            (*finish)(code);
    };
    const bool ownLog = logDirectory.isEmpty();
    packQueue().addOperation([=] {
        // Written lines first, so the archive holds this run's log up to the click.
        if (ownLog)
            KVFileLog::sharedInstance().flush();
        std::optional<LocalLogArchive::Packed> packed = LocalLogArchive::pack(folder, kLogPackLimitBytes);
        if (!packed) {
            qCWarning(lcEngine) << "log upload: nothing to pack in" << folder;
            answer(AnalyzePackFailed);
            return;
        }
        qCInfo(lcEngine) << "log upload:" << packed->fileNames.size() << "files," << packed->archive.size() << "bytes";
        const QString content = QString::fromLatin1(packed->archive.toBase64());
        MainQueue::async([=] {
            const QVariantMap body{
                {QStringLiteral("level"), QStringLiteral("ARCHIVE")},
                {QStringLiteral("content"), content},
                {QStringLiteral("userId"), userId},
                {QStringLiteral("applicationId"), appId},
                {QStringLiteral("userName"), userName},
            };
            HttpManager *http = HttpManager::sharedManager();
            http->POST(
                http, QStringLiteral("/qf/log/upload"), body, {{QStringLiteral("Authorization"), authorization}},
                [answer](const KVMResponse &reply) {
                    const int code = codeForReply(reply);
                    if (code != AnalyzeUploaded)
                        qCWarning(lcEngine) << "log upload failed:" << reply.code << reply.error;
                    answer(code);
                },
                kLogUploadTimeoutMs);
        });
    });
}
