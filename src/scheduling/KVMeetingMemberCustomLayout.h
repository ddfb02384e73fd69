#pragma once

#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/MemberChipLayout.h"

#include <QPointer>

// The read-only two-line chip list's layout: chips packed to the left; when a third row would
// start, the last chip of the second row shows "..." at 24 points and the rest are not shown.
// Which chip shows "..." is worked out again on every pass, so a wider list never keeps one.
class KVMeetingMemberCustomLayout final : public MemberChipLayout {
    Q_OBJECT
public:
    explicit KVMeetingMemberCustomLayout(QWidget *parent = nullptr);

    // The chip showing "..." after the last pass, or -1.
    [[nodiscard]] int moreIndex() const { return m_moreIndex; }
    [[nodiscard]] int visibleCount() const { return m_visibleCount; }
    [[nodiscard]] int heightForWidth(int width) const override;
    void setGeometry(const QRect &rect) override;

private:
    int m_moreIndex = -1;
    QPointer<KVMeetingMemberCell> m_moreCell;
    int m_visibleCount = 0;
};
