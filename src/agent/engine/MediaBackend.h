#pragma once

#include <QObject>

#include <functional>

// Qt Multimedia makes its back-ends on first use, on the thread that uses it first, and both wait
// there for the sound server's answer: the GStreamer integration (its device monitor asks the
// sound server for its devices) and the audio devices (which, while no server answers, try again
// every 3 s on that same thread). A server that never answers holds that thread for libpulse's
// 30 s each time. So they are made on a thread of their own, and the main thread touches Qt
// Multimedia (a camera, a video sink, the device lists, a stream) only once they exist.
//
// Made only where a real device is used. GStreamer's PulseAudio device provider (1.22), which
// they start, never releases some of the sound-server operations it makes, and libpulse reuses
// the memory of released ones: a sanitized process that made them may report an 88-byte leak
// whose stack names whoever first allocated that memory, PulseAudioClient among them.
namespace MediaBackend {

// Starts making them, once, on first use (whenReady and waitUntilReady start it too): a start
// that opens no camera or stream maps none of their libraries.
void start();
// They are being made, or exist.
[[nodiscard]] bool isStarted();
// They exist: Qt Multimedia answers without waiting from now on.
[[nodiscard]] bool isReady();
// On the main thread: runs fn once they exist (at once when they do), while context lives.
void whenReady(const QObject *context, std::function<void()> fn);
// Waits until they exist. Never on the main thread of the application (tests may).
void waitUntilReady();

} // namespace MediaBackend
