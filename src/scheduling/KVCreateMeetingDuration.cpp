#include "scheduling/KVCreateMeetingDuration.h"

#include "foundation/DateHelpers.h"
#include "scheduling/SchedulingTexts.h"

KVCreateMeetingDuration KVCreateMeetingDuration::modelWithTitle(const QString &title, qint64 duration)
{
    return {title, duration};
}

const QList<KVCreateMeetingDuration> &KVCreateMeetingDuration::durationItems()
{
    using namespace SchedulingTexts;
    static const QList<KVCreateMeetingDuration> items{
        modelWithTitle(kDuration15, 15), modelWithTitle(kDuration30, 30),   modelWithTitle(kDuration45, 45),
        modelWithTitle(kDuration60, 60), modelWithTitle(kDuration120, 120), modelWithTitle(kDuration180, 180),
        modelWithTitle(kChooseEnd, 0),
    };
    return items;
}

namespace MeetingTimeRules {

QString lengthText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    if (hours >= 1 && minutes >= 1)
        return SchedulingTexts::kHoursMinutes.arg(hours).arg(minutes);
    if (hours >= 1)
        return SchedulingTexts::kHours.arg(hours);
    if (minutes >= 1)
        return SchedulingTexts::kMinutes.arg(minutes);
    return {};
}

EndPickerRange endPickerRange(const QDateTime &begin, qint64 durationMinutes)
{
    EndPickerRange range;
    range.beginDate = Utilities::dateByAddingMinutes(begin, kEarliestEndMinutes);
    range.endDate = Utilities::dateByAddingMinutes(begin, kLatestEndMinutes);
    range.selectedDate = Utilities::dateByAddingMinutes(begin, durationMinutes);
    return range;
}

ChosenEnd chooseEnd(const QDateTime &begin, const QDateTime &end)
{
    ChosenEnd chosen;
    chosen.endText = StringFormatter::defaultDateStringWithOutSecond(end);
    // Both ends to the minute, as the fields show them.
    const QDateTime endMinute = DateFromString::defaultDateWithOutSecondFromString(chosen.endText);
    const QDateTime beginMinute =
        DateFromString::defaultDateWithOutSecondFromString(StringFormatter::defaultDateStringWithOutSecond(begin));
    const qint64 seconds = beginMinute.isValid() && endMinute.isValid() ? beginMinute.secsTo(endMinute) : 0;
    chosen.durationMinutes = seconds / 60;
    chosen.lengthText = lengthText(seconds);
    return chosen;
}

int choiceIndexFor(qint64 durationMinutes)
{
    const auto &items = KVCreateMeetingDuration::durationItems();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].duration > 0 && items[i].duration == durationMinutes)
            return i;
    }
    return -1;
}

QString durationCaption(qint64 durationMinutes)
{
    const int index = choiceIndexFor(durationMinutes);
    return index >= 0 ? KVCreateMeetingDuration::durationItems()[index].title : lengthText(durationMinutes * 60);
}

} // namespace MeetingTimeRules
