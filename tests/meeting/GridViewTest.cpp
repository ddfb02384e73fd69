// The grid widget in its scroll area (tiles where the layout says, scrolling from ten tiles on,
// pictures of 1, 3, 5 and 10 tiles), and the window around it: full screen keeps the windowed
// size, the member-list window stays beside the meeting window, the close button asks first.

#include "MeetingTestSupport.h"

#include "agent/engine/KRTCVideoView.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "meeting/window/grid/VideoCollectionViewItem.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

using Tile = std::shared_ptr<MeetingActiveModel>;

QImage generatedFrame(int i)
{
    QImage image(640, 360, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 640, 360);
    g.setColorAt(0, QColor::fromHsv((i * 47) % 360, 160, 200));
    g.setColorAt(1, QColor::fromHsv((i * 47 + 120) % 360, 200, 90));
    p.fillRect(image.rect(), g);
    p.setPen(Qt::white);
    p.setFont(QFont(QString(), 64));
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(i + 1));
    return image;
}

class GridView : public ::testing::Test {
protected:
    void fill(int n)
    {
        for (int i = 0; i < n; ++i) {
            const bool camera = i % 3 != 2;
            KRTCVideoView *view = nullptr;
            if (camera) {
                views.push_back(std::make_unique<KRTCVideoView>());
                view = views.back().get();
                KRTCVideoFrame frame;
                frame.image = generatedFrame(i);
                view->renderFrame(frame, false);
            }
            auto t = std::make_shared<MeetingActiveModel>(camera ? 1 : 0, QStringLiteral("peer-%1").arg(i),
                                                          QString::number(i), QStringLiteral("成员%1").arg(i + 1),
                                                          i == 0, view);
            t->setAudioFlag(i % 2 == 0);
            tiles << t;
        }
    }

    void SetUp() override
    {
        area.setFrameShape(QFrame::NoFrame);
        area.resize(1200, 804);
        grid = new VideoCollectionView(&area);
        area.show();
    }

    void TearDown() override
    {
        // Tiles first: they hand the views back before the views go.
        area.takeWidget();
        delete grid.data();
    }

    std::vector<std::unique_ptr<KRTCVideoView>> views;
    QList<Tile> tiles;
    QScrollArea area;
    QPointer<VideoCollectionView> grid;
};

TEST_F(GridView, TilesSitWhereTheLayoutSaysAndScreenshotsLookRight)
{
    for (int n : {1, 3, 5, 10}) {
        SCOPED_TRACE(n);
        tiles.clear();
        fill(n);
        grid->reloadData(tiles);
        QApplication::processEvents();
        ASSERT_EQ(grid->numberOfItems(), n);
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(grid->itemAt(i)->geometry(), grid->itemFrames()[i].toRect());
        const bool scrolls = n >= 10;
        EXPECT_EQ(area.verticalScrollBar()->maximum() > 0, scrolls);
        const QImage shot = area.grab().toImage();
        ASSERT_TRUE(shot.save(QDir::home().filePath(QStringLiteral("korvi_grid_%1.png").arg(n))));
    }
    // Reloading with fewer tiles drops the extra items; their views wait hidden in the window
    // (leaving it walks the window's whole focus chain, once per view) for a tile to take them up.
    grid->reloadData(tiles.mid(0, 2));
    EXPECT_EQ(grid->findChildren<VideoCollectionViewItem *>(Qt::FindDirectChildrenOnly).size(), 2);
    EXPECT_EQ(tiles[0]->videoView()->parentWidget(), grid->itemAt(0)->contentView());
    KRTCVideoView *gone = tiles[3]->videoView();
    EXPECT_EQ(gone->window(), area.window());
    EXPECT_TRUE(gone->isHidden());
    grid->reloadData(tiles.mid(0, 4));
    EXPECT_EQ(gone->parentWidget(), grid->itemAt(3)->contentView());
    EXPECT_TRUE(gone->isVisible());
    // The grid going hands every view back to its participant, none deleted.
    grid->reloadData(tiles.mid(0, 2));
    area.takeWidget();
    delete grid.data();
    for (const auto &view : views)
        EXPECT_EQ(view->parentWidget(), nullptr);
}

TEST_F(GridView, ResizingTheAreaRelaysTheTilesOut)
{
    fill(4);
    grid->reloadData(tiles);
    QApplication::processEvents();
    area.resize(800, 604);
    QApplication::processEvents();
    EXPECT_EQ(grid->itemAt(3)->geometry(), QRect(401, 303, 399, 299));
}

// The chat overlay keeps clear of the name bars a user sees: tiles scrolled away do not count.
TEST_F(GridView, NameBarsAreThoseInSight)
{
    fill(30);
    grid->reloadData(tiles);
    QApplication::processEvents();
    const QRect view = area.viewport()->geometry();
    for (int value : {0, area.verticalScrollBar()->maximum()}) {
        area.verticalScrollBar()->setValue(value);
        const QList<QRect> bars = grid->nameBarRects(&area);
        ASSERT_FALSE(bars.isEmpty());
        for (const QRect &bar : bars)
            EXPECT_TRUE(view.intersects(bar)) << value;
    }
    // Scrolled part way: the rows cut at either edge count too.
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum() / 2 + 37);
    const QRect seen = grid->visibleRect().toAlignedRect();
    qsizetype inSight = 0;
    for (qsizetype i = 0; i < grid->numberOfItems(); ++i)
        inSight += grid->itemAt(i)->geometry().intersects(seen) ? 1 : 0;
    EXPECT_EQ(grid->nameBarRects(&area).size(), inSight);
}

// Tiles out of sight (those in the subscription's margin still receive video) neither scale nor
// paint their frames; scrolled into sight they do, and a view given back is on screen again.
TEST_F(GridView, OnlyTilesInSightScaleTheirVideo)
{
    fill(30);
    grid->reloadData(tiles);
    QApplication::processEvents();
    const auto inSight = [&](qsizetype i) {
        return grid->itemAt(i)->geometry().intersects(grid->visibleRect().toAlignedRect());
    };
    for (int value : {0, area.verticalScrollBar()->maximum() / 2 + 37, area.verticalScrollBar()->maximum()}) {
        area.verticalScrollBar()->setValue(value);
        qsizetype seen = 0;
        qsizetype videos = 0;
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            KRTCVideoView *view = tiles[i]->videoView();
            if (!view)
                continue;
            EXPECT_EQ(view->onScreen(), inSight(i)) << "tile " << i << " at " << value;
            seen += inSight(i) ? 1 : 0;
            ++videos;
        }
        EXPECT_GT(seen, 0);
        EXPECT_LT(seen, videos) << "some tiles are out of sight";
    }
    qsizetype gone = 0;
    while (gone < tiles.size() && (!tiles[gone]->videoView() || inSight(gone)))
        ++gone;
    ASSERT_LT(gone, tiles.size());
    KRTCVideoView *away = tiles[gone]->videoView();
    ASSERT_FALSE(away->onScreen());
    QList<Tile> left = tiles;
    left.removeAt(gone);
    grid->reloadData(left);
    EXPECT_TRUE(away->onScreen()) << "given back: whoever shows it next decides";
}

// Levels come for every participant several times a second. One for a tile out of sight asks for
// no paint of the window at all; scrolled into sight, the tile shows the newest level.
TEST_F(GridView, ALevelOutOfSightAsksForNoPaint_ScrolledIntoSightTheTileShowsIt)
{
    VirtualClockScope clock; // the icons' fall back to quiet waits
    fill(30);
    grid->reloadData(tiles);
    const auto settle = [] {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::sendPostedEvents();
            QApplication::processEvents();
        }
    };
    settle();
    const QRect seen = grid->visibleRect().toAlignedRect();
    qsizetype near = -1;
    qsizetype far = -1;
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        if (!tiles[i]->videoView() || !tiles[i]->audioFlag())
            continue;
        const bool inSight = grid->itemAt(i)->geometry().intersects(seen);
        if (inSight && near < 0)
            near = i;
        if (!inSight)
            far = i;
    }
    ASSERT_GE(near, 0);
    ASSERT_GE(far, 0);

    const EventCounter requests(&area, QEvent::UpdateRequest);
    const auto level = [](const Tile &tile, int value) {
        NotificationCenter::defaultCenter().post(QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"),
                                                 QVariantMap{{"peerId", tile->phoneNumber()}, {"value", value}});
    };
    level(tiles[far], 80);
    settle();
    VeskMicrophoneIcon *farIcon = grid->itemAt(far)->activeView()->microphoneIcon();
    EXPECT_DOUBLE_EQ(farIcon->level(), 80) << "the icon follows its participant out of sight too";
    EXPECT_EQ(requests.count(), 0) << "a level out of sight asked the window for a paint";
    level(tiles[near], 80);
    settle();
    EXPECT_GE(requests.count(), 1) << "a level in sight is drawn";

    // Scrolled by the wheel, as its user scrolls, until the tile's icon is in sight.
    const auto iconInSight = [&] {
        return area.viewport()->rect().contains(QRect(farIcon->mapTo(area.viewport(), QPoint()), farIcon->size()));
    };
    for (int turn = 0; turn < 100 && !iconInSight(); ++turn) {
        const QPointF at = area.viewport()->rect().center();
        QWheelEvent wheel(at, area.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area.viewport(), &wheel);
    }
    ASSERT_TRUE(iconInSight());
    settle();
    const QImage shot = area.grab().toImage();
    const QRect icon(farIcon->mapTo(&area, QPoint()), farIcon->size());
    ASSERT_TRUE(shot.rect().contains(icon));
    bool green = false;
    for (int y = icon.top(); y <= icon.bottom() && !green; ++y)
        for (int x = icon.left(); x <= icon.right() && !green; ++x)
            green = qGreen(shot.pixel(x, y)) > 150 && qRed(shot.pixel(x, y)) < 100;
    EXPECT_TRUE(green) << "scrolled into sight, the tile shows the level that came meanwhile";
}

TEST_F(GridView, ReloadingUnchangedTilesKeepsOverlaysAndFollowsTheirState)
{
    fill(2);
    grid->reloadData(tiles);
    const QPointer<MeetingActiveView> overlay = grid->itemAt(0)->activeView();
    EXPECT_EQ(overlay->microphoneIcon()->iconState(), 1);
    tiles[0]->setAudioFlag(false);
    // Another view took the camera meanwhile (the strip beside a share).
    QWidget elsewhere;
    tiles[1]->videoView()->setParent(&elsewhere);
    grid->reloadData(tiles);
    EXPECT_EQ(grid->itemAt(0)->activeView(), overlay.data());
    EXPECT_EQ(overlay->microphoneIcon()->iconState(), 0);
    EXPECT_EQ(tiles[1]->videoView()->parentWidget(), grid->itemAt(1)->contentView());
}

// The window: full screen and resizing.
class GridWindowTest : public MeetingTest {};

TEST_F(GridWindowTest, FullScreenKeepsTheWindowedSizeAndTheCloseButtonAsksFirst)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    QWidget *window = page->window();
    page->windowWillResize(QSize(1300, 760));
    const QRectF windowed = page->windowContentFrame();
    EXPECT_EQ(windowed.size(), QSizeF(1300, 760));
    EXPECT_DOUBLE_EQ(page->adjustScale(), 1300 / 1600.0);

    page->windowWillEnterFullScreen();
    EXPECT_TRUE(page->inFullScreenMode());
    EXPECT_DOUBLE_EQ(page->adjustScale(), 1.0);
    page->windowWillResize(QSize(500, 400));
    EXPECT_EQ(page->windowContentFrame(), windowed);

    page->windowDidExitFullScreen();
    EXPECT_FALSE(page->inFullScreenMode());
    EXPECT_EQ(window->size(), QSize(1300, 760));
    EXPECT_EQ(window->minimumSize(), QSize(1152, 684));

    // Closing asks (the leave dialog) and keeps the window.
    EXPECT_FALSE(page->windowShouldClose());
}

TEST_F(GridWindowTest, MemberListWindowMovesBesideTheMeetingWindow)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    QWidget *window = page->window();
    window->move(40, 40);
    page->panels().state().memberWindow = std::make_unique<MacBaseWindowController>(new QWidget());
    QWidget *member = page->panels().state().memberWindow->window();
    member->setGeometry(300, 90, 342, 950);
    page->windowWillResize(QSize(1200, 720));
    // Beside the meeting window, or inside the screen's right edge where the screen ends first; whole on the
    // screen that holds the meeting window, as high as the scale makes it unless the screen is lower.
    const QRect area = window->screen()->availableGeometry();
    const QRect meeting = window->frameGeometry();
    EXPECT_EQ(member->x(), std::min(meeting.x() + meeting.width(), area.x() + area.width() - 342));
    EXPECT_TRUE(area.contains(member->geometry()));
    EXPECT_EQ(member->size(), QSize(342, std::min(qRound(950 * 0.75), area.height())));

    // One off the screen comes back onto it, whole.
    member->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    member->setMinimumSize(0, 0);
    member->setGeometry(3000, 90, 342, 950);
    page->windowWillResize(QSize(1280, 720));
    EXPECT_EQ(member->x(), area.x() + area.width() - 342);
    EXPECT_TRUE(area.contains(member->geometry()));
    EXPECT_EQ(member->height(), std::min(qRound(950 * 0.8), area.height()));
}

} // namespace
