#pragma once

#include "foundation/models/MeetingMessageModel.h"
#include "uikit/AutoLayout.h"

#include <QList>
#include <QListView>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class MeetingMessageCell;

// The chat list: chat, join, leave and notice lines, oldest first, never trimmed. In the meeting
// window it is a translucent overlay in the lower left that grows with its lines up to 300 x the
// window's scale and then scrolls; in the floating chat panel (floatingState) it fills the panel.
// Lines are painted by one MeetingMessageCell; rows cannot be selected.
class IMDisplayView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kOverlayWidth = 300;
    static constexpr double kMaxHeight = 300;
    static constexpr double kDefaultBottom = -70;
    static constexpr double kLeading = 11;

    explicit IMDisplayView(QWidget *parent = nullptr);
    ~IMDisplayView() override;

    // Places the overlay by constraints in its superview for the window's scale: 300 wide, as
    // high as its lines allow, its bottom selfBottom above the anchor's top (or the superview's
    // bottom), its leading edge on the anchor's (or 11 from the superview's).
    void layoutSelf(double adjustScale);
    void layoutScale(double adjustScale);
    [[nodiscard]] double layoutScale() const { return m_adjustScale; }
    // The distance of the bottom to what it is pinned to (negative: above it).
    void layoutSelfBottom(double bottom);
    // The view the overlay stands on (the window's chat input); set before layoutSelf.
    void setAnchorView(QWidget *anchor) { m_anchor = anchor; }

    void addSingleMessage(const MeetingMessageModel &line);
    // Nothing: lines come one at a time.
    void addMessages(const QList<MeetingMessageModel> &) {}

    void setFloatingState(bool floating);
    [[nodiscard]] bool floatingState() const { return m_floatingState; }

    // Rectangles of the superview the overlay must not cover (the tiles' name bars); asked each
    // time the overlay is placed.
    std::function<QList<QRect>()> keepClearBlock;
    // Places the overlay again (its superview or what it must keep clear of changed).
    void updatePlacement();

    [[nodiscard]] const QList<MeetingMessageModel> &msgDataArr() const { return m_msgDataArr; }
    [[nodiscard]] QListView *msgTable() const { return m_msgTable; }
    [[nodiscard]] KVLayoutConstraint *selfHeight() const { return m_selfHeight; }
    [[nodiscard]] KVLayoutConstraint *selfBottom() const { return m_selfBottom; }
    // The height of all rows at the current cell width and state.
    [[nodiscard]] int contentHeight() const;
    // A row's cell width and bubble in the current state.
    [[nodiscard]] double cellWidth() const;
    [[nodiscard]] MeetingMessageCell *cell() const { return m_cell; }

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    class Model;
    class Delegate;
    class List;
    // Rows are placed by a running sum of their heights at the current cell width and state: a
    // line added measures that line only, a change of width or state measures every line once.
    void measureRows() const;
    [[nodiscard]] int rowTop(int row) const;
    [[nodiscard]] int rowHeightAt(int row) const;
    // The row at y from the top of all rows, -1 below the last.
    [[nodiscard]] int rowAt(int y) const;
    void showEnd();

    QList<MeetingMessageModel> m_msgDataArr;
    QListView *m_msgTable = nullptr;
    Model *m_model = nullptr;
    MeetingMessageCell *m_cell = nullptr;
    QPointer<QWidget> m_anchor;
    QPointer<KVLayoutConstraint> m_selfHeight;
    QPointer<KVLayoutConstraint> m_selfBottom;
    double m_adjustScale = 1.0;
    double m_bottom = kDefaultBottom;
    bool m_floatingState = false;
    bool m_placing = false;
    bool m_endOnShow = false;
    mutable QList<int> m_rowBottoms; // per measured row, the sum of its and the earlier rows' heights
    mutable double m_rowsWidth = -1;
    mutable bool m_rowsFloating = false;
};
