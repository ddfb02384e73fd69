#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <map>
#include <mutex>

class KVTimer;

// The project clock. Every timer of the client goes through it, so tests can
// install a VirtualClock and advance time instead of sleeping.
class KVClock {
public:
    virtual ~KVClock() = default;

    // The clock in force: the real one unless a test installed another.
    static KVClock &current();
    // Installs a clock (tests); nullptr puts the real clock back.
    static void install(KVClock *clock);

    // Monotonic milliseconds.
    [[nodiscard]] virtual qint64 nowMs() const = 0;
    // The calendar's time: milliseconds since 1970 (UTC).
    [[nodiscard]] virtual qint64 wallMs() const = 0;
    // The same as a local date and time (the system's zone).
    [[nodiscard]] QDateTime wallTime() const;

protected:
    friend class KVTimer;
    virtual void arm(KVTimer *timer, qint64 intervalMs) = 0;
    virtual void disarm(KVTimer *timer) = 0;
};

// A one-shot or repeating timer owned by a QObject: it dies with its owner and
// never fires after that. A fired one-shot timer and any invalidated timer delete
// themselves later, so replacing a timer never piles spent ones on its owner; keep
// it in a QPointer when you need to cancel it. Timers may be late by a few percent
// of their interval, so the system can wake once for several.
class KVTimer final : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void()>;

    static KVTimer *singleShot(QObject *owner, std::chrono::milliseconds interval, Callback fn);
    static KVTimer *repeating(QObject *owner, std::chrono::milliseconds interval, Callback fn);

    KVTimer(QObject *owner, std::chrono::milliseconds interval, bool repeats, Callback fn);
    ~KVTimer() override;

    void start();
    // Stops until start() arms it again (a parked timer); invalidate() stops for good.
    void stop();
    // Stops for good; the callback never runs again and the timer is deleted later.
    void invalidate();
    // Runs the callback now; a one-shot timer is then spent.
    void fire();

    [[nodiscard]] bool isValid() const { return m_valid; }
    // Armed: it will fire unless stopped.
    [[nodiscard]] bool isActive() const { return m_valid && m_armed; }
    [[nodiscard]] bool repeats() const { return m_repeats; }
    [[nodiscard]] qint64 intervalMs() const { return m_intervalMs; }

private:
    friend class RealClock;
    friend class VirtualClock;
    void onTimeout();

    Callback m_fn;
    qint64 m_intervalMs;
    bool m_repeats;
    bool m_valid = true;
    bool m_armed = false;
    QObject *m_impl = nullptr; // the real clock's QTimer
};

// Virtual time for tests: nothing fires until advance() moves the clock.
class VirtualClock final : public KVClock {
public:
    VirtualClock();
    ~VirtualClock() override;

    [[nodiscard]] qint64 nowMs() const override;
    // The calendar moves with advance(); it starts at the real time the clock was made.
    [[nodiscard]] qint64 wallMs() const override;
    // Sets the calendar (a test crossing midnight); timers keep their monotonic deadlines.
    void setWallMs(qint64 msSinceEpoch);
    // Moves time forward, firing every timer that falls due, in order.
    void advance(std::chrono::milliseconds by);
    // Timers currently waiting.
    [[nodiscard]] int pendingCount() const;

protected:
    void arm(KVTimer *timer, qint64 intervalMs) override;
    void disarm(KVTimer *timer) override;

private:
    struct Entry {
        QPointer<KVTimer> timer;
        quint64 seq;
    };
    mutable std::recursive_mutex m_mutex;
    qint64 m_now = 0;
    qint64 m_wallAtZero; // the calendar's time when m_now was 0
    quint64 m_seq = 0;
    std::multimap<qint64, Entry> m_queue;
};

// Installs a VirtualClock for the life of a scope (tests).
class VirtualClockScope {
public:
    VirtualClockScope() { KVClock::install(&clock); }
    ~VirtualClockScope() { KVClock::install(nullptr); }
    VirtualClock clock;
};
