#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QPointer>
#include <QScrollArea>

#include <functional>

#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMeetingMemberCreateCell.h"
#include "scheduling/NSMemberEnterFlowLayout.h"

// An editable chip field: one chip with a delete button per member, then the search entry.
// Rows wrap; a field shorter than its rows scrolls.
class KVMemberEnterCollectionView final : public QScrollArea {
    Q_OBJECT
public:
    explicit KVMemberEnterCollectionView(QWidget *parent = nullptr);

    // Shows these members, in order, then the entry.
    void reloadData(const QList<VeskUserModel> &members);

    // The chip of that member (by position) asked to be removed.
    std::function<void(int index, const VeskUserModel &member)> onDelete;
    // The field got a new size (its rows may have changed).
    std::function<void()> onResized;

    [[nodiscard]] KVTextField *inputTextField() const;
    [[nodiscard]] KVMeetingMemberCreateCell *createCell() const { return m_createCell; }
    [[nodiscard]] QList<KVMeetingMemberCell *> chips() const { return m_chips; }
    [[nodiscard]] NSMemberEnterFlowLayout *flowLayout() const { return m_layout; }
    // The rows the chips fill at the field's width.
    [[nodiscard]] int lines() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QWidget> m_content;
    QPointer<NSMemberEnterFlowLayout> m_layout;
    QPointer<KVMeetingMemberCreateCell> m_createCell;
    QList<KVMeetingMemberCell *> m_chips;
};
