#pragma once

#include "foundation/models/KVSubTitleRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_set>

class QTextLayout;

// The live transcript: one line per stretch of speech of one speaker, newest first, and each
// speaker's latest line. A speaker's temporary results grow one line until a final result closes
// it. Main thread only; the table shows copies made on each refresh.
class TranscriptLines final {
public:
    // A text laid out for the table: its height and the layout drawn as it is.
    struct Measured {
        int height = 0;
        std::shared_ptr<const QTextLayout> layout;
    };
    // A line with its text laid out at the table's width, once per text and width.
    struct Line {
        KVSubTitleRecord record;
        int textHeight = -1; // -1: not measured for the current content
        int textWidth = -1;  // the width it was measured at
        std::shared_ptr<const QTextLayout> layout;
        // The last result merged into the line as it came: a result delivered again is found equal to it,
        // while the line keeps the name and time of its first result.
        KVSubTitleRecord lastResult;
    };
    using LinePtr = std::shared_ptr<Line>;

    enum class Outcome { Dropped, Unchanged, Updated, Added };

    // One message's data list as records, oldest first: each string a JSON object with the result's
    // fields; name, time and text taken from senderName, senderTime and cnTextFix. A string that is
    // not a JSON object, or a result without senderId, gives no record.
    [[nodiscard]] static QList<KVSubTitleRecord> recordsFromMessage(const QStringList &data);
    [[nodiscard]] static std::optional<KVSubTitleRecord> recordFromJson(const QString &json);

    // Merges one result (temporary 0, final 2; any other type is dropped). A result merged before,
    // whichever line it went into, changes nothing.
    Outcome merge(const KVSubTitleRecord &incoming);

    // The first page of history, newest first as sent: the lines older than the oldest live line
    // go before it, lines equal to a live one are skipped; the speakers' latest lines stay.
    void mergeFirstPage(const QList<KVSubTitleRecord> &page);
    // An older page, newest first: it goes before everything.
    void appendOlderPage(const QList<KVSubTitleRecord> &page);

    [[nodiscard]] const QList<LinePtr> &temSourceArray() const { return m_lines; }
    [[nodiscard]] const QHash<QString, LinePtr> &repaireListMap() const { return m_latest; }
    [[nodiscard]] qsizetype size() const { return m_lines.size(); }

    // What the table shows: a copy of every line, oldest first.
    struct Row {
        KVSubTitleRecord record;
        int textHeight = -1;
        std::shared_ptr<const QTextLayout> layout;
        int textWidth = -1;
    };
    // Copies the lines oldest first, measuring with `measure` (giving a height or a Measured, for a
    // text or a text and a width) the texts not measured yet at textWidth.
    template <class Measure> [[nodiscard]] QList<Row> displayCopy(Measure measure, int textWidth = 0) const
    {
        QList<Row> rows;
        rows.reserve(m_lines.size());
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
            Line &line = **it;
            if (line.textHeight < 0 || line.textWidth != textWidth) {
                auto measured = [&] {
                    if constexpr (std::is_invocable_v<Measure, const QString &, int>)
                        return measure(line.record.content, textWidth);
                    else
                        return measure(line.record.content);
                }();
                if constexpr (std::is_same_v<decltype(measured), Measured>) {
                    line.textHeight = measured.height;
                    line.layout = std::move(measured.layout);
                } else {
                    line.textHeight = measured;
                }
                line.textWidth = textWidth;
            }
            rows.append({line.record, line.textHeight, line.layout, line.textWidth});
        }
        return rows;
    }

private:
    void addNewItem(const KVSubTitleRecord &record);
    static void update(Line &line, const KVSubTitleRecord &incoming);
    static void setContent(Line &line, const QString &content);
    [[nodiscard]] static std::size_t resultKey(const KVSubTitleRecord &result);

    QList<LinePtr> m_lines;                   // newest first
    QHash<QString, LinePtr> m_latest;         // senderId: the speaker's latest line
    std::unordered_set<std::size_t> m_merged; // every result merged, by its key
};
