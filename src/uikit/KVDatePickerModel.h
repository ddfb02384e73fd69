#pragma once

#include <QDateTime>
#include <QList>

// The rules of the date picker: which days, hours and minutes it offers and
// what a change of one of them selects. Moments run from beginDate (to the
// minute) in steps of minuteInterval up to endDate, or a year on without one.
class KVDatePickerModel final {
public:
    static constexpr int kDaysWithoutEnd = 365;

    QDateTime beginDate;
    QDateTime endDate;
    QDateTime selectedDate;
    int minuteInterval = 1;

    // Raises a missing or earlier beginDate to now, then a missing or earlier
    // selectedDate to beginDate.
    void reload(const QDateTime &now);

    [[nodiscard]] QDateTime firstMoment() const;
    [[nodiscard]] QDateTime lastMoment() const;
    [[nodiscard]] QList<QDate> days() const;
    [[nodiscard]] QList<int> hours(const QDate &day) const;
    [[nodiscard]] QList<int> minutes(const QDate &day, int hour) const;
    // The offered moment at or after t (to the minute), kept within the range.
    [[nodiscard]] QDateTime snapped(const QDateTime &t) const;
    // The moment a choice of day, hour and minute selects: that one when it is
    // offered, else the nearest offered one after it (or the last one).
    [[nodiscard]] QDateTime choose(const QDate &day, int hour, int minute) const;

private:
    struct HourPlan;
    [[nodiscard]] HourPlan hourPlan(qint64 fromSecs, qint64 toSecs) const;
    [[nodiscard]] static QList<int> hours(const QDate &day, const HourPlan &plan);
    [[nodiscard]] int step() const { return std::max(1, minuteInterval); }
    [[nodiscard]] qint64 lastIndex() const;
    // The offered moments k with from <= moment <= to, as a range of k.
    [[nodiscard]] std::pair<qint64, qint64> indexRange(const QDateTime &from, const QDateTime &to) const;
};
