#pragma once

#include <QDateTime>
#include <QString>

// The texts of the record and meeting lists, as plain functions.
namespace RecordListRules {

// Records page: "%.2fM" of the whole kilobytes (truncated) over 1024.
[[nodiscard]] QString pageSizeText(qint64 bytes);
// Cloud-recording cell: "%.2fM" of the bytes over 1024 over 1024.
[[nodiscard]] QString cellSizeText(qint64 bytes);
// A document's creation time (ms since 1970) as "yyyy-MM-dd HH:mm:ss" in local time.
[[nodiscard]] QString documentTimeText(double beginTimeMs);
// "%d分钟" under an hour, "%d小时" for whole hours, else "%d小时%d分钟"; negative counts as 0.
[[nodiscard]] QString durationText(qint64 minutes);

// The details window's height for a main screen's visible height: min(H - 100, 570) with a
// password, min(H - 100, 526) without; its width min(W - 200, 544).
[[nodiscard]] QSize meetingInfoSize(const QSize &screen, bool hasPassword);
// The all-meetings window: min(W - 200, 822) x min(H - 100, 811).
[[nodiscard]] QSize meetingListSize(const QSize &screen);

} // namespace RecordListRules
