#pragma once

#include <QColor>
#include <QWidget>

// A level bar of 2 x 20 point bars every 8 points; the first ones lit by the value.
class KVAudioIndicator final : public QWidget {
    Q_OBJECT
public:
    explicit KVAudioIndicator(QWidget *parent = nullptr);

    // Redraws only when the value changes.
    void setCurrentValue(float value);
    [[nodiscard]] float currentValue() const { return m_currentValue; }
    float maxValue = 100;
    float minValue = 0;
    QColor progressColor{0x5C, 0x5D, 0x64};
    QColor progressTintColor{0x00, 0x7A, 0xFF};

    // Bars in a width, and how many a value lights.
    [[nodiscard]] static int barCount(int width);
    [[nodiscard]] int litCount() const;

    [[nodiscard]] QSize sizeHint() const override { return {200, 20}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    float m_currentValue = 0;
};
