#pragma once

#include "meeting/panels/CountDownDisplay.h"

#include <functional>

class VeskButton;

// The host's running count-down: the time left, a bar, a stop and a close button. At 00:00 it
// stops and runs its end block; the window decides what stop, close and the end do.
class HostCountDownStartView final : public CountDownDisplay {
    Q_OBJECT
public:
    static constexpr int kWidth = 150;
    static constexpr int kHeight = 156;

    explicit HostCountDownStartView(QWidget *parent = nullptr);

    void stopCountDown() override;
    void onStopClick();
    void onCloseClick();

    // From the first tick until it stops.
    [[nodiscard]] bool isRunning() const { return m_isRunning; }
    // The time the run started with.
    [[nodiscard]] qint64 minutes() const { return CountDownRules::split(timeCount()).minutes; }
    [[nodiscard]] qint64 seconds() const { return CountDownRules::split(timeCount()).seconds; }

    std::function<void(HostCountDownStartView *view)> stopActionBlock;
    std::function<void(HostCountDownStartView *view)> closeActionBlock;
    std::function<void(HostCountDownStartView *view)> endActionBlock;

    QPointer<QWidget> timeBgView;
    QPointer<VeskButton> stopButton;
    QPointer<VeskButton> closeButton;

protected:
    void timerFired() override;
    void ticked() override;

private:
    bool m_isRunning = false;
};
