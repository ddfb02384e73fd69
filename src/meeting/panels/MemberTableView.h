#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QScrollArea>

#include <functional>

// A table of equal rows that makes row views only for the rows on screen and reuses them as the
// table scrolls (a roster of ten thousand members has a few dozen row views). The document is as
// tall as all rows; views added to it (a menu beside a row) scroll with the rows.
class MemberTableView final : public QScrollArea {
    Q_OBJECT
public:
    // The number of rows, and the view of one row: a view of dequeueReusableRow, set up for the
    // row, or a new one (the table adopts it).
    struct DataSource {
        std::function<int()> numberOfRows;
        std::function<QWidget *(int row)> viewForRow;
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

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void layoutRows(bool rebind);
    void orderTabs();

    DataSource m_source;
    QWidget *m_document;
    int m_rowHeight;
    int m_rows = 0;
    QHash<int, QPointer<QWidget>> m_onScreen;
    QList<QPointer<QWidget>> m_pool;
    bool m_laying = false;
    QPointer<QWidget> m_tabBefore;
    QList<QPointer<QWidget>> m_tabAfter;
};
