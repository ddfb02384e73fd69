#pragma once

#include "scheduling/MeetingListRules.h"

#include <QAbstractListModel>
#include <QList>
#include <QStyledItemDelegate>

// The all-meetings list as one flat list of rows: each day's header (36 points, not selectable)
// followed by its meetings (100 points). Built from the sections in one pass.
class MainMeetingListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { KindRole = Qt::UserRole + 1, SectionRole, RowRole };
    enum Kind { Header = 0, Meeting = 1 };
    static constexpr int kHeaderHeight = 36;
    static constexpr int kRowHeight = 100;

    explicit MainMeetingListModel(QObject *parent = nullptr);

    // Shows these sections (the list's reload).
    void reload(const MeetingListRules::MeetingSections *sections);
    // The meetings of the sections changed in place (no row came or went).
    void meetingsChanged();

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The list row of a (section, row), or -1.
    [[nodiscard]] int listRow(int section, int row) const;
    // The (section, row) of a list row; row -1 for a header.
    [[nodiscard]] std::pair<int, int> position(int listRow) const;
    [[nodiscard]] const MeetingDataModel *meeting(int listRow) const;

private:
    const MeetingListRules::MeetingSections *m_sections = nullptr;
    QList<std::pair<int, int>> m_rows;
    QList<int> m_sectionStart;
};

// Paints a header (its day) or a meeting row: number, name, "HH:mm-HH:mm", creator and the
// recurrence, record document and recording marks; the selected row gets its mark.
class MainMeetingListDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// What a meeting row shows (the cell's fields), worked out once per row.
struct MainMeetingListCell {
    QString meetingNum;
    QString meetingName;
    QString meetingTime; // "HH:mm-HH:mm"
    QString meetingCreator;
    bool periodic = false;
    QString periodicImage; // the recurrence mark shown, "" for none
    bool recordFile = false;
    bool recordVideo = false;

    [[nodiscard]] static MainMeetingListCell fromModel(const MeetingDataModel &model);
};
