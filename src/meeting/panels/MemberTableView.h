#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QSet>

#include <functional>

// A table of equal rows that makes row views only for the rows on screen and reuses them as the
// table scrolls (a roster of ten thousand members has a few dozen row views). The document is as
// tall as all rows; views added to it (a menu beside a row) scroll with the rows. A row view keeps
// showing its item (a member) across reloads while the item stays on screen, and the focus stays on
// the item's control; once the item is gone it goes to the same control of the row now in its place.
class MemberTableView final : public QScrollArea {
    Q_OBJECT
public:
    // The number of rows, and the view of one row: a view of dequeueReusableRow, set up for the
    // row, or a new one (the table adopts it).
    struct DataSource {
        std::function<int()> numberOfRows;
        std::function<QWidget *(int row)> viewForRow;
        // The identity of the row's item (never its place); rows without one are told apart by place.
        std::function<QString(int row)> keyForRow;
        // Shows the controls a row shows only under the pointer or the focus, before the focus enters it.
        std::function<void(QWidget *view)> revealRow;
    };

    explicit MemberTableView(int rowHeight, QWidget *parent = nullptr);

    void setDataSource(DataSource source) { m_source = std::move(source); }
    // Sets every row on screen up again.
    void reloadData();
    // A row view of that object name that is not on screen now, or nullptr.
    [[nodiscard]] QWidget *dequeueReusableRow(const QString &identifier);
    // The view of a row while it is on screen, else nullptr.
    [[nodiscard]] QWidget *rowViewAtRow(int row) const;
    // The row a view shows, or -1.
    [[nodiscard]] int rowForView(const QWidget *view) const;
    [[nodiscard]] int numberOfRows() const { return m_rows; }
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }
    // The scrolled document (row views and whatever is placed beside them live there).
    [[nodiscard]] QWidget *documentView() const { return m_document; }
    // Tab goes from before through the rows' controls top to bottom, then to the after controls
    // (rows are made and reused in any order).
    void setTabNeighbours(QWidget *before, const QList<QWidget *> &after);
    // Gives the focus back to w (its window's last focused control): a row's control shows first; one
    // the row no longer has gives it to the row's first control.
    void restoreFocusTo(QWidget *w);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutRows(bool rebind);
    void orderTabs();
    [[nodiscard]] QString keyOf(int row) const;
    // The row view on screen that holds w, or nullptr.
    [[nodiscard]] QWidget *rowViewHolding(const QWidget *w) const;
    // Tab (next) or Shift+Tab from a control: the row it enters shows its hidden controls first, so
    // the focus reaches them (a row's last control shows only while the row has the focus).
    void revealRowAhead(QWidget *from, bool next);
    void restoreFocus(const QString &key, const QString &control, int place);

    DataSource m_source;
    QWidget *m_document;
    int m_rowHeight;
    int m_rows = 0;
    QHash<int, QPointer<QWidget>> m_onScreen;
    QList<QPointer<QWidget>> m_pool;
    // The item each row view showed last; the items of the rows being laid out, and the one asked for.
    QHash<const QWidget *, QString> m_keys;
    QSet<QString> m_keysToBind;
    QString m_bindingKey;
    bool m_laying = false;
    QPointer<QWidget> m_tabBefore;
    QList<QPointer<QWidget>> m_tabAfter;
};
