#include "uikit/KVRefreshScrollView.h"

#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QScrollBar>
#include <QWheelEvent>

KVRefreshScrollView::KVRefreshScrollView(QWidget *parent) : QScrollArea(parent), m_status(new QLabel(this))
{
    setFrameShape(QFrame::NoFrame);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setFont(vesk::systemFont(12));
    m_status->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette pal = m_status->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("999999")));
    m_status->setPalette(pal);
    m_status->hide();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value > verticalScrollBar()->minimum())
            m_pull = 0;
        if (value == verticalScrollBar()->maximum() && verticalScrollBar()->maximum() > 0)
            beginLoadingMore();
    });
}

void KVRefreshScrollView::beginRefreshing()
{
    if (isLoading() || !m_refreshEnabled)
        return;
    m_state = State::Refreshing;
    showStatus();
    if (onRefresh)
        onRefresh();
}

void KVRefreshScrollView::beginLoadingMore()
{
    if (isLoading() || !m_loadMoreEnabled)
        return;
    m_state = State::LoadingMore;
    showStatus();
    if (onLoadMore)
        onLoadMore();
}

void KVRefreshScrollView::stopLoading()
{
    m_state = State::Idle;
    m_pull = 0;
    m_status->hide();
}

void KVRefreshScrollView::showStatus()
{
    m_status->setText(QStringLiteral("加载中…"));
    m_status->setAccessibleName(m_status->text());
    const QRect area = viewport()->geometry();
    m_status->setGeometry(area.x(), m_state == State::Refreshing ? area.top() : area.bottom() - 23, area.width(), 24);
    m_status->show();
    m_status->raise();
}

void KVRefreshScrollView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (isLoading())
        showStatus();
}

void KVRefreshScrollView::wheelEvent(QWheelEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    const int dy = event->angleDelta().y();
    if (dy > 0 && bar->value() == bar->minimum()) {
        m_pull += dy;
        if (m_pull >= kPullThreshold) {
            m_pull = 0;
            beginRefreshing();
        }
        event->accept();
        return;
    }
    m_pull = 0;
    if (dy < 0 && bar->value() == bar->maximum())
        beginLoadingMore();
    QScrollArea::wheelEvent(event);
}
