#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class MoreActionItem;
class QScrollArea;

// A pop-up menu of rows 34 points high with 4 points above and below; rows
// beyond the visible count scroll. The arrow keys move between the rows.
class MoreActionView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 34;
    static constexpr int kVerticalPadding = 8;

    // Takes ownership of the items.
    static MoreActionView *viewWithItems(const QList<MoreActionItem *> &items);

    void setMaxWidth(int width);
    [[nodiscard]] int maxWidth() const { return m_maxWidth; }
    // Width = the maximum width; height = min(item count, n) x 34 + 8.
    [[nodiscard]] QSize getSizeWithMaxItemCount(int n) const;
    [[nodiscard]] static QSize sizeFor(int itemCount, int maxItemCount, int maxWidth);
    void setItems(const QList<MoreActionItem *> &items);
    [[nodiscard]] QList<MoreActionItem *> items() const;
    // Lays the rows out again.
    void reloadData();

protected:
    explicit MoreActionView(QWidget *parent = nullptr);
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Up and Down move between the rows, Home and End to the first and last.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_maxWidth = 200;
    QList<QPointer<MoreActionItem>> m_items;
    QScrollArea *m_scroll;
    QWidget *m_content;
};
