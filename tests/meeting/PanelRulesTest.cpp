// The panels' decisions without a window: the chat's typing rule and permission commands and where
// the chat overlay may sit.

#include "meeting/panels/ChatRules.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using Kind = ChatRules::InputDecision::Kind;

TEST(ChatRulesTest, TypingRule_SendsTrimmedText_EnterOtherwiseBreaksTheLine_FiftyUnitsAtMost)
{
    const auto sent = ChatRules::inputDecision(QStringLiteral("  word \n"), QStringLiteral("\n"));
    EXPECT_EQ(sent.kind, Kind::Send);
    EXPECT_EQ(sent.text, QStringLiteral("word"));
    EXPECT_EQ(ChatRules::inputDecision(QStringLiteral("   "), QStringLiteral("\n")).kind, Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(QString(), QStringLiteral("\n")).kind, Kind::Accept);

    const QString fifty(50, QLatin1Char('a'));
    EXPECT_EQ(ChatRules::inputDecision(fifty.left(49), QStringLiteral("b")).kind, Kind::Accept);
    const auto refused = ChatRules::inputDecision(fifty, QStringLiteral("b"));
    EXPECT_EQ(refused.kind, Kind::Refuse);
    EXPECT_EQ(refused.tip, QStringLiteral("最多输入50个字符"));
    // Blanks around the text do not count; a paste counts whole; UTF-16 units are counted.
    EXPECT_EQ(ChatRules::inputDecision(QStringLiteral("  ") + fifty.left(49) + QStringLiteral("  "),
                                       QStringLiteral("b"))
                  .kind,
              Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(QString(), QString(51, QLatin1Char('x'))).kind, Kind::Refuse);
    EXPECT_EQ(ChatRules::inputDecision(fifty.left(49), QStringLiteral("😀")).kind, Kind::Refuse);
    // Enter with the full fifty still sends.
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("\n")).kind, Kind::Send);
}

TEST(ChatRulesTest, PermissionCommand_ByAddresseeAndRole)
{
    const QString me = QStringLiteral("13800000000");
    // To everyone, forbid: the room's flag, the toast; a participant's input closes.
    auto all = ChatRules::permissionCommand(QStringLiteral("-1"), 0, me, false);
    EXPECT_TRUE(all.addressed && all.setsRoomForbid && all.forbid && all.showsForbidToast && all.touchesInputs);
    EXPECT_FALSE(all.input.editable);
    EXPECT_EQ(all.input.enableButtonState, 1);
    EXPECT_EQ(all.input.placeholder, QStringLiteral("全员禁言中"));
    EXPECT_FALSE(all.floatingEnabled);
    // The host stops after the room's flag.
    auto host = ChatRules::permissionCommand(QStringLiteral("-1"), 0, me, true);
    EXPECT_TRUE(host.setsRoomForbid && host.showsForbidToast);
    EXPECT_FALSE(host.touchesInputs);
    // Allowed again: no toast, the input opens.
    auto allowed = ChatRules::permissionCommand(QStringLiteral("-1"), 1, me, false);
    EXPECT_TRUE(allowed.setsRoomForbid && !allowed.forbid && !allowed.showsForbidToast);
    EXPECT_TRUE(allowed.input.editable);
    EXPECT_EQ(allowed.input.placeholder, QStringLiteral("请输入消息"));
    EXPECT_EQ(allowed.input.enableButtonState, 0);
    // To me alone: my input only, never the room's flag or the toast; also for a host.
    for (bool privileged : {false, true}) {
        auto mine = ChatRules::permissionCommand(me, 0, me, privileged);
        EXPECT_TRUE(mine.addressed && mine.touchesInputs);
        EXPECT_FALSE(mine.setsRoomForbid || mine.showsForbidToast);
        EXPECT_EQ(mine.input.placeholder, QStringLiteral("您已被禁言"));
        EXPECT_FALSE(mine.input.editable);
    }
    EXPECT_TRUE(ChatRules::permissionCommand(me, 1, me, false).input.editable);
    // To another: nothing.
    EXPECT_FALSE(ChatRules::permissionCommand(QStringLiteral("13900000000"), 0, me, false).addressed);
    EXPECT_FALSE(ChatRules::permissionCommand(QString(), 0, QString(), false).addressed);
}

TEST(ChatRulesTest, PermissionDisplay_ParticipantsFollowTheRoom_HostsKeepTheirInput)
{
    EXPECT_TRUE(ChatRules::permissionDisplay(true, false).editable);
    const auto closed = ChatRules::permissionDisplay(false, false);
    EXPECT_FALSE(closed.editable || closed.floatingEnabled);
    EXPECT_TRUE(closed.emptiedWithForbiddenPlaceholder);
    const auto host = ChatRules::permissionDisplay(false, true);
    EXPECT_TRUE(host.editable && host.floatingEnabled);
    EXPECT_FALSE(host.emptiedWithForbiddenPlaceholder);
}

TEST(ChatRulesTest, OverlayBand_LiftsOverTheNameBarsBelowAndStopsUnderTheRowAbove)
{
    // Nothing to keep clear of: the given bottom and height.
    auto free = ChatRules::overlayBand(16, 300, 600, 216, {});
    EXPECT_EQ(free.bottom, 600);
    EXPECT_EQ(free.maxHeight, 216);
    // The bottom row's bar right above the bottom (and one across it in the next column), the
    // next row's bar 200 higher, and a bar outside the columns.
    const QList<QRect> bars{QRect(20, 560, 120, 30), QRect(300, 570, 80, 30), QRect(20, 360, 120, 30),
                            QRect(700, 500, 100, 30)};
    auto band = ChatRules::overlayBand(16, 300, 600, 216, bars);
    EXPECT_EQ(band.bottom, 560 - 4 - 10 - 0 + 10 - 10 + 10 - 0 - 0 + 0 == 556 ? 556 : 556);
    EXPECT_EQ(band.bottom, 556);
    EXPECT_EQ(band.maxHeight, 556 - (390 + 4));
    for (const QRect &bar : bars.mid(0, 3)) {
        const QRect overlay(16, band.bottom - band.maxHeight, 300, band.maxHeight);
        EXPECT_FALSE(overlay.intersects(bar)) << bar.y();
    }
    // A tall band is still capped.
    auto capped = ChatRules::overlayBand(16, 300, 600, 100, {QRect(20, 580, 100, 30)});
    EXPECT_EQ(capped.bottom, 576);
    EXPECT_EQ(capped.maxHeight, 100);
}

} // namespace
