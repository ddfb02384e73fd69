#include "uikit/KVRowListView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

KVRowListView::KVRowListView(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("rowListContent"));
    setWidget(m_content);
}

KVRowListView::~KVRowListView()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
}

void KVRowListView::setDelegate(Delegate delegate)
{
    m_delegate = std::move(delegate);
    qDeleteAll(std::exchange(m_rows, {}));
    m_bound.clear();
    m_shown = 0;
    placeRows();
}

void KVRowListView::setModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_model = model;
    if (model) {
        const auto before = [this] { rememberFocus(); };
        const auto after = [this] {
            placeRows();
            restoreFocus();
        };
        m_connections << connect(model, &QAbstractItemModel::modelAboutToBeReset, this, before)
                      << connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, before)
                      << connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, before)
                      << connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, before)
                      << connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, before)
                      << connect(model, &QAbstractItemModel::modelReset, this, after)
                      << connect(model, &QAbstractItemModel::rowsInserted, this, after)
                      << connect(model, &QAbstractItemModel::rowsRemoved, this, after)
                      << connect(model, &QAbstractItemModel::rowsMoved, this, after)
                      << connect(model, &QAbstractItemModel::layoutChanged, this, after)
                      << connect(model, &QAbstractItemModel::dataChanged, this,
                                 [this](const QModelIndex &top, const QModelIndex &bottom) {
                                     bindShown(top.row(), bottom.row());
                                 });
    }
    placeRows();
}

void KVRowListView::setRowHeight(int height)
{
    if (height <= 0 || height == m_rowHeight)
        return;
    m_rowHeight = height;
    placeRows();
}

QWidget *KVRowListView::rowWidget(int row) const
{
    const int at = row - m_first;
    return at >= 0 && at < m_shown ? m_rows.at(at) : nullptr;
}

int KVRowListView::rowOf(const QWidget *widget) const
{
    for (; widget && widget != m_content; widget = widget->parentWidget()) {
        const qsizetype at = m_rows.indexOf(const_cast<QWidget *>(widget));
        if (at >= 0)
            return at < m_shown ? m_first + int(at) : -1;
    }
    return -1;
}

QList<QWidget *> KVRowListView::rowWidgets() const
{
    return m_rows.mid(0, m_shown);
}

void KVRowListView::scrollToRow(int row)
{
    const int top = row * m_rowHeight;
    QScrollBar *bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + m_rowHeight > bar->value() + viewport()->height())
        bar->setValue(top + m_rowHeight - viewport()->height());
}

void KVRowListView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    placeRows(false);
}

void KVRowListView::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    placeRows(false);
}

bool KVRowListView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int row = rowOf(qobject_cast<QWidget *>(watched));
        const int step = key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
        if (row >= 0 && step != 0 && key->modifiers() == Qt::NoModifier && m_model) {
            const int next = row + step;
            auto *from = static_cast<QWidget *>(watched);
            // The same control of the next row, else its first; the row itself where it takes focus.
            const QString control = from == rowWidget(row) ? QString() : from->objectName();
            if (next >= 0 && next < m_model->rowCount()) {
                scrollToRow(next);
                if (QWidget *target = rowWidget(next)) {
                    QWidget *same = control.isEmpty() ? nullptr : target->findChild<QWidget *>(control);
                    QList<QWidget *> stops = tabStops(target);
                    stops.removeIf([](const QWidget *w) { return !w->isVisible() || !w->isEnabled(); });
                    if (same && stops.contains(same))
                        target = same;
                    else if (!stops.isEmpty())
                        target = stops.first();
                    target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                }
            }
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

QList<QWidget *> KVRowListView::tabStops(QWidget *row)
{
    QList<QWidget *> stops;
    if (row->focusPolicy() & Qt::TabFocus)
        stops << row;
    for (QWidget *child : row->findChildren<QWidget *>())
        if (child->focusPolicy() & Qt::TabFocus)
            stops << child;
    return stops;
}

bool KVRowListView::focusNextPrevChild(bool next)
{
    QWidget *from = window()->focusWidget();
    const int row = rowOf(from);
    if (row >= 0 && m_model) {
        const Qt::FocusReason reason = next ? Qt::TabFocusReason : Qt::BacktabFocusReason;
        const auto usable = [](const QWidget *w) { return w->isVisible() && w->isEnabled(); };
        // On within the row first, then into the row beyond, which scrolls into view.
        QList<QWidget *> stops = tabStops(rowWidget(row));
        stops.removeIf([&](const QWidget *w) { return w != from && !usable(w); });
        const qsizetype at = stops.indexOf(from);
        const qsizetype to = at + (next ? 1 : -1);
        if (at >= 0 && to >= 0 && to < stops.size()) {
            stops.at(to)->setFocus(reason);
            return true;
        }
        const int target = row + (next ? 1 : -1);
        if (target >= 0 && target < m_model->rowCount()) {
            scrollToRow(target);
            if (QWidget *w = rowWidget(target)) {
                QList<QWidget *> there = tabStops(w);
                there.removeIf([&](const QWidget *s) { return !usable(s); });
                if (!there.isEmpty()) {
                    (next ? there.first() : there.last())->setFocus(reason);
                    return true;
                }
            }
        }
    }
    // Out of the list: its rows follow the list in the focus chain, in the order shown.
    return QScrollArea::focusNextPrevChild(next);
}

void KVRowListView::orderTabStops()
{
    m_orderStale = false;
    if (!(focusPolicy() & Qt::TabFocus))
        return;
    QWidget *previous = this;
    for (int i = 0; i < m_shown; ++i) {
        for (QWidget *stop : tabStops(m_rows.at(i))) {
            QWidget::setTabOrder(previous, stop);
            previous = stop;
        }
    }
}

void KVRowListView::rememberFocus()
{
    QWidget *focused = window()->focusWidget();
    const int row = rowOf(focused);
    m_focusPlace = row;
    if (row < 0 || !m_model) {
        m_focusItem = QPersistentModelIndex();
        return;
    }
    m_focusItem = QPersistentModelIndex(m_model->index(row, 0));
    m_focusControl = focused == rowWidget(row) ? QString() : focused->objectName();
}

void KVRowListView::restoreFocus()
{
    const int place = std::exchange(m_focusPlace, -1);
    const QPersistentModelIndex item = std::exchange(m_focusItem, QPersistentModelIndex());
    if (place < 0 || !m_model)
        return;
    const int count = m_model->rowCount();
    if (count == 0) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    // The item's row wherever it went; once it is gone, the row now in its place.
    const int row = item.isValid() ? item.row() : std::min(place, count - 1);
    const QString control = item.isValid() ? m_focusControl : QString();
    scrollToRow(row);
    QWidget *widget = rowWidget(row);
    if (!widget)
        return;
    QWidget *target = control.isEmpty() ? widget : widget->findChild<QWidget *>(control);
    (target && target->isVisibleTo(widget) ? target : widget)->setFocus(Qt::OtherFocusReason);
}

void KVRowListView::placeRows(bool rebindAll)
{
    const int count = m_model ? m_model->rowCount() : 0;
    const QSize content(viewport()->width(), std::min(count, 1'000'000) * m_rowHeight);
    if (m_content->size() != content)
        m_content->resize(content);
    const int top = verticalScrollBar()->value();
    const int first = std::clamp(top / m_rowHeight, 0, count);
    // The rows in view, and one more for the row cut at the bottom.
    const int last = std::clamp((top + viewport()->height()) / m_rowHeight + 1, first, count);
    const int shown = m_delegate.createRow && m_delegate.bindRow ? last - first : 0;
    // A widget keeps its row while the row stays in view, so the focus stays on its item.
    QWidget *focused = window()->focusWidget();
    const int focusedRow = rowOf(focused);
    if (first != m_first && shown > 0 && m_shown > 0) {
        const int shift = first - m_first;
        if (std::abs(shift) < m_rows.size()) {
            if (shift > 0)
                std::rotate(m_rows.begin(), m_rows.begin() + shift, m_rows.end());
            else
                std::rotate(m_rows.begin(), m_rows.end() + shift, m_rows.end());
        }
        m_orderStale = true;
    }
    while (m_rows.size() < shown) {
        QWidget *row = m_delegate.createRow(m_content);
        row->installEventFilter(this);
        for (QWidget *child : row->findChildren<QWidget *>())
            child->installEventFilter(this);
        m_rows.append(row);
        m_orderStale = true;
    }
    if (shown != m_shown)
        m_orderStale = true;
    m_first = first;
    m_shown = shown;
    // One spare for the row cut at the top as well as at the bottom; more would only be read out.
    while (m_rows.size() > shown + 1) {
        m_bound.remove(m_rows.last());
        delete m_rows.takeLast();
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        QWidget *row = m_rows.at(i);
        if (i >= shown) {
            row->hide();
            m_bound.remove(row);
            continue;
        }
        row->setGeometry(0, (first + i) * m_rowHeight, content.width(), m_rowHeight);
        const auto bound = m_bound.constFind(row);
        if (rebindAll || bound == m_bound.cend() || *bound != first + i) {
            m_delegate.bindRow(row, m_model->index(first + i, 0));
            m_bound.insert(row, first + i);
        }
        row->show();
    }
    if (m_orderStale)
        orderTabStops();
    // The focused row scrolled away: its widget shows another item now, so the list takes the focus.
    if (focusedRow >= 0 && rowOf(focused) != focusedRow)
        setFocus(Qt::OtherFocusReason);
}

void KVRowListView::bindShown(int first, int last)
{
    if (!m_model)
        return;
    for (int row = std::max(first, m_first); row <= std::min(last, m_first + m_shown - 1); ++row)
        m_delegate.bindRow(m_rows.at(row - m_first), m_model->index(row, 0));
}
