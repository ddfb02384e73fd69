#include "meeting/panels/MemberTableView.h"

#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

MemberTableView::MemberTableView(int rowHeight, QWidget *parent)
    : QScrollArea(parent), m_document(new QWidget()), m_rowHeight(std::max(1, rowHeight))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    m_document->setObjectName(QStringLiteral("tableDocument"));
    m_document->setAutoFillBackground(false);
    setWidget(m_document);
    viewport()->setAutoFillBackground(false);
}

void MemberTableView::reloadData()
{
    layoutRows(true);
}

QWidget *MemberTableView::dequeueReusableRow(const QString &identifier)
{
    for (qsizetype i = 0; i < m_pool.size(); ++i) {
        QWidget *view = m_pool.at(i);
        if (view && view->objectName() == identifier) {
            m_pool.removeAt(i);
            return view;
        }
    }
    return nullptr;
}

QWidget *MemberTableView::rowViewAtRow(int row) const
{
    return m_onScreen.value(row).data();
}

int MemberTableView::rowForView(const QWidget *view) const
{
    for (auto it = m_onScreen.cbegin(); it != m_onScreen.cend(); ++it) {
        if (it.value() == view)
            return it.key();
    }
    return -1;
}

void MemberTableView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    layoutRows(false);
}

void MemberTableView::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    layoutRows(false);
}

void MemberTableView::layoutRows(bool rebind)
{
    // Setting up a row may scroll or resize; one layout at a time.
    if (m_laying)
        return;
    m_laying = true;
    m_rows = m_source.numberOfRows ? std::max(0, m_source.numberOfRows()) : 0;
    const int width = viewport()->width();
    m_document->resize(width, std::max(viewport()->height(), m_rows * m_rowHeight));
    const int top = verticalScrollBar()->value();
    const int first = std::max(0, top / m_rowHeight);
    const int last = std::min(m_rows - 1, (top + viewport()->height()) / m_rowHeight);

    // Rows leaving the screen (all of them on a reload) go back to the pool.
    for (auto it = m_onScreen.begin(); it != m_onScreen.end();) {
        if (rebind || it.key() < first || it.key() > last || !it.value()) {
            if (it.value()) {
                it.value()->hide();
                m_pool.append(it.value());
            }
            it = m_onScreen.erase(it);
        } else {
            ++it;
        }
    }
    for (int row = first; row <= last && m_source.viewForRow; ++row) {
        QPointer<QWidget> view = m_onScreen.value(row);
        if (!view) {
            view = m_source.viewForRow(row);
            if (!view)
                continue;
            m_pool.removeAll(view);
            if (view->parentWidget() != m_document)
                view->setParent(m_document);
            m_onScreen.insert(row, view);
        }
        view->setGeometry(0, row * m_rowHeight, width, m_rowHeight);
        view->show();
    }
    m_laying = false;
    orderTabs();
}

void MemberTableView::setTabNeighbours(QWidget *before, const QList<QWidget *> &after)
{
    m_tabBefore = before;
    m_tabAfter.clear();
    for (QWidget *w : after)
        m_tabAfter.append(w);
    orderTabs();
}

void MemberTableView::orderTabs()
{
    if (!m_tabBefore || m_tabBefore->window() != window())
        return;
    QList<int> rows = m_onScreen.keys();
    std::sort(rows.begin(), rows.end());
    QWidget *previous = m_tabBefore;
    const auto follow = [&previous](QWidget *w) {
        if (!w || w == previous)
            return;
        QWidget::setTabOrder(previous, w);
        previous = w;
    };
    for (int row : rows) {
        QWidget *view = m_onScreen.value(row);
        if (!view)
            continue;
        // Each control on its own: a row is no compound widget to Qt.
        for (QWidget *child : view->findChildren<QWidget *>()) {
            if (child->focusPolicy() & Qt::TabFocus)
                follow(child);
        }
    }
    for (const QPointer<QWidget> &w : std::as_const(m_tabAfter))
        follow(w);
}
