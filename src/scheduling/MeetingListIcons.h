#pragma once

#include <QPixmap>
#include <QString>

#include <optional>

// The meeting lists' small images, drawn in code: the recurrence marks ("ic_periodic_day",
// "ic_periodic_week", "ic_periodic"), a record document and a cloud recording. An unknown name is
// null.
namespace MeetingListIcons {
inline const QString kPeriodicDay = QStringLiteral("ic_periodic_day");
inline const QString kPeriodicWeek = QStringLiteral("ic_periodic_week");
// A recurring meeting of another rhythm (its cycle type names no day or week).
inline const QString kPeriodic = QStringLiteral("ic_periodic");
inline const QString kRecordFile = QStringLiteral("ic_record_file");
inline const QString kRecordVideo = QStringLiteral("ic_record_video");

[[nodiscard]] QPixmap image(const QString &name, int side = 16);
// The recurrence image of a cycle type: day for 1, week for 2, none for 0; nullopt for any other
// value (the view keeps what it showed).
[[nodiscard]] std::optional<QString> periodImageName(int cycleType);
// The mark of a list row: every recurring meeting has one (day, week, or the plain mark), others
// none ("").
[[nodiscard]] QString rowPeriodImageName(bool isCycle, int cycleType);
} // namespace MeetingListIcons
