#pragma once

#include <QColor>
#include <QWidget>

// A view framed by a one-point border.
class MacBorderView : public QWidget {
    Q_OBJECT
public:
    explicit MacBorderView(QWidget *parent = nullptr);

    void setBorderColor(const QColor &color);
    [[nodiscard]] QColor borderColor() const { return m_border; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_border;
};
