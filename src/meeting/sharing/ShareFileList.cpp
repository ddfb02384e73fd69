#include "meeting/sharing/ShareFileList.h"

#include "foundation/JXExtension.h"
#include "foundation/StringHelpers.h"

#include <QHash>

#include <algorithm>
#include <tuple>
#include <utility>

namespace ShareFileList {

namespace {

template <typename T> QList<T> modelsOf(const QVariant &value)
{
    if (value.canConvert<QList<T>>() && value.metaType() == QMetaType::fromType<QList<T>>())
        return value.value<QList<T>>();
    return jx_objectArrayWithKeyValuesArray<T>(value);
}

// A type or extension is accepted when it is part of the list's text; an empty one never is.
bool listed(const QString &list, const QString &t, const QString &e)
{
    return (!t.isEmpty() && list.contains(t)) || (!e.isEmpty() && list.contains(e));
}

// Every field the service sends; the local ones (file, selection) are not the service's.
bool sameAsSent(const FileShareModel &a, const FileShareModel &b)
{
    return a.fileId == b.fileId && a.state == b.state && a.status() == b.status() && a.fileName == b.fileName &&
           a.fileType == b.fileType && a.fileSize == b.fileSize && a.userId == b.userId && a.userName == b.userName &&
           a.roomId == b.roomId && a.identity == b.identity && a.createTime == b.createTime &&
           a.duration == b.duration && a.enableOperationFileStatus == b.enableOperationFileStatus &&
           a.timeStamp == b.timeStamp && a.enableUserList == b.enableUserList;
}

// The states the list knows; any other shows as a failed upload.
qint64 shownState(qint64 state)
{
    return state < 1 || state > 3 ? 4 : state;
}

// How many rows two lists share at their ends, by same(row before, row after): at the head, then
// at the tail of what is left.
template <typename Same> std::pair<qsizetype, qsizetype> keptEnds(qsizetype before, qsizetype after, Same same)
{
    qsizetype head = 0;
    while (head < before && head < after && same(head, head))
        ++head;
    qsizetype tail = 0;
    while (tail < before - head && tail < after - head && same(before - 1 - tail, after - 1 - tail))
        ++tail;
    return {head, tail};
}

qsizetype convertingIn(const QList<FileShareModel> &rows, qsizetype from, qsizetype to)
{
    return std::count_if(rows.cbegin() + from, rows.cbegin() + to,
                         [](const FileShareModel &r) { return r.state == 2; });
}

// Rows [from, from + count) of a reply mapped into one block: a list of a thousand rows is not
// moved again and again as it grows.
QList<FileShareModel> mapRows(const QVariantList &sent, qsizetype from, qsizetype count)
{
    const auto isMap = [](const QVariant &v) { return v.metaType() == QMetaType::fromType<QVariantMap>(); };
    if (!std::all_of(sent.cbegin() + from, sent.cbegin() + from + count, isMap))
        return jx_objectArrayWithKeyValuesArray<FileShareModel>(QVariant(sent.mid(from, count)));
    QList<FileShareModel> rows;
    rows.reserve(count);
    for (qsizetype i = from; i < from + count; ++i)
        jx_setKeyValues(rows.emplaceBack(), sent.at(i));
    return rows;
}

// The service's rows of a reply in place of the last ones. The rows at both ends that read as
// before stay as they are, and of rows sent as key-value lists only the ones between are mapped:
// a poll costs what changed, not the list. True when the list now reads otherwise.
bool applyFiles(State &state, const QVariant &files)
{
    QList<FileShareModel> &rows = state.networkingArray;
    const qsizetype before = rows.size();
    qsizetype head = 0;
    qsizetype tail = 0;
    QList<FileShareModel> middle;
    QVariantList sent;
    bool allMapped = false;
    if (files.metaType() == QMetaType::fromType<QVariantList>()) {
        sent = files.toList();
        // The last rows sent stand for the rows held only when each of them made one.
        if (state.sentFiles.size() == before)
            std::tie(head, tail) = keptEnds(
                before, sent.size(), [&](qsizetype i, qsizetype j) { return state.sentFiles.at(i) == sent.at(j); });
        const qsizetype between = sent.size() - head - tail;
        middle = mapRows(sent, head, between);
        allMapped = middle.size() == between;
        for (FileShareModel &row : middle)
            row.state = shownState(row.state);
    } else {
        QList<FileShareModel> all = modelsOf<FileShareModel>(files);
        for (FileShareModel &row : all)
            row.state = shownState(row.state);
        std::tie(head, tail) =
            keptEnds(before, all.size(), [&](qsizetype i, qsizetype j) { return sameAsSent(rows.at(i), all.at(j)); });
        middle = all.mid(head, all.size() - head - tail);
    }
    state.sentFiles = allMapped ? sent : QVariantList();
    const qsizetype gone = before - head - tail;
    if (gone == middle.size() && std::equal(middle.cbegin(), middle.cend(), rows.cbegin() + head, sameAsSent))
        return false;
    state.converting += convertingIn(middle, 0, middle.size()) - convertingIn(rows, head, head + gone);
    if (gone != middle.size()) {
        rows.remove(head, gone);
        rows.insert(head, middle.size(), FileShareModel());
    }
    std::move(middle.begin(), middle.end(), rows.begin() + head);
    state.sizeBefore = before;
    state.keptHead = head;
    state.keptTail = tail;
    ++state.edits;
    return true;
}

QString extensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
}

} // namespace

bool apply(State &state, const QVariantMap &data)
{
    bool changed = false;
    const auto files = data.constFind(QStringLiteral("files"));
    if (files != data.cend()) {
        const bool differs = applyFiles(state, *files);
        changed = differs || state.networkingArray.isEmpty() || !state.hasFiles;
        state.hasFiles = true;
    }
    QList<SupportFileShareTypeModel> types;
    const auto fileTypes = data.constFind(QStringLiteral("fileTypes"));
    if (fileTypes != data.cend()) {
        state.allowFileType.clear();
        types = modelsOf<SupportFileShareTypeModel>(*fileTypes);
        for (const SupportFileShareTypeModel &type : std::as_const(types)) {
            const QString lower = type.type.toLower();
            if (type.classify == QLatin1String("video"))
                state.allowVideoType = lower;
            else if (type.classify == QLatin1String("audio"))
                state.allowAudioType = lower;
            else if (state.allowFileType.isEmpty())
                state.allowFileType = lower;
            else
                state.allowFileType = QStringLiteral("%1,%2").arg(state.allowFileType, lower);
        }
    }
    state.supportFileTypeArray = types;
    // A reply without "files" empties the list: the grid follows it, and the next list shows.
    if (files == data.cend()) {
        changed = !state.networkingArray.isEmpty();
        state.hasFiles = false;
        state.sentFiles.clear();
        state.converting = 0;
        if (changed) {
            state.sizeBefore = state.networkingArray.size();
            state.networkingArray.clear();
            state.keptHead = state.keptTail = 0;
            ++state.edits;
        }
    }
    return changed;
}

bool anyConverting(const QList<FileShareModel> &rows)
{
    return std::any_of(rows.cbegin(), rows.cend(), [](const FileShareModel &r) { return r.state == 2; });
}

Kind kindOf(const QString &fileType, const QString &fileName, const State &state)
{
    const QString t = fileType.toLower();
    const QString e = extensionOf(fileName);
    if (t == QLatin1String("1") || listed(state.allowFileType, t, e))
        return Kind::Document;
    if (t == QLatin1String("2") || listed(state.allowVideoType, t, e))
        return Kind::Video;
    if (t == QLatin1String("3") || listed(state.allowAudioType, t, e))
        return Kind::Audio;
    return Kind::None;
}

QString rightsTypeOf(const QString &fileType, const QString &fileName, const State &state)
{
    const QString t = fileType.toLower();
    const QString e = extensionOf(fileName);
    QString code;
    if (listed(state.allowFileType, t, e))
        code = FileShareType::Document;
    if (listed(state.allowVideoType, t, e))
        code = FileShareType::Video;
    if (listed(state.allowAudioType, t, e))
        code = FileShareType::Audio;
    return code.isEmpty() ? fileType : code;
}

QStringList chooserTypes(const QList<SupportFileShareTypeModel> &types)
{
    QStringList out;
    for (const SupportFileShareTypeModel &type : types)
        for (const QString &part : type.type.split(QLatin1Char(','), Qt::SkipEmptyParts))
            out.append(part.trimmed());
    if (out.isEmpty())
        out.append(QStringLiteral("pdf"));
    return out;
}

bool acceptsUpload(const QString &fileName, const QStringList &types)
{
    const QString e = extensionOf(fileName);
    return !e.isEmpty() && std::any_of(types.cbegin(), types.cend(),
                                       [&](const QString &type) { return type.compare(e, Qt::CaseInsensitive) == 0; });
}

QString typeRefusal(const QString &fileName)
{
    return QStringLiteral("%1:不支持的文件类型").arg(DataText::isolatedTitle(fileName));
}

RowKey keyOf(const FileShareModel &row)
{
    // Only rows made here carry the local file.
    if (!row.fileURL.isEmpty())
        return {true, row.timeStamp, QString()};
    return {false, 0, row.fileId};
}

PreUploadPlan planPreUpload(const QVariantList &items, const QList<FileShareModel> &pending)
{
    QSet<QString> waiting;
    waiting.reserve(pending.size());
    for (const FileShareModel &row : pending)
        waiting.insert(row.identity);
    PreUploadPlan plan;
    for (const QVariant &v : items) {
        const QVariantMap item = v.toMap();
        const QString identity = item.value(QStringLiteral("identity")).toString();
        switch (item.value(QStringLiteral("status")).toInt()) {
        case 2: {
            if (!waiting.contains(identity))
                break;
            plan.fileIds << item.value(QStringLiteral("fileId")).toString();
            plan.identities << identity;
            break;
        }
        case 1:
            plan.held.insert(identity);
            break;
        case -1:
            plan.refused.insert(identity);
            // The name and the reason are the service's: each keeps its own direction.
            plan.refusals << QStringLiteral("%1:%2").arg(
                DataText::isolatedTitle(item.value(QStringLiteral("fileName")).toString()),
                DataText::isolated(DataText::bounded(item.value(QStringLiteral("remarks")).toString(), 256)));
            break;
        default:
            break;
        }
    }
    return plan;
}

QString identity(const QString &md5, const QString &fileName, quint64 timeStamp)
{
    return QStringLiteral("%1_%2_%3").arg(md5, fileName).arg(timeStamp);
}

} // namespace ShareFileList
