#include "uikit/KVDatePickerModel.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {
QDateTime toMinute(const QDateTime &t)
{
    QDateTime m = t;
    m.setTime(QTime(t.time().hour(), t.time().minute()));
    return m;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
qint64 ceilDiv(qint64 a, qint64 b)
{
    return -floorDiv(-a, b);
}

// A stretch of time (seconds since the epoch, [from, to)) with one offset from UTC.
struct ZoneStretch {
    qint64 from;
    qint64 to;
    int offset;
};

// The zone's offsets over [from, to], read from its transitions once: converting every hour of
// a year through the C library's local time costs a look at the zone file each time.
QList<ZoneStretch> zoneStretches(const QTimeZone &zone, qint64 from, qint64 to)
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(from, Qt::UTC);
    int offset = zone.offsetFromUtc(start);
    qint64 at = from;
    QList<ZoneStretch> out;
    for (const QTimeZone::OffsetData &change : zone.transitions(start, QDateTime::fromSecsSinceEpoch(to, Qt::UTC))) {
        const qint64 when = change.atUtc.toSecsSinceEpoch();
        if (when > at) {
            out.append({at, when, offset});
            at = when;
        }
        offset = change.offsetFromUtc;
    }
    out.append({at, to + 1, offset});
    return out;
}
} // namespace

// What hours() needs, worked out once for a run of days.
struct KVDatePickerModel::HourPlan {
    qint64 first = 0; // the first moment, seconds since the epoch
    qint64 stepSecs = 60;
    qint64 lastIndex = 0;
    QList<ZoneStretch> stretches;
};

KVDatePickerModel::HourPlan KVDatePickerModel::hourPlan(qint64 fromSecs, qint64 toSecs) const
{
    HourPlan plan;
    plan.first = firstMoment().toSecsSinceEpoch();
    plan.stepSecs = qint64(step()) * 60;
    plan.lastIndex = lastIndex();
    plan.stretches = zoneStretches(beginDate.timeZone(), fromSecs, toSecs);
    return plan;
}

QList<int> KVDatePickerModel::hours(const QDate &day, const HourPlan &plan)
{
    QList<int> out;
    // The day's wall-clock hours as seconds, read as if the wall clock were UTC.
    const qint64 midnight = QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    for (int h = 0; h < 24; ++h) {
        const qint64 wallFrom = midnight + h * 3600;
        const qint64 wallTo = wallFrom + 59 * 60;
        // An hour a clock change skips has no moment; one it repeats has those of both passes.
        const bool offered = std::any_of(plan.stretches.cbegin(), plan.stretches.cend(), [&](const ZoneStretch &z) {
            const qint64 from = std::max(wallFrom - z.offset, z.from);
            const qint64 to = std::min(wallTo - z.offset, z.to - 1);
            if (from > to)
                return false;
            const qint64 lo = std::max<qint64>(0, ceilDiv(from - plan.first, plan.stepSecs));
            const qint64 hi = std::min(plan.lastIndex, floorDiv(to - plan.first, plan.stepSecs));
            return lo <= hi;
        });
        if (offered)
            out.append(h);
    }
    return out;
}

void KVDatePickerModel::reload(const QDateTime &now)
{
    if (!beginDate.isValid() || beginDate < now)
        beginDate = now;
    if (!selectedDate.isValid() || selectedDate < beginDate)
        selectedDate = beginDate;
}

QDateTime KVDatePickerModel::firstMoment() const
{
    return toMinute(beginDate);
}

qint64 KVDatePickerModel::lastIndex() const
{
    const QDateTime first = firstMoment();
    const QDateTime limit = endDate.isValid() ? endDate : first.addDays(kDaysWithoutEnd);
    const qint64 minutes = first.secsTo(limit) / 60;
    return std::max<qint64>(0, floorDiv(minutes, step()));
}

QDateTime KVDatePickerModel::lastMoment() const
{
    return firstMoment().addSecs(lastIndex() * step() * 60);
}

std::pair<qint64, qint64> KVDatePickerModel::indexRange(const QDateTime &from, const QDateTime &to) const
{
    const QDateTime first = firstMoment();
    const qint64 lo = std::max<qint64>(0, ceilDiv(first.secsTo(from) / 60 + (first.secsTo(from) % 60 > 0), step()));
    const qint64 hi = std::min<qint64>(lastIndex(), floorDiv(first.secsTo(to) / 60, step()));
    return {lo, hi};
}

QList<QDate> KVDatePickerModel::days() const
{
    QList<QDate> out;
    if (!beginDate.isValid())
        return out;
    const QDateTime first = firstMoment();
    const QDateTime last = lastMoment();
    const HourPlan plan = hourPlan(first.toSecsSinceEpoch(), last.toSecsSinceEpoch());
    for (QDate d = first.date(); d <= last.date(); d = d.addDays(1)) {
        if (!hours(d, plan).isEmpty())
            out.append(d);
    }
    return out;
}

QList<int> KVDatePickerModel::hours(const QDate &day) const
{
    if (!beginDate.isValid())
        return {};
    // A day's hours lie within a day and a bit of its UTC midnight, whatever the zone.
    const qint64 midnight = QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    return hours(day, hourPlan(midnight - 2 * 86400, midnight + 3 * 86400));
}

QList<int> KVDatePickerModel::minutes(const QDate &day, int hour) const
{
    QList<int> out;
    if (!beginDate.isValid() || hour < 0 || hour > 23)
        return out;
    const QDateTime from(day, QTime(hour, 0));
    const auto [lo, hi] = indexRange(from, from.addSecs(59 * 60));
    const QDateTime first = firstMoment();
    for (qint64 k = lo; k <= hi; ++k)
        out.append(first.addSecs(k * step() * 60).time().minute());
    return out;
}

QDateTime KVDatePickerModel::snapped(const QDateTime &t) const
{
    if (!beginDate.isValid())
        return {};
    const QDateTime first = firstMoment();
    const QDateTime m = t.isValid() ? toMinute(t) : first;
    const qint64 k = std::clamp<qint64>(ceilDiv(first.secsTo(m) / 60, step()), 0, lastIndex());
    return first.addSecs(k * step() * 60);
}

QDateTime KVDatePickerModel::choose(const QDate &day, int hour, int minute) const
{
    return snapped(QDateTime(day, QTime(std::clamp(hour, 0, 23), std::clamp(minute, 0, 59))));
}
