#include "TimeZones.h"
#include "foundation/Collections.h"
#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/KVSubTitleRecord.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/MeetingMessageModel.h"
#include "foundation/models/VeskUserModel.h"
#include "foundation/models/VeskUserModelCopy.h"

#include <QFontMetrics>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <cmath>

namespace {

struct FakeContext final : ModelContext {
    QString phone = QStringLiteral("13800000001");
    QString userId = QStringLiteral("u-1");
    QString userName = QStringLiteral("张三");
    QString creatorId = QStringLiteral("13800000009");
    QString web = QStringLiteral("https://meet.example.com");
    bool camera = true;
    bool mic = false;

    QString myPhoneNumber() const override { return phone; }
    QString myUserId() const override { return userId; }
    QString myUserName() const override { return userName; }
    QString roomCreatorId() const override { return creatorId; }
    QString webBaseUrl() const override { return web; }
    bool autoCameraOn() const override { return camera; }
    bool autoMicphoneOn() const override { return mic; }
};

MeetingDataModel meeting(int duration, const QString &begin = QStringLiteral("2026-03-05 09:07"))
{
    MeetingDataModel m;
    m.duration = duration;
    m.beginTime = begin;
    return m;
}

} // namespace

TEST(ModelMeetingDataTest, DurationReadsInMinutesHoursOrBoth)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(meeting(0).durationCN(), "0分");
        EXPECT_EQ(meeting(59).durationCN(), "59分");
        EXPECT_EQ(meeting(60).durationCN(), "1小时");
        EXPECT_EQ(meeting(61).durationCN(), "1小时1分");
        EXPECT_EQ(meeting(120).durationCN(), "2小时");
        EXPECT_EQ(meeting(125).durationCN(), "2小时5分");
    });
}

TEST(ModelMeetingDataTest, DateFormsOfBeginAndEndAndUnparsableTimes)
{
    TimeZones::inEachTimeZone([&] {
        MeetingDataModel m = meeting(30, QStringLiteral("2026-03-05 09:07"));
        m.endTime = QStringLiteral("2026-12-31 23:59");
        ASSERT_TRUE(m.beginTimeDate().isValid());
        EXPECT_EQ(m.beginTimeDate(), QDateTime(QDate(2026, 3, 5), QTime(9, 7)));
        EXPECT_EQ(m.beginTimeDateCN(), "2026年03月05日");
        EXPECT_EQ(m.endTimeDateCN(), "2026年12月31日");
        EXPECT_EQ(m.beginTimeDate2(), "2026-03-05");
        EXPECT_EQ(m.endTimeDate2(), "2026-12-31");
        EXPECT_EQ(m.beginTimeHourMinute(), "09:07");
        EXPECT_EQ(m.endTimeHourMinute(), "23:59");

        for (const char *bad : {"", "tomorrow", "2026-13-45 99:99", "2026/03/05 09:07"}) {
            MeetingDataModel b = meeting(30, QString::fromUtf8(bad));
            b.endTime = QString::fromUtf8(bad);
            EXPECT_FALSE(b.beginTimeDate().isValid()) << bad;
            EXPECT_EQ(b.beginTimeDateCN(), "") << bad;
            EXPECT_EQ(b.endTimeDate2(), "") << bad;
            EXPECT_EQ(b.beginTimeHourMinute(), "") << bad;
            EXPECT_EQ(b.endTimeHourMinute(), "") << bad;
        }
    });
}

TEST(ModelMeetingDataTest, StatusAndDisplayedRoomId)
{
    MeetingDataModel m;
    const QStringList expected{"未开始", "进行中", "已结束", ""};
    for (int s = 0; s < 4; ++s) {
        m.status = s;
        EXPECT_EQ(m.statusString(), expected[s]);
    }
    m.roomId = QStringLiteral("111");
    m.cycleRoomId = QStringLiteral("222");
    EXPECT_EQ(m.displayRoomId(), "111"); // not recurring
    m.isCycle = true;
    EXPECT_EQ(m.displayRoomId(), "222");
    m.cycleRoomId.clear();
    EXPECT_EQ(m.displayRoomId(), "111"); // recurring without its own id
}

TEST(ModelMeetingDataTest, DefaultModelTakesTheSignedInUserAndSettings)
{
    TimeZones::inEachTimeZone([&] {
        FakeContext context;
        ModelContextScope scope(context);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
        const MeetingDataModel m = MeetingDataModel::defaultModel();
        EXPECT_EQ(m.roomName, "张三创建的会议");
        EXPECT_TRUE(m.beginTimeDate().isValid());
        EXPECT_GE(m.beginTimeDate(), before);
        EXPECT_LE(m.beginTimeDate(), QDateTime::currentDateTime());
        EXPECT_EQ(m.duration, 120);
        EXPECT_EQ(m.creatorCameraStatus, 1);
        EXPECT_EQ(m.creatorMicrophoneStatus, 0);
        EXPECT_EQ(m.cameraAllowStatus, 1);
        EXPECT_EQ(m.micAllowStatus, 1);
        EXPECT_EQ(m.enableTransStatus, 1);
        EXPECT_EQ(m.openTranslateText, 1);
        EXPECT_EQ(m.enableRecordStatus, 1);
        EXPECT_EQ(m.roomWaitStatus, 0);
        EXPECT_EQ(m.uploadPermissionType, 2);
        EXPECT_EQ(m.sharePermission, 0);
        EXPECT_TRUE(m.onlyUpdateThisMeeting);
        EXPECT_FALSE(m.isCycle);
        EXPECT_FALSE(m.isEdit);
        EXPECT_TRUE(m.password.isEmpty());
        EXPECT_TRUE(m.roomId.isNull());
        EXPECT_TRUE(m.uploadFileAllowOpUserList.isEmpty());
        // The request sends the transcription switch under its server name.
        EXPECT_EQ(jx_keyValues(m).value("roomTranscribeStatus").toInt(), 1);
    });
}

TEST(ModelMeetingDataTest, IsSelfComparesTheDecryptedCreatorWithTheSignedInUser)
{
    FakeContext context;
    ModelContextScope scope(context);
    MeetingDataModel m;
    m.creatorId = RXEncrypt::aes128ecbEncrypt(QStringLiteral("u-1"));
    ASSERT_NE(m.creatorId, "u-1");
    EXPECT_TRUE(m.isSelf());
    m.creatorId = RXEncrypt::aes128ecbEncrypt(QStringLiteral("u-2"));
    EXPECT_FALSE(m.isSelf());
    context.userId.clear();
    m.creatorId.clear();
    EXPECT_FALSE(m.isSelf()); // nobody signed in is nobody's creator
}

TEST(ModelMeetingDataTest, InvitationTextAndLink)
{
    TimeZones::inEachTimeZone([&] {
        FakeContext context;
        ModelContextScope scope(context);
        MeetingDataModel m = meeting(90, QStringLiteral("2026-03-05 09:07"));
        m.roomId = QStringLiteral("123456789");
        m.roomName = QStringLiteral("周会");
        m.creatorName = QStringLiteral("李四");
        EXPECT_EQ(m.invitedUrl(), "https://meet.example.com/#/home?rn=123456789");
        EXPECT_EQ(m.invitedMeetingContent(), QStringLiteral("【Korvi会议邀请】\n"
                                                            "会议主题：周会\n"
                                                            "会议号：123-456-789\n"
                                                            "开始时间：2026-03-05 09:07\n"
                                                            "会议时长：1小时30分\n"
                                                            "主持人：李四\n"
                                                            "会议链接：https://meet.example.com/#/home?rn=123456789"));
        m.password = QStringLiteral("4321");
        m.isCycle = true;
        m.cycleRoomId = QStringLiteral("987654321");
        const QStringList lines = m.invitedMeetingContent().split('\n');
        ASSERT_EQ(lines.size(), 8);
        EXPECT_EQ(lines[2], "会议号：987-654-321");
        EXPECT_EQ(lines[3], "会议密码：4321");
        EXPECT_EQ(lines[7], "会议链接：https://meet.example.com/#/home?rn=987654321");

        // Without a start time (a meeting joined by number) the two time lines are left out.
        m.beginTime.clear();
        const QStringList untimed = m.invitedMeetingContent().split('\n');
        ASSERT_EQ(untimed.size(), 6);
        EXPECT_EQ(untimed[4], "主持人：李四");
    });
}

TEST(ModelMessageTest, DisplayTextAndColoursPerMessageType)
{
    FakeContext context;
    ModelContextScope scope(context);
    QFont font;
    font.setPointSize(13);

    MeetingMessageModel chat;
    chat.messageType = MeetingMessageModel::Chat;
    chat.userName = QStringLiteral("王五");
    chat.messageString = QStringLiteral("hi <b>");
    const KVAttributedText &c = chat.getDisplayMessage(font);
    EXPECT_EQ(c.text, "王五：hi <b>  ");
    EXPECT_EQ(c.font, font);
    EXPECT_EQ(c.colorAt(0), QColor(10, 138, 249));
    EXPECT_EQ(c.colorAt(2), QColor(10, 138, 249)); // the full-width colon
    EXPECT_EQ(c.colorAt(3), QColor(242, 242, 247));
    EXPECT_FALSE(c.colorAt(c.text.size() - 1).isValid()); // the two trailing blanks
    EXPECT_TRUE(c.toHtml().contains("#0a8af9"));
    EXPECT_TRUE(c.toHtml().contains("hi &lt;b&gt;"));
    QTextDocument doc;
    c.fillDocument(doc);
    EXPECT_EQ(doc.toPlainText(), c.text);

    MeetingMessageModel notice;
    notice.messageType = MeetingMessageModel::Notice;
    notice.userName = QStringLiteral("ignored");
    notice.messageString = QStringLiteral("主持人已开启全员静音");
    EXPECT_EQ(notice.getDisplayMessage(font).text, "主持人已开启全员静音");
    EXPECT_EQ(notice.getDisplayMessage(font).colorAt(0), QColor(246, 207, 77));

    MeetingMessageModel joinedMe;
    joinedMe.messageType = MeetingMessageModel::Joined;
    joinedMe.userName = QStringLiteral("张三");
    joinedMe.phoneNumber = context.phone;
    EXPECT_EQ(joinedMe.getDisplayMessage(font).text, "您 加入会议");
    EXPECT_EQ(joinedMe.getDisplayMessage(font).colorAt(0), QColor(246, 207, 77));

    MeetingMessageModel left;
    left.messageType = MeetingMessageModel::Left;
    left.userName = QStringLiteral("李四");
    left.phoneNumber = QStringLiteral("139");
    EXPECT_EQ(left.getDisplayMessage(font).text, "李四 离开会议");

    MeetingMessageModel unknown; // any other type reads as leaving
    unknown.messageType = 9;
    unknown.userName = QStringLiteral("赵六");
    EXPECT_EQ(unknown.getDisplayMessage(font).text, "赵六 离开会议");
}

TEST(ModelMessageTest, DisplayMessageAndSizeAreCachedAndACopyDropsBothCaches)
{
    QFont font;
    MeetingMessageModel m;
    m.messageType = MeetingMessageModel::Chat;
    m.userName = QStringLiteral("A");
    m.messageString = QStringLiteral("one two three four five six seven eight nine ten eleven twelve");
    const QString first = m.getDisplayMessage(font).text;
    m.messageString = QStringLiteral("changed");
    EXPECT_EQ(m.getDisplayMessage(font).text, first); // built once

    const QSizeF wrapped = m.getMessageSizeWithMaxWidth(120, font);
    const QFontMetricsF metrics(font);
    EXPECT_GT(wrapped.width(), 0);
    EXPECT_LE(wrapped.width(), 120);
    EXPECT_GT(wrapped.height(), metrics.height() * 2);           // wraps at words onto several lines
    EXPECT_EQ(m.getMessageSizeWithMaxWidth(120, font), wrapped); // measured once per font and width
    EXPECT_LT(m.getMessageSizeWithMaxWidth(1000, font).height(), wrapped.height());
    // Each font has its own text and size: the bold line is measured with the bold font.
    QFont bold = font;
    bold.setBold(true);
    EXPECT_EQ(m.getDisplayMessage(bold).font, bold);
    EXPECT_EQ(m.getDisplayMessage(font).font, font);
    MeetingMessageModel twin;
    twin.messageType = MeetingMessageModel::Chat;
    twin.userName = QStringLiteral("A");
    twin.messageString = QStringLiteral("one two three four five six seven eight nine ten eleven twelve");
    EXPECT_GT(twin.getMessageSizeWithMaxWidth(1000, bold).width(), twin.getMessageSizeWithMaxWidth(1000, font).width());

    MeetingMessageModel copy = m;
    EXPECT_TRUE(copy.displayMessage.isEmpty());
    EXPECT_TRUE(copy.displaySize.isEmpty());
    EXPECT_EQ(copy, m);
    EXPECT_EQ(copy.getDisplayMessage(font).text, "A：changed  ");

    MeetingMessageModel assigned;
    assigned.getDisplayMessage(font);
    assigned = m;
    EXPECT_TRUE(assigned.displayMessage.isEmpty());
    EXPECT_TRUE(assigned.displaySize.isEmpty());

    // Mapped messages start without caches too.
    const auto mapped = jx_objectWithKeyValues<MeetingMessageModel>(jx_keyValues(m));
    EXPECT_TRUE(mapped.displayMessage.isEmpty());

    // An unbounded width keeps the line on one line.
    MeetingMessageModel single;
    single.messageType = MeetingMessageModel::Notice;
    single.messageString = QStringLiteral("short notice");
    const QSizeF one = single.getMessageSizeWithMaxWidth(0, font);
    EXPECT_GT(one.width(), 0);
    EXPECT_LT(one.height(), metrics.height() * 2);
}

// A long meeting keeps every line's size but the laid-out documents of the last lines only; a
// line whose document went is laid out again as it was measured.
TEST(ModelDerivedTest, MessageLines_KeepSizesButABoundedNumberOfLaidOutDocuments)
{
    const QFont font;
    QList<MeetingMessageModel> lines(MeetingMessageModel::kKeptDocuments * 3);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        lines[i].messageType = MeetingMessageModel::Chat;
        lines[i].userName = QStringLiteral("A");
        lines[i].messageString = QStringLiteral("line %1 of a long meeting, long enough to wrap").arg(i);
        (void)lines[i].getMessageSizeWithMaxWidth(120, font);
    }
    EXPECT_LE(MeetingMessageModel::keptDocumentCount(), MeetingMessageModel::kKeptDocuments);

    const QSizeF measured = lines[0].getMessageSizeWithMaxWidth(120, font);
    const QTextDocument &again = lines[0].laidOutDocument(120, font);
    EXPECT_TRUE(again.toPlainText().contains(QStringLiteral("line 0 of")));
    EXPECT_EQ(again.textWidth(), 120);
    EXPECT_EQ(std::ceil(again.size().height()), measured.height());
}

TEST(ModelSubTitleTest, RecordsAreEqualBySenderNameContentAndTime)
{
    KVSubTitleRecord a;
    a.senderId = QStringLiteral("s");
    a.name = QStringLiteral("n");
    a.content = QStringLiteral("c");
    a.timeStamp = 1700000000123.0;
    KVSubTitleRecord b = a;
    b.cnText = QStringLiteral("other");
    b.resultType = 2;
    EXPECT_TRUE(a == b);
    b.timeStamp += 1;
    EXPECT_FALSE(a == b);
    b = a;
    b.content = QStringLiteral("d");
    EXPECT_FALSE(a == b);
    const KVSubTitleModel plain;
    EXPECT_FALSE(plain == a); // not the same class

    QList<KVSubTitleRecord> lines;
    EXPECT_TRUE(addUniqueObject(lines, a));
    KVSubTitleRecord again = a;
    again.showText = QStringLiteral("x");
    EXPECT_FALSE(addUniqueObject(lines, again));
    EXPECT_EQ(lines.size(), 1);
}

TEST(ModelSubTitleTest, TimeStringIsTheLocalTimeOfTheSecond)
{
    TimeZones::inEachTimeZone([&] {
        KVSubTitleRecord r;
        r.timeStamp = double(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)).toMSecsSinceEpoch() + 999);
        EXPECT_EQ(r.timeString(), "03:04:05");
        // Numbers from a reply that are no time at all are not converted (that would overflow).
        for (double bad : {std::nan(""), 1e22, -1e22, 9.3e21, std::numeric_limits<double>::infinity()}) {
            r.timeStamp = bad;
            EXPECT_EQ(r.timeString(), "") << bad;
        }
        EXPECT_EQ(jx_objectWithKeyValues<KVSubTitleRecord>(jx_JSONObject(QStringLiteral(R"({"timeStamp":1e22})")))
                      .timeString(),
                  "");
    });
}

TEST(ModelUserTest, HostAndSelfChecks)
{
    FakeContext context;
    ModelContextScope scope(context);
    VeskUserModel host;
    host.phoneNumber = context.creatorId;
    EXPECT_TRUE(host.isHost());
    EXPECT_FALSE(host.isSelf());

    VeskUserModel me;
    me.userId = context.phone; // some replies put the phone number in userId
    EXPECT_TRUE(me.isSelf());
    me.userId.clear();
    me.phoneNumber = context.phone;
    EXPECT_TRUE(me.isSelf());
    EXPECT_FALSE(me.isHost());

    VeskUserModelCopy row;
    row.phoneNumber = QStringLiteral("META") + context.creatorId;
    EXPECT_TRUE(row.checkIsHost());
    EXPECT_FALSE(row.checkIsMe());
    row.phoneNumber = context.creatorId + QStringLiteral("META");
    EXPECT_FALSE(row.checkIsHost());
    row.userId = context.phone;
    EXPECT_TRUE(row.checkIsMe());

    // Outside a meeting / signed out, empty ids match nothing.
    context.creatorId.clear();
    context.phone.clear();
    const VeskUserModel empty;
    EXPECT_FALSE(empty.isHost());
    EXPECT_FALSE(empty.isSelf());
    const VeskUserModelCopy emptyRow;
    EXPECT_FALSE(emptyRow.checkIsHost());
    EXPECT_FALSE(emptyRow.checkIsMe());
}

TEST(ModelUserTest, WithoutAContextNothingMatches)
{
    VeskUserModel user;
    user.phoneNumber = QStringLiteral("1");
    EXPECT_FALSE(user.isHost());
    EXPECT_FALSE(user.isSelf());
    EXPECT_EQ(MeetingDataModel::defaultModel().roomName, "创建的会议");
}

TEST(ModelMeetingInfoTest, EitherReadingOfTheSharingAndVideoFields)
{
    auto info = jx_sharedObjectWithKeyValues<MeetingInfoModel>(
        QVariantMap{{"isSharingFiles", 3}, {"streamLevel", 0}, {"creatorId", "13800000009"}});
    EXPECT_TRUE(info->isSharingAudioVideo());
    EXPECT_FALSE(info->isSharingDocument());
    EXPECT_FALSE(info->hasVideo());
    info->isSharingFiles = 7; // unknown values mean none
    EXPECT_FALSE(info->isSharingAudioVideo());
    EXPECT_FALSE(info->isSharingDocument());
    info->streamLevel = 2;
    EXPECT_TRUE(info->hasVideo());
}
