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

    // ---- Message types ----
    // A chat, join, leave or notice line for the chat panel and the floating chat view.
    virtual void addChatLine(const MeetingMessageModel &line) { (void)line; }
    virtual void transcriptionItems(const IMMessage &message) { (void)message; }
    virtual void subtitleItems(const IMMessage &message) { (void)message; }
    virtual void serverNotice(const IMMessage &message) { (void)message; }
    virtual void transcriptionStatus(const IMMessage &message) { (void)message; }
    virtual void ring(const IMMessage &message) { (void)message; }

    // ---- Control commands (by event code) ----
    virtual void toastInMeeting(const QString &text) { (void)text; }
    virtual void toast(const QString &text) { (void)text; }
    virtual void controlMic(const MeetingControlData &data) { (void)data; }                 // 1
    virtual void controlScreenShare(const MeetingControlData &data) { (void)data; }         // 4
    virtual void transcriptionSwitched(const MeetingControlData &data) { (void)data; }      // 5
    virtual void allowOpenMic(const MeetingControlData &data) { (void)data; }               // 9
    virtual void allowSendIMMessage(const MeetingControlData &data) { (void)data; }         // 10
    virtual void assistantsChanged() {}                                                     // 12
    virtual void roomLockChanged(bool locked) { (void)locked; }                             // 13
    virtual void roomWaitChanged(bool on) { (void)on; }                                     // 14
    virtual void roomNameChanged(const QString &name) { (void)name; }                       // 201
    virtual void playbackResync(const MeetingControlData &data) { (void)data; }             // 266
    virtual void playbackStarted() {}                                                       // 701
    virtual void playbackResumed() {}                                                       // 702
    virtual void playbackPaused() {}                                                        // 703
    virtual void playbackSought(const MeetingControlData &data) { (void)data; }             // 704
    virtual void playbackEnded() {}                                                         // 705, 709
    virtual void fileShareStopped() {}                                                      // 706
    virtual void fileShareStarted(const MeetingControlData &data) { (void)data; }           // 707
    virtual void countDownComming() {}                                                      // 801
    virtual void countDownViewHadEnd() {}                                                   // 802
    virtual void controlCamera(const MeetingControlData &data) { (void)data; }              // 803
    virtual void allowOpenCamera(const MeetingControlData &data) { (void)data; }            // 804
    virtual void documentShare(const MeetingControlData &data) { (void)data; }              // 901
    virtual void documentSwitched(const MeetingControlData &data) { (void)data; }           // 902
    virtual void documentFollow(const MeetingControlData &data) { (void)data; }             // 903
    virtual void uploadPermissionChanged(const MeetingControlData &data) { (void)data; }    // 911
    virtual void sharePermissionChanged(const MeetingControlData &data) { (void)data; }     // 912
    virtual void sharePermissionListChanged(const MeetingControlData &data) { (void)data; } // 913
    virtual void fileRightsChanged(const MeetingControlData &data) { (void)data; }          // 914
};
