// Member names and the roster: each input line is a member "phone|name|flags". The order is a
// permutation of the rows, search gives a subset in roster order, and a row's shown name is the
// name cut where it enters, isolated in front of the row's tags.
#include "FuzzSupport.h"

#include "foundation/StringHelpers.h"
#include "meeting/panels/MemberListRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = FuzzInput::text(data, size).split(QLatin1Char('\n'));
    MemberRows rows;
    QStringList assistants;
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'));
        auto row = std::make_shared<MeetingMemberModelCopy>();
        row->phoneNumber = parts.value(0);
        row->userName = parts.value(1);
        row->isAssistantHost = parts.value(2).contains(QLatin1Char('a'));
        row->shareFlag = parts.value(2).contains(QLatin1Char('s'));
        const auto forms = MemberListRules::nameForms(row->userName);
        row->namePinYin = forms.pinYin;
        row->nameFirstLetter = forms.firstLetter;
        if (row->isAssistantHost)
            assistants << row->phoneNumber;
        rows.append(row);
        const QString shown = MemberListRules::displayName(*row);
        const QString cut = DataText::bounded(row->userName, DataText::kNameLength);
        // Only the tags of ours follow the name, and they cannot be reordered by it.
        FUZZ_CHECK(shown == cut || shown.startsWith(DataText::isolated(cut) + QChar(0xFF08)));
        FUZZ_CHECK(shown.size() <= DataText::isolated(cut).size() + 16);
    }
    MemberRows ordered = rows;
    MemberListRules::rosterOrder(ordered, assistants);
    FUZZ_CHECK(ordered.size() == rows.size());
    for (const MemberRow &row : std::as_const(rows))
        FUZZ_CHECK(ordered.count(row) == rows.count(row));

    for (const QString &key : {lines.value(0), lines.value(0).left(1), lines.value(1).toLower()}) {
        const MemberRows found = MemberListRules::search(ordered, key);
        qsizetype at = 0;
        for (const MemberRow &row : found) {
            while (at < ordered.size() && ordered.at(at) != row)
                ++at;
            FUZZ_CHECK(at < ordered.size()); // in the roster, in its order
            ++at;
        }
        if (key.isEmpty())
            FUZZ_CHECK(found == ordered);
    }
    return 0;
}
