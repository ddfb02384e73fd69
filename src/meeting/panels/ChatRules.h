#pragma once

// What the chat does with a keystroke, a forbid switch and a chat-permission command, as plain
// decisions the chat panel applies.

#include <QList>
#include <QRect>
#include <QString>

namespace ChatRules {

inline const QString kTooLongTip = QStringLiteral("最多输入50个字符");
inline const QString kPlaceholder = QStringLiteral("请输入消息");
inline const QString kForbiddenPlaceholder = QStringLiteral("全员禁言中");
inline const QString kMeForbiddenPlaceholder = QStringLiteral("您已被禁言");
inline const QString kForbidDoneToast = QStringLiteral("已全员禁言");
inline const QString kAllowDoneToast = QStringLiteral("已解除全员禁言");
inline constexpr int kMaxLength = 50;

// A proposed change of a chat input: the text it holds and what would be typed or pasted.
struct InputDecision {
    enum class Kind { Accept, Send, Refuse };
    Kind kind = Kind::Accept;
    QString text; // Send: the line to send
    QString tip;  // Refuse: the tip to show
};
// Enter with text sends the trimmed text; otherwise a change that would make the trimmed text that
// stays (the selection from selectionStart to selectionEnd goes, replaced) plus the replacement 51
// UTF-16 units or longer is refused with the tip.
[[nodiscard]] InputDecision inputDecision(const QString &currentText, const QString &replacement,
                                          qsizetype selectionStart = 0, qsizetype selectionEnd = 0);

// How an input looks for the room's permission.
struct InputState {
    bool editable = true;         // selectable and editable
    qint64 enableButtonState = 0; // the forbid-all switch: 1 forbidden
    QString placeholder;          // empty: left as it is
    bool emptied = false;
};

// A forbid-all switch clicked: its new state is 1 to forbid. Privileged users send the request
// with the wanted imAllowStatus; others only have the switch put back in line with the room.
[[nodiscard]] inline qint64 requestedAllowStatus(qint64 switchState)
{
    return switchState == 1 ? 0 : 1;
}
// The window's input of a participant who is not privileged, for the room's imAllowStatus.
[[nodiscard]] InputState participantInputState(bool imAllowStatus);

// A chat-permission command (control event 10) as this user applies it.
struct PermissionCommand {
    bool addressed = false;        // for everyone or for this user; else nothing happens
    bool setsRoomForbid = false;   // for everyone: the room's imForbid := forbid
    bool forbid = false;           // switchStatus 0
    bool showsForbidToast = false; // the five-second toast with the command's text
    bool touchesInputs = false;    // the inputs follow (not for the host and assistant hosts)
    InputState input;              // the window's input when touchesInputs
    bool floatingEnabled = true;   // the floating panel's setEnableIM when touchesInputs
};
[[nodiscard]] PermissionCommand permissionCommand(const QString &peerId, int switchStatus, const QString &myPhone,
                                                  bool privileged);

// The room's permission re-applied (the assistant hosts changed).
struct PermissionDisplay {
    bool editable = true;
    bool floatingEnabled = true;
    bool emptiedWithForbiddenPlaceholder = false;
};
[[nodiscard]] PermissionDisplay permissionDisplay(bool imAllowStatus, bool privileged);

// Where the overlay of chat lines may sit: its bottom at most `bottom`, and as high as it can be
// without covering any of `keepClear` (the tiles' name bars) that lie in its columns. Returns the
// bottom and the height available above it (capped at maxHeight).
inline constexpr int kOverlayMinHeight = 60; // room for two lines
inline constexpr int kOverlayGap = 4;
struct OverlayBand {
    int bottom = 0;
    int maxHeight = 0;
};
[[nodiscard]] OverlayBand overlayBand(int left, int width, int bottom, int maxHeight, const QList<QRect> &keepClear);

} // namespace ChatRules
