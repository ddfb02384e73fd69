#pragma once

#include <QObject>

#include <functional>

// "Async on the main queue": runs a function later on the main (GUI) thread.
namespace MainQueue {
[[nodiscard]] bool isMainThread();
// Runs fn on the main thread after the current event.
void async(std::function<void()> fn);
// As above, but only while context lives (checked on the main thread).
void async(const QObject *context, std::function<void()> fn);
// Runs fn at once when called on the main thread, else queues it (the dispatch_main_safe idiom).
void safe(const QObject *context, std::function<void()> fn);
} // namespace MainQueue
