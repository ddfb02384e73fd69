#pragma once

#include <QWidget>

// A view the user drags with the mouse; it stays inside its parent.
class DraggableView : public QWidget {
    Q_OBJECT
public:
    explicit DraggableView(QWidget *parent = nullptr);

    void setDraggable(bool draggable) { m_draggable = draggable; }
    [[nodiscard]] bool isDraggable() const { return m_draggable; }

Q_SIGNALS:
    void dragFinished();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_draggable = true;
    bool m_dragging = false;
    QPoint m_pressOffset;
};
