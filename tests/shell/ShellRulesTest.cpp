// The plain rules of the login and home pages.

#include "shell/ShellRules.h"
#include "connection/KVMResponse.h"
#include "foundation/models/MeetingDataModel.h"
#include "shell/ShellTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(MeetingIdRuleTest, PatternMatchesNineToTwentyDigitsAndNothingElse)
{
    EXPECT_TRUE(MeetingIdRule::isValid(QStringLiteral("123456789")));
    EXPECT_TRUE(MeetingIdRule::isValid(QStringLiteral("12345678901234567890")));
    EXPECT_FALSE(MeetingIdRule::isValid(QStringLiteral("12345678")));
    EXPECT_FALSE(MeetingIdRule::isValid(QStringLiteral("123456789012345678901")));
    // A digit prefix is not enough: the whole text must be the ID.
    EXPECT_FALSE(MeetingIdRule::isValid(QStringLiteral("123456789abc")));
    EXPECT_FALSE(MeetingIdRule::isValid(QStringLiteral("123456789\n1")));
    EXPECT_FALSE(MeetingIdRule::isValid(QStringLiteral("１２３４５６７８９"))); // full-width digits
    EXPECT_FALSE(MeetingIdRule::isValid(QString()));
}

TEST(MeetingIdRuleTest, DisplayFormIsNormalizedBeforeTheCheck)
{
    EXPECT_EQ(MeetingIdRule::normalized(QStringLiteral(" 123-456-789 ")), QStringLiteral("123456789"));
    EXPECT_EQ(MeetingIdRule::normalized(QStringLiteral("123-456-789-01")), QStringLiteral("12345678901"));
    EXPECT_TRUE(MeetingIdRule::isValid(MeetingIdRule::normalized(QStringLiteral("123-456-789"))));
    EXPECT_FALSE(MeetingIdRule::isValid(MeetingIdRule::normalized(QStringLiteral("123 456 789"))));
}

TEST(LoginInputTest, PhoneIsElevenDigitsAndCodeSix)
{
    EXPECT_TRUE(LoginInput::isValidPhoneNumber(QStringLiteral("13800000000")));
    EXPECT_FALSE(LoginInput::isValidPhoneNumber(QStringLiteral("1380000000")));
    EXPECT_FALSE(LoginInput::isValidPhoneNumber(QStringLiteral("138000000001")));
    EXPECT_FALSE(LoginInput::isValidPhoneNumber(QStringLiteral("1380000000a")));
    EXPECT_TRUE(LoginInput::isValidSmsCode(QStringLiteral("123456")));
    EXPECT_FALSE(LoginInput::isValidSmsCode(QStringLiteral("12345")));
    EXPECT_FALSE(LoginInput::isValidSmsCode(QStringLiteral("12345x")));
}

MeetingDataModel sampleMeeting()
{
    MeetingDataModel m;
    m.roomId = QStringLiteral("123456789");
    m.roomName = QStringLiteral("季度复盘：产品");
    m.password = QStringLiteral("abc123");
    m.beginTime = QStringLiteral("2026-12-07 10:00");
    m.duration = 90;
    m.creatorName = QStringLiteral("王五");
    return m;
}

TEST(InvitationTextTest, OwnInvitationTextIsRecognisedWithNameAndPassword)
{
    const auto found = InvitationText::recognize(sampleMeeting().invitedMeetingContent());
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->roomId, QStringLiteral("123456789"));
    EXPECT_EQ(found->roomName, QStringLiteral("季度复盘：产品")); // a colon in the name stays
    EXPECT_EQ(found->password, QStringLiteral("abc123"));

    MeetingDataModel open = sampleMeeting();
    open.password.clear();
    const auto noPassword = InvitationText::recognize(open.invitedMeetingContent());
    ASSERT_TRUE(noPassword.has_value());
    EXPECT_TRUE(noPassword->password.isEmpty());
}

TEST(InvitationTextTest, RewrittenByAChatProgramIsStillRecognised)
{
    QString text = sampleMeeting().invitedMeetingContent();
    text.replace(QStringLiteral("："), QStringLiteral(": "));
    text.replace(QStringLiteral("\n"), QStringLiteral("  \r\n  "));
    const auto found = InvitationText::recognize(QStringLiteral("转发：\n") + text);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->roomId, QStringLiteral("123456789"));
    EXPECT_EQ(found->password, QStringLiteral("abc123"));
}

// A field cannot add a line to the invitation, and only the line the client wrote is read for
// the meeting number: a name or id carrying "\n会议号：..." never sends the reader elsewhere.
TEST(InvitationTextTest, FieldsStayOnTheirLine_AndTheNumberComesFromItsOwnLine)
{
    const QString spoof = QStringLiteral("\n会议号：555666777");
    MeetingDataModel named = sampleMeeting();
    named.roomName = QStringLiteral("周会") + spoof;
    named.creatorName = QStringLiteral("王五\r\n会议号：555666778");
    named.password = QStringLiteral("abc") + QChar(QChar::LineSeparator) + QStringLiteral("会议号：555666779");
    const QString text = named.invitedMeetingContent();
    EXPECT_EQ(text.split(QLatin1Char('\n')).size(), sampleMeeting().invitedMeetingContent().split('\n').size());
    const auto found = InvitationText::recognize(text);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->roomId, QStringLiteral("123456789"));
    EXPECT_EQ(found->roomName, QStringLiteral("周会 会议号：555666777"));

    // A room id with a line break or blank in it is no meeting number at all.
    for (const QString &id : {QStringLiteral("\n会议号：555666777"), QStringLiteral(" "),
                              QStringLiteral("123456789\n会议号：555666777"), QStringLiteral("12345 6789")}) {
        MeetingDataModel m = sampleMeeting();
        m.roomId = id;
        EXPECT_FALSE(InvitationText::recognize(m.invitedMeetingContent()).has_value()) << id.toStdString();
    }
    // Text around a pasted invitation cannot supply the number either.
    EXPECT_FALSE(
        InvitationText::recognize(QStringLiteral("【Korvi会议邀请】\n会议主题：x\n主持人：y\n会议号：555666777"))
            .has_value());
}

TEST(InvitationTextTest, OtherTextsAreNotInvitations)
{
    EXPECT_FALSE(InvitationText::recognize(QString()).has_value());
    EXPECT_FALSE(InvitationText::recognize(QStringLiteral("会议号：123-456-789")).has_value()); // no header
    EXPECT_FALSE(InvitationText::recognize(QStringLiteral("【Korvi会议邀请】\n会议主题：x")).has_value());
    EXPECT_FALSE(InvitationText::recognize(QStringLiteral("【Korvi会议邀请】\n会议号：12345")).has_value());
    EXPECT_FALSE(InvitationText::recognize(QStringLiteral("【Korvi会议邀请】\n会议号：123456789; rm -rf")).has_value());
}

TEST(VersionRuleTest, NumericOrderAndBadVersions)
{
    EXPECT_TRUE(VersionRule::isNewer(QStringLiteral("1.2.10"), QStringLiteral("1.2.9")));
    EXPECT_TRUE(VersionRule::isNewer(QStringLiteral("2.0"), QStringLiteral("1.9.9")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("1.0.0"), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("1.0"), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("1.0.0.0"), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("0.9"), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QString(), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("latest"), QStringLiteral("1.0.0")));
    EXPECT_FALSE(VersionRule::isNewer(QStringLiteral("9.0-beta"), QStringLiteral("1.0.0")));
}

TEST(ReplyTextTest, ServiceMessageElseTheNetworkText)
{
    KVMResponse r;
    r.message = QStringLiteral("会议不存在");
    EXPECT_EQ(ReplyText::failureText(r), QStringLiteral("会议不存在"));
    EXPECT_EQ(ReplyText::failureText(KVMResponse::failure(KVMResponse::NetworkErrorCode, "refused")),
              ShellTexts::kNetworkError);
}

} // namespace
