#pragma once

#include "connection/HttpManager.h"

#include <QString>

// Why a download gave no file, in the user's words (the network layer's own texts are English
// and for the log).
namespace KVDownloadTexts {
inline const QString kRefused = QStringLiteral("下载地址无效");
inline const QString kNetwork = QStringLiteral("网络连接失败");
inline const QString kTimedOut = QStringLiteral("下载超时");
inline const QString kServer = QStringLiteral("服务器未返回文件");
inline const QString kTooLarge = QStringLiteral("文件超出大小上限");
inline const QString kNoSpace = QStringLiteral("磁盘空间不足");
inline const QString kCannotWrite = QStringLiteral("无法写入文件");

// The reason for a failed download; empty when it did not fail.
[[nodiscard]] QString reasonOf(const HttpManager::DownloadError &error);
} // namespace KVDownloadTexts
