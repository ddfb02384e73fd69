#pragma once

#include <QtGlobal>

// The numbers the meeting window reads and sends, by name. The values are those the service and
// the members' clients use; they never change.

// An IMMessage's type.
enum class MeetingMessageType : qint64 {
    Chat = 0,
    Control = 1,
    Transcription = 3,
    ServerNotice = 4,
    TranscriptionStatus = 5,
    Ring = 6,
    MemberJoined = 7,
    MemberLeft = 8,
};

// The event of a control command (the first data element of a Control message). Codes without a
// name here (2, 3, 6, 8, 11, 904 to 910) mean nothing to the window.
enum class MeetingControlEvent : qint64 {
    Microphone = 1,          // a host closes microphones or asks one to open ("-1": everyone)
    ScreenShareEnd = 4,      // the host ends a member's share
    TranscriptionSwitch = 5, // transcription switched on or off
    MicRequestRefused = 7,   // a member refused a request to open his microphone
    AllowOpenMic = 9,        // members may (not) open their microphones
    AllowSendIMMessage = 10, // chat forbidden or allowed for everyone
    AssistantsChanged = 12,
    RoomLock = 13,
    RoomWait = 14, // waiting room switched on or off
    RoomName = 201,
    ChatLine = 202,         // a chat line carried as a command
    NoticeToast = 203,      // the command's message as an in-meeting toast
    DataToast = 264,        // the data's message as a toast
    PlaybackPosition = 266, // the shared audio/video file's position
    PlaybackStarted = 701,
    PlaybackResumed = 702,
    PlaybackPaused = 703,
    PlaybackSought = 704,
    PlaybackEnded = 705,
    FileShareStopped = 706,
    FileShareStarted = 707,
    PlaybackReported = 708, // the sharer's playback has started; nothing to show
    PlaybackFinished = 709, // the same as PlaybackEnded
    CountDownStarted = 801,
    CountDownStopped = 802,
    Camera = 803,          // a host closes cameras
    AllowOpenCamera = 804, // members may (not) open their cameras
    DocumentShare = 901,   // a document share started or ended
    DocumentSwitch = 902,
    DocumentFollow = 903, // a page flip or scroll of the shared document
    UploadPermission = 911,
    SharePermission = 912,
    SharePermissionList = 913,
    FileRights = 914, // rights on the shown file
};

// The event of one element of a ServerNotice message.
enum class MeetingNoticeEvent : qint64 {
    WaitRoomMemberAdded = 108,
    WaitRoomMemberRemoved = 109,
    MemberDevice = 110, // a member's device; a "META" one is a virtual member
};

// The tags of the tool bar's buttons (VeskButton::tag), which bottomToolButtonClick dispatches on.
enum class MeetingToolBarTag : qint64 {
    SettingPage = 10000,
    Application = 10001,
    Subtitle = 10002,
    Record = 10003,
    Share = 10004,
    MemberList = 10005,
    Camera = 10006,
    Microphone = 10007,
    Speaker = 10008,
};
