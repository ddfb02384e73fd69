#pragma once

// What the user's own screen or window share asks of the meeting window beyond the share
// control's calls: the window itself, the tool bar operations the floating share tool bar
// reports to, and the floating windows of the panels.

#include "meeting/sharing/ScreenShareControl.h"

#include <QRect>
#include <QSizeF>

#include <functional>

class KVWindow;
class QWidget;
class VeskButton;

struct OwnShareCalls {
    using ButtonCall = std::function<void(VeskButton *)>;

    ScreenShareControl::WindowCalls control;
    // The meeting window (hidden while the tool bar floats, back after the share).
    std::function<QWidget *()> meetingWindow;
    // The tool bar's buttons whose states the floating tool bar copies: share, record, camera,
    // microphone, speaker, member list.
    std::function<QList<VeskButton *>()> mirroredButtons;
    // The floating tool bar's reports.
    ButtonCall startOrStopRecord, prepareToShare, openOrCloseCamera, openOrCloseMicrophone, openOrCloseSpeaker,
        showOrHideMember, selectCamera, selectMicrophone, selectSpeaker;
    // The local end: device pop-ups, member and transcription windows.
    std::function<void()> hideSelectWindow;
    std::function<void()> closeMemberAndTranscriptionWindows;
    // The window's views of the share (the window's classes): the member strip with its collapse
    // action, its tab with its unfold action, the speaker label put into a strip, the more menu
    // with its settings action, and the menu's items turned off.
    std::function<QWidget *(std::function<void()> collapse)> makeFloatingMediaView;
    std::function<QWidget *(std::function<void()> unfold)> makeFloatingMediaMiniView;
    std::function<void(QWidget *strip)> placeSpeakerInStrip;
    // The strip opens on the meeting's tiles, every one of them, as the window's own strip shows
    // them; the member pipeline keeps it filled afterwards.
    std::function<void(QWidget *strip)> fillStrip;
    std::function<QWidget *(std::function<void(bool open)> setting)> moreItemView;
    std::function<void(QWidget *menu)> resetMoreMenu;
    // Opens (YES) or closes the in-meeting settings window.
    std::function<void(bool open)> settingPage;
    std::function<KVWindow *(const QRect &frame, QWidget *content, const QSizeF &size, double dx, double dy)>
        showFloatingWindowAtFrame;
    std::function<void(QWidget *anchor, QWidget *content, const QSizeF &size, double dx, double dy)>
        showFloatingWindowAtView;
};
