#pragma once

#include "connection/IMMessage.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMessageModel.h"

#include <QString>

// What the message and control dispatchers ask of the meeting window. One method per handler of
// the two tables; every method is optional. The window answers with its own methods; tests record
// the calls.
class MeetingDispatchTarget {
public:
    virtual ~MeetingDispatchTarget() = default;

    // ---- What the dispatchers read ----
    [[nodiscard]] virtual QString myPhoneNumber() const { return {}; }
    [[nodiscard]] virtual bool subtitlesShown() const { return false; }
    // Whether a channel message's sender is the service, the room's host or an assistant host as
    // this client knows them: only they may give host commands (isHostCommand).
    [[nodiscard]] virtual bool senderMayCommand(const QString &sender) const = 0;

    // ---- Message types ----
    // A chat, join, leave or notice line for the chat panel and the floating chat view.
    virtual void addChatLine(const MeetingMessageModel &line) { (void)line; }
    virtual void transcriptionItems(const IMMessage &message) { (void)message; }
    virtual void subtitleItems(const IMMessage &message) { (void)message; }
    virtual void serverNotice(const IMMessage &message) { (void)message; }
    virtual void transcriptionStatus(const IMMessage &message) { (void)message; }
    virtual void ring(const IMMessage &message) { (void)message; }

    // ---- Control commands (by MeetingControlEvent) ----
    virtual void toastInMeeting(const QString &text) { (void)text; }
    virtual void toast(const QString &text) { (void)text; }
    virtual void controlMic(const MeetingControlData &data) { (void)data; }            // Microphone
    virtual void controlScreenShare(const MeetingControlData &data) { (void)data; }    // ScreenShareEnd
    virtual void transcriptionSwitched(const MeetingControlData &data) { (void)data; } // TranscriptionSwitch
    virtual void allowOpenMic(const MeetingControlData &data) { (void)data; }          // AllowOpenMic
    virtual void allowSendIMMessage(const MeetingControlData &data) { (void)data; }    // AllowSendIMMessage
    virtual void assistantsChanged() {}                                                // AssistantsChanged
    virtual void roomLockChanged(bool locked) { (void)locked; }                        // RoomLock
    virtual void roomWaitChanged(bool on) { (void)on; }                                // RoomWait
    virtual void roomNameChanged(const QString &name) { (void)name; }                  // RoomName
    virtual void playbackResync(const MeetingControlData &data) { (void)data; }        // PlaybackPosition
    virtual void playbackStarted() {}                                                  // PlaybackStarted
    virtual void playbackResumed() {}                                                  // PlaybackResumed
    virtual void playbackPaused() {}                                                   // PlaybackPaused
    virtual void playbackSought(const MeetingControlData &data) { (void)data; }        // PlaybackSought
    virtual void playbackEnded() {}                                               // PlaybackEnded, PlaybackFinished
    virtual void fileShareStopped() {}                                            // FileShareStopped
    virtual void fileShareStarted(const MeetingControlData &data) { (void)data; } // FileShareStarted
    virtual void countDownComming() {}                                            // CountDownStarted
    virtual void countDownViewHadEnd() {}                                         // CountDownStopped
    virtual void controlCamera(const MeetingControlData &data) { (void)data; }    // Camera
    virtual void allowOpenCamera(const MeetingControlData &data) { (void)data; }  // AllowOpenCamera
    virtual void documentShare(const MeetingControlData &data) { (void)data; }    // DocumentShare
    virtual void documentSwitched(const MeetingControlData &data) { (void)data; } // DocumentSwitch
    virtual void documentFollow(const MeetingControlData &data) { (void)data; }   // DocumentFollow
    virtual void uploadPermissionChanged(const MeetingControlData &data) { (void)data; }    // UploadPermission
    virtual void sharePermissionChanged(const MeetingControlData &data) { (void)data; }     // SharePermission
    virtual void sharePermissionListChanged(const MeetingControlData &data) { (void)data; } // SharePermissionList
    virtual void fileRightsChanged(const MeetingControlData &data) { (void)data; }          // FileRights
};
