#include "uikit/AutoLayout.h"
#include "uikit/KVWindow.h"

#include <QWidget>

#include <gtest/gtest.h>

using A = KVLayoutConstraint;

TEST(AutoLayoutTest, EdgesPinnedWithInsetsFollowTheSuperviewAndCountInwards)
{
    QWidget parent;
    parent.resize(400, 300);
    QWidget child(&parent);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(&child, {10, 20, 30, 40});
    EXPECT_EQ(child.geometry(), QRect(20, 10, 400 - 20 - 40, 300 - 10 - 30));
    // Hidden parents get no resize events until shown; a layout pass catches up.
    parent.resize(600, 500);
    AutoLayout::layoutSubtreeIfNeeded(&parent);
    EXPECT_EQ(child.geometry(), QRect(20, 10, 540, 460));
    parent.show();
    parent.resize(300, 200);
    EXPECT_EQ(child.geometry(), QRect(20, 10, 240, 160));
    // The right inset reads as the platform's constraint: right = superview.right - 40.
    const auto cs = AutoLayout::constraintsOf(&child);
    ASSERT_EQ(cs.size(), 4);
    EXPECT_EQ(cs[3]->firstAttribute(), A::Right);
    EXPECT_EQ(cs[3]->constant(), -40);
    EXPECT_EQ(cs[3]->secondItem(), &parent);
}

TEST(AutoLayoutTest, SizeCentreAndConstantChangesMoveTheView)
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    QWidget child(&parent);
    AutoLayout::autoSetDimensionsToSize(&child, QSizeF(100, 50));
    AutoLayout::autoCenterInSuperview(&child);
    EXPECT_EQ(child.geometry(), QRect(150, 125, 100, 50));
    parent.resize(200, 100);
    EXPECT_EQ(child.geometry(), QRect(50, 25, 100, 50));
    // A bar that slides out: bottom pinned, then its constant changed.
    QWidget bar(&parent);
    AutoLayout::autoPinEdgeToSuperviewEdge(&bar, A::Left);
    AutoLayout::autoPinEdgeToSuperviewEdge(&bar, A::Right);
    AutoLayout::autoSetDimension(&bar, A::Height, 72);
    KVLayoutConstraint *bottom = AutoLayout::autoPinEdgeToSuperviewEdge(&bar, A::Bottom, 0);
    EXPECT_EQ(bar.geometry(), QRect(0, 28, 200, 72));
    bottom->setConstant(72); // below the window's bottom edge
    EXPECT_EQ(bar.y(), 100);
    bottom->setActive(false);
    bottom->setActive(true);
    EXPECT_EQ(bar.y(), 100);
}

TEST(AutoLayoutTest, EdgesPinnedToASiblingFollowIt)
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    QWidget anchor(&parent);
    anchor.setGeometry(50, 40, 100, 30);
    anchor.show();
    QWidget below(&parent);
    below.show();
    AutoLayout::autoPinEdge(&below, A::Top, A::Bottom, &anchor, 10);
    AutoLayout::autoPinEdge(&below, A::Left, A::Left, &anchor);
    AutoLayout::autoSetDimensionsToSize(&below, QSizeF(80, 20));
    EXPECT_EQ(below.geometry(), QRect(50, 80, 80, 20));
    anchor.move(60, 100);
    EXPECT_EQ(below.geometry(), QRect(60, 140, 80, 20));
    // Aligned on the anchor's vertical centre line.
    QWidget centred(&parent);
    AutoLayout::autoSetDimensionsToSize(&centred, QSizeF(20, 20));
    AutoLayout::autoAlignAxis(&centred, A::CenterX, &anchor);
    AutoLayout::autoPinEdgeToSuperviewEdge(&centred, A::Top, 5);
    EXPECT_EQ(centred.geometry(), QRect(100, 5, 20, 20));
}

TEST(AutoLayoutTest, InequalityKeepsAMinimumInsetAndGoneSiblingsAreIgnored)
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QWidget child(&parent);
    AutoLayout::autoSetDimensionsToSize(&child, QSizeF(150, 20));
    AutoLayout::autoAlignAxisToSuperviewAxis(&child, A::CenterX);
    AutoLayout::autoPinEdgeToSuperviewEdge(&child, A::Left, 40, A::GreaterThanOrEqual);
    EXPECT_EQ(child.x(), 40); // centred would be 25
    parent.resize(400, 100);
    EXPECT_EQ(child.x(), 125);
    auto *sibling = new QWidget(&parent);
    QWidget follower(&parent);
    AutoLayout::autoPinEdge(&follower, A::Left, A::Right, sibling, 5);
    delete sibling;
    parent.resize(300, 100); // no crash, the pin to the gone view does nothing
    AutoLayout::removeConstraints(&child);
    EXPECT_TRUE(AutoLayout::constraintsOf(&child).isEmpty());
}

TEST(WindowPlacementTest, FloatingWindowsGoUnderTheirAnchorOrBesideIt)
{
    // Under a 40 x 40 button at (100, 500): centred, its top 66 below the button.
    EXPECT_EQ(KVWindowPlacement::frameBelowView(QRect(100, 500, 40, 40), QSize(350, 360), 0, 66),
              QRect(100 + 20 - 175, 500 + 40 + 66, 350, 360));
    // Beside a frame: just right of it, tops aligned; a positive adjustY raises it.
    EXPECT_EQ(KVWindowPlacement::frameBesideFrame(QRect(0, 100, 200, 300), QSize(50, 60), 8, 0),
              QRect(208, 100, 50, 60));
    EXPECT_EQ(KVWindowPlacement::frameBesideFrame(QRect(0, 100, 200, 300), QSize(50, 60), 0, 10).y(), 90);
}

TEST(WindowPlacementTest, AWindowThatWouldLeaveTheScreenGoesInsideTheAnchorsRightEdge)
{
    const QRect screen(0, 0, 1000, 800);
    const QRect a(0, 0, 300, 200);
    EXPECT_EQ(KVWindowPlacement::originRightOf(a, QRect(100, 100, 400, 400), screen, 10, 0), QPoint(510, 100));
    // 900 + 300 passes the screen's right edge, which lies right of the anchor's right edge.
    EXPECT_EQ(KVWindowPlacement::originRightOf(a, QRect(500, 100, 400, 400), screen, 0, 0), QPoint(600, 100));
    // An anchor that itself sticks out: the window goes against the screen's edge.
    EXPECT_EQ(KVWindowPlacement::originRightOf(a, QRect(800, 100, 400, 400), screen, 0, 20), QPoint(700, 80));
    // A negative adjustY moves it down.
    EXPECT_EQ(KVWindowPlacement::originRightOf(a, QRect(100, 100, 400, 400), screen, 0, -30), QPoint(500, 130));
}

// An anchor reaching above or below the screen (moved there, or centred on a scaled screen smaller
// than it) and a screen smaller than the window: the window stays whole on the visible area, or,
// larger than it, keeps its top-left corner (title, close) there.
TEST(WindowPlacementTest, AWindowBesideAnAnchorOffTheScreen_OrLargerThanIt_StaysOnTheVisibleArea)
{
    const QRect screen(0, 24, 960, 516);
    const QRect panel(0, 0, 342, 400);
    EXPECT_EQ(KVWindowPlacement::originRightOf(panel, QRect(-96, -70, 1152, 684), screen, 0, 0), QPoint(618, 24));
    EXPECT_EQ(KVWindowPlacement::originRightOf(panel, QRect(0, 400, 300, 300), screen, 0, 0), QPoint(300, 140));
    EXPECT_EQ(KVWindowPlacement::originRightOf(QRect(0, 0, 342, 684), QRect(0, 300, 300, 300), screen, 0, 0),
              QPoint(300, 24));
    EXPECT_EQ(KVWindowPlacement::centredIn(screen, QSize(1024, 680)), QRect(0, 24, 1024, 680));
    EXPECT_EQ(KVWindowPlacement::centredIn(QRect(0, 0, 1920, 1080), QSize(1024, 680)), QRect(448, 200, 1024, 680));
    EXPECT_EQ(KVWindowPlacement::keptInside(QRect(-50, 500, 100, 100), screen), QRect(0, 440, 100, 100));
}
