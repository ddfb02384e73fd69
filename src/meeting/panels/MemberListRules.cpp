#include "meeting/panels/MemberListRules.h"

#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"
#include "meeting/common/AssistantRecords.h"
#include "meeting/panels/MemberListTexts.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace MemberListRules {

namespace {

QColor hex(const char *h)
{
    return QColor(QLatin1String(h));
}

// Moves the row to the front (nothing when absent), in place: the list is neither grown nor copied twice.
void toFront(MemberRows &rows, const MemberRow &row)
{
    if (!row)
        return;
    const qsizetype at = rows.indexOf(row);
    if (at > 0)
        std::rotate(rows.begin(), rows.begin() + at, rows.begin() + at + 1);
}

bool samePeer(const MeetingMemberModelCopy &row, const MeetingMemberModel &member)
{
    return row.peerId.isSharedWith(member.phoneNumber) || row.peerId == member.phoneNumber;
}

} // namespace

NameForms nameForms(const QString &userName)
{
    return {Additions::transformToPinyin(userName), Additions::transformToPinyinFirstLetter(userName)};
}

MemberRows buildRows(const RosterInput &input, NameCache *names, const MemberRows &last)
{
    const QSet<QString> assistants = AssistantRecords::plainIds(input.asssitantRecordArray);
    const QString expanded = RXEncrypt::aes128ecbDecrypt(input.expandedPhone);
    // A member still there keeps his row object. The rows found in the same places as their members are taken in
    // place; past the first that is not, the rest go by peer id (the later of a peer id listed twice). The peer ids
    // are keyed by value: a row taken is refreshed below, which may hand it a new peer id string and free the one a
    // view would still point into.
    qsizetype inPlace = 0;
    const qsizetype members = input.members.size();
    while (inPlace < std::min(members, last.size()) && input.members.at(inPlace) && last.at(inPlace) &&
           samePeer(*last.at(inPlace), *input.members.at(inPlace)))
        ++inPlace;
    QHash<QString, qsizetype> previous;
    if (inPlace < last.size()) {
        previous.reserve(last.size() - inPlace);
        for (qsizetype i = inPlace; i < last.size(); ++i) {
            if (last.at(i))
                previous.insert(last.at(i)->peerId, i);
        }
    }
    std::vector<bool> taken(size_t(last.size()), false);
    qsizetype takenCount = 0;
    bool allKept = true; // every row kept its name, so its forms
    MemberRows rows;
    rows.reserve(members);
    for (qsizetype i = 0; i < members; ++i) {
        MeetingMemberModel *member = input.members.at(i).get();
        if (!member)
            continue;
        const qsizetype at = i < inPlace ? i : previous.value(member->phoneNumber, -1);
        MemberRow row;
        if (at >= 0 && !taken[size_t(at)]) {
            taken[size_t(at)] = true;
            ++takenCount;
            row = last.at(at);
        }
        std::optional<NameForms> kept;
        if (row && row->userName.isSharedWith(member->userName))
            kept = NameForms{row->namePinYin, row->nameFirstLetter};
        if (row)
            row->refresh(*member);
        else
            row = std::make_shared<MeetingMemberModelCopy>(MeetingMemberModelCopy::fromMember(*member));
        if (!expanded.isEmpty() && row->phoneNumber == expanded)
            row->isExpand = true;
        if (AssistantRecords::contains(assistants, row->phoneNumber)) {
            member->setIsAssistantHost(true);
            // An assistant host has no menu on another assistant's row.
            if (input.iAmAssistant)
                row->isExpand = false;
        } else {
            member->setIsAssistantHost(false);
        }
        row->isAssistantHost = member->isAssistantHost();
        NameForms forms;
        if (kept) {
            forms = std::move(*kept);
        } else {
            allKept = false;
            const auto known = names ? names->constFind(row->userName) : NameCache::const_iterator();
            forms = names && known != names->constEnd() ? *known : nameForms(row->userName);
        }
        row->namePinYin = std::move(forms.pinYin);
        row->nameFirstLetter = std::move(forms.firstLetter);
        rows.append(std::move(row));
    }
    // When every last row is still there under its name, the cache made for them holds this roster's names only.
    if (names && !(allKept && !last.isEmpty() && takenCount == last.size() && names->size() <= rows.size())) {
        NameCache fresh;
        fresh.reserve(rows.size());
        for (const MemberRow &row : std::as_const(rows))
            fresh.insert(row->userName, {row->namePinYin, row->nameFirstLetter});
        *names = std::move(fresh);
    }
    return rows;
}

void rosterOrder(MemberRows &rows, const QStringList &asssitantRecordArray)
{
    if (rows.isEmpty())
        return;
    QStringList assistants;
    assistants.reserve(asssitantRecordArray.size());
    for (const QString &entry : asssitantRecordArray)
        assistants.append(RXEncrypt::aes128ecbDecrypt(entry));
    MemberRow me, host, sharer, first, last;
    for (const MemberRow &row : std::as_const(rows)) {
        const bool isMe = row->checkIsMe();
        const bool isHost = row->checkIsHost();
        if (isMe)
            me = row;
        if (isHost)
            host = row;
        if (row->shareFlag)
            sharer = row;
        if (isMe || isHost || row->shareFlag)
            continue;
        // A row listed twice is found twice: first and last may be the same row.
        for (const QString &entry : std::as_const(assistants)) {
            if (entry != row->phoneNumber)
                continue;
            if (!first)
                first = row;
            else
                last = row;
        }
    }
    for (const MemberRow &row : {sharer, last, first, host, me})
        toFront(rows, row);
}

QString expandedPhone(const MemberRows &rows)
{
    QString phone;
    for (const MemberRow &row : rows) {
        if (row->isExpand)
            phone = row->phoneNumber;
    }
    return phone;
}

namespace {

// A row's forms, lowered, at the end of the index.
void appendEntry(SearchIndex &index, const MeetingMemberModelCopy &row)
{
    for (const QString *form : {&row.userName, &row.nameFirstLetter, &row.namePinYin}) {
        index.bounds.append(index.text.size());
        index.text += form->toLower();
    }
}

// key lowered, not empty.
bool entryMatches(QStringView name, QStringView firstLetter, QStringView pinYin, QStringView key)
{
    if (name.contains(key) || firstLetter.contains(key))
        return true;
    return firstLetter.contains(key.front()) && pinYin.contains(key);
}

// Where key starts in text from from, or -1: its first character found by a vector scan, the rest
// compared, faster than a general search for the few characters typed.
qsizetype find(QStringView text, QStringView key, qsizetype from)
{
    for (qsizetype at = text.indexOf(key.front(), from); at >= 0; at = text.indexOf(key.front(), at + 1)) {
        if (text.sliced(at).startsWith(key))
            return at;
    }
    return -1;
}

} // namespace

SearchIndex searchIndex(const MemberRows &rows)
{
    SearchIndex index;
    index.bounds.reserve(rows.size() * 3 + 1);
    for (const MemberRow &row : rows)
        appendEntry(index, *row);
    index.bounds.append(index.text.size());
    return index;
}

bool matches(const MeetingMemberModelCopy &row, const QString &key)
{
    if (key.isEmpty())
        return true;
    return entryMatches(row.userName.toLower(), row.nameFirstLetter.toLower(), row.namePinYin.toLower(), key.toLower());
}

MemberRows search(const MemberRows &rows, const SearchIndex &index, const QString &text)
{
    if (text.isEmpty())
        return rows;
    Q_ASSERT(index.size() == rows.size());
    const QString key = text.toLower();
    MemberRows found;
    const qsizetype n = std::min(rows.size(), index.size());
    // One pass over the whole index: each hit is placed in its form; a row found skips to the next.
    const QStringView all(index.text);
    qsizetype form = 0;
    for (qsizetype at = find(all, key, 0); at >= 0; at = find(all, key, at)) {
        while (index.bounds.at(form + 1) <= at)
            ++form;
        if (form >= n * 3)
            break;
        // Not across two forms.
        if (at + key.size() > index.bounds.at(form + 1)) {
            ++at;
            continue;
        }
        // The pinyin counts only with the key's first letter among the initials.
        const qsizetype row = form / 3;
        if (form % 3 < 2 || index.form(row, 1).contains(key.front()))
            found.append(rows.at(row));
        form = (row + 1) * 3;
        at = index.bounds.at(form);
    }
    return found;
}

MemberRows search(const MemberRows &rows, const QString &text)
{
    return search(rows, text.isEmpty() ? SearchIndex() : searchIndex(rows), text);
}

QList<IMSystemSubMessage> waitingSearch(const QList<IMSystemSubMessage> &entries, const QString &text)
{
    if (text.isEmpty())
        return entries;
    const QString key = text.toLower();
    QList<IMSystemSubMessage> found;
    for (const IMSystemSubMessage &entry : entries) {
        if (entry.userName.toLower().contains(key))
            found.append(entry);
    }
    return found;
}

QString withoutMeta(const QString &id)
{
    return id.startsWith(QLatin1String("META")) ? id.mid(4) : id;
}

QString requestId(const QString &plainId)
{
    return RXEncrypt::aes128ecbEncrypt(withoutMeta(plainId));
}

QString failureText(const QString &message)
{
    return message.isEmpty() ? MemberListTexts::kNetworkFailure : message;
}

Bottom bottomButtons(bool joinedTab, bool batch, bool micAllowStatus, bool anyTicked)
{
    using namespace MemberListTexts;
    const QColor clear = Qt::transparent;
    const QColor red = hex("#FF656B");
    const QColor blue = hex("#007AFF");
    if (!joinedTab)
        return {{kAdmitAll, {}, Qt::white, blue, clear, 0}, {kRemoveAll, {}, red, clear, red, 1}};
    if (batch) {
        const ButtonStyle remove = anyTicked ? ButtonStyle{kRemove, {}, Qt::white, red, clear, 0}
                                             : ButtonStyle{kRemove, {}, hex("#B4B4B4"), hex("#666666"), clear, 0};
        return {{kCancel, {}, blue, clear, blue, 1}, remove};
    }
    return {{micAllowStatus ? kMuteAll : kAllowSelfUnmute, {}, red, clear, red, 1},
            {kMore, QStringLiteral("arrow_down_talk"), Qt::white, blue, clear, 0}};
}

int bottomBarHeight(bool privileged)
{
    return privileged ? kBottomBarHeight : 0;
}

QString joinedTabTitle(qsizetype shown)
{
    return MemberListTexts::kJoinedTab.arg(shown);
}

QString waitingTabTitle(qsizetype waiting)
{
    return MemberListTexts::kWaitingTab.arg(waiting);
}

QString memberTitle(qsizetype all)
{
    return MemberListTexts::kTitle.arg(all);
}

// ---- A roster row -----------------------------------------------------------------------------

QString displayName(const MeetingMemberModelCopy &row)
{
    QStringList tags;
    if (row.checkIsMe())
        tags << MemberListTexts::kMe;
    if (row.checkIsHost())
        tags << MemberListTexts::kHost;
    else if (row.isAssistantHost)
        tags << MemberListTexts::kAssistant;
    // Cut: the row's label measures and elides its text at every repaint.
    const QString name = DataText::bounded(row.userName, DataText::kNameLength);
    if (tags.isEmpty())
        return name;
    // Our tags after the name stay in their place whatever direction marks the name holds.
    return DataText::isolated(name) + MemberListTexts::kTagsFormat.arg(tags.join(QLatin1Char(',')));
}

bool hoverAllowed(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    return viewer.privileged && !row.checkIsMe() && !(viewer.assistant && row.checkIsHost());
}

double nameWidth(bool batch, bool hovered)
{
    return kNameBaseWidth - (batch ? kBatchNameNarrowing : 0) - (hovered ? kHoverNameNarrowing : 0);
}

namespace {
bool isMine(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    return !viewer.myPhoneNumber.isEmpty() && row.phoneNumber == viewer.myPhoneNumber;
}
bool assistantOnHost(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    return viewer.assistant && row.checkIsHost();
}
} // namespace

Press micPress(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    if (assistantOnHost(viewer, row) || isMine(viewer, row))
        return Press::Refuse;
    if (!viewer.privileged)
        return Press::Ignore;
    return row.audioFlag ? Press::Close : Press::AskToOpen;
}

Press cameraPress(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    if (assistantOnHost(viewer, row) || isMine(viewer, row))
        return Press::Refuse;
    if (!row.videoFlag || !viewer.privileged)
        return Press::Ignore;
    return Press::Close;
}

Press sharePress(const Viewer &viewer, const MeetingMemberModelCopy &row)
{
    // The host's right to share is not an assistant host's to take.
    if (isMine(viewer, row) || assistantOnHost(viewer, row))
        return Press::Refuse;
    if (!viewer.privileged)
        return Press::Ignore;
    return Press::ToggleShare;
}

} // namespace MemberListRules
