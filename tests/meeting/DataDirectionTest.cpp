// Text from others cannot reorder ours: a name holding a right-to-left override, embedding or
// isolate leaves the parts of the title, a chat line, a toast, a member row, a subtitle and a tile that follow
// it in their own order, as shaped on the screen.
#include "DispatchTestSupport.h"
#include "support/HostileText.h"

#include "agent/MeetingActiveModel.h"
#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/MeetingMessageCell.h"
#include "meeting/panels/MemberListRules.h"
#include "meeting/panels/SubtitleRules.h"
#include "meeting/window/dispatch/MeetingMessageDispatch.h"
#include "meeting/window/grid/MeetingActiveView.h"

#include <gtest/gtest.h>

namespace {

const QStringList kHostileNames{
    QStringLiteral("Weekly\u202E"),
    QStringLiteral("Bob\u202B"),
    QStringLiteral("Alice\u2066"),
    QStringLiteral("x\u2069\u202E"), // a closing isolate of its own must not end ours early
    QStringLiteral("\u05E9\u05DC\u05D5\u05DD"),
};

TEST(DataDirection, TitleChatLineToastRowAndTile_KeepOurPartsInOrder)
{
    for (const QString &name : kHostileNames) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(shownInOrder(MeetingWindowRules::joinedTitle(name, "800000002"), "(800-000-002)"));

        MeetingMessageModel chat;
        chat.messageType = MeetingMessageModel::Chat;
        chat.userName = name;
        chat.messageString = QStringLiteral("I agree, transfer 100 to 9876");
        EXPECT_TRUE(shownInOrder(chat.getDisplayMessage(MeetingMessageCell::fontFor(true)).text,
                                 "I agree, transfer 100 to 9876"));

        RecordingDispatchTarget target;
        MeetingMessageDispatch::dispatchControl(
            controlMessage(7, {{"peerId", RXEncrypt::aes128ecbEncrypt(target.phone)}}, {}, "13700000000", name),
            target);
        ASSERT_EQ(target.calls.size(), 1);
        EXPECT_TRUE(shownInOrder(target.calls[0], "拒绝了您的开麦请求"));

        MeetingMemberModelCopy row;
        row.userName = name;
        row.isAssistantHost = true;
        EXPECT_TRUE(shownInOrder(MemberListRules::displayName(row), "（助理主持）"));

        KVSubTitleModel subtitle;
        subtitle.senderName = name;
        subtitle.showText = QStringLiteral("I agree, transfer 100 to 9876");
        EXPECT_TRUE(shownInOrder(SubtitleRules::subtitleText(subtitle), ": I agree, transfer 100 to 9876"));

        const MeetingActiveModel tile(0, "13800000000", "u", name, true, nullptr);
        EXPECT_TRUE(shownInOrder(MeetingActiveView::displayName(tile), "(我)"));
    }
}

TEST(DataDirection, IsolatedAndBounded_KeepTheDataWhole_AndCutLongText)
{
    // A name reads as it is stored: its own embeddings, overrides and isolates are not shown.
    EXPECT_EQ(DataText::isolated("invoice\u202Eexe.pdf"), QStringLiteral("invoiceexe.pdf"));
    EXPECT_EQ(DataText::isolated("a\u2066b\u202Ac\u2069"), QStringLiteral("abc"));
    EXPECT_EQ(DataText::isolated("\u05D0\u202Eb\u2069"), QStringLiteral("\u2068\u05D0b\u2069"));
    EXPECT_EQ(DataText::bounded("abc", 3), "abc");
    EXPECT_EQ(DataText::bounded("abcd", 3), QStringLiteral("ab\u2026"));
    // Never half a surrogate pair.
    const QString emoji = QStringLiteral("a\U0001F600b");
    EXPECT_EQ(DataText::bounded(emoji, 3), QStringLiteral("a\u2026"));
    EXPECT_EQ(DataText::bounded(QString(2'000'000, 'x'), DataText::kLineLength).size(), DataText::kLineLength);
    // A chat line and a notice are cut where they enter the line's display text, the name too.
    MeetingMessageModel chat;
    chat.messageType = MeetingMessageModel::Chat;
    chat.userName = QString(100'000, 'n');
    chat.messageString = QString(2'000'000, 'x');
    EXPECT_LE(chat.getDisplayMessage(QFont()).text.size(), DataText::kNameLength + DataText::kChatLength + 8);
    chat.messageType = MeetingMessageModel::Notice;
    chat.displayMessage.clear();
    EXPECT_EQ(chat.getDisplayMessage(QFont()).text.size(), DataText::kChatLength);
}

} // namespace
