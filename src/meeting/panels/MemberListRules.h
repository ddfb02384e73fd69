#pragma once

// The member list's decisions, as plain functions tested without a display: the rows and their
// order, the search, the bottom buttons, and what a roster row shows and does when pressed.

#include "agent/MeetingMemberModel.h"
#include "agent/MeetingMemberModelCopy.h"
#include "connection/IMSystemSubMessage.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// A roster row: shared by the list's arrays and the row view, which writes its isExpand, isCheck
// and allowSharePermissionFlag.
using MemberRow = std::shared_ptr<MeetingMemberModelCopy>;
using MemberRows = QList<MemberRow>;

namespace MemberListRules {

inline constexpr int kRowHeight = 40;
inline constexpr int kBottomBarHeight = 60;
inline constexpr int kSearchTopWithTabs = 57;
inline constexpr int kSearchTopWithoutTabs = 11;

// A name's latin forms, cached across updates (a roster keeps its names; names are worth
// transliterating once, not on every update of a large meeting).
struct NameForms {
    QString pinYin;      // "zhangsan"
    QString firstLetter; // "zs"
};
using NameCache = QHash<QString, NameForms>;
[[nodiscard]] NameForms nameForms(const QString &userName);

struct RosterInput {
    MeetingMemberList members;
    // The phone number of the row whose menu was open before the update ("" when none).
    QString expandedPhone;
    // The manager's asssitantRecordArray as it holds it (entries may be encrypted).
    QStringList asssitantRecordArray;
    // I am an assistant host myself.
    bool iAmAssistant = false;
};

// Row copies (fresh, or the previous update's brought up to date) in the participants' order, the open menu's row
// carried over and assistant hosts marked (the participants' isAssistantHost is written too). names gives each row its
// latin forms and afterwards holds those of this roster only.
// previous: the rows of the last update; a member still there keeps its row object, brought up to date.
[[nodiscard]] MemberRows buildRows(const RosterInput &input, NameCache *names = nullptr,
                                   const MemberRows &previous = {});
// Me, the host, the first and the last assistant host found, the sharer, then everybody else
// in the given order.
void rosterOrder(MemberRows &rows, const QStringList &asssitantRecordArray);
// The phone number of the last row whose menu is open, or "".
[[nodiscard]] QString expandedPhone(const MemberRows &rows);

// The rows' names, initials and pinyin, lowered, in the rows' order: made once per roster update so a keystroke only
// compares, scanning one buffer from start to end. Both sides of a search are lowered: a case-insensitive compare
// folds "İ" to itself while its lowercase is "i̇".
struct SearchIndex {
    QString text;            // every row's name, initials and pinyin, back to back
    QList<qsizetype> bounds; // where each form starts, three a row, then the end of text
    [[nodiscard]] qsizetype size() const { return bounds.isEmpty() ? 0 : (bounds.size() - 1) / 3; }
    // form 0: the name, 1: the initials, 2: the pinyin.
    [[nodiscard]] QStringView form(qsizetype row, int form) const
    {
        const qsizetype at = row * 3 + form;
        return QStringView(text).sliced(bounds.at(at), bounds.at(at + 1) - bounds.at(at));
    }
};
[[nodiscard]] SearchIndex searchIndex(const MemberRows &rows);

// The row matches the key by name, initials, or first letter and pinyin.
[[nodiscard]] bool matches(const MeetingMemberModelCopy &row, const QString &key);
// The rows matching text, in roster order; all rows for an empty text. index: searchIndex(rows).
[[nodiscard]] MemberRows search(const MemberRows &rows, const SearchIndex &index, const QString &text);
[[nodiscard]] MemberRows search(const MemberRows &rows, const QString &text);
// The waiting entries whose names contain text (case folded); all of them for an empty text.
[[nodiscard]] QList<IMSystemSubMessage> waitingSearch(const QList<IMSystemSubMessage> &entries, const QString &text);

// "META" marks a virtual member; the service and the control messages take the id without it.
[[nodiscard]] QString withoutMeta(const QString &id);
// The ids of rows for a request: each without "META", encrypted.
[[nodiscard]] QString requestId(const QString &plainId);

// What a failed request shows: the service's message, or the network text when it gave none.
[[nodiscard]] QString failureText(const QString &message);

// ---- The list's bar and bottom buttons ------------------------------------------------------

struct ButtonStyle {
    QString title;
    QString image; // "" none
    QColor text;
    QColor background;
    QColor border;
    qreal borderWidth = 0;
    bool operator==(const ButtonStyle &) const = default;
};

struct Bottom {
    ButtonStyle left;
    ButtonStyle right;
    bool operator==(const Bottom &) const = default;
};

// joinedTab: the joined tab is shown; batch: batch-remove mode; micAllowStatus: the room's flag;
// anyTicked: some shown row is ticked.
[[nodiscard]] Bottom bottomButtons(bool joinedTab, bool batch, bool micAllowStatus, bool anyTicked);
// The bottom bar's height: 60 for the host and assistant hosts, 0 (hidden) for anyone else.
[[nodiscard]] int bottomBarHeight(bool privileged);
[[nodiscard]] QString joinedTabTitle(qsizetype shown);
[[nodiscard]] QString waitingTabTitle(qsizetype waiting);
[[nodiscard]] QString memberTitle(qsizetype all);

// ---- A roster row ---------------------------------------------------------------------------

// Who looks at the row.
struct Viewer {
    bool privileged = false; // host or assistant host
    bool assistant = false;  // assistant host (not host)
    QString myPhoneNumber;   // plain
};

inline constexpr double kNameBaseWidth = 174;
inline constexpr double kBatchNameNarrowing = 18;
inline constexpr double kHoverNameNarrowing = 28;

// The name with its role tags: "张三（我,主持人）".
[[nodiscard]] QString displayName(const MeetingMemberModelCopy &row);
// Whether the pointer over the row shows the more button and the highlight.
[[nodiscard]] bool hoverAllowed(const Viewer &viewer, const MeetingMemberModelCopy &row);
[[nodiscard]] double nameWidth(bool batch, bool hovered);

// A press of the row's microphone, camera or share button.
enum class Press {
    Refuse,      // show the participant's real state again; nothing is sent
    Ignore,      // nothing happens
    Close,       // the request closing the member's device
    AskToOpen,   // the list asks the member to open the microphone
    ToggleShare, // the request giving or taking the right to share
};
[[nodiscard]] Press micPress(const Viewer &viewer, const MeetingMemberModelCopy &row);
[[nodiscard]] Press cameraPress(const Viewer &viewer, const MeetingMemberModelCopy &row);
[[nodiscard]] Press sharePress(const Viewer &viewer, const MeetingMemberModelCopy &row);

} // namespace MemberListRules
