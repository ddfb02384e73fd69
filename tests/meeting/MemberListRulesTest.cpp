// The member list's decisions without a display: roster order, rows carried over, search, the
// bottom buttons, what a roster row shows and does, and the host's control messages.

#include "meeting/panels/MemberListRules.h"
#include "agent/VeskAppAgent.h"
#include "foundation/ModelContext.h"
#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"
#include "meeting/panels/MemberControlMessages.h"
#include "meeting/panels/WaitingMeetingRowCell.h"
#include "uikit/KVDataText.h"

#include <gtest/gtest.h>

using namespace MemberListRules;

namespace {

const QString kMe = QStringLiteral("13800000000");
const QString kHost = QStringLiteral("13900000000");

class Context final : public ModelContext {
public:
    QString me = kMe;
    QString creator = kHost;
    [[nodiscard]] QString myPhoneNumber() const override { return me; }
    [[nodiscard]] QString roomCreatorId() const override { return creator; }
};

// A participant as the manager holds it: the phone number is the encrypted peer id.
std::shared_ptr<MeetingMemberModel> member(const QString &phone, const QString &name, bool share = false)
{
    VeskUserModel user;
    user.userId = phone;
    user.phoneNumber = RXEncrypt::aes128ecbEncrypt(phone);
    user.userName = name;
    auto m = std::make_shared<MeetingMemberModel>(user);
    m->setShareFlag(share ? 1 : 0);
    return m;
}

QStringList names(const MemberRows &rows)
{
    QStringList out;
    for (const MemberRow &r : rows)
        out << r->userName;
    return out;
}

MemberRows roster(const MeetingMemberList &members, const QStringList &assistants = {})
{
    QStringList records;
    for (const QString &a : assistants)
        records << RXEncrypt::aes128ecbEncrypt(a);
    MemberRows rows = buildRows({members, QString(), records, false});
    rosterOrder(rows, records);
    return rows;
}

class MemberListRulesTest : public ::testing::Test {
protected:
    Context context;
    ModelContextScope scope{context};
};

TEST_F(MemberListRulesTest, RosterOrder_MeHostAssistantsSharerThenTheRest)
{
    // I am the host; someone else shares; one assistant host.
    context.me = kHost;
    EXPECT_EQ(
        names(roster({member("1", "甲"), member("2", "共享", true), member(kHost, "我"), member("3", "助理")}, {"3"})),
        (QStringList{"我", "助理", "共享", "甲"}));
    // Somebody else is the host, I am a member.
    context.me = kMe;
    EXPECT_EQ(names(roster({member("1", "甲"), member(kHost, "主持"), member(kMe, "我"), member("2", "共享", true)})),
              (QStringList{"我", "主持", "共享", "甲"}));
}

TEST_F(MemberListRulesTest, RosterOrder_TheLaterOfTwoMeRowsGoesFirstTheEarlierKeepsItsPlace)
{
    EXPECT_EQ(names(roster({member("1", "甲"), member(kMe, "我1"), member("2", "乙"), member(kMe, "我2")})),
              (QStringList{"我2", "甲", "我1", "乙"}));
}

TEST_F(MemberListRulesTest, RosterOrder_ThreeAssistantsFirstAndLastFoundMoveTheMiddleStays)
{
    EXPECT_EQ(
        names(roster({member("9", "R"), member("1", "A1"), member("2", "A2"), member("3", "A3"), member(kHost, "H")},
                     {"1", "2", "3"})),
        (QStringList{"H", "A1", "A3", "R", "A2"}));
    EXPECT_TRUE(roster({}).isEmpty());
}

TEST_F(MemberListRulesTest, Rows_OpenMenuCarriedOverByDecryptedPhoneAndAssistantsMarked)
{
    auto a = member("1", "甲");
    auto b = member("2", "乙");
    a->setIsAssistantHost(true); // withdrawn since: the records no longer hold it
    const QStringList records{RXEncrypt::aes128ecbEncrypt("2")};
    MemberRows rows = buildRows({{a, b}, QStringLiteral("2"), records, false});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->phoneNumber, "1");
    EXPECT_EQ(rows[0]->peerId, a->phoneNumber);
    EXPECT_FALSE(rows[0]->isExpand);
    EXPECT_TRUE(rows[1]->isExpand);
    EXPECT_FALSE(a->isAssistantHost());
    EXPECT_FALSE(rows[0]->isAssistantHost);
    EXPECT_TRUE(b->isAssistantHost());
    EXPECT_TRUE(rows[1]->isAssistantHost);
    EXPECT_EQ(expandedPhone(rows), "2");

    // An assistant host has no menu open on another assistant's row; ticks never survive.
    rows[1]->isCheck = true;
    rows = buildRows({{a, b}, QStringLiteral("2"), records, true});
    EXPECT_FALSE(rows[1]->isExpand);
    EXPECT_FALSE(rows[1]->isCheck);
}

TEST_F(MemberListRulesTest, Rows_NamesTransliteratedOnceAndTheCacheKeepsOnlyThisRoster)
{
    NameCache cache;
    cache.insert(QStringLiteral("张三"), {QStringLiteral("cached"), QStringLiteral("c")});
    cache.insert(QStringLiteral("离开"), {QStringLiteral("likai"), QStringLiteral("lk")});
    const MemberRows rows = buildRows({{member("1", "张三"), member("2", "李四")}, {}, {}, false}, &cache);
    EXPECT_EQ(rows[0]->namePinYin, "cached");
    EXPECT_EQ(rows[1]->namePinYin, "lisi");
    EXPECT_EQ(rows[1]->nameFirstLetter, "ls");
    EXPECT_EQ(cache.size(), 2);
    EXPECT_FALSE(cache.contains(QStringLiteral("离开")));
}

// Every update made a new copy of every row: a member still there now keeps its row object,
// brought up to date as a fresh copy would be.
TEST_F(MemberListRulesTest, Rows_AMemberStillThereKeepsItsRowAsAFreshCopyWouldBe)
{
    const auto a = member("1", "张三");
    const auto b = member("2", "李四");
    NameCache cache;
    const MemberRows first = buildRows({{a, b}, {}, {}, false}, &cache);
    first[0]->isCheck = true;
    a->setAudioFlag(true);
    a->userName = QStringLiteral("张三丰");
    const auto c = member("3", "王五");
    const RosterInput input{{c, a}, {}, {}, false};
    const MemberRows rows = buildRows(input, &cache, first);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_NE(rows[0], first[1]);
    EXPECT_EQ(rows[1], first[0]) << "the same row object";
    for (qsizetype i = 0; i < rows.size(); ++i) {
        MeetingMemberModelCopy fresh = MeetingMemberModelCopy::fromMember(*input.members[i]);
        const NameForms forms = nameForms(fresh.userName);
        fresh.namePinYin = forms.pinYin;
        fresh.nameFirstLetter = forms.firstLetter;
        EXPECT_EQ(*rows[i], fresh) << i;
    }
    EXPECT_EQ(rows[1]->nameFirstLetter, "zsf");
}

// Rows are found in their places or by peer id; the cache is left as it is while the roster is, and a
// member who left takes his name with him.
TEST_F(MemberListRulesTest, Rows_FoundInPlaceOrByPeerAndTheCacheFollowsTheRoster)
{
    const auto a = member("1", "张三");
    const auto b = member("2", "李四");
    NameCache cache;
    const MemberRows first = buildRows({{a, b}, {}, {}, false}, &cache);
    MemberRows rows = buildRows({{a, member("3", "王五"), b}, {}, {}, false}, &cache, first);
    EXPECT_EQ(rows[0], first[0]);
    EXPECT_EQ(rows[2], first[1]);
    EXPECT_EQ(names(rows), (QStringList{"张三", "王五", "李四"}));
    rows = buildRows({{b, a}, {}, {}, false}, &cache, rows);
    rows = buildRows({{b, a}, {}, {}, false}, &cache, rows);
    EXPECT_EQ(rows[0], first[1]);
    EXPECT_EQ(rows[0]->namePinYin, "lisi");
    EXPECT_EQ(cache.size(), 2);
    rows = buildRows({{a}, {}, {}, false}, &cache, rows);
    EXPECT_EQ(rows[0]->nameFirstLetter, "zs");
    EXPECT_EQ(cache.keys(), (QStringList{"张三"}));
}

// Members who left and came back within one coalesced change are new participant objects with new peer id strings;
// their rows are refreshed while the rest are still looked up. A newcomer at the top moves everybody, so every row
// is found by its peer id. (The sanitizer build reads no freed text here.)
TEST_F(MemberListRulesTest, Rows_MembersRejoiningInOneChangeKeepTheirRowsWhileTheOrderAheadChanges)
{
    MeetingMemberList first;
    for (int i = 0; i < 300; ++i)
        first.append(member(QString::number(13700000000 + i), QStringLiteral("成员%1").arg(i)));
    NameCache cache;
    const MemberRows before = buildRows({first, {}, {}, false}, &cache);
    QHash<QString, MemberRow> rowOf;
    for (const MemberRow &row : before)
        rowOf.insert(row->phoneNumber, row);

    MeetingMemberList second{member(QStringLiteral("13600000000"), QStringLiteral("新来的"))};
    for (int i = 0; i < first.size(); ++i) {
        // Every third left and came back: the same peer as a new object, its peer id a string of its own.
        second.append(i % 3 == 0 ? member(QString::number(13700000000 + i), QStringLiteral("成员%1").arg(i))
                                 : first.at(i));
    }
    first.clear();
    const MemberRows rows = buildRows({second, {}, {}, false}, &cache, before);
    ASSERT_EQ(rows.size(), second.size());
    EXPECT_EQ(rows[0]->userName, QStringLiteral("新来的"));
    for (qsizetype i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], rowOf.value(rows[i]->phoneNumber)) << i;
        EXPECT_EQ(rows[i]->peerId, second[i]->phoneNumber) << i;
        EXPECT_EQ(rows[i]->userName, second[i]->userName) << i;
    }
}

TEST_F(MemberListRulesTest, Search_ByNameInitialsOrFirstLetterAndPinyin)
{
    const MemberRows rows = buildRows(
        {{member("1", "张三"), member("2", "李四"), member("3", "Wang Wu"), member("4", "赵六")}, {}, {}, false});
    EXPECT_EQ(names(search(rows, "zs")), (QStringList{"张三"}));
    EXPECT_EQ(names(search(rows, "zhang")), (QStringList{"张三"}));
    EXPECT_EQ(names(search(rows, "ZHANG")), (QStringList{"张三"}));
    EXPECT_EQ(names(search(rows, "z")), (QStringList{"张三", "赵六"}));
    // The pinyin counts only when the key's first letter is an initial of the name.
    EXPECT_TRUE(search(rows, "hang").isEmpty());
    EXPECT_EQ(names(search(rows, "wang w")), (QStringList{"Wang Wu"}));
    EXPECT_EQ(names(search(rows, "李")), (QStringList{"李四"}));
    EXPECT_EQ(search(rows, "").size(), 4);
    // Not across a name and its initials, nor across two rows.
    EXPECT_TRUE(search(rows, "三z").isEmpty());
    EXPECT_TRUE(search(rows, "siw").isEmpty());

    // "İ" lowers to "i̇": the name is lowered like the key, whichever case either is typed in.
    const MemberRows turkish = buildRows({{member("5", "İpek"), member("6", "Ali")}, {}, {}, false});
    EXPECT_EQ(names(search(turkish, "İp")), (QStringList{"İpek"}));
    EXPECT_EQ(names(search(turkish, QStringLiteral("i\u0307pek"))), (QStringList{"İpek"}));
    EXPECT_EQ(names(search(turkish, searchIndex(turkish), "AL")), (QStringList{"Ali"}));

    IMSystemSubMessage a, b;
    a.userName = QStringLiteral("Alice 张");
    b.userName = QStringLiteral("Bob");
    EXPECT_EQ(waitingSearch({a, b}, "ALI").size(), 1);
    EXPECT_EQ(waitingSearch({a, b}, "张").first().userName, a.userName);
    EXPECT_EQ(waitingSearch({a, b}, "").size(), 2);
    b.userName = QStringLiteral("İlker");
    EXPECT_EQ(waitingSearch({a, b}, "İl").size(), 1);
    EXPECT_TRUE(waitingSearch({a, b}, "zhang").isEmpty()); // the waiting list matches names only
}

TEST_F(MemberListRulesTest, BottomButtons_ByTabBatchModeAndRole)
{
    const QColor red("#FF656B"), blue("#007AFF"), clear(Qt::transparent), white(Qt::white);
    struct Case {
        bool joined, batch, micAllow, ticked;
        ButtonStyle left, right;
    };
    const QList<Case> cases{
        {true,
         false,
         true,
         false,
         {"全员闭麦", {}, red, clear, red, 1},
         {"更多", "arrow_down_talk", white, blue, clear, 0}},
        {true,
         false,
         false,
         false,
         {"允许成员自行开麦", {}, red, clear, red, 1},
         {"更多", "arrow_down_talk", white, blue, clear, 0}},
        {true,
         true,
         true,
         false,
         {"取消", {}, blue, clear, blue, 1},
         {"移除", {}, QColor("#B4B4B4"), QColor("#666666"), clear, 0}},
        {true, true, true, true, {"取消", {}, blue, clear, blue, 1}, {"移除", {}, white, red, clear, 0}},
        {false, true, true, true, {"全部准入", {}, white, blue, clear, 0}, {"全部移出", {}, red, clear, red, 1}},
        {false, false, false, false, {"全部准入", {}, white, blue, clear, 0}, {"全部移出", {}, red, clear, red, 1}},
    };
    for (const Case &c : cases) {
        const Bottom b = bottomButtons(c.joined, c.batch, c.micAllow, c.ticked);
        EXPECT_EQ(b.left, c.left) << c.joined << c.batch << c.micAllow << c.ticked << b.left.title.toStdString();
        EXPECT_EQ(b.right, c.right) << c.joined << c.batch << c.micAllow << c.ticked << b.right.title.toStdString();
    }
    EXPECT_EQ(bottomBarHeight(true), 60);
    EXPECT_EQ(bottomBarHeight(false), 0);
    EXPECT_EQ(joinedTabTitle(3), "已入会(3)");
    EXPECT_EQ(waitingTabTitle(0), "等候室(0)");
    EXPECT_EQ(memberTitle(12), "成员管理(12)");
}

MeetingMemberModelCopy row(const QString &phone, const QString &name, bool audio = false, bool video = false,
                           bool assistant = false)
{
    MeetingMemberModelCopy r;
    r.phoneNumber = phone;
    r.userName = name;
    r.audioFlag = audio;
    r.videoFlag = video;
    r.isAssistantHost = assistant;
    return r;
}

TEST_F(MemberListRulesTest, Row_TagsHoverAndNameWidths)
{
    context.me = kHost;
    EXPECT_EQ(displayName(row(kHost, "王")), "王（我,主持人）");
    EXPECT_EQ(displayName(row("1", "李", false, false, true)), "李（助理主持）");
    EXPECT_EQ(displayName(row("2", "<b>x</b>")), "<b>x</b>");
    context.me = kMe;
    EXPECT_EQ(displayName(row(kHost, "王", false, false, true)), "王（主持人）");
    EXPECT_EQ(displayName(row(kMe, "张", false, false, true)), "张（我,助理主持）");
    // A name far longer than a row is cut before the row's label measures it at every repaint, in
    // the roster and the waiting room alike.
    const QString longName(100'000, QChar(0x540D));
    EXPECT_EQ(displayName(row("2", longName)).size(), DataText::kNameLength);
    EXPECT_TRUE(displayName(row(kHost, longName)).endsWith(QStringLiteral("（主持人）")));
    EXPECT_LE(displayName(row(kHost, longName)).size(), DataText::kNameLength + 8);
    WaitingMeetingRowCell waiting;
    IMSystemSubMessage entry;
    entry.userName = longName;
    waiting.setModel(entry);
    EXPECT_EQ(waiting.nameLabel()->fullText().size(), DataText::kNameLength);

    const Viewer host{true, false, kHost};
    const Viewer assistant{true, true, kMe};
    const Viewer plain{false, false, kMe};
    EXPECT_TRUE(hoverAllowed(host, row("1", "a")));
    EXPECT_FALSE(hoverAllowed(plain, row("1", "a")));
    EXPECT_FALSE(hoverAllowed(assistant, row(kMe, "me")));
    EXPECT_FALSE(hoverAllowed(assistant, row(kHost, "host")));
    EXPECT_TRUE(hoverAllowed(assistant, row("1", "a")));

    EXPECT_EQ(nameWidth(false, false), 174);
    EXPECT_EQ(nameWidth(true, false), 156);
    EXPECT_EQ(nameWidth(false, true), 146);
    EXPECT_EQ(nameWidth(true, true), 128);
}

TEST_F(MemberListRulesTest, Row_PressDecisionsInTheirRefusalOrder)
{
    const Viewer host{true, false, kHost};
    const Viewer assistant{true, true, kMe};
    const Viewer plain{false, false, kMe};
    const auto on = row("1", "a", true, true);
    const auto off = row("1", "a", false, false);
    // The assistant host on the host's row, and anybody on his own row: refused.
    EXPECT_EQ(micPress(assistant, row(kHost, "h", true, true)), Press::Refuse);
    EXPECT_EQ(cameraPress(assistant, row(kHost, "h", true, true)), Press::Refuse);
    EXPECT_EQ(sharePress(assistant, row(kHost, "h")), Press::Refuse);
    EXPECT_EQ(micPress(host, row(kHost, "me", true, true)), Press::Refuse);
    EXPECT_EQ(cameraPress(plain, row(kMe, "me", true, true)), Press::Refuse);
    EXPECT_EQ(sharePress(host, row(kHost, "me")), Press::Refuse);
    // Not privileged: nothing.
    EXPECT_EQ(micPress(plain, on), Press::Ignore);
    EXPECT_EQ(cameraPress(plain, on), Press::Ignore);
    EXPECT_EQ(sharePress(plain, on), Press::Ignore);
    // The host on a member.
    EXPECT_EQ(micPress(host, on), Press::Close);
    EXPECT_EQ(micPress(host, off), Press::AskToOpen);
    EXPECT_EQ(cameraPress(host, on), Press::Close);
    EXPECT_EQ(cameraPress(host, off), Press::Ignore);
    EXPECT_EQ(sharePress(assistant, off), Press::ToggleShare);
}

// Outside the fixture: the agent installs its own model context.
TEST(MemberControlMessagesTest, TypesStatusesSendersAndTexts)
{
    VeskUserModel me;
    me.phoneNumber = kHost;
    me.userName = QStringLiteral("主持人");
    VeskAppAgent::sharedInstance()->setMyInfo(me);
    using namespace MemberControlMessages;

    Message m = micControl("-1", true);
    EXPECT_EQ(m.type, 1);
    EXPECT_EQ(m.data.peerId, "-1");
    EXPECT_EQ(m.data.switchStatus, 0);
    EXPECT_EQ(m.data.sender, kHost);
    EXPECT_EQ(m.message, QString("主持人关闭了全员麦克风"));
    m = micControl(RXEncrypt::aes128ecbEncrypt("13700000001"), false);
    EXPECT_EQ(m.data.peerId, "13700000001");
    EXPECT_EQ(m.data.switchStatus, 1);
    EXPECT_FALSE(m.message.has_value());
    EXPECT_FALSE(micControl("13700000001", true).message.has_value());

    m = cameraControl("-1", true);
    EXPECT_EQ(m.type, 803);
    EXPECT_EQ(m.message, QString("主持人关闭了全员摄像头"));

    m = allowOpenMic("-1", true);
    EXPECT_EQ(m.type, 9);
    EXPECT_EQ(m.data.senderName, "主持人");
    EXPECT_TRUE(m.data.sender.isEmpty());
    EXPECT_EQ(m.data.switchStatus, 0);
    ASSERT_TRUE(m.message.has_value());
    EXPECT_TRUE(m.message->isEmpty());
    m = allowOpenMic("-1", false);
    EXPECT_EQ(m.data.switchStatus, 1);
    EXPECT_FALSE(m.message.has_value());
    m = allowOpenCamera("-1", true);
    EXPECT_EQ(m.type, 804);
    EXPECT_TRUE(m.message.has_value());

    EXPECT_EQ(withoutMeta("META13700000001"), "13700000001");
    EXPECT_EQ(requestId("META13700000001"), RXEncrypt::aes128ecbEncrypt("13700000001"));
    VeskAppAgent::resetSharedInstance();
}

} // namespace
