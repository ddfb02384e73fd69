#pragma once

#include "connection/IMMessage.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/common/MeetingHostControlRules.h"

#include <QString>

// What the message and control dispatchers ask of the meeting window. One method per handler of
// the two tables, each to be answered: an event added without its handler does not compile. The
// window's target calls the concern that owns each; tests record the calls.
class MeetingDispatchTarget {
public:
    virtual ~MeetingDispatchTarget() = default;

    // ---- What the dispatchers read ----
    [[nodiscard]] virtual QString myPhoneNumber() const = 0;
    [[nodiscard]] virtual bool subtitlesShown() const = 0;
    // Whether a channel message's sender is the service, the room's host or an assistant host as
    // this client knows them: only they may give host commands (isHostCommand).
    [[nodiscard]] virtual bool senderMayCommand(const QString &sender) const = 0;
    // Whether a channel message's sender may give this document or audio/video event: the
    // service, and as MeetingHostControlRules::sharedFileSenderAllowed says for the file on show
    // (data names the file of a rights change).
    [[nodiscard]] virtual bool senderMayDriveSharedFile(const QString &sender,
                                                        const MeetingHostControlRules::SharedFileEvent &event,
                                                        const MeetingControlData &data) const = 0;

    // ---- Message types ----
    // A chat, join, leave or notice line for the chat panel and the floating chat view.
    virtual void addChatLine(const MeetingMessageModel &line) = 0;
    virtual void transcriptionItems(const IMMessage &message) = 0;
    virtual void subtitleItems(const IMMessage &message) = 0;
    virtual void serverNotice(const IMMessage &message) = 0;
    virtual void transcriptionStatus(const IMMessage &message) = 0;
    virtual void ring(const IMMessage &message) = 0;

    // ---- Control commands (by MeetingControlEvent) ----
    virtual void toastInMeeting(const QString &text) = 0;
    virtual void toast(const QString &text) = 0;
    virtual void controlMic(const MeetingControlData &data) = 0;                 // Microphone
    virtual void controlScreenShare(const MeetingControlData &data) = 0;         // ScreenShareEnd
    virtual void transcriptionSwitched(const MeetingControlData &data) = 0;      // TranscriptionSwitch
    virtual void allowOpenMic(const MeetingControlData &data) = 0;               // AllowOpenMic
    virtual void allowSendIMMessage(const MeetingControlData &data) = 0;         // AllowSendIMMessage
    virtual void assistantsChanged() = 0;                                        // AssistantsChanged
    virtual void roomLockChanged(bool locked) = 0;                               // RoomLock
    virtual void roomWaitChanged(bool on) = 0;                                   // RoomWait
    virtual void roomNameChanged(const QString &name) = 0;                       // RoomName
    virtual void playbackResync(const MeetingControlData &data) = 0;             // PlaybackPosition
    virtual void playbackStarted() = 0;                                          // PlaybackStarted
    virtual void playbackResumed() = 0;                                          // PlaybackResumed
    virtual void playbackPaused() = 0;                                           // PlaybackPaused
    virtual void playbackSought(const MeetingControlData &data) = 0;             // PlaybackSought
    virtual void playbackEnded() = 0;                                            // PlaybackEnded, PlaybackFinished
    virtual void fileShareStopped() = 0;                                         // FileShareStopped
    virtual void fileShareStarted(const MeetingControlData &data) = 0;           // FileShareStarted
    virtual void countDownComming() = 0;                                         // CountDownStarted
    virtual void countDownViewHadEnd() = 0;                                      // CountDownStopped
    virtual void controlCamera(const MeetingControlData &data) = 0;              // Camera
    virtual void allowOpenCamera(const MeetingControlData &data) = 0;            // AllowOpenCamera
    virtual void documentShare(const MeetingControlData &data) = 0;              // DocumentShare
    virtual void documentSwitched(const MeetingControlData &data) = 0;           // DocumentSwitch
    virtual void documentFollow(const MeetingControlData &data) = 0;             // DocumentFollow
    virtual void uploadPermissionChanged(const MeetingControlData &data) = 0;    // UploadPermission
    virtual void sharePermissionChanged(const MeetingControlData &data) = 0;     // SharePermission
    virtual void sharePermissionListChanged(const MeetingControlData &data) = 0; // SharePermissionList
    virtual void fileRightsChanged(const MeetingControlData &data) = 0;          // FileRights
};
