#include "scheduling/MeetingListRules.h"

#include "foundation/DateHelpers.h"
#include "foundation/JXExtension.h"
#include "foundation/StringHelpers.h"

#include <QDateTime>
#include <QLocale>

namespace MeetingListRules {

QString shownTitle(const QString &title)
{
    return DataText::oneLine(title, kTitleLength);
}

InfoButtons infoButtons(bool isCreator, int status)
{
    if (!isCreator)
        return {Show::Hidden, Show::Hidden, Show::Hidden};
    switch (status) {
    case 0:
        return {Show::Shown, Show::Shown, Show::Hidden};
    case 1:
        return {Show::Hidden, Show::Hidden, Show::Shown};
    default:
        return {Show::Hidden, Show::Unchanged, Show::Unchanged};
    }
}

ListButtons listButtons(bool isCreator, int status)
{
    switch (status) {
    case 0:
        if (isCreator)
            return {Show::Shown, Show::Shown, Show::Hidden, Show::Shown, false};
        return {Show::Hidden, Show::Hidden, Show::Hidden, Show::Shown, false};
    case 1:
        return {Show::Hidden, Show::Hidden, isCreator ? Show::Shown : Show::Hidden, Show::Shown, true};
    case 2:
        return {Show::Hidden, Show::Hidden, Show::Hidden, Show::Hidden, std::nullopt};
    default:
        return {};
    }
}

namespace {
QString dayTitle(const QDate &day)
{
    if (!day.isValid())
        return QString();
    static const QLocale zh(QLocale::Chinese, QLocale::China);
    return zh.toString(day, QStringLiteral("yyyy年MM月dd日  ddd"));
}
} // namespace

QString dayTitleOfTime(const QString &beginTime)
{
    return dayTitle(DateFromString::defaultDateWithOutSecondFromString(beginTime).date());
}

QString dayTitleOfDate(const QString &orderDate)
{
    return dayTitle(QDate::fromString(orderDate, QStringLiteral("yyyy-MM-dd")));
}

bool MeetingSections::appendHistoryPage(const MeetingListDataModel &page, int pageNumber)
{
    for (const MeetingDataModel &meeting : page.list) {
        if (meeting.beginTime.isEmpty())
            continue;
        const QString title = dayTitleOfTime(meeting.beginTime);
        const auto at = m_byTitle.constFind(title);
        if (at != m_byTitle.constEnd()) {
            m_sections[*at].rows.append(meeting);
            continue;
        }
        m_byTitle.insert(title, int(m_sections.size()));
        m_sections.append(MainMeetingListSection{QString(), title, {meeting}});
    }
    return page.list.size() == page.pageSize && pageNumber < page.pages;
}

void MeetingSections::setUnfinished(const QList<MainMeetingListSection> &sections)
{
    m_sections = sections;
    m_byTitle.clear();
    for (int i = 0; i < m_sections.size(); ++i)
        m_byTitle.insert(m_sections[i].title, i);
}

void MeetingSections::clear()
{
    m_sections.clear();
    m_byTitle.clear();
}

const MeetingDataModel *MeetingSections::meetingAt(int section, int row) const
{
    if (section < 0 || section >= m_sections.size() || row < 0 || row >= m_sections[section].rows.size())
        return nullptr;
    return &m_sections[section].rows[row];
}

std::optional<std::pair<int, int>> MeetingSections::find(const QString &roomId) const
{
    for (int s = 0; s < m_sections.size(); ++s) {
        const QList<MeetingDataModel> &rows = m_sections[s].rows;
        for (int r = 0; r < rows.size(); ++r) {
            if (rows[r].roomId == roomId)
                return std::pair{s, r};
        }
    }
    return std::nullopt;
}

int MeetingSections::changeMeetings(const QString &roomId, const std::function<void(MeetingDataModel &)> &change)
{
    int changed = 0;
    for (MainMeetingListSection &section : m_sections) {
        for (MeetingDataModel &meeting : section.rows) {
            if (meeting.roomId == roomId) {
                change(meeting);
                ++changed;
            }
        }
    }
    return changed;
}

std::optional<std::pair<int, int>> selectionAfterReload(const MeetingSections &sections,
                                                        const std::optional<QString> &selectedRoomId)
{
    if (selectedRoomId) {
        if (auto at = sections.find(*selectedRoomId))
            return at;
    }
    if (sections.meetingAt(0, 0))
        return std::pair{0, 0};
    return std::nullopt;
}

QList<MainMeetingListSection> unfinishedSections(const QVariantList &data)
{
    QList<MainMeetingListSection> out;
    out.reserve(data.size());
    for (const QVariant &v : data) {
        const QVariantMap map = v.toMap();
        MainMeetingListSection section;
        section.orderDate = map.value(QStringLiteral("orderDate")).toString();
        section.title = dayTitleOfDate(section.orderDate);
        section.rows = jx_objectArrayWithKeyValuesArray<MeetingDataModel>(map.value(QStringLiteral("meetList")));
        out.append(section);
    }
    return out;
}

} // namespace MeetingListRules
