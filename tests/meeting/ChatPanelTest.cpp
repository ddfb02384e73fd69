// Chat in the meeting window against the stand-in: the inputs' typing rule, the own line shown once,
// forbidding and allowing for all, the permission commands by role, the overlay's growth.

#include "MeetingTestSupport.h"

#include "foundation/models/MeetingControlData.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/FloatingIMView.h"
#include "meeting/panels/IMDisplayView.h"
#include "uikit/VeskTextView.h"
#include "uikit/VeskToast.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QTest>

namespace {

// Keys as the keyboard sends them.
void type(QWidget *input, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(input, &press);
    }
}
void pressReturn(QWidget *input)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(input, &press);
}
void paste(VeskTextView *input, const QString &text)
{
    QApplication::clipboard()->setText(text);
    input->paste();
}

const QString kSwitchPath = QStringLiteral("/qf/meeting/control/123456789/switch/im");

class ChatPanelTest : public MeetingTest {
protected:
    // The control commands of one event the client sent on the channel.
    QList<QJsonObject> sentCommands(int event) const
    {
        QList<QJsonObject> out;
        for (const DevChannelMessage &m : service.channelMessages()) {
            const QJsonArray data = m.message.value("data").toArray();
            if (m.message.value("type").toInt() != 1 || data.isEmpty())
                continue;
            const QJsonObject command = QJsonDocument::fromJson(data.first().toString().toUtf8()).object();
            if (command.value("event").toInt() == event)
                out << command.value("data").toObject();
        }
        return out;
    }
    static int chatLines(IMDisplayView *list, const QString &text)
    {
        int n = 0;
        for (const MeetingMessageModel &line : list->msgDataArr())
            n += line.messageType == MeetingMessageModel::Chat && line.messageString == text ? 1 : 0;
        return n;
    }
    static MeetingControlData command(const QString &peer, int status, const QString &message = {})
    {
        MeetingControlData data;
        data.peerId = peer;
        data.switchStatus = status;
        data.imForbidMsg = message;
        return data;
    }
    int switchRequests() const { return int(requestCount(kSwitchPath)); }
};

TEST_F(ChatPanelTest, Typing_TrimmedLineSentAndShownOnce_BlanksBreakTheLine_FiftyAtMost)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    VeskTextView *input = page->ui->IMChatTextView;
    IMDisplayView *overlay = page->ui->IMView;

    type(input, QStringLiteral(" word "));
    pressReturn(input);
    EXPECT_TRUE(input->string().isEmpty());
    ASSERT_TRUE(processEventsUntil([&] {
        for (const DevChannelMessage &m : service.channelMessages())
            if (m.message.value("type").toInt() == 0 && m.message.value("data").toArray() == QJsonArray{"word"})
                return true;
        return false;
    }));
    settle();
    EXPECT_EQ(chatLines(overlay, QStringLiteral("word")), 1);
    EXPECT_EQ(chatLines(page->floatingIMDisplayView(), QStringLiteral("word")), 1);
    EXPECT_EQ(overlay->msgDataArr().last().userName, QStringLiteral("张三"));

    type(input, QStringLiteral("   "));
    pressReturn(input);
    EXPECT_EQ(input->string(), QStringLiteral("   \n"));

    input->setString(QString(50, QLatin1Char('a')));
    input->moveCursor(QTextCursor::End);
    type(input, QStringLiteral("b"));
    EXPECT_EQ(input->string(), QString(50, QLatin1Char('a')));
    EXPECT_EQ(tipText(page->view()), QStringLiteral("最多输入50个字符"));

    input->setString(QString());
    paste(input, QString(51, QLatin1Char('c')));
    EXPECT_TRUE(input->string().isEmpty());
    paste(input, QString(50, QLatin1Char('c')));
    EXPECT_EQ(input->string().size(), 50);

    // At the limit, all of it selected by the keyboard and typed over: the text becomes what was typed.
    input->setFocus();
    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(input->textCursor().selectedText().size(), 50);
    QTest::keyClicks(input, QStringLiteral("b"));
    EXPECT_EQ(input->string(), QStringLiteral("b"));
    // A pasted text over a selection likewise.
    input->setString(QString(50, QLatin1Char('a')));
    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    paste(input, QString(50, QLatin1Char('d')));
    EXPECT_EQ(input->string(), QString(50, QLatin1Char('d')));
}

TEST_F(ChatPanelTest, Participant_CommandsForAllForMeAndForAnother_AndTheRoomReapplied)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    VeskTextView *input = page->ui->IMChatTextView;
    FloatingIMView *floating = page->panels().panel<ChatPanel>().floatingIMView();
    ASSERT_FALSE(input->isReadOnly());

    page->handleAllowSendIMMessage(command(QStringLiteral("-1"), 0, QStringLiteral("主持人已开启全员禁言")));
    EXPECT_TRUE(input->isReadOnly());
    EXPECT_EQ(input->placeHolderString(), QStringLiteral("全员禁言中"));
    EXPECT_EQ(page->ui->IMChatEnableButton->state(), 1);
    EXPECT_TRUE(floating->chatTextFiled()->isReadOnly());
    EXPECT_TRUE(manager()->roomInfo()->imForbid);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("主持人已开启全员禁言"));

    page->handleAllowSendIMMessage(command(QStringLiteral("-1"), 1));
    EXPECT_FALSE(input->isReadOnly());
    EXPECT_EQ(input->placeHolderString(), QStringLiteral("请输入消息"));
    EXPECT_FALSE(floating->chatTextFiled()->isReadOnly());
    EXPECT_FALSE(manager()->roomInfo()->imForbid);

    page->handleAllowSendIMMessage(command(QStringLiteral("13900000009"), 0));
    EXPECT_FALSE(input->isReadOnly());

    page->handleAllowSendIMMessage(command(kMyPhone, 0));
    EXPECT_TRUE(input->isReadOnly());
    EXPECT_EQ(input->placeHolderString(), QStringLiteral("您已被禁言"));
    EXPECT_FALSE(manager()->roomInfo()->imForbid);

    // A participant's click on the switch only follows the room.
    manager()->roomInfo()->imAllowStatus = true;
    page->ui->IMChatEnableButton->click();
    EXPECT_EQ(page->ui->IMChatEnableButton->state(), 0);
    EXPECT_FALSE(input->isReadOnly());
    EXPECT_EQ(switchRequests(), 0);

    manager()->roomInfo()->imAllowStatus = false;
    page->needChangeImAllowDisplay();
    EXPECT_TRUE(input->isReadOnly());
    EXPECT_EQ(input->placeHolderString(), QStringLiteral("全员禁言中"));
    EXPECT_TRUE(floating->chatTextFiled()->isReadOnly());
}

TEST_F(ChatPanelTest, Host_ForbidAndAllowRequestToastAndCommand_FailurePutsTheSwitchBack)
{
    signIn(kHostPhone, QStringLiteral("主持人"));
    addRoom(kHostPhone);
    MeetingViewController *page = openShownPage();
    VeskButton *button = page->ui->IMChatEnableButton;
    ASSERT_EQ(button->state(), 0);

    // The screen reader's press does what a click does. While its answer is held back the switch
    // keeps the keyboard, and the next Space sends nothing (nor reaches the microphone after it).
    service.delayNextReply(kSwitchPath, 1000);
    button->setFocus(Qt::TabFocusReason);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(button->state(), 1);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kSwitchPath) == 1; }));
    EXPECT_EQ(QApplication::focusWidget(), button);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(button->state(), 1);
    EXPECT_EQ(QApplication::focusWidget(), button);
    clock.clock.advance(std::chrono::seconds(1));
    ASSERT_TRUE(processEventsUntil([&] { return sentCommands(10).size() == 1; }));
    EXPECT_EQ(requestCount(kSwitchPath), 1);
    EXPECT_EQ(service.state().room(kRoomId)->flags.value(QStringLiteral("imAllowStatus")).toInt(), 0);
    EXPECT_EQ(sentCommands(10).first().value("peerId"), "-1");
    EXPECT_EQ(sentCommands(10).first().value("switchStatus"), 0);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("已全员禁言"));

    // The host's own input stays editable when the command comes back.
    page->handleAllowSendIMMessage(command(QStringLiteral("-1"), 0));
    EXPECT_FALSE(page->ui->IMChatTextView->isReadOnly());
    page->needChangeImAllowDisplay();
    EXPECT_FALSE(page->ui->IMChatTextView->isReadOnly());

    service.failNextReply(kSwitchPath, DevService::fail(500, QStringLiteral("失败")));
    button->click();
    EXPECT_EQ(button->state(), 0);
    ASSERT_TRUE(processEventsUntil([&] { return button->state() == 1; })) << "a failed allow leaves chat forbidden";
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(sentCommands(10).size(), 1);

    button->click();
    ASSERT_TRUE(processEventsUntil([&] { return sentCommands(10).size() == 2; }));
    EXPECT_EQ(sentCommands(10).last().value("switchStatus"), 1);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("已解除全员禁言"));
}

TEST_F(ChatPanelTest, Overlay_GrowsWithItsLinesUpToItsCapThenScrolls)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    IMDisplayView *overlay = page->ui->IMView;
    const int cap = int(std::lround(300 * page->adjustScale()));
    MeetingMessageModel line;
    line.messageType = MeetingMessageModel::Chat;
    line.userName = QStringLiteral("李四");
    line.messageString = QStringLiteral("<b>不是标记</b>");
    double previous = overlay->selfHeight()->constant();
    page->addSingleMessage(line);
    settle();
    EXPECT_GT(overlay->selfHeight()->constant(), previous);
    EXPECT_EQ(overlay->msgTable()->model()->index(int(overlay->msgDataArr().size()) - 1, 0).data().toString(),
              QStringLiteral("李四：<b>不是标记</b>  "));
    for (int i = 0; i < 30; ++i)
        page->addSingleMessage(line);
    settle();
    EXPECT_EQ(overlay->selfHeight()->constant(), cap); // no name bar in the way with one tile
    QScrollBar *bar = overlay->msgTable()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the last line is in view";
    // The keyboard reaches the lines and scrolls them.
    page->view()->window()->activateWindow();
    for (int i = 0; i < 100 && QApplication::focusWidget() != overlay->msgTable(); ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : page->view()->window(),
                        Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), overlay->msgTable());
    QTest::keyClick(overlay->msgTable(), Qt::Key_Up);
    EXPECT_LT(bar->value(), bar->maximum());
    QTest::keyClick(overlay->msgTable(), Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(overlay->msgTable(), Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(page->view()->grab().save(
        QDir::home().filePath(QStringLiteral("korvi-chat-overlay.png")))); // the run's own folder
}

} // namespace
