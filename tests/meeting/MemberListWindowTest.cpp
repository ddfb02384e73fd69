// The member list in the meeting window: opening and closing it from the tool bar, and a host's
// waiting room and mute-all against the stand-in with a simulated participant.

#include "MeetingTestSupport.h"

#include "foundation/RXEncrypt.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/MeetingRowCell.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/panels/MemberMoreActionView.h"
#include "meeting/panels/MemberTableView.h"
#include "routes/EngineRoutes.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"

#include <QCloseEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QScreen>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

class MemberListWindowTest : public MeetingTest {
protected:
    MeetingViewController *joinAsHost()
    {
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom();
        return openJoinedPage();
    }

    // The control types the service received from me, in order.
    QList<int> controlTypesSent() const
    {
        QList<int> out;
        for (const DevChannelMessage &m : service.channelMessages()) {
            if (m.message.value(QStringLiteral("type")).toInt() != 1)
                continue;
            const QJsonArray data = m.message.value(QStringLiteral("data")).toArray();
            const QJsonObject command = QJsonDocument::fromJson(data.at(0).toString().toUtf8()).object();
            out << command.value(QStringLiteral("event")).toInt();
        }
        return out;
    }
};

TEST_F(MemberListWindowTest, ShowOrHideMember_OpensBesideTheWindowAndCloses)
{
    MeetingViewController *page = joinAsHost();
    MemberListViewController *list = page->memberListViewController();
    ASSERT_TRUE(list);
    // Made for the waiting room, not shown.
    EXPECT_FALSE(page->panels().state().memberWindow->window()->isVisible());
    page->ui->memberBtnRedDot->show();

    page->ui->memberListBtn->click();
    processEventsFor(5);
    QWidget *memberWindow = page->panels().state().memberWindow->window();
    EXPECT_TRUE(memberWindow->isVisible());
    EXPECT_TRUE(page->panels().state().isMemberListShow);
    EXPECT_TRUE(page->ui->memberBtnRedDot->isHidden());
    EXPECT_EQ(page->ui->memberListBtn->state(), 1);
    EXPECT_EQ(memberWindow->width(), 342);
    // Beside the meeting window, top to top, inside the screen.
    const QRect main = page->view()->window()->frameGeometry();
    const QRect area = memberWindow->screen()->availableGeometry();
    const QRect placed = memberWindow->frameGeometry();
    EXPECT_EQ(placed.top(), main.top());
    EXPECT_TRUE(placed.left() == main.right() + 1 || placed.right() == std::min(main.right(), area.right()))
        << placed.left() << " " << placed.right() << " " << main.right() << " " << area.right();

    page->ui->memberListBtn->click();
    processEventsFor(5);
    EXPECT_FALSE(memberWindow->isVisible());
    EXPECT_FALSE(page->panels().state().isMemberListShow);

    // Opened from the share tool bar: beside that bar, 118 lower than its top.
    page->showOrHideMember(nullptr);
    processEventsFor(5);
    EXPECT_TRUE(memberWindow->isVisible());
    EXPECT_EQ(memberWindow->frameGeometry().top(),
              KVWindowPlacement::keptInside(QRect(QPoint(0, main.top() + 118), placed.size()), area).top());
    page->ui->memberListBtn->setState(0);
    page->showOrHideMember(page->ui->memberListBtn);
    processEventsFor(5);
    EXPECT_FALSE(memberWindow->isVisible());

    // Its own close button tells the window.
    page->ui->memberListBtn->click();
    processEventsFor(5);
    list->closeButton()->click();
    processEventsFor(5);
    EXPECT_FALSE(memberWindow->isVisible());
    EXPECT_EQ(page->ui->memberListBtn->state(), 0);
    EXPECT_FALSE(page->panels().state().isMemberListShow);
}

// The window manager closes the list's window (Alt+F4, a title bar's close): the list is closed as its own button
// closes it. The member button goes off, the next click on it opens the list, and a new arrival in the waiting room
// shows the red dot and is told to a screen reader.
TEST_F(MemberListWindowTest, ClosedByTheWindowManager_TheButtonGoesOff_TheNextClickOpens_AnArrivalShowsTheDot)
{
    MeetingViewController *page = joinAsHost();
    page->view()->window()->show();
    clickAt(page->ui->memberListBtn);
    processEventsFor(5);
    QWidget *memberWindow = page->panels().state().memberWindow->window();
    ASSERT_TRUE(memberWindow->isVisible());
    ASSERT_EQ(page->ui->memberListBtn->state(), 1);

    // What the platform hands the window when the window manager asks it to close.
    QCloseEvent close;
    QCoreApplication::sendEvent(memberWindow->windowHandle(), &close);
    processEventsFor(5);
    EXPECT_FALSE(memberWindow->isVisible());
    EXPECT_EQ(page->ui->memberListBtn->state(), 0);
    EXPECT_FALSE(page->panels().state().isMemberListShow);

    EngineSimPeer peer;
    peer.userName = QStringLiteral("王五");
    EngineRoutes::addSimulatedWaiting(service, kRoomId, peer);
    ASSERT_TRUE(processEventsUntil([&] { return !page->ui->memberBtnRedDot->isHidden(); }));
    EXPECT_TRUE(AccessibilityWalk::nameOf(page->ui->memberListBtn).endsWith(QStringLiteral("有人等候")))
        << AccessibilityWalk::nameOf(page->ui->memberListBtn).toStdString();

    clickAt(page->ui->memberListBtn);
    processEventsFor(5);
    EXPECT_TRUE(memberWindow->isVisible());
    EXPECT_EQ(page->ui->memberListBtn->state(), 1);
    EXPECT_TRUE(page->panels().state().isMemberListShow);
    EXPECT_TRUE(page->ui->memberBtnRedDot->isHidden());
}

TEST_F(MemberListWindowTest, EndToEnd_WaitingRoomAdmitAllAndMuteAll)
{
    MeetingViewController *page = joinAsHost();
    MemberListViewController *list = page->memberListViewController();
    EngineSimPeer peer;
    peer.userName = QStringLiteral("王五");
    const QString waitingId = EngineRoutes::addSimulatedWaiting(service, kRoomId, peer);
    ASSERT_TRUE(processEventsUntil([&] { return list->waitingRoomArray().size() == 1; }));
    EXPECT_FALSE(list->isMembersTableView());
    EXPECT_FALSE(list->buttonBKView()->isHidden());
    ASSERT_TRUE(processEventsUntil([&] {
        const DevRoom *room = service.state().room(kRoomId);
        return room && !room->waiting.isEmpty() && room->waiting.first().extra.value(QStringLiteral("read")).toBool();
    }));

    ASSERT_EQ(list->leftButton()->title(), QStringLiteral("全部准入"));
    list->leftButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return list->isMembersTableView() && list->waitingRoomArray().isEmpty(); }));
    EXPECT_TRUE(list->buttonBKView()->isHidden());
    EXPECT_TRUE(service.state().room(kRoomId)->member(waitingId));

    // Somebody speaks; the host mutes everybody.
    const QString speaker = QStringLiteral("赵六");
    engine().emitMemberJoined(QStringLiteral("13700000006"), speaker);
    engine().emitStreamPublished(QStringLiteral("13700000006"), KRTCSourceType::Camera, true, false);
    ASSERT_TRUE(processEventsUntil([&] {
        for (const MemberRow &row : list->membersArray()) {
            if (row->userName == speaker && row->audioFlag)
                return true;
        }
        return false;
    }));
    ASSERT_EQ(list->leftButton()->title(), QStringLiteral("全员闭麦"));
    list->leftButton()->click();
    KVAlert *alert = nullptr;
    ASSERT_TRUE(processEventsUntil([&] { return (alert = visibleAlert(QStringLiteral("muteAllAlert"))) != nullptr; }));
    alert->confirmButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return controlTypesSent().size() >= 2; }));
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/control/%1/switch/mic").arg(kRoomId)), 1);
    EXPECT_EQ(controlTypesSent(), (QList<int>{1, 9}));
}

// Answers that come late or fail: the host's list asks the service again rather than keep a guess.
// The grant is answered only after the client gave up, while every ask for the hosts its notice
// starts fails; then a grant is answered but the list fails once. Both assistants are known each
// time, so 张三's menu offers 取消助理主持 and a third grant is refused before any request.
TEST_F(MemberListWindowTest, LateOrFailedAnswers_TheAssistantHostsFollowTheService)
{
    MeetingViewController *page = joinAsHost();
    MemberListViewController *list = page->memberListViewController();
    const QString assistantPath = QStringLiteral("/qf/meeting/control/%1/setRoomAssistant").arg(kRoomId);
    const QString hostInfoPath = QStringLiteral("/qf/meeting/room/hostInfo");
    const QStringList phones{QStringLiteral("13700000005"), QStringLiteral("13700000006"),
                             QStringLiteral("13700000007")};
    const QStringList names{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五")};
    for (int i = 0; i < phones.size(); ++i) {
        service.state().room(kRoomId)->members.append(DevMember{phones[i], names[i], phones[i]});
        engine().emitMemberJoined(phones[i], names[i]);
    }
    ASSERT_TRUE(processEventsUntil([&] { return list->membersArray().size() == 4; }));
    page->ui->memberListBtn->click();
    ASSERT_TRUE(settleRequests());
    settle();
    const auto rowOf = [&](const QString &name) -> MeetingRowCell * {
        for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
            if (list->membersDisplayArray().at(i)->userName == name)
                return qobject_cast<MeetingRowCell *>(list->tableView()->rowViewAtRow(i));
        }
        return nullptr;
    };
    // The member's menu by the keyboard, and its first entry (设为助理主持 or 取消助理主持).
    const auto menuOf = [&](const QString &name) {
        MeetingRowCell *row = rowOf(name);
        EXPECT_NE(row, nullptr) << name.toStdString();
        if (row)
            QTest::keyClick(row->cameraButton(), Qt::Key_F10, Qt::ShiftModifier);
        processEventsFor(5);
        return list->moreActionView()->assistantLabel();
    };
    const auto tick = [&](std::chrono::seconds span) {
        for (auto s = 0s; s < span; ++s) {
            clock.clock.advance(1s);
            processEventsFor(5);
        }
    };
    const auto known = [&] {
        QStringList plain;
        for (const QString &id : manager()->asssitantRecordArray())
            plain << RXEncrypt::aes128ecbDecrypt(id);
        return plain;
    };

    service.delayNextReply(assistantPath, -1);
    for (int i = 0; i < 3; ++i)
        service.failNextReply(hostInfoPath, DevService::fail(500, QStringLiteral("忙")));
    QTest::keyClick(menuOf(names[0]), Qt::Key_Space);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(assistantPath) == 1; }));
    tick(20s);
    ASSERT_TRUE(processEventsUntil([&] { return known() == QStringList{phones[0]}; }));
    settle();
    EXPECT_EQ(menuOf(names[0])->title(), QStringLiteral("取消助理主持"));
    QTest::keyClick(list->moreActionView(), Qt::Key_Escape);

    service.failNextReply(hostInfoPath, DevService::fail(500, QStringLiteral("忙")));
    const int asked = requestCount(hostInfoPath);
    QTest::keyClick(menuOf(names[1]), Qt::Key_Space);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(hostInfoPath) == asked + 1; }));
    // Its refusal handled first: the retry's timer starts from there, and the clock then passes it.
    ASSERT_TRUE(settleRequests());
    tick(3s);
    ASSERT_TRUE(processEventsUntil([&] { return known().size() == 2; }));
    EXPECT_TRUE(known().contains(phones[1]));

    const int grants = requestCount(assistantPath);
    QTest::keyClick(menuOf(names[2]), Qt::Key_Space);
    EXPECT_EQ(toastText(), QStringLiteral("最多可设置2人为助理主持"));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(assistantPath), grants);
}

} // namespace
