#include "MediaBackend.h"

#include "EngineLog.h"

#include "foundation/MainQueue.h"

#include <QAudioDevice>
#include <QCameraDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct Waiting {
    QPointer<const QObject> context;
    std::function<void()> fn;
};

struct State {
    std::mutex mutex;
    std::condition_variable readyChanged;
    bool started = false;
    bool ready = false;
    std::vector<Waiting> waiting;
};

State &state()
{
    // Never destroyed: the back-ends' thread may still be waiting for the server when the process ends.
    static auto *made = new State;
    return *made;
}

// Makes the back-ends, then keeps an event loop running for them: Qt's audio devices try a server
// that did not answer again from the thread that made them.
class BackendThread final : public QThread {
protected:
    void run() override
    {
        QElapsedTimer took;
        took.start();
        (void)QMediaDevices::videoInputs();  // the integration, with GStreamer's device monitor
        (void)QMediaDevices::audioOutputs(); // the audio devices
        qCInfo(lcEngine) << "media back-ends ready after" << took.elapsed() << "ms";
        State &s = state();
        std::vector<Waiting> waiting;
        {
            std::lock_guard lock(s.mutex);
            s.ready = true;
            waiting.swap(s.waiting);
        }
        s.readyChanged.notify_all();
        MainQueue::async([waiting = std::move(waiting)] {
            for (const Waiting &w : waiting) {
                if (w.context)
                    w.fn();
            }
        });
        exec();
    }
};

} // namespace

namespace MediaBackend {

void start()
{
    static std::once_flag once;
    std::call_once(once, [] {
        {
            State &s = state();
            std::lock_guard lock(s.mutex);
            s.started = true;
        }
        // Never deleted, for the same reason as its state; it ends with the process.
        auto *thread = new BackendThread;
        thread->setObjectName(QStringLiteral("korvi-media"));
        thread->start();
    });
}

bool isStarted()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.started;
}

bool isReady()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.ready;
}

void whenReady(const QObject *context, std::function<void()> fn)
{
    if (!fn)
        return;
    start();
    State &s = state();
    {
        std::lock_guard lock(s.mutex);
        if (!s.ready) {
            s.waiting.push_back({context, std::move(fn)});
            return;
        }
    }
    if (context)
        fn();
}

void waitUntilReady()
{
    start();
    State &s = state();
    std::unique_lock lock(s.mutex);
    s.readyChanged.wait(lock, [&s] { return s.ready; });
}

} // namespace MediaBackend
