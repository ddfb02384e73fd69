#pragma once

// Tells ThreadSanitizer (the KORVI_TSAN build) about what it cannot see: Qt and ICU are not
// instrumented, so a hand-over through their locks (a thread pool's queue, the main thread's
// event queue) or a change made inside them looks like a race or goes unnoticed. Each call
// states the ordering or the write the library really performs. No-ops in every other build.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KORVI_RACE_DETECTOR 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define KORVI_RACE_DETECTOR 1
#endif

#ifdef KORVI_RACE_DETECTOR
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
extern "C" void __tsan_write_range(void *addr, unsigned long size);
#endif

namespace RaceDetector {
// What this thread did so far happens before whatever follows a later happensAfter(token).
inline void happensBefore([[maybe_unused]] const void *token)
{
#ifdef KORVI_RACE_DETECTOR
    __tsan_release(const_cast<void *>(token));
#endif
}
inline void happensAfter([[maybe_unused]] const void *token)
{
#ifdef KORVI_RACE_DETECTOR
    __tsan_acquire(const_cast<void *>(token));
#endif
}
// A library call that is about to change size bytes at object (without being seen doing so).
inline void writes([[maybe_unused]] void *object, [[maybe_unused]] unsigned long size)
{
#ifdef KORVI_RACE_DETECTOR
    __tsan_write_range(object, size);
#endif
}
} // namespace RaceDetector
