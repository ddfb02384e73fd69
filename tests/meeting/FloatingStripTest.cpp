// The floating media strip, its tab, and the current speaker's labels.

#include "DispatchWindowSupport.h"

#include "agent/MainSettingModel.h"
#include "meeting/sharing/ShareMediaCollectionItem.h"
#include "meeting/window/CurrentSpeakerView.h"
#include "meeting/window/FloatingMediaMiniView.h"
#include "meeting/window/FloatingMediaView.h"
#include "uikit/KVDataText.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QScrollArea>

namespace {

using Tile = FloatingMediaView::Tile;
using Mode = FloatingMediaView::Mode;

QList<Tile> tiles(int n)
{
    QList<Tile> out;
    for (int i = 0; i < n; ++i) {
        const QString phone = QStringLiteral("1370000000%1").arg(i);
        out << std::make_shared<MeetingActiveModel>(0, phone, phone, QStringLiteral("成员%1").arg(i), false, nullptr);
    }
    return out;
}

// Which of the three buttons are on, as "hide one all" flags.
QString onButtons(const FloatingMediaView &strip)
{
    return QStringLiteral("%1%2%3")
        .arg(strip.hideMediaBtn->state())
        .arg(strip.showOneMediaBtn->state())
        .arg(strip.showAllMediaBtn->state());
}

TEST(FloatingMediaViewTest, HeightsFollowTheChoiceAndTheTilesUpToTheCap)
{
    FloatingMediaView strip;
    EXPECT_EQ(strip.contentSize(), QSize(216, 74)); // folded at first
    EXPECT_EQ(onButtons(strip), "100");

    strip.setActiveMembers(tiles(5));
    EXPECT_EQ(strip.contentSize(), QSize(216, 194));
    strip.showAllMediaBtn->click();
    EXPECT_EQ(strip.contentSize(), QSize(216, 560)); // 682 before the cap
    EXPECT_EQ(onButtons(strip), "001");
    strip.setActiveMembers(tiles(3));
    EXPECT_EQ(strip.contentSize(), QSize(216, 438));
    strip.hideMediaBtn->click();
    EXPECT_EQ(strip.contentSize(), QSize(216, 74));
    EXPECT_EQ(strip.size(), QSize(216, 74)); // alone, the strip sizes itself

    // One tile of none is the header only.
    EXPECT_EQ(FloatingMediaView::contentSizeFor(Mode::One, 0), QSize(216, 74));
    EXPECT_EQ(FloatingMediaView::contentSizeFor(Mode::All, 0), QSize(216, 72));
    strip.setActiveMembers({});
    strip.showOneMediaBtn->click();
    EXPECT_EQ(strip.contentSize(), QSize(216, 74));

    // Pressing the choice that is on keeps it: one of the three is always on.
    strip.setActiveMembers(tiles(2));
    strip.showOneMediaBtn->click();
    strip.showOneMediaBtn->click();
    EXPECT_EQ(onButtons(strip), "010");
    EXPECT_EQ(strip.contentSize(), QSize(216, 194));
}

TEST(FloatingMediaViewTest, EmptyListFolds_ListAgainOpensOneOnlyWhenFolded)
{
    FloatingMediaView strip;
    strip.setActiveMembers(tiles(3));
    EXPECT_EQ(onButtons(strip), "010");
    strip.showAllMediaAction();
    strip.setActiveMembers(tiles(4)); // all stays all
    EXPECT_EQ(onButtons(strip), "001");
    EXPECT_EQ(strip.contentSize().height(), 72 + 122 * 4);

    strip.setActiveMembers({});
    EXPECT_EQ(onButtons(strip), "100");
    EXPECT_EQ(strip.contentSize().height(), 74);
    strip.setActiveMembers(tiles(1));
    EXPECT_EQ(onButtons(strip), "010");
    strip.setActiveMembers(tiles(2)); // one stays one
    EXPECT_EQ(onButtons(strip), "010");

    // The list shows one tile per entry, 216 x 120, each with its entry.
    const QList<Tile> shown = tiles(2);
    strip.setActiveMembers(shown);
    const auto items = strip.collectionView->findChildren<ShareMediaCollectionItem *>();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(1)->size(), QSize(216, 120));
    EXPECT_EQ(items.at(1)->activeModel(), shown.at(1));
}

TEST(FloatingMediaViewTest, SizesTheWindowThatHoldsIt_CollapseAndUnfoldRunTheShareBlocks)
{
    auto *window = new KVWindow(QRect(100, 100, 216, 74));
    auto *strip = new FloatingMediaView();
    window->setContentView(strip);
    strip->setActiveMembers(tiles(3));
    strip->showAllMediaAction();
    EXPECT_EQ(window->size(), QSize(216, 438));
    EXPECT_EQ(strip->scrollView->geometry().top(), 74);

    int collapsed = 0;
    strip->miniActionBlock = [&] { ++collapsed; };
    strip->miniMediaBtn->click();
    EXPECT_EQ(collapsed, 1);
    delete window;

    FloatingMediaMiniView tab;
    tab.resize(40, 34);
    int unfolded = 0;
    tab.unflodBlock = [&] { ++unfolded; };
    tab.miniBtn->click();
    EXPECT_EQ(unfolded, 1);
    EXPECT_EQ(tab.miniBtn->accessibleName(), QStringLiteral("展开视频"));
    QAccessibleInterface *tabRead = QAccessible::queryAccessibleInterface(&tab);
    ASSERT_TRUE(tabRead);
    EXPECT_FALSE(tabRead->text(QAccessible::Name).isEmpty()) << "the tab's window is called by it";
    // Hovering lights the unfold image.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&tab, &enter);
    EXPECT_EQ(tab.miniBtn->property("imageName").toString(), QStringLiteral("collapse_unfold_hover"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&tab, &leave);
    EXPECT_EQ(tab.miniBtn->property("imageName").toString(), QStringLiteral("collapse_unfold_nor"));
    // Left corners rounded, right corners square.
    EXPECT_FALSE(tab.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(tab.mask().contains(QPoint(0, 33)));
    EXPECT_TRUE(tab.mask().contains(QPoint(39, 0)));
    EXPECT_TRUE(tab.mask().contains(QPoint(39, 33)));
    EXPECT_TRUE(tab.mask().contains(QPoint(6, 17)));
}

// ---- The current speaker in the meeting window ------------------------------------------------

class CurrentSpeakerTest : public DispatchWindowTest {
protected:
    void speak(const QString &peerId)
    {
        NotificationCenter::defaultCenter().post(
            QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"),
            QVariantMap{{QStringLiteral("peerId"), peerId}, {QStringLiteral("value"), 40.0}});
    }
    [[nodiscard]] CurrentSpeakerView *label() const
    {
        return page->view()->findChild<CurrentSpeakerView *>(QString(), Qt::FindDirectChildrenOnly);
    }
    [[nodiscard]] bool showing(const QString &name) const
    {
        return label() && label()->isVisible() && label()->nameLabel->text() == name;
    }
    void joinWithSpeakers()
    {
        join();
        // The own member's list must have landed first, or it replaces the tiles set here.
        ASSERT_TRUE(processEventsUntil([&] { return page->allMembers().size() == 1; }));
        page->setActiveMembers(tiles(3));
    }
};

TEST_F(CurrentSpeakerTest, NamesTheSpeakerUnderTheTopBar_ASecondSpeakerRestartsTheFiveSeconds)
{
    joinWithSpeakers();
    speak(QStringLiteral("13700000001"));
    ASSERT_TRUE(showing(QStringLiteral("成员1")));
    EXPECT_EQ(label()->geometry(), QRect(20, page->ui->topView->height() + 10, 196, 40));
    EXPECT_EQ(label()->bkColor(), QColor(0x3D, 0x3F, 0x47));
    clock.clock.advance(3s);
    speak(QStringLiteral("13700000002"));
    EXPECT_TRUE(showing(QStringLiteral("成员2")));
    clock.clock.advance(4999ms);
    EXPECT_TRUE(showing(QStringLiteral("成员2")));
    clock.clock.advance(1ms);
    EXPECT_FALSE(label()->isVisible());
    EXPECT_TRUE(label()->nameLabel->text().isEmpty());

    // A peer without a tile changes nothing, not even the timer.
    speak(QStringLiteral("13700000000"));
    clock.clock.advance(2s);
    speak(QStringLiteral("19999999999"));
    EXPECT_TRUE(showing(QStringLiteral("成员0")));
    clock.clock.advance(3s);
    EXPECT_FALSE(label()->isVisible());
    speak(QStringLiteral("19999999999"));
    EXPECT_FALSE(label()->isVisible());

    // The user's own voice, as the own member reports it, names the user through the own tile.
    page->setActiveMembers({});
    page->onMemberChange(page->allMembers());
    // The own tile must be back among the active ones before the level is posted.
    ASSERT_TRUE(processEventsUntil([&] { return page->activeMembers().size() == 1; }));
    ASSERT_EQ(page->allMembers().size(), 1);
    page->allMembers().first()->setSoundStrength(40);
    // The level reaches the window through the main queue.
    EXPECT_TRUE(processEventsUntil([&] { return showing(QStringLiteral("张三")); }));
}

TEST_F(CurrentSpeakerTest, SettingOffHidesTheLabelAtTheNextLevel_ANameIsShownAsText)
{
    joinWithSpeakers();
    speak(QStringLiteral("13700000001"));
    ASSERT_TRUE(showing(QStringLiteral("成员1")));
    VeskAppAgent::sharedInstance()->settingModel()->setShowCurrentSpeaker(false);
    EXPECT_TRUE(label()->isVisible()); // until the next level
    speak(QStringLiteral("13700000001"));
    EXPECT_FALSE(label()->isVisible());
    clock.clock.advance(10s);
    speak(QStringLiteral("13700000002"));
    EXPECT_FALSE(label()->isVisible());

    VeskAppAgent::sharedInstance()->settingModel()->setShowCurrentSpeaker(true);
    const QString hostile = QStringLiteral("<img src=\"/dev/zero\"><b>x</b>");
    page->setActiveMembers({std::make_shared<MeetingActiveModel>(0, QStringLiteral("13711111111"), QStringLiteral("u"),
                                                                 hostile, false, nullptr)});
    speak(QStringLiteral("13711111111"));
    EXPECT_TRUE(showing(hostile));
    EXPECT_TRUE(KVDataText::markupHazards({label()}).isEmpty());
    // A name of any length is cut before the label, named at every level, measures it.
    page->setActiveMembers({std::make_shared<MeetingActiveModel>(0, QStringLiteral("13711111112"), QStringLiteral("u"),
                                                                 QString(100'000, 'n'), false, nullptr)});
    speak(QStringLiteral("13711111112"));
    EXPECT_EQ(label()->nameLabel->text().size(), DataText::kNameLength);
}

TEST_F(CurrentSpeakerTest, WhileSharingTheFloatingLabelNamesTheSpeaker_AndStaysEmptyAfterFiveSeconds)
{
    joinWithSpeakers();
    VeskAppAgent::sharedInstance()->settingModel()->setShowCurrentSpeaker(false);
    // Not sharing: the floating label is left alone.
    speak(QStringLiteral("13700000001"));
    EXPECT_FALSE(page->sharing().state().currentSpeakerFloatingView);

    // Sharing: the share's strip holds the label (as the sharing code places it).
    manager()->setSelfScreenOrWindowSharing(true);
    FloatingMediaView strip;
    CurrentSpeakerView *floating = page->currentSpeakerFloatingView();
    ASSERT_TRUE(floating);
    EXPECT_EQ(floating->size(), QSize(214, 40));
    floating->setParent(strip.currentSpeakerView);
    strip.show();
    speak(QStringLiteral("13700000002"));
    EXPECT_EQ(floating->nameLabel->text(), QStringLiteral("成员2"));
    EXPECT_TRUE(floating->isVisible());
    clock.clock.advance(3s);
    speak(QStringLiteral("13700000000"));
    clock.clock.advance(4999ms);
    EXPECT_EQ(floating->nameLabel->text(), QStringLiteral("成员0"));
    clock.clock.advance(1ms);
    EXPECT_TRUE(floating->nameLabel->text().isEmpty());
    EXPECT_TRUE(floating->isVisible());
    EXPECT_FALSE(label() && label()->isVisible()); // the window's own label follows the setting

    // The member pipeline hands the tiles to the strip while the user shares.
    page->sharing().state().floatingMediaViewStorage = &strip;
    page->onMemberChange(page->allMembers());
    EXPECT_TRUE(processEventsUntil([&] { return !strip.activeMembers().isEmpty(); }));
    EXPECT_EQ(strip.activeMembers(), page->activeMembers());
    EXPECT_FALSE(strip.activeMembers().isEmpty());
    floating->setParent(nullptr);
    delete floating;
}

} // namespace
