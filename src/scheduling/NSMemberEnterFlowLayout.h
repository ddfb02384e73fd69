#pragma once

#include "scheduling/MemberChipLayout.h"

// The editable chip field's layout: chips packed to the left row after row, the last item
// (the entry cell) stretched to the end of its row. lines is the row count of the last pass;
// linesForWidth gives it for a width without a pass.
class NSMemberEnterFlowLayout final : public MemberChipLayout {
    Q_OBJECT
public:
    explicit NSMemberEnterFlowLayout(QWidget *parent = nullptr);

    [[nodiscard]] int lines() const { return m_lines; }
    [[nodiscard]] int linesForWidth(int width) const;
    [[nodiscard]] int heightForWidth(int width) const override;
    void setGeometry(const QRect &rect) override;

private:
    int m_lines = 0;
};
