#pragma once

#include "connection/HttpManager.h"

#include <QStringList>

// Multipart uploads of one or more files (each as the part "files") with form fields.
namespace KVFileUploadManager {
// progress: fraction of the whole body sent; completion runs once on the main thread, only while
// owner lives. Files are streamed from disk, never read into memory as a whole.
void uploadFilesWithURL(QObject *owner, const QString &url, const QStringList &fileURLs, const QVariantMap &headers,
                        const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion);
// The same through a given client (its base URL, default headers and access manager).
void uploadFilesWithURL(HttpManager &http, QObject *owner, const QString &url, const QStringList &fileURLs,
                        const QVariantMap &headers, const QVariantMap &parameters, HttpManager::Progress progress,
                        HttpManager::UploadFinish completion);
} // namespace KVFileUploadManager
