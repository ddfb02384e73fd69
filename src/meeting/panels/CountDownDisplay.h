#pragma once

#include "meeting/panels/CountDownRules.h"
#include "uikit/DraggableView.h"

#include <QPointer>

class KVTimer;
class MacSliderCell;
class QLabel;

// What the host's running count-down and the attendee's display share: minutes and seconds that
// tick down once a second on the project clock, and a bar of the time left.
class CountDownDisplay : public DraggableView {
    Q_OBJECT
public:
    // Shows n seconds (with a toast saying so) and starts ticking when there is at least one.
    void startCountDownWith(qint64 seconds);
    // (Re)starts the one-second tick; never two at once.
    void beginCountDown();
    // One tick.
    void countDown();
    // Stops the tick and shows 00:00.
    virtual void stopCountDown();

    [[nodiscard]] qint64 timeCount() const { return m_timeCount; }
    [[nodiscard]] CountDownRules::MinutesSeconds timeLeft() const { return m_left; }
    [[nodiscard]] bool isTicking() const;
    // The bar: time left / total, 0 to 1.
    [[nodiscard]] double sliderValue() const;

    QPointer<QLabel> minutesLabel;
    QPointer<QLabel> secondLabel;
    QPointer<MacSliderCell> slider;
    QPointer<QWidget> minutesBKView;
    QPointer<QWidget> secondBKView;

protected:
    explicit CountDownDisplay(QWidget *parent);

    // Builds the two numbers and the bar: the numbers' boxes at y in boxes of w x h, the bar at barY.
    void buildTime(QWidget *container, int y, int boxWidth, int boxHeight, int barY);
    void setSliderValue(double value);
    virtual void aboutToStart() {}
    virtual void timerFired() { countDown(); }
    // After a tick has shown the new time.
    virtual void ticked() {}

private:
    void showTime();
    void dropTimer();

    qint64 m_timeCount = 0;
    CountDownRules::MinutesSeconds m_left;
    QPointer<KVTimer> m_countDownTimer;
};
