// The invitation panel (suggestions, the list, sending through its delivery) and the simple
// attendee table (title, rows, inert buttons).

#include "MeetingTestSupport.h"

#include "support/AccessibilityWalk.h"

#include "agent/MeetingMemberModel.h"
#include "meeting/panels/InviteMemberCell.h"
#include "meeting/panels/InviteSearchRemindView.h"
#include "meeting/panels/InviteView.h"
#include "meeting/panels/MeetingMemberView.h"
#include "meeting/panels/MemberCellView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMicrophoneIcon.h"

namespace {

VeskUserModel user(const QString &id, const QString &name)
{
    VeskUserModel u;
    u.userId = id;
    u.userName = name;
    return u;
}

class InviteViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VeskAppAgent::sharedInstance()->setOnlineUsers({user("u1", "张三"), user("u2", "张三丰"), user("u3", "李四"),
                                                        user("u1", "张三"), user("u4", "Anna"), user("u5", "王五")});
        window.resize(600, 500);
        invite = new InviteView(&window);
        window.show();
    }
    void TearDown() override
    {
        VeskToast::dismissToast();
        VeskAppAgent::resetSharedInstance();
    }

    [[nodiscard]] QStringList listed() const
    {
        QStringList ids;
        for (const VeskUserModel &u : invite->inviteArr())
            ids << u.userId;
        return ids;
    }
    [[nodiscard]] QString tip() { return tipText(&window); }

    VirtualClockScope clock;
    QWidget window;
    InviteView *invite = nullptr;
};

TEST_F(InviteViewTest, Suggestions_AllForAnEmptyFieldAtMost180High_ACaseSensitiveMatchOtherwise)
{
    invite->textFieldBecomeFirstResponder(invite->inputField);
    EXPECT_EQ(invite->remindView->userArr().size(), 5); // u1 once
    EXPECT_EQ(invite->heightForRemindViewContainer(), 180);

    invite->inputField->setText(QStringLiteral("张三"));
    invite->controlTextDidChange();
    ASSERT_EQ(invite->remindView->cells().size(), 2);
    EXPECT_EQ(invite->heightForRemindViewContainer(), 80);
    EXPECT_EQ(invite->remindView->cells().at(1)->idLabel->text(), QStringLiteral("(u2)"));

    invite->inputField->setText(QStringLiteral("anna"));
    invite->controlTextDidChange();
    EXPECT_TRUE(invite->remindView->userArr().isEmpty());
    EXPECT_EQ(invite->heightForRemindViewContainer(), 0);

    // Picking a suggestion lists the user and closes the drop-down.
    invite->inputField->setText(QStringLiteral("An"));
    invite->controlTextDidChange();
    ASSERT_EQ(invite->remindView->cells().size(), 1);
    invite->remindView->cells().first()->click();
    EXPECT_EQ(listed(), QStringList{"u4"});
    EXPECT_EQ(invite->heightForRemindViewContainer(), 0);
    processEventsFor(3);
    ASSERT_EQ(invite->cells().size(), 1);
    EXPECT_EQ(invite->cells().first()->idLabel->text(), QStringLiteral("( ID:u4 )"));
}

TEST_F(InviteViewTest, List_OneEntryPerUserAndRemovalByUserId)
{
    invite->addAction(user("u1", "张三"));
    invite->addAction(user("u2", "张三丰"));
    invite->addAction(user("u1", "别名"));
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("该用户已经添加"));
    EXPECT_EQ(listed(), (QStringList{"u1", "u2"}));

    invite->removeMember(user("u1", "别名"));
    EXPECT_EQ(listed(), QStringList{"u2"});
    processEventsFor(3);
    ASSERT_EQ(invite->cells().size(), 1);
    invite->cells().first()->removeButton->click();
    EXPECT_TRUE(listed().isEmpty());
}

TEST_F(InviteViewTest, Send_NeedsADeliveryAndTellsSuccessOnlyOnceEveryInvitationArrived)
{
    EXPECT_FALSE(invite->sendButton->isEnabled());
    QList<std::function<void(bool)>> pending;
    QStringList sentTo;
    invite->setInviteDelivery([&](const VeskUserModel &u, std::function<void(bool)> done) {
        sentTo << u.userId;
        pending << done;
    });
    ASSERT_TRUE(invite->sendButton->isEnabled());
    invite->sendButton->click();
    EXPECT_EQ(tip(), QStringLiteral("请输入邀请成员"));
    EXPECT_TRUE(sentTo.isEmpty());

    invite->addAction(user("u1", "张三"));
    invite->addAction(user("u3", "李四"));
    invite->sendButton->click();
    EXPECT_EQ(sentTo, (QStringList{"u1", "u3"}));
    EXPECT_FALSE(invite->sendButton->isEnabled());
    pending[0](true);
    pending[0](true); // a second answer for one user counts once
    EXPECT_NE(tip(), QStringLiteral("您的邀请已发送成功"));
    pending[1](true);
    EXPECT_EQ(tip(), QStringLiteral("您的邀请已发送成功"));
    EXPECT_EQ(listed(), (QStringList{"u1", "u3"}));
    EXPECT_TRUE(invite->sendButton->isEnabled());

    invite->sendButton->click();
    pending[2](false);
    pending[3](true);
    EXPECT_EQ(tip(), QStringLiteral("邀请发送失败，请稍后重试"));
}

std::shared_ptr<MeetingMemberModel> member(const QString &phone, const QString &name, bool self, bool audio, bool video)
{
    VeskUserModel u;
    u.userId = phone;
    u.phoneNumber = phone;
    u.userName = name;
    auto m = std::make_shared<MeetingMemberModel>(u);
    m->setIsSelf(self);
    m->setAudioFlag(audio);
    m->setVideoFlag(video);
    return m;
}

TEST(MeetingMemberViewTest, TitleCountsRowsShowNamesAndStatesAndTheButtonsChangeNothing)
{
    MeetingMemberView table;
    EXPECT_EQ(table.title->text(), QStringLiteral("参会人员(0)"));
    EXPECT_TRUE(table.cells().isEmpty());
    int closed = 0;
    table.memberViewClosedBlock = [&] { ++closed; };
    table.closeButton->click();
    EXPECT_EQ(closed, 1);

    table.setMembers({member("13800000000", "张三", true, true, false),
                      member("13700000001", "<b>李四</b>\u202E", false, false, true)});
    EXPECT_EQ(table.title->text(), QStringLiteral("参会人员(2)"));
    const QList<MemberCellView *> rows = table.cells();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->height(), 50);
    EXPECT_EQ(rows[0]->nameLabel->text(), QStringLiteral("张三 (我)"));
    EXPECT_TRUE(rows[1]->nameLabel->text().contains(QStringLiteral("<b>李四</b>")));
    EXPECT_FALSE(rows[1]->nameLabel->text().contains(QChar(0x202E))) << "an override would reverse the row";
    EXPECT_EQ(rows[1]->nameLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(rows[0]->audioButton->phoneNumber(), QStringLiteral("13800000000"));
    EXPECT_EQ(rows[0]->audioButton->iconState(), 1);
    EXPECT_EQ(rows[0]->videoButton->state(), 0);
    EXPECT_EQ(rows[1]->audioButton->iconState(), 0);
    EXPECT_EQ(rows[1]->videoButton->state(), 1);

    for (MemberCellView *row : rows) {
        const qint64 mic = row->audioButton->iconState();
        const qint64 camera = row->videoButton->state();
        row->audioButton->click();
        EXPECT_EQ(row->audioButton->iconState(), mic);
        row->videoButton->click();
        EXPECT_EQ(row->videoButton->state(), camera);
    }
}

} // namespace

TEST_F(InviteViewTest, Walk_TheFieldItsSuggestionsAndTheListReachableAndNamed)
{
    invite->addAction(user("u3", "李四"));
    processEventsFor(3);
    invite->inputField->setFocus();
    QTest::keyClicks(invite->inputField, QStringLiteral("An"));
    ASSERT_EQ(invite->remindView->cells().size(), 1);
    // Tab goes into the suggestions, which stay; Space picks one and the keyboard is back in the field.
    processEventsFor(3); // the new rows show once the layout has run
    QTest::keyClick(invite->inputField, Qt::Key_Tab);
    RemindCell *suggestion = invite->remindView->cells().first();
    ASSERT_EQ(QApplication::focusWidget(), suggestion);
    EXPECT_TRUE(suggestion->isVisible());
    QTest::keyClick(suggestion, Qt::Key_Space);
    EXPECT_EQ(listed(), (QStringList{"u3", "u4"}));
    EXPECT_EQ(QApplication::focusWidget(), invite->inputField.data());

    processEventsFor(3);
    const AccessibilityWalk::Report report = AccessibilityWalk::walk(&window, invite);
    EXPECT_TRUE(report.faults.isEmpty()) << report.text();
    EXPECT_GE(report.checked, 5);
    std::cout << "[ walked ] invitation panel: " << report.checked << " controls checked\n";
}
