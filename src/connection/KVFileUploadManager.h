#pragma once

#include "connection/HttpManager.h"

#include <QStringList>

#include <memory>
#include <vector>

class KVFileSnapshot;

// Multipart uploads of one or more files (each as the part "files") with form fields.
namespace KVFileUploadManager {
// progress: fraction of the whole body sent; completion runs once on the main thread, only while
// owner lives. Each file is read once into a private copy (KVFileSnapshot) that is streamed from
// disk, never read into memory as a whole; a file that cannot be copied, or changes while it is
// copied, fails the upload without a request.
void uploadFilesWithURL(QObject *owner, const QString &url, const QStringList &fileURLs, const QVariantMap &headers,
                        const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion);
// The same through a given client (its base URL, default headers and access manager).
void uploadFilesWithURL(HttpManager &http, QObject *owner, const QString &url, const QStringList &fileURLs,
                        const QVariantMap &headers, const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion);
// The same for copies already taken (their MD5s may go into the parameters).
void uploadSnapshots(HttpManager &http, QObject *owner, const QString &url,
                     const std::vector<std::shared_ptr<KVFileSnapshot>> &snapshots, const QVariantMap &headers,
                     const QVariantMap &parameters, HttpManager::Progress progress,
                     HttpManager::UploadFinish completion);
} // namespace KVFileUploadManager
