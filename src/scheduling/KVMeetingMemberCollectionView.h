#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMeetingMemberCustomLayout.h"

// A read-only list of member chips two rows high that never scrolls: when the members need
// more rows, the last chip of the second row shows "...".
class KVMeetingMemberCollectionView final : public QWidget {
    Q_OBJECT
public:
    explicit KVMeetingMemberCollectionView(QWidget *parent = nullptr);

    void setMembers(const QList<VeskUserModel> &members);
    [[nodiscard]] QList<KVMeetingMemberCell *> chips() const { return m_chips; }
    [[nodiscard]] KVMeetingMemberCustomLayout *memberLayout() const { return m_layout; }
    // Two rows of chips and the insets.
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    QPointer<KVMeetingMemberCustomLayout> m_layout;
    QList<KVMeetingMemberCell *> m_chips;
};
