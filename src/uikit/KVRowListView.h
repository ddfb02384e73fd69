#pragma once

#include <QHash>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollArea>

#include <functional>
#include <memory>

class QAbstractItemModel;

// A list of many rows that costs the rows in view: a model, and a row widget only for each row in
// view (and the one cut at the bottom), made and bound by the delegate, bound again in place as the
// list scrolls or the model changes (dataChanged binds only the rows it names). Rows are real
// widgets of one height: a screen reader meets only the rows in view; Tab goes through the rows'
// controls in the order shown and on to the rows out of view, Up and Down move the focus to the
// row above or below, each scrolling the row into view. The focus stays with its item (the same
// control of the row that shows it) as rows come, go or move around it.
class KVRowListView final : public QScrollArea {
    Q_OBJECT
public:
    struct Delegate {
        // A new row widget, made when more rows come into view than there are widgets.
        std::function<QWidget *(QWidget *parent)> createRow;
        // Shows the model's row in the widget; the widget keeps the row's identity (a persistent
        // index or the item's id), never its place, for what its buttons do.
        std::function<void(QWidget *row, const QModelIndex &index)> bindRow;
    };

    explicit KVRowListView(QWidget *parent = nullptr);
    ~KVRowListView() override;

    void setDelegate(Delegate delegate);
    // Not owned; the view follows its resets, inserts, removals, moves and changes.
    void setModel(QAbstractItemModel *model);
    [[nodiscard]] QAbstractItemModel *model() const { return m_model; }
    void setRowHeight(int height);
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }

    // The widget showing the row, nullptr while it is out of view.
    [[nodiscard]] QWidget *rowWidget(int row) const;
    // The row a widget (or a widget inside it) shows now; -1 for none.
    [[nodiscard]] int rowOf(const QWidget *widget) const;
    // The rows' widgets in view, top first.
    [[nodiscard]] QList<QWidget *> rowWidgets() const;
    void scrollToRow(int row);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Binds the rows whose widget shows another row than before; all of them after a change of the
    // model's rows.
    void placeRows(bool rebindAll = true);
    void bindShown(int first, int last);
    // The row's own stops for Tab, in the order they take the focus.
    [[nodiscard]] static QList<QWidget *> tabStops(QWidget *row);
    void orderTabStops();
    void rememberFocus();
    void restoreFocus();

    QPointer<QAbstractItemModel> m_model;
    QList<QMetaObject::Connection> m_connections;
    Delegate m_delegate;
    int m_rowHeight = 40;
    QWidget *m_content = nullptr;
    QList<QWidget *> m_rows;             // m_rows[i] shows row m_first + i while i < m_shown
    QHash<const QWidget *, int> m_bound; // the row each widget was last bound to
    int m_first = 0;
    int m_shown = 0;
    bool m_orderStale = false;
    // The focused item across a change of the model: which, its control, and where it was.
    QPersistentModelIndex m_focusItem;
    QString m_focusControl;
    int m_focusPlace = -1;
};
