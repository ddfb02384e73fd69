#include "uikit/MoreActionView.h"

#include "uikit/KVAccessibility.h"
#include "uikit/MoreActionItem.h"
#include "uikit/VeskCategories.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>

MoreActionView::MoreActionView(QWidget *parent)
    : QWidget(parent), m_scroll(new QScrollArea(this)), m_content(new QWidget())
{
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The items take the focus (an opened menu's first control is its first item), not the area.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(m_content);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("菜单"));
    KVAccessibility::install();
    KVAccessibility::setRole(this, QAccessible::PopupMenu);
}

MoreActionView *MoreActionView::viewWithItems(const QList<MoreActionItem *> &items)
{
    auto *view = new MoreActionView();
    view->setItems(items);
    return view;
}

void MoreActionView::setItems(const QList<MoreActionItem *> &items)
{
    for (const auto &old : m_items) {
        if (old && !items.contains(old.data()))
            old->deleteLater();
    }
    m_items.clear();
    for (auto *item : items) {
        if (!item)
            continue;
        item->setParent(m_content);
        item->installEventFilter(this);
        m_items.append(item);
    }
    reloadData();
}

QList<MoreActionItem *> MoreActionView::items() const
{
    QList<MoreActionItem *> out;
    for (const auto &item : m_items) {
        if (item)
            out.append(item);
    }
    return out;
}

bool MoreActionView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return QWidget::eventFilter(watched, event);
    // The arrows walk the rows as in any menu, stopping at either end; Home and End go there.
    const QList<MoreActionItem *> rows = items();
    const qsizetype at = rows.indexOf(static_cast<MoreActionItem *>(watched));
    qsizetype to = -1;
    switch (key->key()) {
    case Qt::Key_Up:
        to = std::max<qsizetype>(0, at - 1);
        break;
    case Qt::Key_Down:
        to = std::min<qsizetype>(rows.size() - 1, at + 1);
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = rows.size() - 1;
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    if (at >= 0 && to >= 0) {
        rows[to]->setFocus(Qt::TabFocusReason);
        m_scroll->ensureWidgetVisible(rows[to], 0, 0);
    }
    return true;
}

void MoreActionView::setMaxWidth(int width)
{
    m_maxWidth = std::max(0, width);
    reloadData();
}

QSize MoreActionView::sizeFor(int itemCount, int maxItemCount, int maxWidth)
{
    const int rows = std::max(0, std::min(itemCount, maxItemCount));
    return {maxWidth, rows * kRowHeight + kVerticalPadding};
}

QSize MoreActionView::getSizeWithMaxItemCount(int n) const
{
    return sizeFor(int(items().size()), n, m_maxWidth);
}

void MoreActionView::reloadData()
{
    const QList<MoreActionItem *> rows = items();
    const int rowWidth = m_maxWidth;
    int y = 0;
    for (auto *item : rows) {
        const int h = item->itemSize().isValid() ? item->itemSize().height() : kRowHeight;
        item->setGeometry(0, y, rowWidth, h);
        item->show();
        y += h;
    }
    m_content->resize(rowWidth, y);
    m_scroll->setGeometry(0, kVerticalPadding / 2, width(), std::max(0, height() - kVerticalPadding));
    update();
}

void MoreActionView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    reloadData();
}

void MoreActionView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("E5E5E5")), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}
