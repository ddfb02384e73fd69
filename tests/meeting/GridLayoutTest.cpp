// The grid's geometry, the document page size and the window sizes around full screen, as
// plain arithmetic.

#include "meeting/window/grid/FileSharePageSize.h"
#include "meeting/window/grid/GridWindowRules.h"
#include "meeting/window/grid/MacVideoCollectionViewLayout.h"

#include <gtest/gtest.h>

namespace {

using Layout = MacVideoCollectionViewLayout;

// The area of a 1200 x 804 middle view: 800 points of height for the rows.
const QSizeF kArea(1200, 804);

Layout::Result layoutFor(int count, QSizeF area = kArea)
{
    Layout layout;
    return layout.layoutAttributesForElementsInRect(count, area, area.width());
}

void expectRect(const QRectF &r, double x, double y, double w, double h)
{
    EXPECT_NEAR(r.x(), x, 1e-6);
    EXPECT_NEAR(r.y(), y, 1e-6);
    EXPECT_NEAR(r.width(), w, 1e-6);
    EXPECT_NEAR(r.height(), h, 1e-6);
}

TEST(GridLayout, NoTilesLaysOutNothing)
{
    const auto r = layoutFor(0);
    EXPECT_TRUE(r.frames.isEmpty());
    EXPECT_TRUE(r.contentSize.isEmpty());
}

TEST(GridLayout, OneTileFillsTheAreaLessFourPointsOfHeight)
{
    const auto r = layoutFor(1);
    ASSERT_EQ(r.frames.size(), 1);
    expectRect(r.frames[0], 0, 2, 1200, 800);
    // Header and footer of 2 points make the document exactly the area: nothing scrolls.
    EXPECT_DOUBLE_EQ(r.contentSize.height(), 804);
}

TEST(GridLayout, TwoTilesAreFullHeightHalvesTwoPointsApart)
{
    const auto r = layoutFor(2);
    ASSERT_EQ(r.frames.size(), 2);
    expectRect(r.frames[0], 0, 2, 599, 800);
    expectRect(r.frames[1], 601, 2, 599, 800);
}

TEST(GridLayout, ThreeTilesCentreTheThirdAloneInTheSecondRow)
{
    const auto r = layoutFor(3);
    ASSERT_EQ(r.frames.size(), 3);
    expectRect(r.frames[0], 0, 2, 599, 399);
    expectRect(r.frames[1], 601, 2, 599, 399);
    expectRect(r.frames[2], (1200 - 599) / 2.0, 403, 599, 399);
}

TEST(GridLayout, FourTilesMakeTwoFullRows)
{
    const auto r = layoutFor(4);
    expectRect(r.frames[2], 0, 403, 599, 399);
    expectRect(r.frames[3], 601, 403, 599, 399);
    EXPECT_EQ(r.columns, 2);
    EXPECT_EQ(r.rows, 2);
}

TEST(GridLayout, FiveTilesPutTwoCentredTilesUnderThree)
{
    const auto r = layoutFor(5);
    ASSERT_EQ(r.frames.size(), 5);
    const double w = (1200 - 4) / 3.0;
    EXPECT_EQ(r.columns, 3);
    expectRect(r.frames[0], 0, 2, w, 399);
    expectRect(r.frames[2], 2 * (w + 2), 2, w, 399);
    const double x = (1200 - 2 * w - 2) / 2;
    expectRect(r.frames[3], x, 403, w, 399);
    expectRect(r.frames[4], x + w + 2, 403, w, 399);
}

TEST(GridLayout, NineTilesFillThreeRowsOfThree)
{
    const auto r = layoutFor(9);
    const double w = (1200 - 4) / 3.0;
    const double h = (800 - 4) / 3.0;
    EXPECT_EQ(r.visibleRows, 3);
    expectRect(r.frames[8], 2 * (w + 2), 2 + 2 * (h + 2), w, h);
    EXPECT_NEAR(r.contentSize.height(), 804, 1e-6);
}

TEST(GridLayout, TenAndMoreTilesKeepAThirdOfTheHeightAndScroll)
{
    for (int count : {10, 16}) {
        SCOPED_TRACE(count);
        const auto r = layoutFor(count);
        const double h = (800 - 4) / 3.0;
        const int rows = (count + 2) / 3;
        EXPECT_EQ(r.rows, rows);
        EXPECT_EQ(r.visibleRows, 3);
        for (const QRectF &f : r.frames)
            EXPECT_NEAR(f.height(), h, 1e-6);
        EXPECT_GT(r.contentSize.height(), 804);
        EXPECT_NEAR(r.frames.last().bottom() + 2, r.contentSize.height(), 1e-6);
    }
    // 10: the tenth tile is alone in the fourth row, centred.
    const auto ten = layoutFor(10);
    const double w = (1200 - 4) / 3.0;
    EXPECT_NEAR(ten.frames[9].x(), (1200 - w) / 2, 1e-6);
    // 16: the last row holds one tile, centred as well; full rows start at 0.
    const auto sixteen = layoutFor(16);
    EXPECT_NEAR(sixteen.frames[15].x(), (1200 - w) / 2, 1e-6);
    EXPECT_NEAR(sixteen.frames[12].x(), 0, 1e-6);
}

TEST(GridLayout, TilesNeverOverlapAndKeepItemOrder)
{
    for (int count = 1; count <= 16; ++count) {
        const auto r = layoutFor(count, QSizeF(1000, 700));
        for (int i = 0; i < count; ++i) {
            for (int j = i + 1; j < count; ++j)
                EXPECT_FALSE(r.frames[i].intersects(r.frames[j])) << count << ": " << i << " and " << j;
            if (i > 0) {
                const QRectF &a = r.frames[i - 1];
                const QRectF &b = r.frames[i];
                EXPECT_TRUE(b.y() > a.y() || (b.y() == a.y() && b.x() > a.x())) << count << ": " << i;
            }
        }
    }
}

TEST(GridLayout, ASqueezedAreaGivesEmptyTilesNotNegativeOnes)
{
    const auto r = layoutFor(4, QSizeF(1, 3));
    for (const QRectF &f : r.frames) {
        EXPECT_GE(f.width(), 0);
        EXPECT_GE(f.height(), 0);
    }
}

// Row placement of setCellFrameWith for each alignment.
class RowPlacement : public ::testing::Test {
protected:
    QList<Layout::Attributes> row(std::initializer_list<double> widths)
    {
        QList<Layout::Attributes> out;
        double x = 500; // wherever the flow layout put them
        for (double w : widths) {
            out.append({Layout::ElementKind::Item, int(out.size()), QRectF(x, 10, w, 50)});
            x += w + 7;
        }
        return out;
    }
    void place(Layout &layout, QList<Layout::Attributes> &cells, Layout::Insets insets = {})
    {
        QList<Layout::Attributes *> ptrs;
        double sum = 0;
        for (auto &c : cells) {
            ptrs.append(&c);
            sum += c.frame.width();
        }
        layout.setSumCellWidth(sum);
        layout.setCellFrameWith(ptrs, 1000, insets);
        EXPECT_TRUE(ptrs.isEmpty());
        EXPECT_EQ(layout.sumCellWidth(), 0);
    }
};

TEST_F(RowPlacement, CentredRowSitsInTheMiddleWithTheCellGap)
{
    Layout layout;
    layout.setCellType(1);
    auto cells = row({100, 200});
    place(layout, cells);
    EXPECT_DOUBLE_EQ(cells[0].frame.x(), (1000 - 300 - 2) / 2.0);
    EXPECT_DOUBLE_EQ(cells[1].frame.x(), cells[0].frame.right() + 2);
    // Only x moves.
    EXPECT_DOUBLE_EQ(cells[1].frame.y(), 10);
    EXPECT_DOUBLE_EQ(cells[1].frame.width(), 200);
}

TEST_F(RowPlacement, LeftRowStartsAtTheLeftInset)
{
    Layout layout;
    layout.setCellType(0);
    auto cells = row({100, 200, 50});
    place(layout, cells, {30, 40});
    EXPECT_DOUBLE_EQ(cells[0].frame.x(), 30);
    EXPECT_DOUBLE_EQ(cells[1].frame.x(), 132);
    EXPECT_DOUBLE_EQ(cells[2].frame.x(), 334);
}

TEST_F(RowPlacement, RightRowEndsAtTheRightInsetKeepingOrder)
{
    Layout layout;
    layout.setCellType(2);
    layout.setBetweenOfCell(5);
    auto cells = row({100, 200});
    place(layout, cells, {30, 40});
    EXPECT_DOUBLE_EQ(cells[1].frame.right(), 960);
    EXPECT_DOUBLE_EQ(cells[0].frame.right(), 960 - 200 - 5);
}

TEST_F(RowPlacement, HeadersAndFootersAreNotMovedAndRowsDoNotMix)
{
    Layout layout;
    auto attributes = Layout::flowAttributes(3, QSizeF(300, 100), 2);
    ASSERT_EQ(attributes.size(), 5);
    attributes.first().frame.moveLeft(17);
    layout.regroupRows(attributes, 1000);
    EXPECT_DOUBLE_EQ(attributes.first().frame.x(), 17);
    // Row one: two cells centred together; row two: the third cell centred alone.
    EXPECT_DOUBLE_EQ(attributes[1].frame.x(), (1000 - 602) / 2.0);
    EXPECT_DOUBLE_EQ(attributes[2].frame.x(), (1000 - 602) / 2.0 + 302);
    EXPECT_DOUBLE_EQ(attributes[3].frame.x(), 350);
}

// Document page size.
FileSharePageSize::Input windowed(QList<FileSharePageSize::Page> slices, bool enableScroll = true)
{
    FileSharePageSize::Input in;
    in.windowContentSize = QSizeF(1600, 950);
    in.mainScreenSize = QSizeF(1920, 1080);
    in.adjustScale = 1.0;
    in.displayEnableScroll = enableScroll;
    in.slices = std::move(slices);
    return in;
}

TEST(FileSharePageSize, AvailableAreaByFullScreenAndStrip)
{
    auto in = windowed({});
    EXPECT_EQ(FileSharePageSize::availableArea(in), QSizeF(1600, 766));
    in.stripShown = true;
    in.adjustScale = 0.5;
    EXPECT_EQ(FileSharePageSize::availableArea(in), QSizeF(1600 - 108, 950 - 92));
    in.fullScreen = true;
    in.adjustScale = 1.0;
    EXPECT_EQ(FileSharePageSize::availableArea(in), QSizeF(1920 - 216, 1080 - 148));
    in.stripShown = false;
    EXPECT_EQ(FileSharePageSize::availableArea(in), QSizeF(1920, 1080 - 184));
}

TEST(FileSharePageSize, PortraitPageSmallerThanTheAreaKeepsItsOwnHeight)
{
    // Scaled to 1600 wide it would be 2262 high; the page itself (1414) already overflows 766.
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{1000, 1414}})), QSizeF(1600, 1414));
}

TEST(FileSharePageSize, PortraitPageWiderThanTheAreaIsScaledToTheWidth)
{
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{2000, 3000}})), QSizeF(1600, 2400));
    // A short page never goes below the area's height.
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{3200, 3300}})), QSizeF(1600, 1650));
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{1000, 400}}, false)), QSizeF(1600, 766));
}

TEST(FileSharePageSize, ReferencePageIsTheFirstOfTheWantedShape)
{
    // Scrolling pages: the first portrait page decides, even behind a landscape one.
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{1920, 1080}, {2000, 3000}}, true)), QSizeF(1600, 2400));
    // Flipping pages: the first landscape page decides: the area as it is.
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{2000, 3000}, {1920, 1080}}, false)), QSizeF(1600, 766));
    // No page of that shape: the first page.
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{2000, 3000}}, false)), QSizeF(1600, 2400));
}

TEST(FileSharePageSize, PageWithoutDimensionsUsesTheArea)
{
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{0, 1414}})), QSizeF(1600, 766));
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{1000, 0}}, false)), QSizeF(1600, 766));
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({{0, 0}})), QSizeF(1600, 766));
    EXPECT_EQ(FileSharePageSize::itemSize(windowed({})), QSizeF(1600, 766));
}

// Window sizes.
TEST(GridWindowRules, MemberWindowMovesBesideTheMeetingWindowNeverOverIt)
{
    const QRect meeting(100, 50, 1200, 712);
    // Overlapping: moved to the right edge, same y, 342 x 950*scale.
    const auto moved = GridWindowRules::memberWindowBeside(QRect(600, 80, 342, 950), 950, meeting, 0.75);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, QRect(1300, 80, 342, 713));
    // Already right of it: keeps its x.
    const auto kept = GridWindowRules::memberWindowBeside(QRect(1500, 80, 342, 950), 950, meeting, 0.75);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->x(), 1500);
    // Height already right for the scale: left alone.
    EXPECT_FALSE(GridWindowRules::memberWindowBeside(QRect(600, 80, 342, 713), 713, meeting, 0.75));
}

// A 2560x1440 screen, the meeting window resized to 1400x831 near its right edge, the list open beside it: the list
// stays whole on the screen that holds the meeting window, inside its right edge, never a strip of it.
TEST(GridWindowRules, PanelWindowsStayWholeOnTheScreenThatHoldsTheMeetingWindow)
{
    const QRect screen(0, 0, 2560, 1440);
    const QRect meeting(1126, 200, 1400, 831);
    const double scale = GridWindowRules::adjustScale(false, 1400);
    const auto list = GridWindowRules::memberWindowBeside(QRect(2480, 200, 342, 950), 950, meeting, scale, screen);
    ASSERT_TRUE(list);
    EXPECT_TRUE(screen.contains(*list)) << list->x() << "," << list->y() << " " << list->width();
    EXPECT_EQ(*list, QRect(2560 - 342, 200, 342, 831));
    // A second screen right of the first: the list keeps to the meeting window's.
    const QRect second(2560, 0, 1920, 1080);
    EXPECT_FALSE(second.intersects(*list));
    // Room beside the meeting window: it goes there, as before.
    EXPECT_EQ(
        *GridWindowRules::memberWindowBeside(QRect(600, 80, 342, 950), 950, QRect(100, 50, 1200, 712), 0.75, screen),
        QRect(1300, 80, 342, 713));
    // Low in a short screen: lifted, and never taller than the screen.
    EXPECT_EQ(*GridWindowRules::memberWindowBeside(QRect(1300, 600, 342, 500), 500, QRect(100, 50, 1200, 712), 1.0,
                                                   QRect(0, 0, 1920, 900)),
              QRect(1300, 0, 342, 900));

    // The transcription window follows the scale both ways and stays whole on the screen.
    EXPECT_EQ(*GridWindowRules::transcriptionWindowAtScale(QRect(2300, 100, 246, 684), 1.0, QRect(0, 0, 2560, 1440)),
              QRect(2560 - 342, 100, 342, 950));
    EXPECT_EQ(*GridWindowRules::transcriptionWindowAtScale(QRect(2218, 100, 342, 950), 0.72, QRect(0, 0, 2560, 1440)),
              QRect(2218, 100, 246, 684));
    EXPECT_FALSE(GridWindowRules::transcriptionWindowAtScale(QRect(10, 10, 246, 684), 0.72, QRect(0, 0, 2560, 1440)));
}

} // namespace
