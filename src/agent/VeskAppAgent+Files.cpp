// File-service calls of the agent: the room's file list, pages, upload and deletion.
#include "agent/AgentRequests.h"
#include "agent/VeskAppAgent.h"
#include "agent/models/FileShareModel.h"
#include "connection/HttpManager.h"
#include "connection/KVFileSnapshot.h"
#include "connection/KVFileUploadManager.h"
#include "foundation/JXExtension.h"

namespace {
// The name the service gets: the last path component as the user sees it, "\U" pairs dropped,
// then escapes undone. (On the encoded form the backslash is "%5C" and no pair would match.)
QString uploadFileName(const QUrl &fileURL)
{
    QString name = fileURL.fileName();
    name.remove(QStringLiteral("\\U"));
    return QUrl::fromPercentEncoding(name.toUtf8());
}
} // namespace

void VeskAppAgent::queryFileList(QObject *owner, const QString &roomId, Completion completion, FileRows rows)
{
    post(owner, QStringLiteral("/fms/query/list"), fileServiceParameters(roomId), authHeaders(),
         AgentRequests::mapOnSuccess(std::move(completion), [rows](const QVariant &data) {
             const QVariantMap dict = data.toMap();
             // A key the reply lacks stays absent: the picker treats "no list" apart from "empty list".
             QVariantMap mapped;
             if (dict.contains(QStringLiteral("files")))
                 mapped.insert(QStringLiteral("files"),
                               rows == FileRows::AsSent
                                   ? dict.value(QStringLiteral("files"))
                                   : QVariant::fromValue(jx_objectArrayWithKeyValuesArray<FileShareModel>(
                                         dict.value(QStringLiteral("files")))));
             if (dict.contains(QStringLiteral("fileTypes")))
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

void VeskAppAgent::prepareUploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                                const QStringList &identityArray, const QString &roomId,
                                                Completion completion)
{
    QVariantList list;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const KVFileSnapshot &file = *files.at(i);
        list.append(QVariantMap{
            {QStringLiteral("md5Val"), file.md5()},
            {QStringLiteral("fileName"), uploadFileName(QUrl::fromLocalFile(file.sourcePath()))},
            {QStringLiteral("fileSize"), file.size()},
            {QStringLiteral("identity"), identityArray.value(i)},
        });
    }
    QVariantMap body = fileServiceParameters(roomId);
    body.insert(QStringLiteral("files"), list);
    post(owner, QStringLiteral("/fms/upload/preUpload"), body, authHeaders(), std::move(completion));
}

void VeskAppAgent::uploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                         const QStringList &fileIds, const QString &roomId, Progress progress,
                                         UploadFinish finish)
{
    const QString url = http()->resolveUrl(QStringLiteral("/fms/upload/multi")).toString();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const std::shared_ptr<KVFileSnapshot> &snapshot = files.at(i);
        const QUrl fileURL = QUrl::fromLocalFile(snapshot->sourcePath());
        const QString name = uploadFileName(fileURL);
        if (name.isEmpty())
            continue;
        // The MD5 of the copy that is sent, the one the pre-upload announced.
        const QVariantList infos{QVariantMap{
            {QStringLiteral("fileId"), fileIds.value(i)},
            {QStringLiteral("fileName"), name},
            {QStringLiteral("md5Val"), snapshot->md5()},
        }};
        QVariantMap parameters = fileServiceParameters(roomId);
        parameters.insert(QStringLiteral("fileInfos"), jx_JSONString(QVariant(infos)));
        KVFileUploadManager::uploadSnapshots(
            *http(), owner ? owner : this, url, {snapshot}, authHeaders(), parameters,
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
