// The whole client against the stand-in with names, meetings and replies carrying markup: the
// login, home and meeting windows (with a tip, a toast and an alert open) show every one as text,
// no label or tool tip would interpret one, and nothing a name points at is read.

#include "support/HostileText.h"
#include "ShellTestSupport.h"
#include "foundation/StringHelpers.h"

#include "agent/engine/FakeEngine.h"
#include "connection/IMMessage.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "shell/LoginViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/TodayMeetingCell.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

namespace {

class HostileTextTest : public ShellTest {
protected:
    // Paints every window (laying every text out, so markup would load its images now) and
    // reports what the checker finds.
    static QStringList paintAndCheck()
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible())
                (void)top->grab();
        }
        return KVDataText::markupHazards(QApplication::topLevelWidgets());
    }

    static bool showsAsText(QWidget *root, const QString &text)
    {
        QList<QLabel *> labels = root->findChildren<QLabel *>();
        if (auto *self = qobject_cast<QLabel *>(root))
            labels.prepend(self);
        for (const QLabel *l : labels) {
            if (l->text() == text && l->textFormat() == Qt::PlainText)
                return true;
        }
        return false;
    }

    // A control message from the service as the channel delivers it.
    static IMMessage command(qint64 event, const QString &message)
    {
        IMMessage m;
        m.type = 1;
        m.msgId = 7;
        m.sid = QStringLiteral("sid-7");
        m.sender = kHostPhone;
        m.senderName = QStringLiteral("主持人");
        m.data = QStringList{QString::fromUtf8(
            QJsonDocument(QJsonObject{{"event", event}, {"data", QJsonObject()}, {"message", message}})
                .toJson(QJsonDocument::Compact))};
        return m;
    }
};

TEST_F(HostileTextTest, LoginHomeAndMeetingWindows_ShowDataAsText_WithATipAToastAndAnAlertOpen)
{
    DiskProbe probe;
    ASSERT_TRUE(probe.isValid());
    const QStringList names = hostileNames(probe);
    const QString longName = names.last();

    // ---- Login: the service's refusal of a code request, as a toast.
    windows()->showLoginPage();
    ASSERT_TRUE(processEventsUntil([] { return MacWindowsManager::sharedManager()->loginViewController(); }));
    LoginViewController *login = windows()->loginViewController();
    ASSERT_NE(login, nullptr);
    service.failNextReply(QStringLiteral("/qf/user/sendSmsCode"), DevService::fail(500, names[1]));
    login->phoneField()->setStringValue(kMyPhone);
    login->codeButton()->click();
    ASSERT_TRUE(waitForToast(names[1]));
    EXPECT_TRUE(showsAsText(VeskToast::currentToast(), names[1]));
    EXPECT_EQ(paintAndCheck(), QStringList());

    // ---- Home: the user's name in the header, today's meeting in the list, a refusal toast and
    // the cancel alert naming the meeting.
    VeskToast::dismissToast();
    storeSignedInUser(kMyPhone, names[3]);
    installMeetingManager();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    DevScheduledMeeting scheduled;
    scheduled.roomId = QStringLiteral("800000001");
    scheduled.ownerUserId = kMyPhone;
    scheduled.fields = {{"roomId", scheduled.roomId},
                        {"roomName", names[2]},
                        {"beginTime", today + QStringLiteral(" 23:00")},
                        {"endTime", today + QStringLiteral(" 23:30")},
                        {"duration", 30},
                        {"status", 0},
                        {"isCycle", 1},
                        {"cycleType", 1}};
    service.state().scheduled.insert(scheduled.roomId, scheduled);
    windows()->showMainPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    MainPageViewController *page = windows()->mainPageViewController();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return !page->view()->findChildren<TodayMeetingCell *>().isEmpty(); }));
    EXPECT_TRUE(showsAsText(windows()->mainWindowViewController()->userNameLabel(), names[3]));
    EXPECT_TRUE(showsAsText(page->view()->findChildren<TodayMeetingCell *>().first(), names[2]));
    page->cancelMeeting(page->todayMeetings().first());
    KVAlert *cancelAlert = waitForAlert(QStringLiteral("cancelMeetingAlert"));
    ASSERT_NE(cancelAlert, nullptr);
    EXPECT_TRUE(cancelAlert->message().contains(names[2]));
    EXPECT_TRUE(showsAsText(cancelAlert, cancelAlert->message()));
    service.failNextReply(QStringLiteral("/qf/meeting/room/enter"), DevService::fail(500, names[4]));
    page->meetingIdField()->setStringValue(QStringLiteral("123456789"));
    page->joinButton()->click();
    ASSERT_TRUE(waitForToast(names[4]));
    EXPECT_TRUE(showsAsText(VeskToast::currentToast(), names[4]));
    EXPECT_EQ(paintAndCheck(), QStringList());
    cancelAlert->cancelButton()->click();
    VeskToast::dismissToast();

    // ---- Meeting: its name in the title, members' names on tiles, the service's words in a
    // toast, a tip, and the room-closed alert with the service's reason.
    addRoom(QStringLiteral("123456789"), longName);
    page->meetingIdField()->setStringValue(QStringLiteral("123456789"));
    page->joinButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    MeetingViewController *meeting = windows()->meetingPage();
    ASSERT_NE(meeting, nullptr);
    ASSERT_TRUE(processEventsUntil(
        [] { return VeskAppAgent::sharedInstance()->meetingManager()->state() == VeskMeetingManager::StateInRoom; }));
    for (int i = 0; i < names.size(); ++i)
        engines.engine()->emitMemberJoined(QStringLiteral("peer-%1").arg(i), names[i]);
    QStringList shownNames;
    ASSERT_TRUE(processEventsUntil([&] {
        shownNames.clear();
        for (const MeetingActiveView *tile : meeting->view()->findChildren<MeetingActiveView *>()) {
            if (tile->nameLabel()->textFormat() == Qt::PlainText)
                shownNames << tile->nameLabel()->text();
        }
        // Names as written, cut where they enter the tile (no real name is that long).
        return std::all_of(names.begin(), names.end(), [&](const QString &n) {
            return shownNames.contains(DataText::bounded(n, DataText::kNameLength));
        });
    })) << shownNames.join(QStringLiteral(" | ")).left(300).toStdString();
    EXPECT_EQ(meeting->ui->titleLabel->text(),
              DataText::bounded(longName, DataText::kNameLength) + QStringLiteral("(123-456-789)"));
    EXPECT_EQ(meeting->ui->titleLabel->textFormat(), Qt::PlainText);
    // The name cannot push the window wider than the screen.
    EXPECT_LT(meeting->view()->window()->minimumSizeHint().width(), 2000);

    meeting->receiveMessage(command(203, names[0]));
    ASSERT_TRUE(waitForToast(names[0]));
    EXPECT_TRUE(showsAsText(VeskToast::currentToast(), names[0]));
    meeting->ui->meetingIdCopyBtn->click();
    ASSERT_NE(VeskMeetingToast::currentTip(meeting->view()), nullptr);
    meeting->onRoomClosed(names[1]);
    KVAlert *closed = waitForAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(closed, nullptr);
    EXPECT_TRUE(showsAsText(closed, names[1]));
    EXPECT_EQ(paintAndCheck(), QStringList());

    EXPECT_FALSE(probe.wasRead());
}

} // namespace
