// The panels' decisions without a window: the chat's typing rule and permission commands, where the
// chat overlay may sit, how transcription results merge into lines, and which results become a
// subtitle.

#include "foundation/StringHelpers.h"
#include "meeting/panels/ChatRules.h"
#include "meeting/panels/SubtitleRules.h"
#include "meeting/panels/TranscriptLines.h"
#include "meeting/panels/TranscriptionViewCell.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

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
    EXPECT_EQ(
        ChatRules::inputDecision(QStringLiteral("  ") + fifty.left(49) + QStringLiteral("  "), QStringLiteral("b"))
            .kind,
        Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(QString(), QString(51, QLatin1Char('x'))).kind, Kind::Refuse);
    EXPECT_EQ(ChatRules::inputDecision(fifty.left(49), QStringLiteral("😀")).kind, Kind::Refuse);
    // Enter with the full fifty still sends.
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("\n")).kind, Kind::Send);
}

// The limit counts what the text will be: a selection typed or pasted over goes first.
TEST(ChatRulesTest, TypingRule_AReplacedSelectionIsNotCounted)
{
    const QString fifty(50, QLatin1Char('a'));
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("b"), 0, 50).kind, Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("b"), 50, 0).kind, Kind::Accept) << "either direction";
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("bc"), 10, 11).kind, Kind::Refuse);
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("bc"), 10, 12).kind, Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(fifty, QString(50, QLatin1Char('x')), 0, 50).kind, Kind::Accept);
    EXPECT_EQ(ChatRules::inputDecision(fifty, QString(51, QLatin1Char('x')), 0, 50).kind, Kind::Refuse);
    // Blanks left at the ends once the selection goes do not count either.
    EXPECT_EQ(ChatRules::inputDecision(QStringLiteral("  ") + fifty, QStringLiteral("b"), 2, 3).kind, Kind::Accept);
    // A selection beyond the text is no selection.
    EXPECT_EQ(ChatRules::inputDecision(fifty, QStringLiteral("b"), 60, 70).kind, Kind::Refuse);
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

// ---- Transcript lines ---------------------------------------------------------------------------------

QString result(const QString &sender, int type, const QString &text, double time, const QString &name = {})
{
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"senderId", sender},
                                                       {"senderName", name.isEmpty() ? sender : name},
                                                       {"resultType", type},
                                                       {"cnText", text + QStringLiteral("(cn)")},
                                                       {"enText", text + QStringLiteral("(en)")},
                                                       {"cnTextFix", text},
                                                       {"senderTime", time}})
                                 .toJson(QJsonDocument::Compact));
}

KVSubTitleRecord record(const QString &sender, int type, const QString &text, double time)
{
    return *TranscriptLines::recordFromJson(result(sender, type, text, time));
}

QStringList shown(const TranscriptLines &lines)
{
    QStringList out;
    for (const TranscriptLines::Row &row : lines.displayCopy([](const QString &) { return 1; }))
        out << row.record.senderId + QLatin1Char(':') + row.record.content;
    return out;
}

TEST(TranscriptLinesTest, MergeTable_TemporaryGrowsOneLine_FinalClosesIt_RepeatsChangeNothing)
{
    TranscriptLines lines;
    using O = TranscriptLines::Outcome;
    EXPECT_EQ(lines.merge(record("a", 0, "你", 1000)), O::Added);
    EXPECT_EQ(lines.merge(record("a", 0, "你好", 1200)), O::Updated);
    EXPECT_EQ(lines.merge(record("a", 0, "你好", 1200)), O::Unchanged); // the same result again
    EXPECT_EQ(lines.merge(record("a", 2, "你好。", 1300)), O::Updated);
    EXPECT_EQ(shown(lines), QStringList{"a:你好。"});
    const KVSubTitleRecord &line = lines.temSourceArray().first()->record;
    EXPECT_EQ(line.resultType, 2);
    EXPECT_EQ(line.timeStamp, 1000); // the time and name of the first result
    EXPECT_EQ(line.name, QStringLiteral("a"));

    // After a final: an equal result changes nothing, an equal final re-closes it, anything else
    // starts a new line at the bottom.
    EXPECT_EQ(lines.merge(record("a", 0, "你好。", 1000)), O::Unchanged);
    EXPECT_EQ(lines.merge(record("a", 2, "你好。", 1000)), O::Updated);
    EXPECT_EQ(lines.merge(record("a", 2, "再见", 2000)), O::Added);
    EXPECT_EQ(lines.merge(record("a", 0, "下一句", 3000)), O::Added);
    EXPECT_EQ(shown(lines), (QStringList{"a:你好。", "a:再见", "a:下一句"}));

    // The same temporary result twice: the second changes nothing.
    EXPECT_EQ(lines.merge(record("b", 0, "嗯", 4000)), O::Added);
    EXPECT_EQ(lines.merge(record("b", 0, "嗯", 4000)), O::Unchanged);
    // Type 1, or a record without a speaker, never becomes a line.
    EXPECT_EQ(lines.merge(record("b", 1, "x", 5000)), O::Dropped);
    KVSubTitleRecord nobody = record("c", 0, "x", 5000);
    nobody.senderId.clear();
    EXPECT_EQ(lines.merge(nobody), O::Dropped);
    EXPECT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.repaireListMap().size(), 2);
    EXPECT_EQ(lines.repaireListMap().value("a"), lines.temSourceArray().at(1));
}

// A final result delivered twice leaves one line, also when the line began with a temporary result without a name
// (the line then takes the final's name) and at another time.
TEST(TranscriptLinesTest, AFinalDeliveredTwiceLeavesOneLine_AfterANamelessTemporaryResult)
{
    TranscriptLines lines;
    using O = TranscriptLines::Outcome;
    EXPECT_EQ(lines.merge(*TranscriptLines::recordFromJson(
                  QStringLiteral(R"({"senderId":"a","senderTime":1000,"cnTextFix":"你好","resultType":0})"))),
              O::Added);
    const KVSubTitleRecord final = *TranscriptLines::recordFromJson(result("a", 2, "你好世界", 1500, "张三"));
    EXPECT_EQ(lines.merge(final), O::Updated);
    lines.merge(final);
    EXPECT_EQ(shown(lines), QStringList{"a:你好世界"});
    EXPECT_EQ(lines.temSourceArray().first()->record.name, QStringLiteral("张三"));
    EXPECT_EQ(lines.temSourceArray().first()->record.timeStamp, 1000);
    // The same after temporaries of the speaker's own name: the final's time is not the line's.
    lines.merge(record("b", 0, "一", 2000));
    lines.merge(record("b", 0, "一二", 2100));
    lines.merge(record("b", 2, "一二三", 2200));
    lines.merge(record("b", 2, "一二三", 2200));
    EXPECT_EQ(shown(lines), (QStringList{"a:你好世界", "b:一二三"}));
}

// A result delivered again after the speaker went on (a final after his next temporary one, a
// temporary after its final) leaves one line for it, and the line in progress as it was.
TEST(TranscriptLinesTest, AnEarlierResultDeliveredAgain_LeavesOneLine_AndTheLineInProgress)
{
    TranscriptLines lines;
    using O = TranscriptLines::Outcome;
    const KVSubTitleRecord firstWords = record("a", 0, "第一", 900);
    const KVSubTitleRecord first = record("a", 2, "第一句", 1000);
    lines.merge(firstWords);
    lines.merge(first);
    EXPECT_EQ(lines.merge(record("a", 0, "第二句正在说", 2000)), O::Added);
    EXPECT_EQ(lines.merge(first), O::Unchanged);
    EXPECT_EQ(lines.merge(firstWords), O::Unchanged);
    EXPECT_EQ(shown(lines), (QStringList{"a:第一句", "a:第二句正在说"}));
    EXPECT_EQ(lines.temSourceArray().first()->record.resultType, 0) << "the line in progress was closed";
    EXPECT_EQ(lines.merge(record("a", 2, "第二句说完了", 2500)), O::Updated);
    EXPECT_EQ(shown(lines), (QStringList{"a:第一句", "a:第二句说完了"}));
}

TEST(TranscriptLinesTest, TwoSpeakersKeepTwoGrowingLinesInTheOrderTheyStarted)
{
    TranscriptLines lines;
    lines.merge(record("a", 0, "甲1", 1000));
    lines.merge(record("b", 0, "乙1", 1100));
    lines.merge(record("a", 0, "甲12", 1200));
    lines.merge(record("b", 0, "乙12", 1300));
    EXPECT_EQ(shown(lines), (QStringList{"a:甲12", "b:乙12"}));
}

TEST(TranscriptLinesTest, OneMessage_OldestFirst_BadStringsAndSpeakerlessResultsDropped)
{
    // Newest first on the wire: merged oldest first, so the final closes the line and no stale
    // temporary line is left after it.
    const QStringList data{result("a", 2, "好的。", 1300), QStringLiteral("not json"), QStringLiteral("[1,2]"),
                           result("a", 0, "好", 1000), result(QString(), 0, "x", 900)};
    const QList<KVSubTitleRecord> records = TranscriptLines::recordsFromMessage(data);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.first().timeStamp, 1000);
    TranscriptLines lines;
    for (const KVSubTitleRecord &r : records)
        lines.merge(r);
    EXPECT_EQ(shown(lines), QStringList{"a:好的。"});
    // The corrected Chinese text and the sender's name and time.
    EXPECT_EQ(records.first().content, QStringLiteral("好"));
    EXPECT_EQ(records.first().name, QStringLiteral("a"));
}

TEST(TranscriptLinesTest, FirstHistoryPage_OlderLinesGoBeforeTheLiveOnes_EqualSkipped_SpeakersKept)
{
    TranscriptLines lines;
    lines.merge(record("a", 2, "现场一", 5000));
    lines.merge(record("b", 0, "现场二", 6000));
    // Newest first as the service sends it: one equal to a live line, one newer, two older.
    KVSubTitleRecord equal = lines.temSourceArray().last()->record;
    KVSubTitleRecord newer = record("c", 2, "更新", 7000);
    newer.name = QStringLiteral("c");
    lines.mergeFirstPage({newer, equal, record("d", 2, "历史二", 4000), record("d", 2, "历史一", 3000)});
    EXPECT_EQ(shown(lines), (QStringList{"d:历史一", "d:历史二", "a:现场一", "b:现场二"}));
    // The speakers' latest lines are the live ones: a further result still merges into them.
    lines.merge(record("b", 0, "现场二继续", 6500));
    EXPECT_EQ(shown(lines).last(), QStringLiteral("b:现场二继续"));
    EXPECT_FALSE(lines.repaireListMap().contains("d"));
    // History of the oldest live line's moment in another state (its final text) is that line: skipped.
    TranscriptLines live;
    live.merge(record("a", 0, "现场", 5000));
    live.mergeFirstPage({record("a", 2, "现场一，完整", 5000), record("d", 2, "历史", 4000)});
    EXPECT_EQ(shown(live), (QStringList{"d:历史", "a:现场"}));

    // Without live lines the page is taken whole; an older page goes before everything.
    TranscriptLines empty;
    empty.mergeFirstPage({record("d", 2, "二", 2000), record("d", 2, "一", 1000)});
    empty.appendOlderPage({record("d", 2, "零", 500)});
    EXPECT_EQ(shown(empty), (QStringList{"d:零", "d:一", "d:二"}));
}

TEST(TranscriptLinesTest, ALongResultIsCutWhereItEnters_AsANewLineAndAsAnUpdate)
{
    const QString words = QString(2'000'000, 'w');
    TranscriptLines lines;
    lines.merge(record("a", 0, words, 1000));
    lines.merge(record("b", 0, QStringLiteral("short"), 1001));
    lines.merge(record("b", 0, words + QStringLiteral("x"), 1002));
    const auto rows = lines.displayCopy([](const QString &text) { return int(text.size()); });
    ASSERT_EQ(rows.size(), 2);
    for (const auto &row : rows) {
        EXPECT_EQ(row.record.content.size(), DataText::kTranscriptLength);
        EXPECT_TRUE(row.record.content.endsWith(QChar(0x2026)));
    }
}

TEST(TranscriptLinesTest, DisplayCopyMeasuresEachTextOnceAndAgainWhenItChanges)
{
    TranscriptLines lines;
    lines.merge(record("a", 0, "一", 1000));
    lines.merge(record("b", 0, "二", 1100));
    int measured = 0;
    auto measure = [&](const QString &text) {
        ++measured;
        return int(text.size());
    };
    EXPECT_EQ(lines.displayCopy(measure).size(), 2);
    EXPECT_EQ(measured, 2);
    (void)lines.displayCopy(measure);
    EXPECT_EQ(measured, 2);
    lines.merge(record("a", 0, "一二三", 1200));
    const auto rows = lines.displayCopy(measure);
    EXPECT_EQ(measured, 3);
    EXPECT_EQ(rows.first().textHeight, 3);
}

TEST(TranscriptLinesTest, TheCellPaintsTheTextAsLaidOutWhenMeasured)
{
    // The row of the window at scale 0.72.
    const int rowWidth = int(std::lround(342 * 0.72));
    const int width = TranscriptionViewCell::textWidth(rowWidth);
    TranscriptLines lines;
    lines.merge(record("a", 0, "the quarterly figures are in the shared folder now", 1000));
    const auto first = lines.displayCopy(&TranscriptionViewCell::layOutText, width);
    ASSERT_TRUE(first.first().layout);
    EXPECT_GT(first.first().textHeight, 0);
    EXPECT_EQ(lines.displayCopy(&TranscriptionViewCell::layOutText, width).first().layout, first.first().layout);
    // Another width lays the text out again.
    EXPECT_NE(
        lines.displayCopy(&TranscriptionViewCell::layOutText, TranscriptionViewCell::textWidth(342)).first().layout,
        first.first().layout);

    // A paint draws the kept layout as it is: it lays out nothing, whatever the record holds.
    const auto paint = [rowWidth](const KVSubTitleRecord &record, const TranscriptLines::Measured &text) {
        QImage image(342, 140, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        TranscriptionViewCell cell;
        cell.setRecord(record, text.height, text.layout);
        QPainter painter(&image);
        cell.paintCell(painter, QRect(0, 0, rowWidth, 140));
        return image;
    };
    const KVSubTitleRecord shown = first.first().record;
    const TranscriptLines::Measured kept = TranscriptionViewCell::layOutText(shown.content, width);
    KVSubTitleRecord changed = shown;
    changed.content = QStringLiteral("WWWW MMMM");
    EXPECT_EQ(paint(changed, kept), paint(shown, kept));
    EXPECT_NE(paint(shown, TranscriptionViewCell::layOutText(changed.content, width)), paint(shown, kept));

    // Nothing of the text is drawn past the row's right edge: every line is whole in the window.
    const QImage painted = paint(shown, kept);
    for (int y = 33; y < painted.height(); ++y) {
        for (int x = rowWidth; x < painted.width(); ++x)
            ASSERT_EQ(painted.pixel(x, y), qRgb(0, 0, 0)) << "text at " << x << "," << y;
    }
}

// ---- Subtitles ----------------------------------------------------------------------------------------

TEST(SubtitleRulesTest, TemporaryResultsWithin600MsSkipped_FinalsNever_LanguageChoosesTheText)
{
    const QStringList one{result("a", 0, "你好", 1000, QStringLiteral("甲"))};
    // Nothing shown yet: shown whatever the time.
    auto first = SubtitleRules::resultsToShow(one, 0, std::nullopt, 0);
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first.first().showText, QStringLiteral("你好(cn)"));
    EXPECT_TRUE(SubtitleRules::resultsToShow(one, 0, 1000, 1500).isEmpty());
    EXPECT_TRUE(SubtitleRules::resultsToShow(one, 0, 1000, 1600).isEmpty());
    EXPECT_EQ(SubtitleRules::resultsToShow(one, 0, 1000, 1700).size(), 1);
    EXPECT_EQ(SubtitleRules::resultsToShow(one, 1, std::nullopt, 0).first().showText, QStringLiteral("你好(en)"));
    EXPECT_TRUE(SubtitleRules::resultsToShow({result("a", 2, "完", 1000)}, 0, std::nullopt, 0).isEmpty());
    // Other types pass; strings that are not objects give nothing.
    EXPECT_EQ(SubtitleRules::resultsToShow({result("a", 1, "x", 1000), QStringLiteral("x")}, 0, 1000, 1100).size(), 1);
    EXPECT_EQ(SubtitleRules::subtitleText(first.first()), QStringLiteral("\n甲: 你好(cn)"));
}

TEST(SubtitleRulesTest, ALongResultShowsItsLatestWordsCut_NameCutToo)
{
    const QString words = QString(2'000'000, 'x') + QStringLiteral("latest words");
    const auto shown =
        SubtitleRules::resultsToShow({result("a", 0, words, 1000, QString(100'000, 'n'))}, 0, std::nullopt, 0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().showText.size(), DataText::kSubtitleLength);
    EXPECT_TRUE(shown.first().showText.startsWith(QChar(0x2026)));
    EXPECT_TRUE(shown.first().showText.endsWith(QStringLiteral("latest words(cn)")));
    EXPECT_EQ(shown.first().senderName.size(), DataText::kNameLength);
    // Never half a surrogate pair.
    EXPECT_EQ(DataText::boundedTail(QStringLiteral("a\U0001F600b"), 3), QStringLiteral("\u2026b"));
    EXPECT_EQ(DataText::boundedTail(QStringLiteral("abc"), 3), QStringLiteral("abc"));
}

TEST(SubtitleRulesTest, FontForLevel)
{
    EXPECT_EQ(SubtitleRules::fontForLevel(0, 16), 18);
    EXPECT_EQ(SubtitleRules::fontForLevel(1, 18), 16);
    EXPECT_EQ(SubtitleRules::fontForLevel(2, 16), 14);
    EXPECT_EQ(SubtitleRules::fontForLevel(3, 14), 14);
    EXPECT_EQ(SubtitleRules::fontForLevel(-1, 18), 18);
}

} // namespace
