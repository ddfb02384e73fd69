#pragma once

#include "foundation/models/KVSubTitleRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <type_traits>

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
    // A line with its text laid out at the table's width, once per text.
    struct Line {
        KVSubTitleRecord record;
        int textHeight = -1; // -1: not measured for the current content
        std::shared_ptr<const QTextLayout> layout;
    };
    using LinePtr = std::shared_ptr<Line>;

    enum class Outcome { Dropped, Unchanged, Updated, Added };

    // One message's data list as records, oldest first: each string a JSON object with the result's
    // fields; name, time and text taken from senderName, senderTime and cnTextFix. A string that is
    // not a JSON object, or a result without senderId, gives no record.
    [[nodiscard]] static QList<KVSubTitleRecord> recordsFromMessage(const QStringList &data);
    [[nodiscard]] static std::optional<KVSubTitleRecord> recordFromJson(const QString &json);

    // Merges one result (temporary 0, final 2; any other type is dropped).
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
    };
    // Copies the lines oldest first, measuring with `measure` (giving a height or a Measured) the
    // texts not measured yet.
    template <class Measure> [[nodiscard]] QList<Row> displayCopy(Measure measure) const
    {
        QList<Row> rows;
        rows.reserve(m_lines.size());
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
            Line &line = **it;
            if (line.textHeight < 0) {
                if constexpr (std::is_same_v<std::invoke_result_t<Measure, const QString &>, Measured>) {
                    Measured measured = measure(line.record.content);
                    line.textHeight = measured.height;
                    line.layout = std::move(measured.layout);
                } else {
                    line.textHeight = measure(line.record.content);
                }
            }
            rows.append({line.record, line.textHeight, line.layout});
        }
        return rows;
    }

private:
    void addNewItem(const KVSubTitleRecord &record);
    static void setContent(Line &line, const QString &content);

    QList<LinePtr> m_lines;           // newest first
    QHash<QString, LinePtr> m_latest; // senderId: the speaker's latest line
};
