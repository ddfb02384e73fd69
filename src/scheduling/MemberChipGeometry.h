#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

// Where member chips go: the chip size, the editable chip field (chips then the entry cell) and
// the read-only two-line list. Plain functions, so the layouts, the tests and the benchmarks
// share one computation.
namespace MemberChipGeometry {

inline constexpr int kChipHeight = 22;
inline constexpr int kChipPadding = 6;        // each side of the name
inline constexpr int kChipDeleteWidth = 16;   // the delete button after the name
inline constexpr int kEntryCellWidth = 60;    // the search entry at the end of a field
inline constexpr int kMoreChipWidth = 24;     // the "..." chip of a two-line list
inline constexpr int kSpacing = 6;            // between rows and between chips
inline constexpr int kSelectRowHeight = 34;   // a row of the member picker
inline constexpr int kSelectEmptyHeight = 42; // the picker with nothing to show

// A chip's width for a name this wide: ceil(text + 6 + 6 + 16 with the delete button).
[[nodiscard]] int chipWidth(qreal textWidth, bool showDelete);
[[nodiscard]] QSize chipSize(qreal textWidth, bool showDelete, int height);

struct FlowSpacing {
    QMargins insets;
    int lineSpacing = kSpacing;
    int itemSpacing = kSpacing;
};

// One pass of the editable chip field: every item packed to the left, row after row, and the
// last item (the entry cell) stretched to the end of its row. A lone item spans the width.
struct EnterFlowPass {
    QList<QRect> frames;
    int lines = 0;
    int contentHeight = 0; // insets included
};
[[nodiscard]] EnterFlowPass enterFlow(const QList<QSize> &sizes, int width, const FlowSpacing &spacing);

// One pass of the read-only two-line list: packed like the field without stretching; when a
// third row would start, the last chip of the second row becomes a "..." chip kMoreChipWidth
// wide and the chips after it are not shown.
struct TwoLinePass {
    QList<QRect> frames;   // the shown chips
    int moreIndex = -1;    // the chip showing "...", or -1
    int visibleCount = 0;  // chips [0, visibleCount) are shown
    int contentHeight = 0; // insets included
};
[[nodiscard]] TwoLinePass twoLines(const QList<QSize> &sizes, int width, const FlowSpacing &spacing);

// The member picker's height: kSelectEmptyHeight without results; compact, min(n, 3) rows;
// else min(n, 5) rows and 8 points.
[[nodiscard]] int suitedHeight(qsizetype count, bool miniMode);

} // namespace MemberChipGeometry
