// Transcript and subtitle items from the channel: each line of the input is one item of a message.
// Merging is idempotent, also for any earlier result delivered again, every speaker's latest line
// is one of the lines, and what is shown is cut.
#include "FuzzSupport.h"

#include "foundation/StringHelpers.h"
#include "meeting/panels/SubtitleRules.h"
#include "meeting/panels/TranscriptLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList items = FuzzInput::text(data, size).split(QLatin1Char('\n'));
    TranscriptLines lines;
    const auto shown = [&lines] {
        QList<std::pair<QString, QString>> out;
        for (const auto &line : lines.temSourceArray())
            out.append({line->record.senderId, line->record.content});
        return out;
    };
    const QList<KVSubTitleRecord> records = TranscriptLines::recordsFromMessage(items);
    for (qsizetype i = 0; i < records.size(); ++i) {
        const KVSubTitleRecord &record = records.at(i);
        FUZZ_CHECK(record.content.size() <= DataText::kTranscriptLength);
        FUZZ_CHECK(record.name.size() <= DataText::kNameLength);
        (void)lines.merge(record);
        const auto before = shown();
        (void)lines.merge(record);
        FUZZ_CHECK(shown() == before); // merging the same result again changes nothing
        // Nor does any earlier one, whichever line it went into (the input chooses which).
        (void)lines.merge(records.at(qsizetype(data[std::size_t(i) % size]) % (i + 1)));
        FUZZ_CHECK(shown() == before);
    }
    FUZZ_CHECK(lines.size() <= records.size());
    const auto whole = shown();
    for (const KVSubTitleRecord &record : records)
        (void)lines.merge(record);
    FUZZ_CHECK(shown() == whole); // every result delivered again: nothing changes
    for (const auto &line : lines.temSourceArray())
        FUZZ_CHECK(line->record.content.size() <= DataText::kTranscriptLength);
    for (const auto &latest : lines.repaireListMap())
        FUZZ_CHECK(lines.temSourceArray().contains(latest));
    lines.mergeFirstPage(records);
    lines.appendOlderPage(records);
    const auto rows = lines.displayCopy([](const QString &text) { return int(text.size()); });
    FUZZ_CHECK(rows.size() == lines.size());

    for (const int language : {0, 1}) {
        for (const auto &shown : SubtitleRules::resultsToShow(items, language, std::nullopt, 0)) {
            FUZZ_CHECK(shown.showText.size() <= DataText::kSubtitleLength);
            (void)SubtitleRules::subtitleText(shown);
        }
    }
    (void)SubtitleRules::fontForLevel(size > 0 ? int(data[0]) - 128 : 0, 16);
    return 0;
}
