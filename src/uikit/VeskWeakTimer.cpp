#include "uikit/VeskWeakTimer.h"

#include "foundation/KVClock.h"

VeskWeakTimer::VeskWeakTimer(QObject *target, Selector selector, QVariant userInfo, bool repeats)
    : QObject(target), m_target(target), m_selector(std::move(selector)), m_userInfo(std::move(userInfo)),
      m_repeats(repeats)
{
}

VeskWeakTimer *VeskWeakTimer::scheduledTimerWithTimeInterval(std::chrono::milliseconds interval, QObject *target,
                                                             Selector selector, const QVariant &userInfo, bool repeats)
{
    if (!target)
        return nullptr;
    auto *timer = new VeskWeakTimer(target, std::move(selector), userInfo, repeats);
    QPointer<VeskWeakTimer> weak(timer);
    auto tick = [weak] {
        if (weak)
            weak->onTick();
    };
    timer->m_timer = repeats ? KVTimer::repeating(timer, interval, tick) : KVTimer::singleShot(timer, interval, tick);
    return timer;
}

void VeskWeakTimer::onTick()
{
    if (!m_target) {
        invalidate();
        return;
    }
    fire();
}

void VeskWeakTimer::fire()
{
    if (!isValid())
        return;
    auto selector = m_selector;
    if (!m_repeats)
        invalidate();
    QPointer<VeskWeakTimer> self(this);
    if (selector && m_target)
        selector(this);
    if (self && !m_repeats)
        self->deleteLater();
}

void VeskWeakTimer::invalidate()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer = nullptr;
    m_selector = nullptr;
}

bool VeskWeakTimer::isValid() const
{
    return m_timer && m_timer->isValid();
}
