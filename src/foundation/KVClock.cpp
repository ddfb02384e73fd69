#include "KVClock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>

class RealClock final : public KVClock {
public:
    RealClock() { m_elapsed.start(); }
    [[nodiscard]] qint64 nowMs() const override { return m_elapsed.elapsed(); }
    [[nodiscard]] qint64 wallMs() const override { return QDateTime::currentMSecsSinceEpoch(); }

protected:
    void arm(KVTimer *timer, qint64 intervalMs) override
    {
        auto *qt = qobject_cast<QTimer *>(timer->m_impl);
        if (!qt) {
            qt = new QTimer(timer);
            // No timer of ours needs to the millisecond: coarse ones coalesce their wake-ups.
            qt->setTimerType(Qt::CoarseTimer);
            QObject::connect(qt, &QTimer::timeout, timer, [timer] { timer->onTimeout(); });
            timer->m_impl = qt;
        }
        qt->setSingleShot(!timer->repeats());
        qt->start(static_cast<int>(intervalMs));
    }
    void disarm(KVTimer *timer) override
    {
        if (auto *qt = qobject_cast<QTimer *>(timer->m_impl))
            qt->stop();
    }

private:
    QElapsedTimer m_elapsed;
};

namespace {
RealClock &realClock()
{
    static RealClock clock;
    return clock;
}
std::atomic<KVClock *> g_installed{nullptr};
} // namespace

QDateTime KVClock::wallTime() const
{
    return QDateTime::fromMSecsSinceEpoch(wallMs());
}

KVClock &KVClock::current()
{
    KVClock *c = g_installed.load();
    return c ? *c : realClock();
}

void KVClock::install(KVClock *clock)
{
    g_installed.store(clock);
}

KVTimer *KVTimer::singleShot(QObject *owner, std::chrono::milliseconds interval, Callback fn)
{
    auto *t = new KVTimer(owner, interval, false, std::move(fn));
    t->start();
    return t;
}

KVTimer *KVTimer::repeating(QObject *owner, std::chrono::milliseconds interval, Callback fn)
{
    auto *t = new KVTimer(owner, interval, true, std::move(fn));
    t->start();
    return t;
}

KVTimer::KVTimer(QObject *owner, std::chrono::milliseconds interval, bool repeats, Callback fn)
    : QObject(owner), m_fn(std::move(fn)), m_intervalMs(interval.count()), m_repeats(repeats)
{
    Q_ASSERT(owner);
}

KVTimer::~KVTimer()
{
    if (m_armed)
        KVClock::current().disarm(this);
}

void KVTimer::start()
{
    if (!m_valid)
        return;
    m_armed = true;
    KVClock::current().arm(this, m_intervalMs);
}

void KVTimer::stop()
{
    if (!m_armed)
        return;
    m_armed = false;
    KVClock::current().disarm(this);
}

void KVTimer::invalidate()
{
    if (!m_valid)
        return;
    m_valid = false;
    if (m_armed) {
        m_armed = false;
        KVClock::current().disarm(this);
    }
    // A dead timer serves nobody: it goes, instead of staying a child of its owner.
    deleteLater();
}

void KVTimer::fire()
{
    if (!m_valid)
        return;
    if (!m_repeats)
        invalidate();
    // Copy: the callback may destroy this timer's owner and with it the timer.
    auto fn = m_fn;
    if (fn)
        fn();
}

void KVTimer::onTimeout()
{
    fire();
}

VirtualClock::VirtualClock() : m_wallAtZero(QDateTime::currentMSecsSinceEpoch()) {}
VirtualClock::~VirtualClock() = default;

qint64 VirtualClock::nowMs() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

qint64 VirtualClock::wallMs() const
{
    std::lock_guard lock(m_mutex);
    return m_wallAtZero + m_now;
}

void VirtualClock::setWallMs(qint64 msSinceEpoch)
{
    std::lock_guard lock(m_mutex);
    m_wallAtZero = msSinceEpoch - m_now;
}

void VirtualClock::arm(KVTimer *timer, qint64 intervalMs)
{
    std::lock_guard lock(m_mutex);
    disarm(timer);
    m_queue.emplace(m_now + std::max<qint64>(intervalMs, 0), Entry{timer, m_seq++});
}

void VirtualClock::disarm(KVTimer *timer)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->second.timer == timer || it->second.timer.isNull())
            it = m_queue.erase(it);
        else
            ++it;
    }
}

int VirtualClock::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto &[due, e] : m_queue)
        n += e.timer ? 1 : 0;
    return n;
}

void VirtualClock::advance(std::chrono::milliseconds by)
{
    qint64 target;
    {
        std::lock_guard lock(m_mutex);
        target = m_now + by.count();
    }
    for (;;) {
        QPointer<KVTimer> timer;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_queue.begin();
            while (it != m_queue.end() && it->second.timer.isNull())
                it = m_queue.erase(it);
            if (it == m_queue.end() || it->first > target) {
                m_now = target;
                return;
            }
            m_now = it->first;
            timer = it->second.timer;
            m_queue.erase(it);
            if (timer->repeats())
                m_queue.emplace(m_now + std::max<qint64>(timer->intervalMs(), 1), Entry{timer, m_seq++});
        }
        timer->fire();
    }
}
