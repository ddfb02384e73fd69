// Member chips: their size, the editable field's flow, the two-line list's "...", and the
// member picker's ticks.

#include "foundation/StringHelpers.h"
#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/KVMeetingMemberCustomLayout.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/MemberChipGeometry.h"
#include "scheduling/NSMemberEnterFlowLayout.h"
#include "uikit/VeskCategories.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace MemberChipGeometry;

namespace {

VeskUserModel user(const QString &id, const QString &name, bool host = false)
{
    VeskUserModel u;
    u.userId = id;
    u.userName = name;
    u.isAssistantHostOrHost = host;
    return u;
}

FlowSpacing insets(int all)
{
    FlowSpacing s;
    s.insets = QMargins(all, all, all, all);
    return s;
}

} // namespace

TEST(MemberChipGeometryTest, ChipWidthAddsPaddingAndTheDeleteButton)
{
    EXPECT_EQ(chipWidth(40, true), 68);
    EXPECT_EQ(chipWidth(40, false), 52);
    EXPECT_EQ(chipWidth(40.2, true), 69); // rounded up, never cut
    EXPECT_EQ(chipSize(0, false, 22), QSize(12, 22));
    // The chip widget measures its name in the 12-point system font.
    const QString name = QStringLiteral("张三丰");
    const qreal text = vesk::widthOfStringwithFont(name, vesk::systemFont(12));
    EXPECT_EQ(KVMeetingMemberCell::sizeFit(name, true, 22), chipSize(text, true, 22));
    EXPECT_EQ(KVMeetingMemberCell::sizeFit(QString(), false, 30), QSize(12, 30));
}

TEST(MemberChipGeometryTest, EnterFlow_PacksRowsLeftAndStretchesTheEntryToTheRowEnd)
{
    EXPECT_EQ(enterFlow({}, 300, insets(6)).lines, 0);

    // A lone entry cell spans the width between the insets.
    const auto lone = enterFlow({QSize(60, 22)}, 300, insets(6));
    ASSERT_EQ(lone.frames.size(), 1);
    EXPECT_EQ(lone.lines, 1);
    EXPECT_EQ(lone.frames[0], QRect(6, 6, 288, 22));
    EXPECT_EQ(lone.contentHeight, 34);

    // Two chips of 100 and the entry on one row of 300: packed with 6 between, entry to the end.
    const auto row = enterFlow({QSize(100, 22), QSize(100, 22), QSize(60, 22)}, 300, insets(6));
    EXPECT_EQ(row.lines, 1);
    EXPECT_EQ(row.frames[0].x(), 6);
    EXPECT_EQ(row.frames[1].x(), 112);
    EXPECT_EQ(row.frames[2], QRect(218, 6, 76, 22));

    // A third chip does not fit: it opens row 2 at the left, the entry follows it.
    const auto two = enterFlow({QSize(100, 22), QSize(100, 22), QSize(100, 22), QSize(60, 22)}, 300, insets(6));
    EXPECT_EQ(two.lines, 2);
    EXPECT_EQ(two.frames[2].topLeft(), QPoint(6, 34));
    EXPECT_EQ(two.frames[3], QRect(112, 34, 182, 22));
    EXPECT_EQ(two.contentHeight, 62);

    // A name wider than the row is cut to the row.
    const auto wide = enterFlow({QSize(900, 22), QSize(60, 22)}, 300, insets(6));
    EXPECT_EQ(wide.frames[0].width(), 288);
    EXPECT_EQ(wide.lines, 2);
}

TEST(MemberChipGeometryTest, TwoLines_TheLastChipOfRowTwoBecomesMoreWhenRowThreeWouldStart)
{
    const QList<QSize> ten(10, QSize(90, 22));
    // 3 chips a row at 300: rows of 3, 3, then a third row.
    const auto pass = twoLines(ten, 300, insets(0));
    EXPECT_EQ(pass.moreIndex, 5);
    EXPECT_EQ(pass.visibleCount, 6);
    EXPECT_EQ(pass.frames[5].width(), kMoreChipWidth);
    EXPECT_EQ(pass.frames[5].y(), pass.frames[3].y());
    EXPECT_EQ(pass.contentHeight, 22 + 6 + 22);

    // Wide enough for two rows: no "...".
    const auto wide = twoLines(ten, 600, insets(0));
    EXPECT_EQ(wide.moreIndex, -1);
    EXPECT_EQ(wide.visibleCount, 10);
    EXPECT_EQ(twoLines({QSize(90, 22)}, 300, insets(4)).frames[0].x(), 4);
}

TEST(MemberChipGeometryTest, SuitedHeightOfThePicker)
{
    EXPECT_EQ(suitedHeight(6, false), 178);
    EXPECT_EQ(suitedHeight(6, true), 102);
    EXPECT_EQ(suitedHeight(0, false), 42);
    EXPECT_EQ(suitedHeight(0, true), 42);
    EXPECT_EQ(suitedHeight(2, false), 76);
}

TEST(MemberChipWidgetsTest, TwoLineList_ShowsMoreOnlyWhileTheNamesNeedAThirdRow)
{
    KVMeetingMemberCollectionView list;
    QList<VeskUserModel> people;
    for (int i = 0; i < 10; ++i)
        people << user(QString::number(i), QStringLiteral("成员成员%1").arg(i));
    list.setMembers(people);
    const int chip = list.chips()[0]->sizeHint().width();
    list.resize(3 * chip + 2 * kSpacing + 2, list.height()); // three chips a row
    list.show();
    QApplication::processEvents();
    auto *layout = list.memberLayout();
    ASSERT_EQ(layout->moreIndex(), 5);
    EXPECT_EQ(list.chips()[5]->shownText(), QStringLiteral("..."));
    EXPECT_EQ(list.chips()[5]->width(), kMoreChipWidth);
    EXPECT_EQ(list.chips()[6]->width(), 0);
    EXPECT_EQ(list.chips()[4]->shownText(), people[4].userName);

    // Wider: every name fits two rows and no chip keeps "...".
    list.resize(6 * chip + 5 * kSpacing + 2, list.height());
    QApplication::processEvents();
    EXPECT_EQ(layout->moreIndex(), -1);
    for (KVMeetingMemberCell *c : list.chips())
        EXPECT_NE(c->shownText(), QStringLiteral("..."));
    EXPECT_EQ(list.chips()[5]->shownText(), people[5].userName);
}

TEST(MemberChipWidgetsTest, ChipLooks_NamesArePlainTextAndTheDeleteButtonIsNamed)
{
    KVMeetingMemberCell chip;
    chip.setModel(user(QStringLiteral("1"), QStringLiteral("<b>王五</b>")));
    chip.setShowDelete(true);
    EXPECT_EQ(chip.shownText(), QStringLiteral("<b>王五</b>"));
    auto *label = chip.findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(chip.deleteButton()->accessibleName(), QStringLiteral("移除<b>王五</b>"));
    EXPECT_EQ(chip.nameColor(), QColor(0x66, 0x66, 0x66));
    EXPECT_EQ(chip.chipColor(), QColor(0xF0, 0xF1, 0xF5));

    bool deleted = false;
    chip.onDelete = [&](KVMeetingMemberCell *c) { deleted = c == &chip; };
    chip.deleteButton()->click();
    EXPECT_TRUE(deleted);

    // Dark mode takes effect at the next look rebuild, by setMiniMode.
    chip.setDarkMode(true);
    EXPECT_EQ(chip.chipColor(), QColor(0xF0, 0xF1, 0xF5));
    chip.setMiniMode(true);
    EXPECT_EQ(chip.nameColor(), QColor(Qt::white));
    EXPECT_EQ(chip.chipColor(), QColor(0x51, 0x61, 0x78));
}

TEST(MemberChipWidgetsTest, EnterField_ReportsItsRowsAndWhichChipAskedToGo)
{
    KVMemberEnterCollectionView field;
    field.resize(300, 62);
    field.show();
    field.reloadData({});
    QApplication::processEvents();
    EXPECT_EQ(field.lines(), 1);
    EXPECT_EQ(field.chips().size(), 0);

    QList<VeskUserModel> people;
    for (int i = 0; i < 8; ++i)
        people << user(QString::number(i), QStringLiteral("参会人员%1").arg(i));
    field.reloadData(people);
    QApplication::processEvents();
    EXPECT_GE(field.lines(), 2);
    int asked = -1;
    field.onDelete = [&](int index, const VeskUserModel &) { asked = index; };
    field.chips()[3]->deleteButton()->click();
    EXPECT_EQ(asked, 3);
}

// A pass over many chips moves those in sight; the others move when a scroll or the focus brings
// them there, and are then where the pass put them.
TEST(MemberChipWidgetsTest, EnterField_ChipsOutOfSightMoveWhenScrolledOrFocused)
{
    KVMemberEnterCollectionView field;
    field.resize(300, 62);
    field.show();
    QApplication::setActiveWindow(&field);
    QList<VeskUserModel> people;
    for (int i = 0; i < 120; ++i)
        people << user(QString::number(i), QStringLiteral("参会人员%1").arg(i));
    field.reloadData(people);
    QApplication::processEvents();
    NSMemberEnterFlowLayout *layout = field.flowLayout();
    const QList<KVMeetingMemberCell *> chips = field.chips();
    const qsizetype middle = chips.size() / 2;
    const qsizetype last = chips.size() - 1;
    const auto misplacedInView = [&] {
        const QRect view(QPoint(0, field.verticalScrollBar()->value()), field.viewport()->size());
        qsizetype misplaced = 0;
        for (qsizetype i = 0; i < chips.size(); ++i)
            misplaced += chips[i]->geometry().intersects(view) && chips[i]->geometry() != layout->frameOf(i);
        return misplaced;
    };

    field.resize(260, 62); // the rows flow again
    QApplication::processEvents();
    EXPECT_EQ(misplacedInView(), 0);
    ASSERT_NE(chips[middle]->geometry(), layout->frameOf(middle)) << "far out of sight: not moved yet";
    ASSERT_NE(chips[last]->geometry(), layout->frameOf(last));

    chips[middle]->deleteButton()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(chips[middle]->geometry(), layout->frameOf(middle));
    field.verticalScrollBar()->setValue(field.verticalScrollBar()->maximum());
    EXPECT_EQ(chips[last]->geometry(), layout->frameOf(last));
    EXPECT_EQ(misplacedInView(), 0);
}

// ---- The member picker ----------------------------------------------------------------------

class MemberPickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        results = {user("a", QStringLiteral("甲")), user("b", QStringLiteral("乙")), user("c", QStringLiteral("丙"))};
        picker.setMembers(results);
        picker.setSelectMembers(&chosen);
        picker.onItemClick = [this](const VeskUserModel &m, bool selected) {
            clicks << m.userId + (selected ? QStringLiteral("+") : QStringLiteral("-"));
        };
    }

    QList<VeskUserModel> results;
    QList<VeskUserModel> chosen;
    QStringList clicks;
    KVMemberSelectView picker;
};

TEST_F(MemberPickerTest, Toggle_AddsOnceByUserIdAndRemovesTheChosenObject)
{
    // Already chosen under the same id (another object): ticked by updateData, no duplicate.
    chosen = {user("b", QStringLiteral("乙（已选）"))};
    picker.updateData();
    EXPECT_FALSE(picker.isRowSelected(0));
    EXPECT_TRUE(picker.isRowSelected(1));

    picker.toggleRow(0);
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1].userId, QStringLiteral("a"));

    // Unticking row 1 removes the chosen person, not the row's object.
    picker.toggleRow(1);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].userId, QStringLiteral("a"));
    EXPECT_EQ(clicks, (QStringList{"a+", "b-"}));

    // A real click on a row does the same.
    picker.resize(300, picker.suitedHeight());
    picker.show();
    QApplication::processEvents();
    QTest::mouseClick(picker.rows()[2], Qt::LeftButton);
    EXPECT_EQ(chosen.size(), 2);
    EXPECT_TRUE(picker.rows()[2]->isSelected());
    EXPECT_TRUE(picker.rows()[2]->tickShown());
    EXPECT_EQ(picker.rows()[2]->nameColor(), QColor(0x00, 0x7A, 0xFF));
    EXPECT_EQ(picker.rows()[0]->accessibleName(), QStringLiteral("甲"));
}

TEST_F(MemberPickerTest, Toggle_AChosenHostOrAssistantHostStays)
{
    chosen = {user("c", QStringLiteral("丙"), true)};
    picker.updateData();
    picker.toggleRow(2);
    EXPECT_EQ(chosen.size(), 1);
    EXPECT_TRUE(picker.isRowSelected(2));
    picker.rows()[2]->click();
    EXPECT_TRUE(picker.rows()[2]->isSelected()); // the tick comes back
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(MemberPickerTest, ARowTickedByARealClickOrSpace_ShowsItsTickAndItsBlueNameAtOnce)
{
    picker.updateData();
    picker.resize(300, picker.suitedHeight());
    picker.show();
    QApplication::processEvents();
    // What the row draws: the tick, and the name label's own colour.
    const auto inkOf = [](KVMemberSelectCollectionItem *row) {
        return row->findChild<KVElidedLabel *>()->palette().color(QPalette::WindowText);
    };
    const QColor blue(0x00, 0x7A, 0xFF);
    const QColor grey(0x66, 0x66, 0x66);
    KVMemberSelectCollectionItem *clicked = picker.rows()[0];
    QTest::mouseClick(clicked, Qt::LeftButton);
    EXPECT_TRUE(picker.isRowSelected(0));
    EXPECT_TRUE(clicked->tickShown()) << "ticked by a click, the row shows no tick";
    EXPECT_EQ(inkOf(clicked), blue);

    KVMemberSelectCollectionItem *spaced = picker.rows()[1];
    spaced->setFocus();
    QTest::keyClick(spaced, Qt::Key_Space);
    EXPECT_TRUE(picker.isRowSelected(1));
    EXPECT_FALSE(spaced->isHovered());
    EXPECT_TRUE(spaced->tickShown()) << "ticked by Space, the row shows no tick";
    EXPECT_EQ(inkOf(spaced), blue);
    QTest::keyClick(spaced, Qt::Key_Space);
    EXPECT_FALSE(spaced->tickShown());
    EXPECT_EQ(inkOf(spaced), grey);
    EXPECT_EQ(clicks, (QStringList{"a+", "b+", "b-"}));
}

TEST_F(MemberPickerTest, AccessibleToggle_DoesWhatAClickDoes)
{
    picker.updateData();
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(picker.rows()[1]);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->actionInterface(), nullptr);
    EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("乙"));
    const QStringList actions = row->actionInterface()->actionNames();
    ASSERT_FALSE(actions.isEmpty());
    row->actionInterface()->doAction(actions.first());
    QApplication::processEvents();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].userId, QStringLiteral("b"));
    EXPECT_TRUE(row->state().checked);
    row->actionInterface()->doAction(actions.first());
    QApplication::processEvents();
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_EQ(clicks, (QStringList{"b+", "b-"}));
}

TEST_F(MemberPickerTest, UpdateData_ClearsTicksEvenWhenNothingIsChosen)
{
    picker.toggleRow(0);
    picker.toggleRow(1);
    chosen.clear(); // the chips were removed meanwhile
    picker.updateData();
    EXPECT_FALSE(picker.isRowSelected(0));
    EXPECT_FALSE(picker.isRowSelected(1));
    EXPECT_FALSE(picker.rows()[0]->tickShown());

    chosen = {user("a", QStringLiteral("甲"))};
    picker.updateData();
    picker.deleteUser(chosen[0]);
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_FALSE(picker.isRowSelected(0));
}

// Rows are reused: a new search shows its own names and ticks, fewer rows hide the rest, and a
// later longer one shows them again.
TEST_F(MemberPickerTest, UpdateData_ReusedRowsFollowEachSearch)
{
    const auto shown = [this] {
        QStringList out;
        for (KVMemberSelectCollectionItem *row : picker.rows())
            out << row->accessibleName() + (row->tickShown() ? QStringLiteral("+") : QString());
        return out;
    };
    chosen = {user("b", QStringLiteral("乙"))};
    picker.updateData();
    EXPECT_EQ(shown(), (QStringList{"甲", "乙+", "丙"}));
    KVMemberSelectCollectionItem *third = picker.rows()[2];

    chosen << user("d", QStringLiteral("丁"));
    picker.setMembers({user("d", QStringLiteral("丁")), user("b", QStringLiteral("乙"))});
    picker.updateData();
    EXPECT_EQ(shown(), (QStringList{"丁+", "乙+"}));
    EXPECT_TRUE(third->isHidden());

    chosen = {user("a", QStringLiteral("甲"))};
    picker.setMembers(results);
    picker.updateData();
    EXPECT_EQ(shown(), (QStringList{"甲+", "乙", "丙"}));
    EXPECT_FALSE(third->isHidden());
}

TEST_F(MemberPickerTest, EmptyResultsShowTheEmptyLabelAtItsHeight)
{
    picker.setMembers({});
    picker.updateData();
    EXPECT_FALSE(picker.emptyLabel()->isHidden());
    EXPECT_EQ(picker.suitedHeight(), 42);
    EXPECT_TRUE(picker.rows().isEmpty());
    picker.setMembers(results);
    picker.updateData();
    EXPECT_TRUE(picker.emptyLabel()->isHidden());
    EXPECT_EQ(picker.rows().size(), 3);
}
