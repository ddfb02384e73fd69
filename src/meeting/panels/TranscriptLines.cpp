#include "meeting/panels/TranscriptLines.h"

#include "foundation/JXExtension.h"
#include "foundation/StringHelpers.h"

#include <algorithm>

std::optional<KVSubTitleRecord> TranscriptLines::recordFromJson(const QString &json)
{
    const QVariant object = jx_JSONObject(json);
    if (object.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    auto record = jx_objectWithKeyValues<KVSubTitleRecord>(object);
    // Without a speaker the line could never be followed.
    if (record.senderId.isEmpty())
        return std::nullopt;
    // Cut where they enter: the list lays each line out, and no real line is this long.
    record.name = DataText::bounded(record.senderName, DataText::kNameLength);
    record.timeStamp = record.senderTime;
    // Always the corrected Chinese text, whatever the subtitle language.
    record.content = DataText::bounded(record.cnTextFix, DataText::kTranscriptLength);
    return record;
}

QList<KVSubTitleRecord> TranscriptLines::recordsFromMessage(const QStringList &data)
{
    QList<KVSubTitleRecord> records;
    records.reserve(data.size());
    for (const QString &json : data) {
        if (auto record = recordFromJson(json))
            records.append(std::move(*record));
    }
    // Oldest first: a final must follow its temporary results, and speakers keep their order.
    std::stable_sort(records.begin(), records.end(),
                     [](const KVSubTitleRecord &a, const KVSubTitleRecord &b) { return a.timeStamp < b.timeStamp; });
    return records;
}

void TranscriptLines::setContent(Line &line, const QString &text)
{
    const QString content = DataText::bounded(text, DataText::kTranscriptLength);
    if (line.record.content == content)
        return;
    line.record.content = content;
    line.textHeight = -1;
    line.layout.reset();
}

void TranscriptLines::addNewItem(const KVSubTitleRecord &record)
{
    auto line = std::make_shared<Line>();
    line->record = record;
    line->lastResult = record;
    m_latest.insert(record.senderId, line);
    m_lines.prepend(std::move(line));
}

TranscriptLines::Outcome TranscriptLines::merge(const KVSubTitleRecord &incoming)
{
    const bool temporary = incoming.resultType == KVSubTitleModel::Temporary;
    const bool final = incoming.resultType == KVSubTitleModel::Final;
    if ((!temporary && !final) || incoming.senderId.isEmpty())
        return Outcome::Dropped;
    // Any result merged before, not only the speaker's latest, delivered again: its line is there,
    // and the line in progress stays as it is.
    if (!m_merged.insert(resultKey(incoming)).second)
        return Outcome::Unchanged;
    const auto found = m_latest.constFind(incoming.senderId);
    if (found == m_latest.constEnd()) {
        addNewItem(incoming);
        return Outcome::Added;
    }
    Line &latest = **found;
    // Equal: the line as it shows, or the last result merged into it delivered again (the line keeps the name and
    // time of its first result, which a later result of the stretch need not have).
    const bool equal = latest.record == incoming || latest.lastResult == incoming;
    const bool latestTemporary = latest.record.resultType == KVSubTitleModel::Temporary;
    if (temporary) {
        if (equal)
            return Outcome::Unchanged;
        if (latestTemporary) {
            update(latest, incoming);
            return Outcome::Updated;
        }
        addNewItem(incoming);
        return Outcome::Added;
    }
    if (latestTemporary || equal) {
        update(latest, incoming);
        latest.record.resultType = KVSubTitleModel::Final;
        return Outcome::Updated;
    }
    addNewItem(incoming);
    return Outcome::Added;
}

std::size_t TranscriptLines::resultKey(const KVSubTitleRecord &result)
{
    // The fields that make two results the same line, and whether it was final.
    return qHashMulti(0, result.senderId, result.name, result.content, result.timeStamp, result.resultType);
}

void TranscriptLines::update(Line &line, const KVSubTitleRecord &incoming)
{
    setContent(line, incoming.cnTextFix);
    // A line begun by a result without a name takes the first name a later result gives.
    if (line.record.name.isEmpty())
        line.record.name = incoming.name;
    line.lastResult = incoming;
}

void TranscriptLines::mergeFirstPage(const QList<KVSubTitleRecord> &page)
{
    const bool hadLive = !m_lines.isEmpty();
    const double oldestLive = hadLive ? m_lines.last()->record.timeStamp : 0;
    for (const KVSubTitleRecord &record : page) {
        if (hadLive) {
            if (record.timeStamp >= oldestLive)
                continue;
            const bool shown = std::any_of(m_lines.cbegin(), m_lines.cend(),
                                           [&](const LinePtr &line) { return line->record == record; });
            if (shown)
                continue;
        }
        auto line = std::make_shared<Line>();
        line->record = record;
        m_lines.append(std::move(line));
    }
}

void TranscriptLines::appendOlderPage(const QList<KVSubTitleRecord> &page)
{
    for (const KVSubTitleRecord &record : page) {
        auto line = std::make_shared<Line>();
        line->record = record;
        m_lines.append(std::move(line));
    }
}
