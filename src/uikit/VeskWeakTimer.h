#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <chrono>
#include <functional>

#include "foundation/KVClock.h"

// A scheduled timer on the project clock that holds its target weakly: it
// never fires once the target is gone, and invalidating it stops it.
// It belongs to the target and dies with it.
class VeskWeakTimer final : public QObject {
    Q_OBJECT
public:
    using Selector = std::function<void(VeskWeakTimer *timer)>;

    static VeskWeakTimer *scheduledTimerWithTimeInterval(std::chrono::milliseconds interval, QObject *target,
                                                         Selector selector, const QVariant &userInfo, bool repeats);

    void invalidate();
    // Runs the selector now; a one-shot timer is then spent.
    void fire();
    [[nodiscard]] bool isValid() const;
    [[nodiscard]] QVariant userInfo() const { return m_userInfo; }
    [[nodiscard]] QObject *target() const { return m_target; }

private:
    VeskWeakTimer(QObject *target, Selector selector, QVariant userInfo, bool repeats);
    void onTick();

    QPointer<QObject> m_target;
    Selector m_selector;
    QVariant m_userInfo;
    bool m_repeats;
    QPointer<KVTimer> m_timer;
};
