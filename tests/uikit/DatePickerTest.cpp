#include "TimeZones.h"
#include "uikit/KVDatePickerModel.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/VeskButton.h"

#include <QAccessible>
#include <QListWidget>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {
QDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
} // namespace

TEST(KVDatePickerModelTest, ReloadRaisesMissingOrPastDatesAndKeepsLaterOnes)
{
    TimeZones::inEachTimeZone([&] {
        const QDateTime now = at(2026, 12, 7, 10, 7, 30);
        KVDatePickerModel m;
        m.reload(now);
        EXPECT_EQ(m.beginDate, now);
        EXPECT_EQ(m.selectedDate, now);

        KVDatePickerModel past;
        past.beginDate = at(2026, 12, 1, 9, 0);
        past.selectedDate = at(2026, 12, 7, 9, 0);
        past.reload(now);
        EXPECT_EQ(past.beginDate, now);
        EXPECT_EQ(past.selectedDate, now);

        KVDatePickerModel later;
        later.beginDate = at(2026, 12, 8, 9, 0);
        later.selectedDate = at(2026, 12, 9, 14, 30);
        later.reload(now);
        EXPECT_EQ(later.beginDate, at(2026, 12, 8, 9, 0));
        EXPECT_EQ(later.selectedDate, at(2026, 12, 9, 14, 30));

        KVDatePickerModel early;
        early.beginDate = at(2026, 12, 8, 9, 0);
        early.selectedDate = at(2026, 12, 8, 8, 0);
        early.reload(now);
        EXPECT_EQ(early.selectedDate, at(2026, 12, 8, 9, 0));
    });
}

TEST(KVDatePickerModelTest, BeginPickerOffersNothingBeforeTheCurrentMinute)
{
    TimeZones::inEachTimeZone([&] {
        KVDatePickerModel m;
        m.reload(at(2026, 12, 7, 10, 7, 30));
        const QList<int> hours = m.hours(QDate(2026, 12, 7));
        ASSERT_FALSE(hours.isEmpty());
        EXPECT_EQ(hours.first(), 10);
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 10).first(), 7);
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 10).size(), 53);
        EXPECT_EQ(m.minutes(QDate(2026, 12, 8), 0).size(), 60);
        EXPECT_EQ(m.snapped(m.selectedDate), at(2026, 12, 7, 10, 7));
        // No end: a year of days.
        EXPECT_EQ(m.days().size(), KVDatePickerModel::kDaysWithoutEnd + 1);
        // Choosing an earlier hour of today gives the first offered moment.
        EXPECT_EQ(m.choose(QDate(2026, 12, 7), 8, 30), at(2026, 12, 7, 10, 7));
    });
}

TEST(KVDatePickerModelTest, EndPickerStepsFifteenMinutesFromItsBeginUpToItsEnd)
{
    TimeZones::inEachTimeZone([&] {
        const QDateTime begin = at(2026, 12, 7, 10, 0);
        KVDatePickerModel m;
        m.minuteInterval = 15;
        m.beginDate = begin.addSecs(15 * 60);
        m.endDate = begin.addSecs((23 * 60 + 45) * 60);
        m.selectedDate = begin.addSecs(120 * 60);
        m.reload(at(2026, 12, 7, 9, 0));
        EXPECT_EQ(m.selectedDate, at(2026, 12, 7, 12, 0));
        EXPECT_EQ(m.firstMoment(), at(2026, 12, 7, 10, 15));
        EXPECT_EQ(m.lastMoment(), at(2026, 12, 8, 9, 45));
        EXPECT_EQ(m.days(), (QList<QDate>{QDate(2026, 12, 7), QDate(2026, 12, 8)}));
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 10), (QList<int>{15, 30, 45}));
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 11), (QList<int>{0, 15, 30, 45}));
        EXPECT_EQ(m.hours(QDate(2026, 12, 8)).last(), 9);
        EXPECT_EQ(m.minutes(QDate(2026, 12, 8), 9), (QList<int>{0, 15, 30, 45}));
        // Past the end: the last offered moment.
        EXPECT_EQ(m.choose(QDate(2026, 12, 8), 9, 50), at(2026, 12, 8, 9, 45));
        EXPECT_EQ(m.choose(QDate(2026, 12, 8), 11, 0), at(2026, 12, 8, 9, 45));
        // Between two steps: the next one.
        EXPECT_EQ(m.choose(QDate(2026, 12, 7), 13, 5), at(2026, 12, 7, 13, 15));
    });
}

TEST(KVDatePickerModelTest, StepsRunFromABeginOffTheQuarterHour)
{
    TimeZones::inEachTimeZone([&] {
        KVDatePickerModel m;
        m.minuteInterval = 15;
        m.beginDate = at(2026, 12, 7, 10, 22);
        m.endDate = at(2026, 12, 7, 12, 0);
        m.reload(at(2026, 12, 7, 9, 0));
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 10), (QList<int>{22, 37, 52}));
        EXPECT_EQ(m.minutes(QDate(2026, 12, 7), 11), (QList<int>{7, 22, 37, 52}));
        EXPECT_TRUE(m.minutes(QDate(2026, 12, 7), 12).isEmpty());
        EXPECT_EQ(m.hours(QDate(2026, 12, 7)), (QList<int>{10, 11}));
        // An end before the begin leaves just the begin.
        m.endDate = at(2026, 12, 7, 9, 0);
        EXPECT_EQ(m.lastMoment(), m.firstMoment());
    });
}

// Hours are worked out from the zone's clock changes: the hour a change skips is not offered,
// the one it repeats is, and every other day keeps its 24.
TEST(KVDatePickerModelTest, HoursFollowTheZonesClockChanges)
{
    TimeZones::inEachTimeZone([&] {
        const QTimeZone berlin("Europe/Berlin");
        ASSERT_TRUE(berlin.isValid());
        KVDatePickerModel m;
        m.beginDate = QDateTime(QDate(2027, 3, 27), QTime(10, 0), berlin);
        m.reload(m.beginDate);
        QList<int> spring;
        for (int h = 0; h < 24; ++h) {
            if (h != 2)
                spring << h;
        }
        EXPECT_EQ(m.hours(QDate(2027, 3, 28)), spring);
        EXPECT_EQ(m.hours(QDate(2027, 10, 31)).size(), 24);
        EXPECT_EQ(m.hours(QDate(2027, 3, 27)).first(), 10);
        EXPECT_EQ(m.days().size(), KVDatePickerModel::kDaysWithoutEnd + 1);
    });
}

TEST(KVDatePickerViewTest, ChangingDayHourOrMinuteReportsTheDate)
{
    TimeZones::inEachTimeZone([&] {
        KVDatePickerView picker;
        EXPECT_EQ(picker.minuteInterval(), 1);
        EXPECT_EQ(picker.size(), QSize(346, 270));
        picker.setMinuteInterval(15);
        picker.setBeginDate(at(2026, 12, 7, 10, 15));
        picker.setEndDate(at(2026, 12, 8, 9, 45));
        picker.setSelectedDate(at(2026, 12, 7, 11, 0));
        QList<QDateTime> reported;
        picker.onSelectedDate = [&](const QDateTime &d) { reported << d; };
        int confirmed = 0;
        picker.onConfirm = [&] { ++confirmed; };
        picker.reloadData(at(2026, 12, 7, 9, 0));
        EXPECT_TRUE(reported.isEmpty()); // reloading is not a change
        EXPECT_EQ(picker.dayList()->count(), 2);
        EXPECT_EQ(picker.hourList()->currentItem()->text(), "11");
        EXPECT_EQ(picker.minuteList()->currentItem()->text(), "00");

        picker.minuteList()->setCurrentRow(2); // 11:30
        ASSERT_EQ(reported.size(), 1);
        EXPECT_EQ(reported.last(), at(2026, 12, 7, 11, 30));
        EXPECT_EQ(picker.selectedDate(), at(2026, 12, 7, 11, 30));

        picker.dayList()->setCurrentRow(1); // the next day keeps 11:30 only if offered: it ends at 9:45
        ASSERT_EQ(reported.size(), 2);
        EXPECT_EQ(reported.last(), at(2026, 12, 8, 9, 45));
        EXPECT_EQ(picker.hourList()->count(), 10);

        picker.hourList()->setCurrentRow(0); // 0:45 of the next day
        EXPECT_EQ(reported.last(), at(2026, 12, 8, 0, 45));
        picker.confirmButton()->click();
        EXPECT_EQ(confirmed, 1);
    });
}

// A row is chosen alike by a click and by each accessibility action it offers (what a screen
// reader or a script sends): the hours and minutes follow the chosen day, and the date is reported.
TEST(KVDatePickerViewTest, EachAccessibilityActionOnARowDoesWhatAClickDoes)
{
    TimeZones::inEachTimeZone([&] {
        const auto makePicker = [](KVDatePickerView &picker) {
            picker.setMinuteInterval(15);
            picker.setBeginDate(at(2026, 12, 7, 10, 15));
            picker.setEndDate(at(2026, 12, 8, 9, 45));
            picker.setSelectedDate(at(2026, 12, 7, 11, 0));
            picker.reloadData(at(2026, 12, 7, 9, 0));
            picker.show();
        };
        const auto rowOf = [](QListWidget *list, int row) {
            QAccessibleInterface *view = QAccessible::queryAccessibleInterface(list);
            return view ? view->child(row) : nullptr;
        };
        QStringList actions;
        {
            KVDatePickerView picker;
            makePicker(picker);
            QAccessibleInterface *day = rowOf(picker.dayList(), 1);
            ASSERT_TRUE(day && day->actionInterface());
            actions = day->actionInterface()->actionNames();
            EXPECT_FALSE(actions.isEmpty()) << "a day can be chosen without a mouse";
        }
        // The empty name stands for a click.
        for (const QString &action : QStringList{QString()} + actions) {
            SCOPED_TRACE(action.isEmpty() ? std::string("click") : action.toStdString());
            KVDatePickerView picker;
            makePicker(picker);
            QList<QDateTime> reported;
            picker.onSelectedDate = [&](const QDateTime &d) { reported << d; };
            const auto choose = [&](QListWidget *list, int row) {
                QListWidgetItem *item = list->item(row);
                ASSERT_TRUE(item);
                list->scrollToItem(item);
                if (action.isEmpty()) {
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
                    return;
                }
                QAccessibleInterface *target = rowOf(list, row);
                ASSERT_TRUE(target && target->actionInterface());
                ASSERT_TRUE(target->actionInterface()->actionNames().contains(action));
                target->actionInterface()->doAction(action);
            };

            choose(picker.dayList(), 1); // the next day keeps 11:00 only if offered: it ends at 9:45
            ASSERT_EQ(reported.size(), 1);
            EXPECT_EQ(reported.last(), at(2026, 12, 8, 9, 45));
            EXPECT_EQ(picker.dayList()->currentRow(), 1);
            EXPECT_EQ(picker.hourList()->count(), 10);
            ASSERT_TRUE(picker.hourList()->currentItem());
            EXPECT_EQ(picker.hourList()->currentItem()->text(), "09");
            EXPECT_EQ(picker.minuteList()->count(), 4);
            ASSERT_TRUE(picker.minuteList()->currentItem());
            EXPECT_EQ(picker.minuteList()->currentItem()->text(), "45");
            EXPECT_TRUE(rowOf(picker.dayList(), 1)->state().selected);
            EXPECT_FALSE(rowOf(picker.dayList(), 0)->state().selected);

            choose(picker.hourList(), 0);
            ASSERT_EQ(reported.size(), 2);
            EXPECT_EQ(reported.last(), at(2026, 12, 8, 0, 45));
            choose(picker.minuteList(), 1);
            ASSERT_EQ(reported.size(), 3);
            EXPECT_EQ(reported.last(), at(2026, 12, 8, 0, 15));
            EXPECT_EQ(picker.selectedDate(), at(2026, 12, 8, 0, 15));

            // Back to the first day: its hours start at the begin again.
            choose(picker.dayList(), 0);
            ASSERT_EQ(reported.size(), 4);
            EXPECT_EQ(picker.hourList()->item(0)->text(), "10");
            EXPECT_EQ(reported.last().date(), QDate(2026, 12, 7));
        }
    });
}
