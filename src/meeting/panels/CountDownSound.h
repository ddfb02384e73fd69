#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

// The end sound of the attendee's count-down display: a short chime of our own (three beeps over
// about three seconds), played through Qt Multimedia. Tests install a factory with a fake player.
class CountDownSoundPlayer {
public:
    virtual ~CountDownSoundPlayer() = default;

    virtual void play() = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isPlaying() const = 0;

    using Factory = std::function<std::unique_ptr<CountDownSoundPlayer>()>;
    // The player a new display gets, or nullptr when the sound cannot be had (the display then
    // counts silently).
    [[nodiscard]] static std::unique_ptr<CountDownSoundPlayer> make();
    // Tests: another factory; an empty one puts the sound back.
    static void installFactory(Factory factory);

    // The sound as the bytes of a WAV file (16-bit mono PCM).
    [[nodiscard]] static QByteArray wavData();
};
