#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// One choice of the meeting form's duration menu; minutes 0 opens the end-time panel.
struct KVCreateMeetingDuration {
    QString title;
    qint64 duration = 0; // minutes

    [[nodiscard]] static KVCreateMeetingDuration modelWithTitle(const QString &title, qint64 duration);
    // The seven choices, in menu order: 15, 30, 45 minutes, 1, 2, 3 hours, then the end-time entry.
    [[nodiscard]] static const QList<KVCreateMeetingDuration> &durationItems();
};

// The rules of begin, length and end.
namespace MeetingTimeRules {

inline constexpr int kEndStepMinutes = 15;
inline constexpr qint64 kEarliestEndMinutes = 15;
inline constexpr qint64 kLatestEndMinutes = 23 * 60 + 45;

// "%1小时%2分钟" when hours and minutes are both at least 1, "%1小时" for hours only, "%1分钟"
// for minutes only, "" for less than a minute; seconds truncated to whole minutes.
[[nodiscard]] QString lengthText(qint64 seconds);

// The end-time picker for a begin and the form's duration: from begin + 15 minutes to begin +
// 23 hours 45 minutes in 15-minute steps, starting at begin + duration.
struct EndPickerRange {
    QDateTime beginDate;
    QDateTime endDate;
    QDateTime selectedDate;
    int minuteInterval = kEndStepMinutes;
};
[[nodiscard]] EndPickerRange endPickerRange(const QDateTime &begin, qint64 durationMinutes);

// What choosing an end gives: the end to the minute, the length in minutes and its text.
struct ChosenEnd {
    QString endText; // "yyyy-MM-dd HH:mm"
    qint64 durationMinutes = 0;
    QString lengthText;
};
[[nodiscard]] ChosenEnd chooseEnd(const QDateTime &begin, const QDateTime &end);

// The menu row whose minutes equal the duration, or -1 (the end-time entry never matches).
[[nodiscard]] int choiceIndexFor(qint64 durationMinutes);
// The duration button's caption for a duration: the matching choice's title, else its length text.
[[nodiscard]] QString durationCaption(qint64 durationMinutes);

} // namespace MeetingTimeRules
