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
        const auto all = [this] { placeRows(); };
        m_connections << connect(model, &QAbstractItemModel::modelReset, this, all)
                      << connect(model, &QAbstractItemModel::rowsInserted, this, all)
                      << connect(model, &QAbstractItemModel::rowsRemoved, this, all)
                      << connect(model, &QAbstractItemModel::rowsMoved, this, all)
                      << connect(model, &QAbstractItemModel::layoutChanged, this, all)
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
    placeRows();
}

void KVRowListView::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    placeRows();
}

bool KVRowListView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int row = rowOf(qobject_cast<QWidget *>(watched));
        const int step = key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
        if (row >= 0 && step != 0 && key->modifiers() == Qt::NoModifier && m_model) {
            const int next = row + step;
            if (next >= 0 && next < m_model->rowCount()) {
                scrollToRow(next);
                if (QWidget *target = rowWidget(next))
                    target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            }
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

void KVRowListView::placeRows()
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
    QWidget *focused = QApplication::focusWidget();
    const int focusedRow = rowOf(focused);
    if (first != m_first && shown > 0 && m_shown > 0) {
        const int shift = first - m_first;
        if (std::abs(shift) < m_rows.size()) {
            if (shift > 0)
                std::rotate(m_rows.begin(), m_rows.begin() + shift, m_rows.end());
            else
                std::rotate(m_rows.begin(), m_rows.end() + shift, m_rows.end());
        }
    }
    while (m_rows.size() < shown) {
        QWidget *row = m_delegate.createRow(m_content);
        row->installEventFilter(this);
        for (QWidget *child : row->findChildren<QWidget *>())
            child->installEventFilter(this);
        m_rows.append(row);
    }
    m_first = first;
    m_shown = shown;
    // One spare for the row cut at the top as well as at the bottom; more would only be read out.
    while (m_rows.size() > shown + 1)
        delete m_rows.takeLast();
    for (int i = 0; i < m_rows.size(); ++i) {
        QWidget *row = m_rows.at(i);
        if (i >= shown) {
            row->hide();
            continue;
        }
        row->setGeometry(0, (first + i) * m_rowHeight, content.width(), m_rowHeight);
        m_delegate.bindRow(row, m_model->index(first + i, 0));
        row->show();
    }
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
