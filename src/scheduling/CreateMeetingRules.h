#pragma once

#include "connection/KVMResponse.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QSize>
#include <QString>

#include <optional>

// What the meeting form's controls hold, as plain values.
struct MeetingFormControls {
    QString subject;
    QString beginTime;     // the date button's title, "yyyy-MM-dd HH:mm"
    qint64 duration = 0;   // minutes
    qint64 periodType = 0; // 0 once, 1 daily, 2 weekly
    bool passwordOn = false;
    QString password; // the field, whatever the box says
    bool waitingRoom = false;
    bool hostCamera = false;
    bool hostMicrophone = false;
    bool memberMicrophone = false;
    bool memberCamera = false;
    bool record = false;
    bool transcription = false;
    bool membersMayView = false; // the box under the transcription box
    bool shareLimited = false;   // only the listed members may share
    bool uploadAllowed = false;
    QList<VeskUserModel> members;      // invitees
    QList<VeskUserModel> shareMembers; // allowed sharers
};

// The meeting form's decisions: from the model to the controls and back, the two checks, the
// recurrence look, the member count and the window size.
namespace CreateMeetingRules {

// The controls for a model. The begin is the model's when set, else formBegin; a duration
// below 1 keeps formDuration. The lists are left empty: they come from the service or the
// signed-in user.
[[nodiscard]] MeetingFormControls controlsFromModel(const MeetingDataModel &model, const QString &formBegin,
                                                    qint64 formDuration);

// The toast that stops a confirm, or "" when the form may be sent: an empty subject (blanks
// are a subject), then with the password box on a password that is not 3 to 6 digits.
[[nodiscard]] QString validate(const MeetingFormControls &controls);

// Copies every control into the model: the password "" with the box off, the members may
// view the transcript only with both boxes on, the allowed sharers only while sharing is
// limited, uploads 2 (all) or 1 (host).
void syncToDataModel(const MeetingFormControls &controls, MeetingDataModel &model);

// The title bar and the period buttons for the meeting being edited.
struct RecurrenceLook {
    int titleBarHeight = 94;
    bool seriesSwitchShown = false;
    bool periodLocked = false; // the three buttons disabled
    qreal periodAlpha = 1.0;
};
inline constexpr int kTitleBarHeight = 94;
inline constexpr int kSeriesTitleBarHeight = 132;
[[nodiscard]] RecurrenceLook recurrenceLook(bool isEdit, bool isCycle, bool onlyUpdateThisMeeting);

// The invitee count after a tick, untick or deletion changed the list from before to after
// people: moved by the difference, never below 0.
[[nodiscard]] quint64 adjustedMemberCount(quint64 count, qsizetype before, qsizetype after);

// The invitee field: one row of chips, or two and more (it then scrolls).
inline constexpr int kFieldOneLineHeight = 34;
inline constexpr int kFieldTwoLinesHeight = 62;
[[nodiscard]] int memberFieldHeight(int lines);

// The reply's message, else the network text.
[[nodiscard]] QString failureText(const KVMResponse &response);

// ---- Window size --------------------------------------------------------------------------
inline constexpr QSize kDesignSize{494, 948};
inline constexpr int kScreenWidthMargin = 200;
inline constexpr int kScreenHeightMargin = 100;
// What the optional rows add to the form while they show.
inline constexpr int kPasswordRowHeight = 33;
inline constexpr int kMembersMayViewRowHeight = 33;
inline constexpr int kShareMembersRowHeight = 51;

// 494 x 948, less where the visible screen less 200 wide or 100 high is smaller.
[[nodiscard]] QSize initialContentSize(const QSize &visibleScreen);
// A screen change: the content within the visible screen less 200 wide and 100 high.
[[nodiscard]] QSize clampedContentSize(const QSize &content, const QSize &visibleScreen);

struct FormSizeInput {
    int neededHeight = 0;     // the form's document with the rows that show
    QSize view;               // the form's current size
    int scrollViewHeight = 0; // the part of the view the document scrolls in
    QSize visibleScreen;
};
struct FormSizeResult {
    std::optional<QSize> contentSize; // the window's new content size, when it changes
    int documentHeight = 0;
};
// Grows the window when the document no longer fits, up to the visible screen less 100
// points; shrinks it to that bound when it is taller than the bound and the document fits.
// A resized window keeps its width, at most the visible width less 200.
[[nodiscard]] FormSizeResult updateScrollContentSize(const FormSizeInput &input);

} // namespace CreateMeetingRules
