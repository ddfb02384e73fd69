#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class KVMemberSelectCollectionItem;

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

// The member picker under a chip field: the search results as rows 34 points high, each
// ticked while the person is in the embedding window's list of picked people. Ticking adds
// the row's person to that list, unticking removes the listed person with the same userId; a
// listed host or assistant host cannot be unticked here.
class KVMemberSelectView final : public QWidget {
    Q_OBJECT
public:
    explicit KVMemberSelectView(QWidget *parent = nullptr);

    // New results start unticked until updateData.
    void setMembers(const QList<VeskUserModel> &members);
    [[nodiscard]] const QList<VeskUserModel> &members() const { return m_members; }
    // The embedding window's own list, edited in place; it must outlive the picker or be
    // replaced first (nullptr: no list, nothing is picked).
    void setSelectMembers(QList<VeskUserModel> *selectMembers) { m_selectMembers = selectMembers; }
    [[nodiscard]] QList<VeskUserModel> *selectMembers() const { return m_selectMembers; }
    void setMiniMode(bool mini);
    [[nodiscard]] bool miniMode() const { return m_miniMode; }

    // After each tick or untick: the row's person and whether it is now ticked.
    std::function<void(const VeskUserModel &member, bool selected)> onItemClick;

    // 42 without results; compact min(n, 3) x 34; else min(n, 5) x 34 + 8.
    [[nodiscard]] int suitedHeight() const;
    // Ticks exactly the rows whose person is picked (first row per userId), then redraws.
    void updateData();
    // A chip of that person was removed: out of the list, and its row unticked.
    void deleteUser(const VeskUserModel &user);
    // What a click on a row does.
    void toggleRow(int row);

    [[nodiscard]] bool isRowSelected(int row) const;
    [[nodiscard]] QList<KVMemberSelectCollectionItem *> rows() const;
    // Scrolls a row the keyboard moved to into sight.
    void ensureRowVisible(QWidget *row) { m_scroll->ensureWidgetVisible(row, 0, 0); }
    [[nodiscard]] QLabel *emptyLabel() const { return m_emptyLabel; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void handleSelect(int row, bool select);
    void reloadRows(const QList<bool> &shownTicks);

    QList<VeskUserModel> m_members;
    QList<bool> m_selects; // per row of m_members; what the rows show once m_rowsCurrent
    // userId -> its first row of m_members (empty: not made yet), keyed into one copy of the ids
    // back to back: matching thousands of picked people then reads no scattered strings of results.
    QString m_rowIds;
    QHash<QStringView, qsizetype> m_firstRow;
    bool m_rowsCurrent = false; // the rows show m_members (false after setMembers)
    qsizetype m_rowsShown = 0;  // the rows not hidden
    QList<VeskUserModel> *m_selectMembers = nullptr;
    bool m_miniMode = false;
    QPointer<QScrollArea> m_scroll;
    QPointer<QWidget> m_content;
    QPointer<QVBoxLayout> m_rowsLayout;
    QList<KVMemberSelectCollectionItem *> m_rows; // made once, reused
    QPointer<QLabel> m_emptyLabel;
};
