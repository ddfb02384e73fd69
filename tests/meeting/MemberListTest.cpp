// The member list against the stand-in service: rows and their requests, the host's actions and
// the control messages that follow them, the host "more" panel and the waiting room.

#include "MeetingTestSupport.h"

#include "connection/HttpManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "meeting/panels/MeetingRowCell.h"
#include "meeting/panels/MemberControlMessages.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/panels/MemberMoreActionView.h"
#include "meeting/panels/MemberMorePanelView.h"
#include "meeting/panels/MemberTableView.h"
#include "meeting/panels/WaitingMeetingRowCell.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMemberAlert.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

using Message = MemberControlMessages::Message;

const QString kPeerPhone = QStringLiteral("13700000001");
const QString kOtherPhone = QStringLiteral("13700000002");

QString controlPath(const QString &action)
{
    return QStringLiteral("/qf/meeting/control/%1/%2").arg(kRoomId, action);
}

std::shared_ptr<MeetingMemberModel> member(const QString &phone, const QString &name, bool audio = false,
                                           bool video = false)
{
    VeskUserModel user;
    user.userId = phone;
    user.phoneNumber = phone;
    user.userName = name;
    auto m = std::make_shared<MeetingMemberModel>(user);
    m->setAudioFlag(audio);
    m->setVideoFlag(video);
    return m;
}

class MemberListTest : public MeetingTest {
protected:
    void SetUp() override
    {
        MeetingTest::SetUp();
        sink = std::make_unique<MemberControlMessages::SinkScope>([this](const Message &m) { sent << m; });
    }

    void TearDown() override
    {
        delete list.data();
        sink.reset();
        MeetingTest::TearDown();
    }

    // In the room as its host (or as a member), with the list shown.
    void join(bool host = true)
    {
        if (host)
            signIn(kHostPhone, QStringLiteral("主持人"));
        else
            signIn();
        addRoom();
        ASSERT_EQ(enterRoom(), 0);
        list = new MemberListViewController();
        list->view()->resize(342, 900);
        list->view()->show();
        manager()->setWaitMemberDelegate(list, list);
    }

    void roster(bool peerAudio = true, bool peerVideo = true)
    {
        const QString me = VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
        list->updateMembers({member(kPeerPhone, QStringLiteral("张三"), peerAudio, peerVideo),
                             member(me, QStringLiteral("我自己"), true, true),
                             member(kOtherPhone, QStringLiteral("李四"))});
        processEventsFor(5);
    }

    MeetingRowCell *row(int index) const
    {
        return qobject_cast<MeetingRowCell *>(list->tableView()->rowViewAtRow(index));
    }
    // The row of the member with that phone number.
    MeetingRowCell *rowOf(const QString &phone) const
    {
        for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
            if (list->membersDisplayArray().at(i)->phoneNumber == phone)
                return row(i);
        }
        return nullptr;
    }

    // Confirms the alert of that name, ticking its box first when asked.
    void confirm(const QString &alertName, bool tick = false)
    {
        KVAlert *alert = nullptr;
        ASSERT_TRUE(processEventsUntil([&] { return (alert = visibleAlert(alertName)) != nullptr; }))
            << alertName.toStdString();
        KVMemberAlertView *view = KVMemberAlert::viewOf(alert);
        if (tick)
            view->checkButton()->click();
        view->confirmButton()->click();
    }

    // The count-th request of that action was answered and its answer handled.
    bool replied(const QString &action, int count = 1)
    {
        const bool answered = processEventsUntil([&] {
            return requestCount(controlPath(action)) >= count &&
                   VeskAppAgent::sharedInstance()->http()->pendingRequestCount() == 0;
        });
        processEventsFor(10);
        return answered;
    }

    static QStringList targets(const DevRequest &r) { return r.param(QStringLiteral("target")).toStringList(); }

    QList<qint64> types() const
    {
        QList<qint64> out;
        for (const Message &m : sent)
            out << m.type;
        return out;
    }

    // The row showing that member (or waiting person) now, or nullptr.
    MeetingRowCell *rowShowing(const QString &name) const
    {
        for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
            if (list->membersDisplayArray().at(i)->userName == name)
                return row(i);
        }
        return nullptr;
    }
    WaitingMeetingRowCell *waitingRowShowing(const QString &name) const
    {
        for (int i = 0; i < list->waitingRoomArray().size(); ++i) {
            if (list->waitingRoomArray().at(i).userName == name)
                return qobject_cast<WaitingMeetingRowCell *>(list->tableView()->rowViewAtRow(i));
        }
        return nullptr;
    }
    // Where the keyboard is: "赵六 cameraButton" in a row, else the control's name.
    static std::string focusedPlace()
    {
        QWidget *focus = QApplication::focusWidget();
        QString place = focus ? focus->objectName() : QStringLiteral("nothing");
        for (QWidget *w = focus; w; w = w->parentWidget()) {
            if (auto *cell = qobject_cast<MeetingRowCell *>(w))
                place = cell->model()->userName + QLatin1Char(' ') + focus->objectName();
            if (auto *cell = qobject_cast<WaitingMeetingRowCell *>(w))
                place = cell->model().userName + QLatin1Char(' ') + focus->objectName();
        }
        return place.toStdString();
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        processEventsFor(5);
    }

    QPointer<MemberListViewController> list;
    QList<Message> sent;
    std::unique_ptr<MemberControlMessages::SinkScope> sink;
};

TEST_F(MemberListTest, Roster_OrderTitlesAndBarsByRole)
{
    join();
    roster();
    ASSERT_EQ(list->membersDisplayArray().size(), 3);
    EXPECT_EQ(list->membersDisplayArray().at(0)->phoneNumber, kHostPhone);
    EXPECT_EQ(list->memberTitleLabel()->text(), QStringLiteral("成员管理(3)"));
    EXPECT_EQ(list->meetingButton()->title(), QStringLiteral("已入会(3)"));
    EXPECT_TRUE(list->buttonBKView()->isHidden());
    EXPECT_EQ(list->bottomViewHeight()->constant(), 60);
    EXPECT_EQ(row(0)->nameLabel()->fullText(), QStringLiteral("我自己（我,主持人）"));
    EXPECT_FALSE(row(1)->shareButton()->isHidden());

    // Searching: the title keeps all members, the tab counts the matches.
    list->searchTextField()->setText(QStringLiteral("zs"));
    ASSERT_EQ(list->membersDisplayArray().size(), 1);
    EXPECT_EQ(list->membersDisplayArray().at(0)->userName, QStringLiteral("张三"));
    EXPECT_EQ(list->meetingButton()->title(), QStringLiteral("已入会(1)"));
    EXPECT_EQ(list->memberTitleLabel()->text(), QStringLiteral("成员管理(3)"));
    list->searchTextField()->setText(QStringLiteral("zhang"));
    EXPECT_EQ(list->membersDisplayArray().size(), 1);
    // Nothing found in the joined tab: told so, whatever the waiting tab holds.
    list->searchTextField()->setText(QStringLiteral("wang"));
    list->controlTextDidEndEditing();
    EXPECT_EQ(toastText(), QStringLiteral("该用户不存在"));
    VeskToast::dismissToast();
    list->searchTextField()->setText(QStringLiteral("li"));
    list->controlTextDidEndEditing();
    EXPECT_EQ(toastText(), QString());
    list->searchTextField()->clear();
    EXPECT_EQ(list->membersDisplayArray().size(), 3);
}

TEST_F(MemberListTest, Roster_AMemberSeesNoHostControls)
{
    join(false);
    roster();
    EXPECT_EQ(list->bottomViewHeight()->constant(), 0);
    EXPECT_TRUE(list->bottomView()->isHidden());
    MeetingRowCell *peer = rowOf(kPeerPhone);
    ASSERT_TRUE(peer);
    EXPECT_TRUE(peer->shareButton()->isHidden());
    peer->mouseEntered();
    EXPECT_FALSE(peer->isHovering());
    peer->microButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(controlPath(QStringLiteral("switch/mic"))), 0);
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(MemberListTest, Row_MicrophoneClosesAsksAndShowsTheRealStateOnFailure)
{
    join();
    roster();
    MeetingRowCell *peer = rowOf(kPeerPhone);
    ASSERT_TRUE(peer);

    service.failNextReply(controlPath(QStringLiteral("switch/mic")), DevService::fail(500, QStringLiteral("忙")));
    peer->microButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/mic")));
    EXPECT_EQ(peer->microButton()->iconState(), 1);
    EXPECT_TRUE(sent.isEmpty());
    // A screen reader hears on or off, as for the camera.
    const auto micState = [&] { return QAccessible::queryAccessibleInterface(peer->microButton())->state(); };
    EXPECT_TRUE(micState().checkable && micState().checked);

    peer->microButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/mic"), 2));
    const DevRequest req = service.requestsFor(controlPath(QStringLiteral("switch/mic"))).last();
    EXPECT_EQ(targets(req), QStringList{RXEncrypt::aes128ecbEncrypt(kPeerPhone)});
    EXPECT_EQ(req.param(QStringLiteral("act")).toInt(), 0);
    EXPECT_EQ(peer->microButton()->iconState(), 0);
    EXPECT_TRUE(micState().checkable && !micState().checked);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], MemberControlMessages::micControl(kPeerPhone, true));

    // A member whose microphone is off is asked to open it: no request.
    MeetingRowCell *other = rowOf(kOtherPhone);
    other->microButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(controlPath(QStringLiteral("switch/mic"))), 2);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[1], MemberControlMessages::micControl(kOtherPhone, false));

    // My own row sends nothing.
    rowOf(kHostPhone)->microButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(sent.size(), 2);
    EXPECT_EQ(rowOf(kHostPhone)->microButton()->iconState(), 1);
}

TEST_F(MemberListTest, Row_CameraAndShareRequests)
{
    join();
    roster();
    MeetingRowCell *peer = rowOf(kPeerPhone);
    service.failNextReply(controlPath(QStringLiteral("switch/cam")), DevService::fail(500, QStringLiteral("忙")));
    peer->cameraButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/cam")));
    EXPECT_TRUE(sent.isEmpty());
    peer->cameraButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/cam"), 2));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], MemberControlMessages::cameraControl(kPeerPhone, true));
    // A camera already off: nothing.
    rowOf(kOtherPhone)->cameraButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(controlPath(QStringLiteral("switch/cam"))), 2);

    int announced = 0;
    NotificationCenter::defaultCenter().addObserver(list, QStringLiteral("MemeberSharePermissionChange"),
                                                    [&](const Notification &) { ++announced; });
    const MemberRow peerRow = peer->model();
    peer->shareButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return announced == 1; }));
    EXPECT_TRUE(peerRow->allowSharePermissionFlag);
    EXPECT_EQ(manager()->roomInfo()->sharePermission, 1);
    // The request asks for the right the member does not have yet: 1 to grant, then 0 to take.
    const QString sharePath = QStringLiteral("/qf/client/setSharePermission");
    const auto shareEntry = [&] {
        return service.requestsFor(sharePath).last().param(QStringLiteral("allowShareList")).toList().value(0).toMap();
    };
    EXPECT_EQ(shareEntry().value(QStringLiteral("allowShareStatus")).toInt(), 1);
    EXPECT_EQ(shareEntry().value(QStringLiteral("userId")).toString(), RXEncrypt::aes128ecbEncrypt(kPeerPhone));
    peer->shareButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return announced == 2; }));
    EXPECT_FALSE(peerRow->allowSharePermissionFlag);
    ASSERT_EQ(requestCount(sharePath), 2);
    EXPECT_EQ(shareEntry().value(QStringLiteral("allowShareStatus")).toInt(), 0);
}

TEST_F(MemberListTest, Row_MoreMenuOpensClosesAndMovesBetweenRows)
{
    join();
    roster();
    MeetingRowCell *peer = rowOf(kPeerPhone);
    MeetingRowCell *other = rowOf(kOtherPhone);
    MemberMoreActionView *menu = list->moreActionView();
    peer->mouseEntered();
    EXPECT_TRUE(peer->isHovering());
    peer->moreButton()->click();
    EXPECT_TRUE(peer->model()->isExpand);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->size(), QSize(124, 110));
    // Leaving the row keeps the open menu.
    peer->mouseExited();
    EXPECT_TRUE(peer->isHovering());
    peer->moreButton()->click();
    EXPECT_FALSE(peer->model()->isExpand);
    EXPECT_FALSE(menu->isVisible());

    peer->moreButton()->click();
    other->mouseEntered();
    other->moreButton()->click();
    EXPECT_FALSE(peer->model()->isExpand);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->model(), other->model());
    // An update keeps the open menu's row expanded.
    roster();
    EXPECT_TRUE(list->membersArray().at(2)->phoneNumber == kOtherPhone && list->membersArray().at(2)->isExpand);
}

// The host's menu belongs to the member whose row opened it: when a member above leaves and another comes, it moves
// with its member's row; when a search hides the member, it closes. An entry acts on the member it was opened for.
// The pointer and the keys are real input events.
TEST_F(MemberListTest, Row_MoreMenuFollowsItsMemberThroughADepartureAndASearch)
{
    join();
    const QString me = VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
    // Peer ids as the engine makes them: the phone numbers encrypted.
    const auto peer = [](const char *phone, const char *name) {
        VeskUserModel user;
        user.userId = QString::fromLatin1(phone);
        user.phoneNumber = RXEncrypt::aes128ecbEncrypt(QString::fromLatin1(phone));
        user.userName = QString::fromUtf8(name);
        return std::make_shared<MeetingMemberModel>(user);
    };
    const auto host = peer(me.toLatin1().constData(), "主持人");
    const auto jia = peer("13700000011", "甲");
    const auto yi = peer("13700000012", "乙");
    const auto zhao = peer("13700000013", "赵六");
    const auto u1 = peer("13700000014", "用户0001");
    const auto u2 = peer("13700000015", "用户0002");
    const auto newcomer = peer("13700000016", "新来的");
    list->updateMembers({host, jia, yi, zhao, u1, u2});
    processEventsFor(5);
    MemberMoreActionView *menu = list->moreActionView();
    const QString assistantPath = controlPath(QStringLiteral("setRoomAssistant"));

    // The member's menu opened from his row by the keyboard (Shift+F10, as its more button does).
    const auto openMenuOf = [&](const QString &name) -> MeetingRowCell * {
        MeetingRowCell *cell = nullptr;
        for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
            if (list->membersDisplayArray().at(i)->userName == name)
                cell = row(i);
        }
        if (!cell)
            return nullptr;
        QTest::keyClick(cell->cameraButton(), Qt::Key_F10, Qt::ShiftModifier);
        processEventsFor(2);
        return cell;
    };
    // Where the menu hangs, against the row now showing that member.
    const auto menuOffset = [&](const QString &name) {
        for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
            if (list->membersDisplayArray().at(i)->userName == name)
                return menu->y() - list->tableView()->rowViewAtRow(i)->y();
        }
        return -1;
    };
    const auto requestedFor = [&](int at) {
        const DevRequest req = service.requestsFor(assistantPath).at(at);
        return std::make_pair(req.param(QStringLiteral("targets")).toStringList(),
                              req.param(QStringLiteral("assistant")).toBool());
    };

    // A member above leaves and a newcomer arrives: the menu moves up with 赵六's row.
    ASSERT_NE(openMenuOf(QStringLiteral("赵六")), nullptr);
    ASSERT_TRUE(menu->isVisible());
    const int offset = menuOffset(QStringLiteral("赵六"));
    pointerTo(list->view(), QPoint(list->view()->width() / 2, list->view()->height() - 5));
    list->updateMembers({host, jia, zhao, u1, u2, newcomer});
    processEventsFor(5);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->model()->userName, QStringLiteral("赵六"));
    EXPECT_EQ(menuOffset(QStringLiteral("赵六")), offset);
    // His row keeps the look of a row whose menu is open: the more button beside a narrower name.
    MeetingRowCell *zhaoRow = nullptr;
    for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
        if (list->membersDisplayArray().at(i)->userName == QStringLiteral("赵六"))
            zhaoRow = row(i);
    }
    ASSERT_NE(zhaoRow, nullptr);
    EXPECT_TRUE(zhaoRow->moreButton()->isVisible());
    EXPECT_EQ(zhaoRow->nameLabelWidthConstraint()->constant(), MemberListRules::nameWidth(false, true));
    clickAt(menu->assistantLabel());
    ASSERT_TRUE(replied(QStringLiteral("setRoomAssistant")));
    EXPECT_EQ(requestedFor(0),
              std::make_pair(QStringList{RXEncrypt::aes128ecbEncrypt(QStringLiteral("13700000013"))}, true));

    // 赵六 is an assistant host now. His menu is open as the pointer leaves and "0" is typed into the search:
    // he is no longer shown, so his menu closes, and the menu of 用户0002 acts on 用户0002.
    manager()->rebuildAssistant({RXEncrypt::aes128ecbEncrypt(QStringLiteral("13700000013"))});
    list->updateMembers({host, jia, zhao, u1, u2, newcomer});
    processEventsFor(5);
    ASSERT_NE(openMenuOf(QStringLiteral("赵六")), nullptr);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->assistantLabel()->title(), QStringLiteral("取消助理主持"));
    pointerTo(list->view(), QPoint(list->view()->width() / 2, list->view()->height() - 5));
    QTest::keyClicks(list->searchTextField(), QStringLiteral("0"));
    processEventsFor(5);
    ASSERT_EQ(list->membersDisplayArray().size(), 2);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(menu->parentWidget());
    for (const MemberRow &r : list->membersArray())
        EXPECT_FALSE(r->isExpand) << r->userName.toStdString();
    ASSERT_NE(openMenuOf(QStringLiteral("用户0002")), nullptr);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menuOffset(QStringLiteral("用户0002")), offset);
    EXPECT_EQ(menu->assistantLabel()->title(), QStringLiteral("设为助理主持"));
    clickAt(menu->assistantLabel());
    ASSERT_TRUE(replied(QStringLiteral("setRoomAssistant"), 2));
    EXPECT_EQ(requestedFor(1),
              std::make_pair(QStringList{RXEncrypt::aes128ecbEncrypt(QStringLiteral("13700000015"))}, true));

    // An open menu whose member leaves closes; nothing is left to act on him.
    ASSERT_NE(openMenuOf(QStringLiteral("用户0001")), nullptr);
    ASSERT_TRUE(menu->isVisible());
    list->updateMembers({host, jia, zhao, u2, newcomer});
    processEventsFor(5);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(menu->parentWidget());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(service.requestsFor(assistantPath).size(), 2);
}

// A keyboard user keeps his place as the rows change around him: the same member's control keeps the
// focus and Space acts on that member, never on a button for everybody; once the member is gone the row
// in his place takes it. Shift+Tab reaches a row's more button; an answered alert gives the keyboard
// back to the list, also when the window manager handed it to another window.
TEST_F(MemberListTest, Keyboard_TheFocusStaysWithItsMemberAsTheRowsChange)
{
    join();
    AccessibilityWalk::activate(list->view()->window());
    const QString me = VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
    const auto host = member(me, QStringLiteral("主持人"), true, true);
    const auto jia = member(QStringLiteral("13700000011"), QStringLiteral("甲"), true, true);
    const auto yi = member(QStringLiteral("13700000012"), QStringLiteral("乙"), true, true);
    const auto zhao = member(QStringLiteral("13700000013"), QStringLiteral("赵六"), true, true);
    const auto last = member(QStringLiteral("13700000014"), QStringLiteral("孙七"), true, true);
    const auto newcomer = member(QStringLiteral("13700000016"), QStringLiteral("新来的"));
    list->updateMembers({host, jia, yi, zhao, last});
    processEventsFor(5);
    rowShowing(QStringLiteral("赵六"))->cameraButton()->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focusedPlace(), "赵六 cameraButton");

    list->updateMembers({host, newcomer, jia, yi, zhao, last});
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "赵六 cameraButton");
    list->updateMembers({host, newcomer, yi, zhao, last});
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "赵六 cameraButton");
    press(Qt::Key_Space);
    ASSERT_TRUE(replied(QStringLiteral("switch/cam")));
    EXPECT_EQ(targets(service.requestsFor(controlPath(QStringLiteral("switch/cam"))).last()),
              QStringList{RXEncrypt::aes128ecbEncrypt(QStringLiteral("13700000013"))});
    EXPECT_EQ(visibleAlert(QStringLiteral("muteAllAlert")), nullptr);

    // He leaves: the row in his place.
    list->updateMembers({host, newcomer, yi, last});
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "孙七 cameraButton");
    press(Qt::Key_Backtab);
    press(Qt::Key_Backtab);
    EXPECT_EQ(focusedPlace(), "乙 moreButton");

    // 移至等候室 from his menu; the alert goes and the window manager gives the keyboard to another window.
    press(Qt::Key_Space);
    ASSERT_TRUE(list->moreActionView()->isVisible());
    press(Qt::Key_Tab);
    ASSERT_EQ(focusedPlace(), "waitingRoomButton");
    press(Qt::Key_Space);
    QWidget meetingWindow;
    meetingWindow.setObjectName(QStringLiteral("meetingWindow"));
    meetingWindow.resize(200, 200);
    meetingWindow.show();
    confirm(QStringLiteral("moveToWaitingRoomAlert"));
    meetingWindow.activateWindow();
    QApplication::setActiveWindow(&meetingWindow);
    ASSERT_TRUE(replied(QStringLiteral("setRoomMemberWaitStatus")));
    EXPECT_TRUE(processEventsUntil([&] { return QApplication::activeWindow() == list->view()->window(); }));
    EXPECT_EQ(focusedPlace(), "乙 moreButton");
    list->updateMembers({host, newcomer, last});
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "孙七 moreButton");
}

// The waiting tab: after 准入 the focus goes to the next row's 准入, never to 全部准入. A row that shows
// another person now cannot be pressed through what a screen reader took for the one before.
TEST_F(MemberListTest, Keyboard_AdmitKeepsTheFocusOnTheNextRow_AReusedRowIsNoOldPerson)
{
    join();
    roster();
    AccessibilityWalk::activate(list->view()->window());
    QList<IMSystemSubMessage> waiting;
    for (int i = 1; i <= 5; ++i) {
        IMSystemSubMessage entry;
        entry.userId = QStringLiteral("700%1").arg(i);
        entry.userName = QStringLiteral("w%1").arg(i);
        waiting << entry;
    }
    for (int i = 0; i < 4; ++i)
        manager()->waitRoomAddMember(waiting[i]);
    ASSERT_TRUE(
        processEventsUntil([&] { return list->waitingRoomArray().size() == 4 && !list->isMembersTableView(); }));
    processEventsFor(5);
    const QString admitPath = controlPath(QStringLiteral("allowMemberEnter"));
    const auto admitted = [&] { return targets(service.requestsFor(admitPath).last()); };

    waitingRowShowing(QStringLiteral("w1"))->agreeButton()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    ASSERT_TRUE(replied(QStringLiteral("allowMemberEnter")));
    ASSERT_TRUE(processEventsUntil([&] { return list->waitingRoomArray().size() == 3; }));
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "w2 agreeButton");
    press(Qt::Key_Space);
    ASSERT_TRUE(replied(QStringLiteral("allowMemberEnter"), 2));
    EXPECT_EQ(admitted(), QStringList{RXEncrypt::aes128ecbEncrypt(QStringLiteral("7002"))});
    ASSERT_TRUE(processEventsUntil([&] { return list->waitingRoomArray().size() == 2; }));
    processEventsFor(5);
    EXPECT_EQ(focusedPlace(), "w3 agreeButton");

    // w4 goes and w5 comes: w4's row shows w5 now.
    const QAccessible::Id taken = QAccessible::uniqueId(
        QAccessible::queryAccessibleInterface(waitingRowShowing(QStringLiteral("w4"))->agreeButton()));
    manager()->waitRoomRemoveMember(waiting[3]);
    manager()->waitRoomAddMember(waiting[4]);
    ASSERT_TRUE(processEventsUntil([&] { return waitingRowShowing(QStringLiteral("w5")) != nullptr; }));
    processEventsFor(5);
    if (QAccessibleInterface *stale = QAccessible::accessibleInterface(taken)) {
        stale->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        ASSERT_TRUE(settleRequests());
        EXPECT_EQ(requestCount(admitPath), 2)
            << "pressed as w4 准入, it admitted " << admitted().join(' ').toStdString();
    }
    EXPECT_EQ(focusedPlace(), "w3 agreeButton");
}

TEST_F(MemberListTest, HostActions_MuteAllTickedThenUnticked)
{
    join();
    roster(false, false);
    list->leftButton()->click();
    EXPECT_EQ(toastText(), QStringLiteral("当前无人开启麦克风"));
    EXPECT_EQ(requestCount(controlPath(QStringLiteral("switch/mic"))), 0);

    roster();
    manager()->roomInfo()->micAllowStatus = true;
    list->updateAllowOpenMicStatusDisplay();
    ASSERT_EQ(list->leftButton()->title(), QStringLiteral("全员闭麦"));
    list->leftButton()->click();
    confirm(QStringLiteral("muteAllAlert"), true);
    ASSERT_TRUE(replied(QStringLiteral("switch/mic")));
    const DevRequest req = service.requestsFor(controlPath(QStringLiteral("switch/mic"))).last();
    EXPECT_EQ(targets(req), QStringList{QStringLiteral("-1")});
    EXPECT_EQ(req.param(QStringLiteral("micAllowStatus")).toInt(), 0);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0], MemberControlMessages::micControl(QStringLiteral("-1"), true));
    EXPECT_EQ(sent[0].message, QStringLiteral("主持人关闭了全员麦克风"));
    EXPECT_EQ(sent[1], MemberControlMessages::allowOpenMic(QStringLiteral("-1"), true));
    EXPECT_EQ(sent[1].message, QString());
    EXPECT_FALSE(manager()->roomInfo()->micAllowStatus);
    EXPECT_EQ(list->leftButton()->title(), QStringLiteral("允许成员自行开麦"));

    // Allowed again, then muted without the box: members may still unmute.
    sent.clear();
    list->leftButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("allowUserOpenMic")));
    EXPECT_EQ(types(), QList<qint64>{9});
    EXPECT_EQ(list->leftButton()->title(), QStringLiteral("全员闭麦"));
    sent.clear();
    list->leftButton()->click();
    confirm(QStringLiteral("muteAllAlert"));
    ASSERT_TRUE(replied(QStringLiteral("switch/mic"), 2));
    EXPECT_EQ(service.requestsFor(controlPath(QStringLiteral("switch/mic")))
                  .last()
                  .param(QStringLiteral("micAllowStatus"))
                  .toInt(),
              1);
    ASSERT_EQ(types(), (QList<qint64>{1, 9}));
    EXPECT_EQ(sent[1].data.switchStatus, 1);
    EXPECT_FALSE(sent[1].message.has_value());
    EXPECT_TRUE(manager()->roomInfo()->micAllowStatus);
}

TEST_F(MemberListTest, HostActions_AllCamerasOffAssistantLimitAndRemoval)
{
    join();
    roster();
    MemberMorePanelView *panel = list->memberMorePanelView();
    panel->cameraButton()->click();
    confirm(QStringLiteral("closeAllCamerasAlert"), true);
    ASSERT_TRUE(replied(QStringLiteral("switch/cam")));
    EXPECT_EQ(types(), (QList<qint64>{803, 804}));
    EXPECT_EQ(sent[0].message, QStringLiteral("主持人关闭了全员摄像头"));
    EXPECT_FALSE(manager()->roomInfo()->cameraAllowStatus);

    // Two assistant hosts already: no request for a third.
    manager()->rebuildAssistant({RXEncrypt::aes128ecbEncrypt(kOtherPhone), QStringLiteral("13700000009")});
    MemberMoreActionView *menu = list->moreActionView();
    menu->setModel(list->membersDisplayArray().last());
    menu->assistantLabel()->click();
    EXPECT_EQ(toastText(), QStringLiteral("最多可设置2人为助理主持"));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(controlPath(QStringLiteral("setRoomAssistant"))), 0);

    // A failed removal says why, never that it was done.
    menu->setModel(rowOf(kPeerPhone)->model());
    service.failNextReply(controlPath(QStringLiteral("removeMember")),
                          DevService::fail(500, QStringLiteral("移出失败")));
    menu->moveOutButton()->click();
    confirm(QStringLiteral("removeMemberAlert"), true);
    ASSERT_TRUE(replied(QStringLiteral("removeMember")));
    EXPECT_EQ(toastText(), QStringLiteral("移出失败"));
    const DevRequest req = service.requestsFor(controlPath(QStringLiteral("removeMember"))).last();
    EXPECT_EQ(targets(req), QStringList{RXEncrypt::aes128ecbEncrypt(kPeerPhone)});

    // Batch removal with nothing ticked sends an empty list.
    panel->batchRemoveButton()->click();
    EXPECT_TRUE(list->bactchRemoveModel());
    EXPECT_EQ(list->rightButton()->title(), QStringLiteral("移除"));
    list->rightButton()->click();
    confirm(QStringLiteral("batchRemoveAlert"));
    ASSERT_TRUE(replied(QStringLiteral("removeMember"), 2));
    EXPECT_TRUE(targets(service.requestsFor(controlPath(QStringLiteral("removeMember"))).last()).isEmpty());
}

TEST_F(MemberListTest, MorePanel_SwitchesTheirMessagesFlagsAndBlocks)
{
    join();
    roster();
    MemberMorePanelView *panel = list->memberMorePanelView();
    QStringList blocks;
    panel->allowMemberOpenCamraBlock = [&] { blocks << QStringLiteral("camera"); };
    panel->openWaitingRoomBlock = [&] { blocks << QStringLiteral("waiting"); };
    panel->lockMeetingRoomBlock = [&] { blocks << QStringLiteral("lock"); };
    const auto room = manager()->roomInfo();
    room->micAllowStatus = true;
    room->cameraAllowStatus = true;

    panel->allowMicButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/mic")));
    ASSERT_EQ(types(), (QList<qint64>{9, 1}));
    // Not allowed, then every microphone closed: both to everybody, status 0.
    EXPECT_EQ(sent[0].data.peerId, QStringLiteral("-1"));
    EXPECT_EQ(sent[0].data.switchStatus, 0);
    EXPECT_EQ(sent[0].message, QString());
    EXPECT_EQ(sent[1].data.switchStatus, 0);
    EXPECT_EQ(sent[1].message, QStringLiteral("主持人关闭了全员麦克风"));
    EXPECT_FALSE(room->micAllowStatus);
    EXPECT_EQ(list->leftButton()->title(), QStringLiteral("允许成员自行开麦"));

    // A failed camera forbid changes nothing, but the block ran before the request.
    sent.clear();
    service.failNextReply(controlPath(QStringLiteral("switch/cam")), DevService::fail(500, QStringLiteral("忙")));
    panel->allowCameraButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/cam")));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(room->cameraAllowStatus);
    EXPECT_EQ(blocks, QStringList{QStringLiteral("camera")});
    panel->allowCameraButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/cam"), 2));
    EXPECT_EQ(types(), (QList<qint64>{803, 804}));
    EXPECT_FALSE(room->cameraAllowStatus);
    EXPECT_TRUE(panel->allowCameraImageView()->pixmap().isNull());

    // A failed waiting-room switch leaves the flag as it was.
    room->roomWaitStatus = true;
    service.failNextReply(controlPath(QStringLiteral("setRoomWaitStatus")),
                          DevService::fail(500, QStringLiteral("忙")));
    panel->openWaitingRoomButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("setRoomWaitStatus")));
    EXPECT_TRUE(room->roomWaitStatus);
    panel->openWaitingRoomButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("setRoomWaitStatus"), 2));
    EXPECT_FALSE(room->roomWaitStatus);
    EXPECT_EQ(toastText(), QStringLiteral("已关闭等候室\n新成员可加入"));
    panel->lockMeetingRoomButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("switch/lock")));
    EXPECT_TRUE(room->roomLockStatus);
    EXPECT_FALSE(panel->lockMeetingRoomImageView()->pixmap().isNull());
    EXPECT_EQ(blocks, (QStringList{"camera", "camera", "waiting", "waiting", "lock"}));
    EXPECT_EQ(types(), (QList<qint64>{803, 804}));
}

TEST_F(MemberListTest, WaitingRoom_ArrivalsReadMarksAdmitAndRemove)
{
    join();
    roster();
    // Also while the list's window is closed.
    list->view()->hide();
    IMSystemSubMessage first;
    first.userId = QStringLiteral("META7001");
    first.userName = QStringLiteral("王五");
    manager()->waitRoomAddMember(first);
    ASSERT_TRUE(processEventsUntil([&] { return !list->isMembersTableView(); }));
    EXPECT_FALSE(list->buttonBKView()->isHidden());
    EXPECT_EQ(list->searchViewTopConstraint()->constant(), 57);
    EXPECT_EQ(list->waitingMeetingButton()->title(), QStringLiteral("等候室(1)"));
    EXPECT_EQ(list->leftButton()->title(), QStringLiteral("全部准入"));
    ASSERT_TRUE(replied(QStringLiteral("readWaitMember")));
    EXPECT_EQ(targets(service.requestsFor(controlPath(QStringLiteral("readWaitMember"))).last()),
              QStringList{RXEncrypt::aes128ecbEncrypt(first.userId)});

    IMSystemSubMessage second;
    second.userId = QStringLiteral("7002");
    second.userName = QStringLiteral("赵六");
    manager()->waitRoomAddMember(second);
    ASSERT_TRUE(replied(QStringLiteral("readWaitMember"), 2));
    EXPECT_EQ(targets(service.requestsFor(controlPath(QStringLiteral("readWaitMember"))).last()).size(), 2);
    list->view()->show();
    processEventsFor(5);

    // A failed admit keeps the person waiting; a virtual member is admitted without "META".
    auto *waiting = qobject_cast<WaitingMeetingRowCell *>(list->tableView()->rowViewAtRow(0));
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->nameLabel()->fullText(), QStringLiteral("王五"));
    service.failNextReply(controlPath(QStringLiteral("allowMemberEnter")), DevService::fail(500, QStringLiteral("忙")));
    waiting->agreeButton()->click();
    ASSERT_TRUE(replied(QStringLiteral("allowMemberEnter")));
    manager()->waitForQueues();
    EXPECT_EQ(manager()->waitRoomMemberArray().size(), 2);
    EXPECT_EQ(targets(service.requestsFor(controlPath(QStringLiteral("allowMemberEnter"))).last()),
              QStringList{RXEncrypt::aes128ecbEncrypt(QStringLiteral("7001"))});

    list->rightButton()->click();
    confirm(QStringLiteral("removeAllWaitingAlert"));
    ASSERT_TRUE(replied(QStringLiteral("removeMember")));
    const DevRequest removal = service.requestsFor(controlPath(QStringLiteral("removeMember"))).last();
    EXPECT_EQ(targets(removal), QStringList{QStringLiteral("-1")});
    EXPECT_EQ(removal.param(QStringLiteral("forbidEnterStatus")).toString(), QStringLiteral("0"));
    ASSERT_TRUE(processEventsUntil([&] { return list->isMembersTableView(); }));
    EXPECT_TRUE(list->buttonBKView()->isHidden());
    EXPECT_TRUE(list->waitingRoomArray().isEmpty());
}

} // namespace
