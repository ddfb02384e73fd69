// The panels part of the meeting window: panels built once on first use, pop-overs closed
// together and by a click outside them, floating windows, and the panels loaded by name
// registered explicitly; the chat overlay's kept picture of its rows and where its rows go.

#include "TestEvents.h"

#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/MeetingMessageCell.h"
#include "meeting/panels/MeetingPanels.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskCategories.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QImage>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingPanel final : public QObject {
public:
    explicit CountingPanel(MeetingPanels &panels) : QObject(&panels) { ++built; }
    static inline int built = 0;
};

TEST(MeetingPanelsTest, APanelIsBuiltOnFirstUseAndKeptWhileThePanelsLive)
{
    CountingPanel::built = 0;
    QPointer<CountingPanel> first;
    {
        MeetingPanels panels({});
        first = &panels.panel<CountingPanel>();
        EXPECT_EQ(&panels.panel<CountingPanel>(), first.data());
        EXPECT_EQ(CountingPanel::built, 1);
    }
    EXPECT_TRUE(first.isNull());
}

TEST(MeetingPanelsTest, PopOversCloseInTheirOrderExceptTheOneNamedOrClicked_AMissingOneIsSkipped)
{
    using Slot = MeetingPanels::PopOverSlot;
    QWidget window;
    window.setGeometry(100, 100, 400, 300);
    auto *subtitles = new QWidget(&window);
    subtitles->setGeometry(10, 10, 50, 50);
    auto *camera = new QWidget(&window);
    camera->setGeometry(200, 10, 50, 50);
    auto *applications = new QWidget(&window);
    applications->setGeometry(10, 200, 50, 50);
    window.show();

    MeetingPanels panels({});
    QStringList closed;
    const auto popOver = [&](QWidget *view, const QString &name) {
        return MeetingPanels::PopOver{[view] { return view; }, [&closed, name] { closed << name; }};
    };
    // Installed out of order: they close in the slots' order all the same.
    panels.setPopOver(Slot::Application, popOver(applications, "applications"));
    panels.setPopOver(Slot::VideoSelect, popOver(camera, "camera"));
    panels.setPopOver(Slot::SubtitleSetting, popOver(subtitles, "subtitles"));
    panels.setPopOver(Slot::AudioSelect, popOver(nullptr, "audio"));

    panels.hideOtherOverViewsExceptView(camera);
    EXPECT_EQ(closed, (QStringList{"subtitles", "applications"}));
    closed.clear();
    panels.hideOtherOverViewsExceptView(nullptr);
    EXPECT_EQ(closed, (QStringList{"subtitles", "camera", "applications"}));

    closed.clear();
    const QPoint inCamera = camera->mapToGlobal(QPoint(5, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(inCamera), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    panels.handleFullScreenMouseDown(&press);
    EXPECT_EQ(closed, (QStringList{"subtitles", "applications"}));
}

TEST(MeetingPanelsTest, FloatingWindowsGoUnderAViewBesideAFrameOrBesideAWindow_AndCloseWithTheMeetingWindow)
{
    QWidget window;
    window.setGeometry(100, 100, 600, 400);
    auto *button = new QWidget(&window);
    button->setGeometry(200, 300, 40, 30);
    window.show();

    QPointer<KVWindow> under;
    QPointer<KVWindow> beside;
    QPointer<QWidget> popUp = new QWidget(&window);
    {
        MeetingPanels panels({});
        panels.showFloatingWindowAtView(button, popUp, QSizeF(350, 100), 0, 66);
        under = qobject_cast<KVWindow *>(popUp->window());
        ASSERT_TRUE(under);
        EXPECT_EQ(under->identifier(), "showFloatingWindowAtView");
        const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_EQ(under->geometry(), QRect(anchor.x() + 20 - 175, anchor.y() + 30 + 66, 350, 100));
        EXPECT_EQ(popUp->geometry(), QRect(0, 0, 350, 100));
        // One that would pass the screen's bottom goes up until it lies whole on the screen.
        auto *tall = new QWidget(&window);
        panels.showFloatingWindowAtView(button, tall, QSizeF(350, 360), 0, 66);
        EXPECT_EQ(tall->window()->geometry().bottom(), button->screen()->availableGeometry().bottom());

        beside = panels.showFloatingWindowAtFrame(QRect(50, 60, 200, 300), new QWidget, QSizeF(100, 80), 8, -10);
        ASSERT_TRUE(beside);
        EXPECT_EQ(beside->identifier(), "showFloatingWindowAtFrame");
        EXPECT_EQ(beside->geometry(), QRect(258, 70, 100, 80));
        // Nothing to show: no empty window.
        EXPECT_EQ(panels.showFloatingWindowAtFrame(QRect(50, 60, 200, 300), nullptr, QSizeF(100, 80), 0, 0), nullptr);

        // The first window goes right of the second, tops aligned; a negative adjustY lowers it.
        panels.placeWindowAtIndex(beside, under, 4, -6);
        EXPECT_EQ(beside->pos(), under->frameGeometry().topRight() + QPoint(1 + 4, 6));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(under.isNull());
    EXPECT_TRUE(beside.isNull());
    EXPECT_TRUE(popUp.isNull());
}

TEST(MeetingPanelsTest, PanelsLoadedByNameAreRegisteredByTheCall)
{
    MeetingPanels::registerPanels();
    const std::unique_ptr<QWidget> chat(vesk::loadViewFromNibWithName(QStringLiteral("IMDisplayView")));
    EXPECT_NE(qobject_cast<IMDisplayView *>(chat.get()), nullptr);
}

MeetingMessageModel chatLine(const QString &text)
{
    MeetingMessageModel line;
    line.messageType = MeetingMessageModel::Chat;
    line.userName = QStringLiteral("李四");
    line.messageString = text;
    return line;
}

// The chat overlay over a video tile, in a window of its own.
struct OverlayOverTile {
    QWidget window;
    QWidget *tile = new QWidget(&window);
    IMDisplayView *overlay = new IMDisplayView(&window);

    explicit OverlayOverTile(const QStringList &lines = {})
    {
        window.resize(600, 500);
        tile->setGeometry(window.rect());
        tile->setAutoFillBackground(true);
        tile->setPalette(QPalette(Qt::darkCyan));
        overlay->layoutSelf(1.0);
        window.show();
        for (const QString &text : lines)
            add(text);
    }
    void add(const QString &text) { overlay->addSingleMessage(chatLine(text)); }
    QImage shown()
    {
        EXPECT_TRUE(drainMainQueue());
        return window.grab(overlay->geometry()).toImage();
    }
};

// The rows are drawn once and kept for the frames of the tile under them; whatever changes what
// they show (a new line, the scroll that follows it) shows at once, as a new overlay draws it.
TEST(ChatOverlayTest, FramesUnderTheOverlayKeepItsRows_ANewLineAndTheScrollShowAtOnce)
{
    QStringList lines{QStringLiteral("first")};
    OverlayOverTile live(lines);
    const QImage one = live.shown();
    // The bubble darkens the tile under it.
    EXPECT_LT(qGray(one.pixel(2, one.height() / 2)), qGray(QColor(Qt::darkCyan).rgb()));
    for (int frame = 0; frame < 3; ++frame)
        live.tile->repaint();
    EXPECT_TRUE(live.shown() == one);
    for (const int count : {2, 30}) {
        SCOPED_TRACE(count);
        while (lines.size() < count) {
            lines << QStringLiteral("line %1").arg(lines.size());
            live.add(lines.last());
        }
        live.tile->repaint();
        const QImage shown = live.shown();
        EXPECT_TRUE(shown != one);
        EXPECT_TRUE(shown == OverlayOverTile(lines).shown()) << "not what a new overlay of these lines shows";
    }
}

// Rows are placed by the sum of the rows above them: after the list narrows, each row (the one
// added since included) sits where the heights of the rows above it at the new width put it, the
// hit test finds it from its first pixel, and the list shows its end, where a screen reader finds
// and reads the last line.
TEST(ChatOverlayTest, RowsSitBelowTheSumOfTheRowsAbove_AfterAWidthChangeToo_TheLastEndsTheViewAndReadsThere)
{
    QWidget window;
    window.resize(400, 300);
    auto *list = new IMDisplayView(&window);
    list->setFloatingState(true);
    list->setGeometry(window.rect());
    window.show();
    for (int i = 0; i < 30; ++i)
        list->addSingleMessage(chatLine(QStringLiteral("word ").repeated(1 + i % 4 * 12)));
    list->resize(200, 300);
    list->addSingleMessage(chatLine(QStringLiteral("last ").repeated(40)));
    ASSERT_TRUE(drainMainQueue());

    QListView *table = list->msgTable();
    QScrollBar *bar = table->verticalScrollBar();
    int top = 0;
    QRect rect;
    for (int row = 0; row < list->msgDataArr().size(); ++row) {
        SCOPED_TRACE(row);
        rect = table->visualRect(table->model()->index(row, 0));
        EXPECT_EQ(rect.top() + bar->value(), top);
        EXPECT_EQ(rect.height(), MeetingMessageCell::rowHeight(list->msgDataArr().at(row), list->cellWidth(), false));
        EXPECT_EQ(table->indexAt(rect.topLeft()).row(), row);
        top += rect.height();
    }
    EXPECT_EQ(list->contentHeight(), top);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(rect.bottom() + 1, table->viewport()->height()) << "the last row ends the view";
    QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(table);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->childCount(), list->msgDataArr().size());
    const QPoint last = table->viewport()->mapToGlobal(rect.center());
    QAccessibleInterface *found = rows->childAt(last.x(), last.y());
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(found->text(QAccessible::Name).startsWith(QStringLiteral("李四：last")))
        << found->text(QAccessible::Name).toStdString();
    EXPECT_EQ(found->rect(), QRect(table->viewport()->mapToGlobal(rect.topLeft()), rect.size()));
}

// The floating chat's list stays hidden, at a width it is never shown at, until its panel opens:
// lines reaching it meanwhile are measured once, at the width it shows, and it opens at its end.
TEST(ChatOverlayTest, AHiddenFloatingListMeasuresItsLinesWhenShown_AndOpensAtItsEnd)
{
    QWidget window;
    window.resize(300, 200);
    auto *list = new IMDisplayView(&window);
    list->setFloatingState(true);
    list->hide();
    window.show();
    for (int i = 0; i < 20; ++i)
        list->addSingleMessage(chatLine(QStringLiteral("line %1").arg(i)));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(list->msgDataArr().first().displaySize.isEmpty());
    EXPECT_TRUE(list->msgDataArr().last().displaySize.isEmpty());

    list->setGeometry(window.rect());
    list->show();
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(list->msgDataArr().first().displaySize.size(), 1);
    const QScrollBar *bar = list->msgTable()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

} // namespace
