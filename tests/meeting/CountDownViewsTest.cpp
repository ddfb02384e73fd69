// The three count-down views on virtual time: the setter's digits and its start rule, the running
// view's ticks and end, the attendee's display with its end sound and its removal.

#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "meeting/panels/CountDownSound.h"
#include "meeting/panels/HostCountDownStartView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/RespondCountDownView.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

class FakeSound final : public CountDownSoundPlayer {
public:
    explicit FakeSound(QStringList *log) : m_log(log) {}
    void play() override
    {
        m_playing = true;
        *m_log << QStringLiteral("play");
    }
    void stop() override
    {
        if (m_playing)
            *m_log << QStringLiteral("stop");
        m_playing = false;
    }
    [[nodiscard]] bool isPlaying() const override { return m_playing; }

private:
    QStringList *m_log;
    bool m_playing = false;
};

class CountDownViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CountDownSoundPlayer::installFactory([this] { return std::make_unique<FakeSound>(&sound); });
        window.resize(600, 400);
    }
    void TearDown() override
    {
        CountDownSoundPlayer::installFactory({});
        VeskToast::dismissToast();
    }

    void advance(std::chrono::milliseconds by)
    {
        clock.clock.advance(by);
        processEventsFor(2);
    }

    static QString toast() { return VeskToast::textOf(VeskToast::currentToast()); }
    static QString shown(const CountDownDisplay &view)
    {
        return view.minutesLabel->text() + QLatin1Char(':') + view.secondLabel->text();
    }
    static QString shown(const HostCountDownView &view)
    {
        return view.tenMinLabel->text() + view.minLabel->text() + QLatin1Char(':') + view.tenSecondLabel->text() +
               view.secondLabel->text();
    }
    static void press(VeskButton *button, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            button->click();
    }

    VirtualClockScope clock;
    QWidget window;
    QStringList sound;
};

TEST_F(CountDownViewsTest, Setter_DigitsWrapOnTheirOwnAndAButtonLooksPressedForHalfASecond)
{
    HostCountDownView setter;
    EXPECT_EQ(shown(setter), QStringLiteral("05:00"));

    press(setter.tenMinutesSubtractButton); // 0 -> 5
    EXPECT_EQ(setter.tenMinutes(), 5);
    EXPECT_EQ(setter.tenMinutesSubtractButton->state(), 1);
    advance(499ms);
    EXPECT_EQ(setter.tenMinutesSubtractButton->state(), 1);
    advance(1ms);
    EXPECT_EQ(setter.tenMinutesSubtractButton->state(), 0);

    press(setter.minutesAddButton, 5); // 5 -> 9 -> 0, no carry
    EXPECT_EQ(setter.minutes(), 0);
    EXPECT_EQ(setter.tenMinutes(), 5);
    press(setter.tenSecondsAddButton, 6); // 0 -> 5 -> 0
    press(setter.seconsSubtractButton);   // 0 -> 9
    EXPECT_EQ(shown(setter), QStringLiteral("50:09"));

    // Showing a started time changes the labels only; a reset and every showing offer 05:00.
    setter.startCountDownWith(75);
    EXPECT_EQ(shown(setter), QStringLiteral("01:15"));
    EXPECT_EQ(setter.tenMinutes(), 5);
    setter.stopCountDown();
    EXPECT_EQ(shown(setter), QStringLiteral("05:00"));
    press(setter.minutesAddButton);
    setter.setParent(&window);
    window.show();
    setter.show();
    EXPECT_EQ(setter.minutes(), 5);
    EXPECT_EQ(shown(setter), QStringLiteral("05:00"));
    setter.setParent(nullptr);
}

TEST_F(CountDownViewsTest, Setter_StartsFrom15SecondsUpTo59_59AndRefusesLess)
{
    HostCountDownView setter;
    QList<QPair<int, int>> started;
    setter.startActionBlock = [&](int m, int s, VeskButton *button) {
        EXPECT_EQ(button, setter.startButton.data());
        started.append({m, s});
    };
    press(setter.minutesSubtractButton, 5);
    press(setter.tenSecondsAddButton);
    press(setter.secondsAddButton, 4); // 00:14
    setter.startButton->click();
    EXPECT_EQ(toast(), QStringLiteral("倒计时时间不能低于15秒"));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(setter.startButton->state(), 1);

    press(setter.secondsAddButton); // 00:15
    setter.startButton->click();
    press(setter.tenMinutesSubtractButton);
    press(setter.minutesSubtractButton);
    press(setter.tenSecondsSubtractButton, 2);
    press(setter.secondsAddButton, 4); // 59:59
    setter.startButton->click();
    EXPECT_EQ(started, (QList<QPair<int, int>>{{0, 15}, {59, 59}}));
}

TEST_F(CountDownViewsTest, RunningView_TicksOnceASecondAndStopsBeforeItsEndBlock)
{
    HostCountDownStartView running;
    int ends = 0;
    running.endActionBlock = [&](HostCountDownStartView *view) {
        ++ends;
        EXPECT_FALSE(view->isRunning());
        EXPECT_FALSE(view->isTicking());
        EXPECT_EQ(shown(*view), QStringLiteral("00:00"));
    };
    running.startCountDownWith(75);
    EXPECT_EQ(toast(), QStringLiteral("主持人已开启倒计时,剩余时间:1分15秒"));
    EXPECT_EQ(shown(running), QStringLiteral("01:15"));
    EXPECT_FALSE(running.isRunning());
    advance(1s);
    EXPECT_EQ(shown(running), QStringLiteral("01:14"));
    EXPECT_TRUE(running.isRunning());
    advance(14s);
    EXPECT_EQ(shown(running), QStringLiteral("01:00"));
    advance(1s);
    EXPECT_EQ(shown(running), QStringLiteral("00:59"));

    // A restart keeps one timer: one second takes one second off.
    running.startCountDownWith(3);
    running.startCountDownWith(3);
    advance(1s);
    EXPECT_EQ(shown(running), QStringLiteral("00:02"));
    advance(2s);
    EXPECT_EQ(ends, 1);
    EXPECT_DOUBLE_EQ(running.sliderValue(), 0.0);
    advance(5s);
    EXPECT_EQ(ends, 1);

    running.startCountDownWith(100);
    advance(50s);
    EXPECT_DOUBLE_EQ(running.sliderValue(), 0.5);
    running.stopCountDown();
    EXPECT_FALSE(running.isRunning());
    EXPECT_EQ(shown(running), QStringLiteral("00:00"));
}

TEST_F(CountDownViewsTest, Display_SoundsFromThreeSecondsLeftUntilZeroAndNotForShortRuns)
{
    RespondCountDownView display;
    display.startCountDownWith(5);
    advance(1s);
    EXPECT_TRUE(sound.isEmpty());
    advance(1s); // 00:03
    EXPECT_EQ(sound, QStringList{QStringLiteral("play")});
    advance(2s);
    EXPECT_EQ(sound, QStringList{QStringLiteral("play")});
    advance(1s); // 00:00
    EXPECT_EQ(sound, (QStringList{QStringLiteral("play"), QStringLiteral("stop")}));
    EXPECT_FALSE(display.isTicking());

    sound.clear();
    display.startCountDownWith(2);
    advance(3s);
    EXPECT_TRUE(sound.isEmpty());
}

TEST_F(CountDownViewsTest, Display_ZeroStartsNoTimerAndAStartCancelsTheRemovalOfTheLastStop)
{
    RespondCountDownView display;
    display.startCountDownWith(0);
    EXPECT_EQ(shown(display), QStringLiteral("00:00"));
    EXPECT_FALSE(display.isTicking());

    // A stop takes the display away 2 s later.
    display.setParent(&window);
    display.startCountDownWith(10);
    display.stopCountDown();
    advance(1999ms);
    EXPECT_EQ(display.parentWidget(), &window);
    advance(1ms);
    EXPECT_EQ(display.parentWidget(), nullptr);

    // A new count-down within those 2 s keeps it (an 802 then an 801).
    display.setParent(&window);
    display.startCountDownWith(10);
    display.stopCountDown();
    advance(1s);
    display.startCountDownWith(10);
    advance(2s);
    EXPECT_EQ(display.parentWidget(), &window);
    EXPECT_TRUE(display.isTicking());
    EXPECT_EQ(shown(display), QStringLiteral("00:08"));
    display.setParent(nullptr);
}

} // namespace
