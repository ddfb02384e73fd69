#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "foundation/KVClock.h"

// A spinner. It turns on the project clock while animating.
class VeskIndicator final : public QWidget {
    Q_OBJECT
public:
    explicit VeskIndicator(QWidget *parent = nullptr);

    void setColor(const QColor &color);
    [[nodiscard]] QColor color() const { return m_color; }
    void startAnimating();
    void stopAnimating();
    [[nodiscard]] bool isAnimating() const { return m_timer != nullptr; }
    // The spoke drawn brightest (0-11); advances every step.
    [[nodiscard]] int phase() const { return m_phase; }

    [[nodiscard]] QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = Qt::white;
    int m_phase = 0;
    QPointer<KVTimer> m_timer;
};
