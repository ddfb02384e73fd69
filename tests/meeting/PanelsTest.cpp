// The panels room of the meeting window: panels built once on first use, pop-overs closed
// together and by a click outside them, and the panels loaded by name registered explicitly.

#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/MeetingPanels.h"
#include "uikit/VeskCategories.h"

#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingPanel final : public QObject {
public:
    CountingPanel(MeetingViewController *window, QObject *parent) : QObject(parent), window(window) { ++built; }
    MeetingViewController *window;
    static inline int built = 0;
};

TEST(MeetingPanelsTest, APanelIsBuiltOnFirstUseAndKeptWhileThePanelsLive)
{
    CountingPanel::built = 0;
    QPointer<CountingPanel> first;
    {
        MeetingPanels panels(nullptr);
        first = &panels.panel<CountingPanel>();
        EXPECT_EQ(&panels.panel<CountingPanel>(), first.data());
        EXPECT_EQ(CountingPanel::built, 1);
    }
    EXPECT_TRUE(first.isNull());
}

TEST(MeetingPanelsTest, PopOversCloseTogetherExceptTheOneNamedAndWhenAClickMissesThem)
{
    QWidget window;
    window.setGeometry(100, 100, 400, 300);
    auto *subtitles = new QWidget(&window);
    subtitles->setGeometry(10, 10, 50, 50);
    auto *devices = new QWidget(&window);
    devices->setGeometry(200, 10, 50, 50);
    window.show();

    MeetingPanels panels(nullptr);
    QStringList closed;
    panels.addPopOver({[subtitles] { return subtitles; }, [&] { closed << "subtitles"; }});
    panels.addPopOver({[devices] { return devices; }, [&] { closed << "devices"; }});
    // One that does not exist yet closes too (it has nothing to close).
    panels.addPopOver({[] { return nullptr; }, [&] { closed << "applications"; }});

    panels.hideOtherOverViewsExceptView(devices);
    EXPECT_EQ(closed, (QStringList{"subtitles", "applications"}));
    closed.clear();
    panels.hideOtherOverViewsExceptView(nullptr);
    EXPECT_EQ(closed, (QStringList{"subtitles", "devices", "applications"}));

    closed.clear();
    const QPoint inDevices = devices->mapToGlobal(QPoint(5, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(inDevices), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    panels.handleFullScreenMouseDown(&press);
    EXPECT_EQ(closed, (QStringList{"subtitles", "applications"}));
}

TEST(MeetingPanelsTest, PanelsLoadedByNameAreRegisteredByTheCall)
{
    MeetingPanels::registerPanels();
    const std::unique_ptr<QWidget> chat(vesk::loadViewFromNibWithName(QStringLiteral("IMDisplayView")));
    EXPECT_NE(qobject_cast<IMDisplayView *>(chat.get()), nullptr);
}

} // namespace
