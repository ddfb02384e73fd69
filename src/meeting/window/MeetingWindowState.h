#pragma once

// The meeting window controller's own state, one struct per concern, under the names the rest of
// the window uses. The controller or the concern class named beside a struct holds it and changes it.
// The panels' and the share display's state live in their own classes (MeetingPanels, MeetingSharing).

#include "agent/MeetingActiveModel.h"
#include "agent/MeetingMemberModel.h"
#include "foundation/KVClock.h"
#include "foundation/OperationQueue.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMemberShareStatusModel.h"
#include "meeting/window/KVSystemTipModel.h"
#include "uikit/KVAlert.h"

#include <QList>
#include <QMap>
#include <QPoint>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include <memory>

class QWidget;
class VideoCollectionView;
class VideoCollectionViewItemDelegate;

// The meeting's course in this window (MeetingViewController.cpp, +RoomEvents.cpp, +Leave.cpp).
struct MeetingLifetimeState {
    qint64 stateMeeting = 0;       // the last room state (0 idle, 1 joining, 2 in the room, 3 reconnecting, 4 failed)
    bool meetingEnded = false;     // left, ended or closed: nothing more of it may run
    bool joinStepsPending = false; // the join steps wait for state 2
    bool isRoomDelegate = false;
    bool roomClosedAlertShown = false;
    QPointer<KVAlert> leaveAlert;
    bool appeared = false;
};

// Joining and the waiting-room screen (+WaitingRoom.cpp).
struct MeetingWaitingRoomState {
    bool enterWaitingRoom = false;      // open on the waiting-room screen instead of joining
    QPointer<KVTimer> loopRequestTimer; // the 2 s admission poll
    // Replies of an earlier waiting-room screen carry an older number and are dropped.
    quint64 waitingRoomGeneration = 0;
    bool showingWaitingRoom = false;
    // The host moved the user out: this page's meeting is left and its join again is on its way.
    bool rejoining = false;
    // What the cover hid (all that lay under it), shown again when it goes.
    QList<QPointer<QWidget>> coveredViews;
};

// Members, the grid and its tiles (+Members.cpp).
struct MeetingMembersState {
    using Tile = std::shared_ptr<MeetingActiveModel>;
    // Member changes and share-permission parsing, one at a time in arrival order.
    std::unique_ptr<OperationQueue> serialOperationQueue;
    MeetingMemberList allMembers; // the latest list applied
    // The latest list the manager gave: a re-run of the pipeline starts from it, not from the
    // applied one, or it would overwrite a newer list still on its way.
    MeetingMemberList receivedMembers;
    QList<Tile> activeMembers;                                        // the grid's tiles
    QMap<QString, MeetingMemberShareStatusModel> sharePermissionInfo; // user id: who may share
    Tile avFileShareSourceModel;                                      // remote share streams
    Tile screenShareSourceModel;
    QPointer<VideoCollectionView> videoGrid;
    // The grid's tiles report to the controller through this (shared_ptr: deleter bound here).
    std::shared_ptr<VideoCollectionViewItemDelegate> tileDelegate;
    QPointer<KVTimer> stripWidthAnimation;
};

// The own microphone and camera, and host requests about them (MeetingOwnDevices.cpp).
struct MeetingOwnDevicesState {
    bool isMicOn = false;
    bool isCameraOn = false;
    // A host's microphone or camera command that came before the room state, kept for later.
    bool tempIsMicOn = false;
    bool tempIsCameraOn = false;
    MeetingControlData temControlData;
    MeetingControlData temCameraControlData;
    bool alertShow = false; // a host's open-microphone request is on screen
    QPointer<KVAlert> micOpenRequestAlert;
    bool micOpenChecking = false; // a device check of a microphone open is under way
    // Every report of the microphone to the service takes the next number, so a delayed report
    // overtaken by a newer one is dropped.
    quint64 micReportSerial = 0;
};

// The window's size and scale (+Build.cpp, +Members.cpp).
struct MeetingGeometryState {
    double adjustScale = 1.0; // the content's width against its design width 1600 (1.0 in full screen)
    QRectF windowContentFrame;
    bool inFullScreenMode = false;
    QSizeF item_size; // one shared document page
};

// The tool bar: the bars' auto-hide and the input it watches (MeetingToolBar.cpp).
struct MeetingToolBarState {
    // Local key-down and mouse-move monitors (event filters on the application while set).
    QPointer<QObject> localNSEventMaskKeyDownEventMonitor;
    QPointer<QObject> localNSEventMaskMouseMoveEventMonitor;
    bool mouseEnterFlag = false;
    QPointer<KVTimer> toolBarHiddenTimer;
    bool toolBarsHidden = false; // the top and bottom bars are out of the window
    QPointer<KVTimer> toolBarAnimation;
    QPointer<QObject> trackingArea;
};

// Network, QoS and system tips (MeetingTips.cpp).
struct MeetingTipsState {
    QPointer<QWidget> systemTip;     // KVSystemTip, null once removed
    KVSystemTipModel systemTipModel; // starts afresh with each window
    quint64 monitorBlock = 0;        // this window's block in the resource monitor
};

// The current speaker's label (+Speaker.cpp).
struct MeetingSpeakerState {
    QPointer<QWidget> currentSpeakerView; // CurrentSpeakerView
    QPointer<KVTimer> currentSpeakerViewHiddenTimer;
    QPoint labelHome; // where the label goes while no count-down is in its way
};

// The count-downs' views, made on first use (MeetingCountDowns.cpp).
struct MeetingCountDownState {
    QPointer<QWidget> hostCountDownView;    // HostCountDownView, the host's setter
    QPointer<QWidget> hostCountStartView;   // HostCountDownStartView, the host's running count-down
    QPointer<QWidget> respondCountDownView; // RespondCountDownView, everybody else's display
};

// Recording and screenshots (MeetingRecording.cpp).
struct MeetingRecordingState {
    QPointer<QObject> screenRecord;        // VeskScreenRecord, while one runs
    QPointer<QWidget> moreView;            // MeetingMoreView, while shown
    QPointer<QWidget> recordStopAlertView; // the notice of the last stop, until dismissed
};
