// File-service calls of the agent: the room's file list, pages, upload and deletion.
#include "agent/AgentRequests.h"
#include "agent/VeskAppAgent.h"
#include "agent/models/FileShareModel.h"
#include "connection/HttpManager.h"
#include "foundation/JXExtension.h"

#include <QFileInfo>

namespace {
// The name the service gets: the last path component, "\U" pairs dropped, escapes undone.
QString uploadFileName(const QUrl &fileURL)
{
    QString component = fileURL.fileName(QUrl::FullyEncoded);
    component.remove(QStringLiteral("\\U"));
    return QUrl::fromPercentEncoding(component.toUtf8());
}

QString localPath(const QUrl &fileURL)
{
    return fileURL.isLocalFile() ? fileURL.toLocalFile() : fileURL.toString();
}
} // namespace

void VeskAppAgent::queryFileList(QObject *owner, const QString &roomId, Completion completion)
{
    post(owner, QStringLiteral("/fms/query/list"), fileServiceParameters(roomId), authHeaders(),
         AgentRequests::mapOnSuccess(std::move(completion), [](const QVariant &data) {
             const QVariantMap dict = data.toMap();
             QVariantMap mapped;
             mapped.insert(QStringLiteral("files"),
                           QVariant::fromValue(
                               jx_objectArrayWithKeyValuesArray<FileShareModel>(dict.value(QStringLiteral("files")))));
             mapped.insert(QStringLiteral("fileTypes"),
                           QVariant::fromValue(jx_objectArrayWithKeyValuesArray<SupportFileShareTypeModel>(
                               dict.value(QStringLiteral("fileTypes")))));
             return QVariant(mapped);
         }));
}

void VeskAppAgent::queryFileSliceUrl(QObject *owner, const QString &fileId, const QString &roomId,
                                     Completion completion)
{
    QVariantMap body = fileServiceParameters(roomId);
    body.insert(QStringLiteral("fileId"), fileId);
    body.insert(QStringLiteral("level"), 1);
    post(owner, QStringLiteral("/fms/query/file/sliceUrl"), body, authHeaders(), std::move(completion));
}

void VeskAppAgent::prepareUploadFileWithfileURL(QObject *owner, const QList<QUrl> &fileURLs,
                                                const QStringList &identityArray, const QString &roomId,
                                                Completion completion)
{
    QVariantList files;
    for (qsizetype i = 0; i < fileURLs.size(); ++i) {
        const QUrl &url = fileURLs.at(i);
        const QFileInfo info(localPath(url));
        files.append(QVariantMap{
            {QStringLiteral("md5Val"), calculateMD5ForFileAtPath(localPath(url))},
            {QStringLiteral("fileName"), uploadFileName(url)},
            {QStringLiteral("fileSize"), info.isReadable() ? info.size() : qint64(0)},
            {QStringLiteral("identity"), identityArray.value(i)},
        });
    }
    QVariantMap body = fileServiceParameters(roomId);
    body.insert(QStringLiteral("files"), files);
    post(owner, QStringLiteral("/fms/upload/preUpload"), body, authHeaders(), std::move(completion));
}

void VeskAppAgent::uploadFileWithfileURL(QObject *owner, const QList<QUrl> &fileURLs, const QStringList &fileIds,
                                         const QString &roomId, Progress progress, UploadFinish finish)
{
    const QString url = http()->resolveUrl(QStringLiteral("/fms/upload/multi")).toString();
    for (qsizetype i = 0; i < fileURLs.size(); ++i) {
        const QUrl fileURL = fileURLs.at(i);
        const QString name = uploadFileName(fileURL);
        if (name.isEmpty())
            continue;
        const QString path = localPath(fileURL);
        const QVariantList infos{QVariantMap{
            {QStringLiteral("fileId"), fileIds.value(i)},
            {QStringLiteral("fileName"), name},
            {QStringLiteral("md5Val"), calculateMD5ForFileAtPath(path)},
        }};
        QVariantMap parameters = fileServiceParameters(roomId);
        parameters.insert(QStringLiteral("fileInfos"), jx_JSONString(QVariant(infos)));
        http()->uploadFileWithUrl(
            owner ? owner : this, url, path, authHeaders(), parameters,
            [progress](double fraction) {
                if (progress)
                    progress(fraction);
            },
            [finish, fileURL](bool ok, const QVariantMap &reply, const QString &error) {
                if (finish)
                    finish(fileURL, ok, reply, error);
            });
    }
}

void VeskAppAgent::deleteFiles(QObject *owner, const QStringList &fileIds, const QString &uploadUserId,
                               const QString &roomId, Completion completion)
{
    QVariantMap body = fileServiceParameters(roomId);
    body.insert(QStringLiteral("fileIds"), AgentRequests::toList(fileIds));
    body.insert(QStringLiteral("uploadUserId"), uploadUserId);
    post(owner, QStringLiteral("/qf/client/ShareFileDelete"), body, joinedRoomHeaders(), std::move(completion));
}
