#include "uikit/KVDatePickerModel.h"

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
} // namespace

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
    for (QDate d = firstMoment().date(); d <= lastMoment().date(); d = d.addDays(1)) {
        if (!hours(d).isEmpty())
            out.append(d);
    }
    return out;
}

QList<int> KVDatePickerModel::hours(const QDate &day) const
{
    QList<int> out;
    if (!beginDate.isValid())
        return out;
    for (int h = 0; h < 24; ++h) {
        const QDateTime from(day, QTime(h, 0));
        const auto [lo, hi] = indexRange(from, from.addSecs(59 * 60));
        if (lo <= hi)
            out.append(h);
    }
    return out;
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
