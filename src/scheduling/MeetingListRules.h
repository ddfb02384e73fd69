#pragma once

#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingListDataModel.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One day of the all-meetings list.
struct MainMeetingListSection {
    QString orderDate; // "yyyy-MM-dd" (unfinished tab only)
    QString title;     // the header text
    QList<MeetingDataModel> rows;
};

// The decisions of the details and all-meetings windows, as plain functions.
namespace MeetingListRules {

// What a view shows of a meeting's title (the service's text): at most kTitleLength characters, on
// one line (its line breaks are spaces). Put into a text of ours it is also isolated.
inline constexpr qsizetype kTitleLength = DataText::kTitleLength;
[[nodiscard]] QString shownTitle(const QString &title);

// A button's fate in a table: shown, hidden, or left as it was.
enum class Show { Shown, Hidden, Unchanged };

struct InfoButtons {
    Show edit = Show::Unchanged;
    Show cancel = Show::Unchanged;
    Show end = Show::Unchanged;
};
// The details window: by creator and status.
[[nodiscard]] InfoButtons infoButtons(bool isCreator, int status);

struct ListButtons {
    Show edit = Show::Unchanged;
    Show cancel = Show::Unchanged;
    Show end = Show::Unchanged;
    Show join = Show::Unchanged;
    std::optional<bool> joinEnabled;
};
// The all-meetings detail pane: by status and creator.
[[nodiscard]] ListButtons listButtons(bool isCreator, int status);

// "yyyy年MM月dd日  EE" (zh_CN, two spaces) of a "yyyy-MM-dd HH:mm" time or a "yyyy-MM-dd" day;
// "" when it does not parse.
[[nodiscard]] QString dayTitleOfTime(const QString &beginTime);
[[nodiscard]] QString dayTitleOfDate(const QString &orderDate);

// The sections of the list, with an index from a day's title to its section, so a page of
// history is grouped in time linear in its length.
class MeetingSections {
public:
    // Appends one history page: each meeting with a begin time joins its day's section, or
    // starts one; a day over two pages stays one section. Returns whether another page may
    // follow (a full page before the last).
    bool appendHistoryPage(const MeetingListDataModel &page, int pageNumber);
    // The unfinished tab: the server's day sections, in its order.
    void setUnfinished(const QList<MainMeetingListSection> &sections);
    void clear();

    [[nodiscard]] const QList<MainMeetingListSection> &sections() const { return m_sections; }
    [[nodiscard]] bool isEmpty() const { return m_sections.isEmpty(); }
    [[nodiscard]] const MeetingDataModel *meetingAt(int section, int row) const;

    // Where a meeting with that room id is listed first, if anywhere.
    [[nodiscard]] std::optional<std::pair<int, int>> find(const QString &roomId) const;
    // Changes every listed meeting of that room (a series is listed once a day); how many there were.
    int changeMeetings(const QString &roomId, const std::function<void(MeetingDataModel &meeting)> &change);

private:
    QList<MainMeetingListSection> m_sections;
    QHash<QString, int> m_byTitle;
};

// The selection after a reload: the meeting with the same room id, else row 0 of section 0,
// else none.
[[nodiscard]] std::optional<std::pair<int, int>> selectionAfterReload(const MeetingSections &sections,
                                                                      const std::optional<QString> &selectedRoomId);

// The unfinished tab's reply ([{"orderDate", "meetList"}]) as sections with their titles.
[[nodiscard]] QList<MainMeetingListSection> unfinishedSections(const QVariantList &data);

} // namespace MeetingListRules
