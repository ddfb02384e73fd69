#include "meeting/sharing/ShareStartAnimationView.h"

#include "foundation/KVClock.h"
#include "uikit/VeskCategories.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <chrono>

using namespace std::chrono_literals;

namespace {
QPointer<ShareStartAnimationView> g_current;
} // namespace

ShareStartAnimationView *ShareStartAnimationView::showStartAnimationInView(QWidget *view, Block completionBlock)
{
    remove();
    if (!view)
        return nullptr;
    auto *overlay = new ShareStartAnimationView(view);
    g_current = overlay;
    overlay->m_block = std::move(completionBlock);
    overlay->setGeometry(view->rect());
    overlay->show();
    overlay->raise();
    overlay->m_timer = KVTimer::repeating(overlay, 1s, [overlay] { overlay->countDown(); });
    overlay->countDown(); // fired at once: "3" shows at 0 s
    return overlay;
}

void ShareStartAnimationView::remove()
{
    if (ShareStartAnimationView *overlay = g_current) {
        g_current = nullptr;
        overlay->m_block = nullptr;
        if (overlay->m_timer)
            overlay->m_timer->invalidate();
        overlay->hide();
        overlay->deleteLater();
    }
}

ShareStartAnimationView *ShareStartAnimationView::current()
{
    return g_current;
}

ShareStartAnimationView::ShareStartAnimationView(QWidget *view) : VeskMaskView(view)
{
    setObjectName(QStringLiteral("ShareStartAnimationView"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto *box = new QVBoxLayout(this);
    countDownLabel = new QLabel(this);
    countDownLabel->setObjectName(QStringLiteral("countDownLabel"));
    countDownLabel->setTextFormat(Qt::PlainText);
    countDownLabel->setAlignment(Qt::AlignCenter);
    countDownLabel->setFont(vesk::systemFont(96, QFont::Bold));
    countDownLabel->setStyleSheet(QStringLiteral("color: white;"));
    countDownLabel->setAccessibleName(QStringLiteral("共享倒计时"));
    box->addWidget(countDownLabel);
    // Pinned to the view's edges.
    view->installEventFilter(this);
}

bool ShareStartAnimationView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return VeskMaskView::eventFilter(watched, event);
}

void ShareStartAnimationView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 140));
}

void ShareStartAnimationView::countDown()
{
    if (m_count < 0) {
        if (m_timer)
            m_timer->invalidate();
        m_timer = nullptr;
        Block block = std::move(m_block);
        m_block = nullptr;
        // The overlay goes before the completion runs, so the completion may show another.
        if (g_current == this)
            g_current = nullptr;
        hide();
        deleteLater();
        if (block)
            block();
        return;
    }
    countDownLabel->setText(QStringLiteral("%1").arg(m_count));
    --m_count;
}
