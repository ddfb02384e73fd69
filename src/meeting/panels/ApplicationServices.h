#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QObject;

// What the applications panel and the record switches need of the meeting: the user's role, the
// room's two record switches, the audio-only mode and the host's record-switch request. In the
// app it is the meeting the agent holds (meeting()); tests give their own.
class ApplicationServices {
public:
    virtual ~ApplicationServices() = default;

    // Host or assistant host.
    [[nodiscard]] virtual bool isPrivileged() const = 0;
    // The room's switches: meeting record on, participants may view it (0 off).
    [[nodiscard]] virtual int openTranslateText() const = 0;
    [[nodiscard]] virtual int roomTranscribeStatus() const = 0;
    virtual void setOpenTranslateText(int value) = 0;
    virtual void setRoomTranscribeStatus(int value) = 0;
    virtual void useOnlyAudioMode(bool on) = 0;
    [[nodiscard]] virtual bool isOnlyAudioAllowScreenShare() const = 0;
    virtual void setIsOnlyAudioAllowScreenShare(bool on) = 0;
    // Sets both switches on the service; done(succeeded) on the main thread, never after owner is
    // gone.
    virtual void hostHandleOpenTranscribe(QObject *owner, bool openTranslateText, bool allowMemberViewRecord,
                                          std::function<void(bool succeeded)> done) = 0;

    // The meeting the agent holds at the time of each call.
    [[nodiscard]] static std::shared_ptr<ApplicationServices> meeting();
};
