#include "scheduling/MainMeetingListModel.h"

#include "foundation/StringHelpers.h"
#include "scheduling/MeetingListIcons.h"
#include "uikit/VeskCategories.h"

#include <QPainter>

MainMeetingListModel::MainMeetingListModel(QObject *parent) : QAbstractListModel(parent) {}

void MainMeetingListModel::reload(const MeetingListRules::MeetingSections *sections)
{
    beginResetModel();
    m_sections = sections;
    m_rows.clear();
    m_sectionStart.clear();
    if (sections) {
        const auto &all = sections->sections();
        for (int s = 0; s < all.size(); ++s) {
            m_sectionStart.append(int(m_rows.size()));
            m_rows.append({s, -1});
            for (int r = 0; r < all[s].rows.size(); ++r)
                m_rows.append({s, r});
        }
    }
    endResetModel();
}

void MainMeetingListModel::meetingsChanged()
{
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
}

int MainMeetingListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

std::pair<int, int> MainMeetingListModel::position(int listRow) const
{
    return listRow >= 0 && listRow < m_rows.size() ? m_rows[listRow] : std::pair{-1, -1};
}

int MainMeetingListModel::listRow(int section, int row) const
{
    if (section < 0 || section >= m_sectionStart.size() || !m_sections)
        return -1;
    if (row < 0 || row >= m_sections->sections()[section].rows.size())
        return -1;
    return m_sectionStart[section] + 1 + row;
}

const MeetingDataModel *MainMeetingListModel::meeting(int listRow) const
{
    const auto [s, r] = position(listRow);
    return m_sections && r >= 0 ? m_sections->meetingAt(s, r) : nullptr;
}

QVariant MainMeetingListModel::data(const QModelIndex &index, int role) const
{
    const auto [s, r] = position(index.row());
    if (s < 0 || !m_sections || s >= m_sections->sections().size())
        return {};
    switch (role) {
    case KindRole:
        return r < 0 ? Header : Meeting;
    case SectionRole:
        return s;
    case RowRole:
        return r;
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        if (r < 0)
            return m_sections->sections()[s].title;
        const MeetingDataModel *m = m_sections->meetingAt(s, r);
        if (!m)
            return {};
        const MainMeetingListCell cell = MainMeetingListCell::fromModel(*m);
        // The service's texts are isolated: a title's direction cannot turn the number after it.
        return QStringLiteral("%1 %2 %3 %4")
            .arg(cell.meetingTime, DataText::isolated(cell.meetingName), DataText::isolated(cell.meetingNum),
                 DataText::isolated(cell.meetingCreator));
    }
    default:
        return {};
    }
}

Qt::ItemFlags MainMeetingListModel::flags(const QModelIndex &index) const
{
    if (position(index.row()).second < 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

MainMeetingListCell MainMeetingListCell::fromModel(const MeetingDataModel &m)
{
    MainMeetingListCell c;
    c.meetingNum = m.displayRoomId().left(40);
    c.meetingName = MeetingListRules::shownTitle(m.roomName);
    c.meetingTime = QStringLiteral("%1-%2").arg(m.beginTimeHourMinute(), m.endTimeHourMinute());
    c.meetingCreator = MeetingListRules::shownTitle(m.creatorName);
    c.periodic = m.isCycle;
    c.periodicImage = MeetingListIcons::rowPeriodImageName(m.isCycle, m.cycleType);
    c.recordFile = m.hasRecord;
    c.recordVideo = m.hasDvr;
    return c;
}

QSize MainMeetingListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool header = index.data(MainMeetingListModel::KindRole).toInt() == MainMeetingListModel::Header;
    return {option.rect.width() > 0 ? option.rect.width() : 200,
            header ? MainMeetingListModel::kHeaderHeight : MainMeetingListModel::kRowHeight};
}

void MainMeetingListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    painter->save();
    const QRect rect = option.rect;
    const auto *model = qobject_cast<const MainMeetingListModel *>(index.model());
    if (index.data(MainMeetingListModel::KindRole).toInt() == MainMeetingListModel::Header) {
        painter->fillRect(rect, vesk::colorWithHexString(QStringLiteral("F5F7FA")));
        painter->setPen(vesk::colorWithHexString(QStringLiteral("666666")));
        painter->setFont(vesk::systemFont(13, QFont::DemiBold));
        // Drawn as plain text: the title is ours, made from a date.
        painter->drawText(rect.adjusted(16, 0, -16, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
        return;
    }
    const MeetingDataModel *m = model ? model->meeting(index.row()) : nullptr;
    if (!m) {
        painter->restore();
        return;
    }
    const MainMeetingListCell cell = MainMeetingListCell::fromModel(*m);
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(rect, selected ? vesk::colorWithHexString(QStringLiteral("EAF3FF")) : QColor(Qt::white));
    if (selected) // the select mark
        painter->fillRect(QRect(rect.left(), rect.top(), 3, rect.height()),
                          vesk::colorWithHexString(QStringLiteral("007AFF")));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(vesk::colorWithHexString(QStringLiteral("007AFF")), 1, Qt::DotLine));
        painter->drawRect(rect.adjusted(1, 1, -2, -2));
    }
    const QRect inner = rect.adjusted(16, 12, -16, -12);
    const QFontMetrics fm14(vesk::systemFont(14, QFont::DemiBold));
    painter->setFont(vesk::systemFont(14, QFont::DemiBold));
    painter->setPen(vesk::colorWithHexString(QStringLiteral("333333")));
    painter->drawText(QRect(inner.left(), inner.top(), inner.width() - 60, 22), Qt::AlignLeft | Qt::AlignVCenter,
                      fm14.elidedText(DataText::isolated(cell.meetingName), Qt::ElideRight, inner.width() - 60));
    int x = inner.right() - 16;
    for (const auto &[on, name] :
         {std::pair{cell.recordVideo, MeetingListIcons::kRecordVideo},
          std::pair{cell.recordFile, MeetingListIcons::kRecordFile}, std::pair{cell.periodic, cell.periodicImage}}) {
        if (!on || name.isEmpty())
            continue;
        painter->drawPixmap(x, inner.top() + 3, MeetingListIcons::image(name));
        x -= 20;
    }
    const QFontMetrics fm12(vesk::systemFont(12));
    painter->setFont(vesk::systemFont(12));
    painter->setPen(vesk::colorWithHexString(QStringLiteral("666666")));
    painter->drawText(QRect(inner.left(), inner.top() + 28, inner.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                      fm12.elidedText(cell.meetingTime + QStringLiteral("  ") + DataText::isolated(cell.meetingNum),
                                      Qt::ElideRight, inner.width()));
    painter->drawText(QRect(inner.left(), inner.top() + 50, inner.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                      fm12.elidedText(DataText::isolated(cell.meetingCreator), Qt::ElideRight, inner.width()));
    painter->restore();
}
