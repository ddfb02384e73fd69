#pragma once

#include <QPointer>
#include <QWidget>

// The meeting window's root view. Tab goes round it as the screen reads: the top bar left to
// right, then the grid, the share views and what lies over them, then the tool bar left to right.
// Views made later (a tile, a count-down, a panel) join the focus chain at its end, so the chain
// is put in that order again before each move.
class MeetingRootView final : public QWidget {
    Q_OBJECT
public:
    explicit MeetingRootView(QWidget *parent = nullptr);

    // The two bars, once the build has made them.
    void setBars(QWidget *topBar, QWidget *toolBar);
    void orderFocusChain();

protected:
    bool focusNextPrevChild(bool next) override;

private:
    QPointer<QWidget> m_topBar;
    QPointer<QWidget> m_toolBar;
};
