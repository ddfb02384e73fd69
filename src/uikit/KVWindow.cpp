#include "uikit/KVWindow.h"

#include "uikit/VeskCategories.h"

#include <algorithm>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

KVWindow::KVWindow(const QRect &frame, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    applyDarkAppearance(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (frame.isValid())
        setGeometry(frame);
}

KVWindow *KVWindow::showFloating(const QRect &frame, QWidget *contentView, const QString &identifier)
{
    auto *window = new KVWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setIdentifier(identifier);
    window->setObjectName(identifier);
    window->setContentView(contentView);
    // A screen reader names a window by its title; a floating one has no title bar to show one.
    if (contentView)
        window->setWindowTitle(contentView->accessibleName());
    window->setGeometry(frame);
    window->makeKeyAndOrderFront();
    return window;
}

void KVWindow::setContentView(QWidget *view)
{
    if (m_content == view)
        return;
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->setParent(nullptr);
    }
    m_content = view;
    if (!view)
        return;
    view->setParent(this);
    layout()->addWidget(view);
    view->show();
}

void KVWindow::makeKeyAndOrderFront()
{
    show();
    raise();
    activateWindow();
}

void KVWindow::applyDarkAppearance(QWidget *widget)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, vesk::colorWithHexString(QStringLiteral("#2B2C31")));
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Base, vesk::colorWithHexString(QStringLiteral("#1E1F23")));
    pal.setColor(QPalette::AlternateBase, vesk::colorWithHexString(QStringLiteral("#37383D")));
    pal.setColor(QPalette::Text, Qt::white);
    pal.setColor(QPalette::Button, vesk::colorWithHexString(QStringLiteral("#37383D")));
    pal.setColor(QPalette::ButtonText, Qt::white);
    pal.setColor(QPalette::ToolTipBase, vesk::colorWithHexString(QStringLiteral("#37383D")));
    pal.setColor(QPalette::ToolTipText, Qt::white);
    pal.setColor(QPalette::PlaceholderText, vesk::colorWithHexString(QStringLiteral("#8A8B8F")));
    pal.setColor(QPalette::Highlight, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    widget->setPalette(pal);
}

void KVWindow::mousePressEvent(QMouseEvent *event)
{
    if (!m_movable || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
    m_dragging = false;
    m_pressAt = event->globalPosition().toPoint();
    m_dragOffset = m_pressAt - frameGeometry().topLeft();
}

void KVWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->globalPosition().toPoint();
    if (!m_dragging) {
        // The window manager's move starts only on a drag: started on a click, it began after
        // the release and the window followed the pointer until the next click.
        if ((at - m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return;
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_pressed = false;
            return;
        }
        m_dragging = true;
    }
    move(at - m_dragOffset);
}

void KVWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

namespace KVWindowPlacement {
QRect screenRectOfView(const QWidget *view)
{
    if (!view)
        return {};
    return QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
}

QRect frameBelowView(const QRect &anchor, const QSize &size, qreal adjustX, qreal adjustY)
{
    const qreal x = anchor.x() + anchor.width() / 2.0 - size.width() / 2.0 + adjustX;
    const qreal top = anchor.y() + anchor.height() + adjustY;
    return QRect(qRound(x), qRound(top), size.width(), size.height());
}

QRect frameBesideFrame(const QRect &anchor, const QSize &size, qreal adjustX, qreal adjustY)
{
    const qreal x = anchor.x() + anchor.width() + adjustX;
    const qreal top = anchor.y() - adjustY;
    return QRect(qRound(x), qRound(top), size.width(), size.height());
}

QPoint originRightOf(const QRect &a, const QRect &b, const QRect &screenArea, qreal dx, qreal dy)
{
    const qreal bRight = b.x() + b.width();
    const qreal screenRight = screenArea.x() + screenArea.width();
    qreal x = bRight + dx;
    if (x + a.width() >= screenRight)
        x = screenRight >= bRight ? bRight - a.width() : screenRight - a.width();
    const qreal y = b.y() - dy;
    return keptInside(QRect(QPoint(qRound(x), qRound(y)), a.size()), screenArea).topLeft();
}

QRect keptInside(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    const auto along = [](int at, int length, int from, int room) {
        return length >= room ? from : std::clamp(at, from, from + room - length);
    };
    return QRect(QPoint(along(frame.x(), frame.width(), area.x(), area.width()),
                        along(frame.y(), frame.height(), area.y(), area.height())),
                 frame.size());
}

QRect centredIn(const QRect &area, const QSize &size)
{
    const QRect centred(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                        size.width(), size.height());
    return keptInside(centred, area);
}

QRect mainScreenVisibleFrame()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}
} // namespace KVWindowPlacement
