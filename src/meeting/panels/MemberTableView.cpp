#include "meeting/panels/MemberTableView.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

bool takesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && !w->focusProxy();
}

// A row view hidden or showing another item now: what a screen reader took from its controls is
// dropped, so it can neither read nor press them for another item.
void forgetAccessibility(QWidget *view)
{
    QList<QWidget *> widgets = view->findChildren<QWidget *>();
    widgets.prepend(view);
    for (QWidget *w : std::as_const(widgets)) {
        if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    }
}

} // namespace

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
    // The view that showed the item already, else one whose item is not laid out now, else any.
    const auto pick = [&](const std::function<bool(const QString &key)> &fits) -> QWidget * {
        for (qsizetype i = 0; i < m_pool.size(); ++i) {
            QWidget *view = m_pool.at(i);
            if (view && view->objectName() == identifier && fits(m_keys.value(view))) {
                m_pool.removeAt(i);
                return view;
            }
        }
        return nullptr;
    };
    QWidget *view = nullptr;
    if (m_laying)
        view = pick([this](const QString &key) { return key == m_bindingKey; });
    if (!view)
        view = pick([this](const QString &key) { return !m_keysToBind.contains(key); });
    if (!view)
        view = pick([](const QString &) { return true; });
    if (view && m_keys.value(view) != m_bindingKey) {
        forgetAccessibility(view);
        m_keys.insert(view, m_bindingKey);
    }
    return view;
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

QString MemberTableView::keyOf(int row) const
{
    return m_source.keyForRow ? m_source.keyForRow(row) : QString::number(row);
}

QWidget *MemberTableView::rowViewHolding(const QWidget *w) const
{
    for (; w && w != m_document; w = w->parentWidget()) {
        for (const QPointer<QWidget> &view : m_onScreen) {
            if (view == w)
                return view;
        }
    }
    return nullptr;
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

    // The focused control by its item and name, to find again once the rows are bound anew.
    QWidget *focused = window()->focusWidget();
    QWidget *focusedView = rowViewHolding(focused);
    const int focusPlace = focusedView ? rowForView(focusedView) : -1;
    const QString focusKey = focusedView ? m_keys.value(focusedView) : QString();
    const QString focusControl = focusedView && focused != focusedView ? focused->objectName() : QString();

    m_keysToBind.clear();
    for (int row = first; row <= last; ++row)
        m_keysToBind.insert(keyOf(row));
    // Rows leaving the screen (all of them on a reload) go back to the pool; they hide only if no row
    // takes them again, so a row that keeps its item keeps the focus.
    for (auto it = m_onScreen.begin(); it != m_onScreen.end();) {
        if (rebind || it.key() < first || it.key() > last || !it.value()) {
            if (it.value())
                m_pool.append(it.value());
            it = m_onScreen.erase(it);
        } else {
            ++it;
        }
    }
    for (int row = first; row <= last && m_source.viewForRow; ++row) {
        QPointer<QWidget> view = m_onScreen.value(row);
        if (!view) {
            m_bindingKey = keyOf(row);
            view = m_source.viewForRow(row);
            if (!view)
                continue;
            m_pool.removeAll(view);
            m_keys.insert(view, m_bindingKey);
            if (view->parentWidget() != m_document)
                view->setParent(m_document);
            m_onScreen.insert(row, view);
        }
        view->setGeometry(0, row * m_rowHeight, width, m_rowHeight);
        view->show();
    }
    m_bindingKey.clear();
    m_keysToBind.clear();
    m_laying = false;
    orderTabs();
    const bool kept = focusedView && rowViewHolding(focusedView) && m_keys.value(focusedView) == focusKey;
    // On a reload the focus follows its item, or takes the row now in its place; a row scrolled away
    // lets it go as it hides.
    if (focusedView && !kept && rebind)
        restoreFocus(focusKey, focusControl, focusPlace);
    for (const QPointer<QWidget> &view : std::as_const(m_pool)) {
        if (view && !view->isHidden()) {
            view->hide();
            // Out of sight: nothing a screen reader took from it acts any more.
            forgetAccessibility(view);
        }
    }
}

void MemberTableView::restoreFocus(const QString &key, const QString &control, int place)
{
    if (m_onScreen.isEmpty()) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    QWidget *view = nullptr;
    for (auto it = m_onScreen.cbegin(); it != m_onScreen.cend() && !view; ++it) {
        if (it.value() && m_keys.value(it.value()) == key)
            view = it.value();
    }
    if (!view) {
        QList<int> rows = m_onScreen.keys();
        std::sort(rows.begin(), rows.end());
        const auto at = std::lower_bound(rows.cbegin(), rows.cend(), place);
        view = m_onScreen.value(at == rows.cend() ? rows.last() : *at);
    }
    if (!view)
        return;
    if (m_source.revealRow)
        m_source.revealRow(view);
    QWidget *target = control.isEmpty() ? nullptr : view->findChild<QWidget *>(control);
    if (!target || !takesTab(target)) {
        target = nullptr;
        // The row's first control the keyboard reaches.
        for (QWidget *w = view->nextInFocusChain(); w && w != view && !target; w = w->nextInFocusChain()) {
            if (view->isAncestorOf(w) && takesTab(w))
                target = w;
        }
    }
    (target ? target : view)->setFocus(Qt::OtherFocusReason);
}

void MemberTableView::restoreFocusTo(QWidget *w)
{
    QWidget *view = rowViewHolding(w);
    if (!view) {
        if (w->isVisible() && w->isEnabled())
            w->setFocus(Qt::OtherFocusReason);
        return;
    }
    restoreFocus(m_keys.value(view), w == view ? QString() : w->objectName(), rowForView(view));
}

void MemberTableView::revealRowAhead(QWidget *from, bool next)
{
    if (!from || !m_source.revealRow)
        return;
    const QWidget *own = rowViewHolding(from);
    // As Qt walks the chain: the first widget that takes the focus ends the walk; a row passed on the
    // way (its hidden control comes first) is the one entered.
    for (QWidget *w = next ? from->nextInFocusChain() : from->previousInFocusChain(); w && w != from;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        QWidget *row = rowViewHolding(w);
        if (row && row != own) {
            m_source.revealRow(row);
            return;
        }
        if (takesTab(w) && w->window() == from->window())
            return;
    }
}

bool MemberTableView::focusNextPrevChild(bool next)
{
    revealRowAhead(window()->focusWidget(), next);
    return QScrollArea::focusNextPrevChild(next);
}

bool MemberTableView::eventFilter(QObject *watched, QEvent *event)
{
    // Tab and Shift+Tab from the controls before and after the rows.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool back =
            key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
        if (back || (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier))
            revealRowAhead(static_cast<QWidget *>(watched), !back);
    }
    return QScrollArea::eventFilter(watched, event);
}

void MemberTableView::setTabNeighbours(QWidget *before, const QList<QWidget *> &after)
{
    m_tabBefore = before;
    m_tabAfter.clear();
    for (QWidget *w : after)
        m_tabAfter.append(w);
    if (before)
        before->installEventFilter(this);
    for (QWidget *w : after)
        w->installEventFilter(this);
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
