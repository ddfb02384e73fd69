#include "uikit/DraggableView.h"

#include <QMouseEvent>

DraggableView::DraggableView(QWidget *parent) : QWidget(parent) {}

void DraggableView::mousePressEvent(QMouseEvent *event)
{
    if (!m_draggable || event->button() != Qt::LeftButton || !parentWidget()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_pressOffset = event->position().toPoint();
    event->accept();
}

void DraggableView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !parentWidget()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint inParent = parentWidget()->mapFromGlobal(event->globalPosition().toPoint()) - m_pressOffset;
    const QSize room = parentWidget()->size() - size();
    move(std::clamp(inParent.x(), 0, std::max(0, room.width())),
         std::clamp(inParent.y(), 0, std::max(0, room.height())));
    event->accept();
}

void DraggableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        Q_EMIT dragFinished();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
