#pragma once

// The decisions of the login and home pages as plain functions, so they are tested without a
// window: input checks, the meeting-ID pattern, the copied-invitation rule, version order and
// the text of a failed reply.

#include <QString>
#include <QUrl>

#include <optional>

class KVMResponse;

namespace LoginInput {
inline constexpr int kPhoneLength = 11;
// The stand-in and the service send six-digit SMS codes.
inline constexpr int kSmsCodeLength = 6;

[[nodiscard]] bool isValidPhoneNumber(const QString &phoneNumber);
[[nodiscard]] bool isValidSmsCode(const QString &code);
} // namespace LoginInput

namespace MeetingIdRule {
// What the user typed, without the "-" of the display form and surrounding white space.
[[nodiscard]] QString normalized(const QString &input);
// "^\d{9,20}" matched against the whole normalized text: trailing characters or more than 20
// digits do not pass.
[[nodiscard]] bool isValid(const QString &normalizedId);
} // namespace MeetingIdRule

// A meeting invitation found in a text.
struct MeetingInvitation {
    QString roomId; // digits only
    QString roomName;
    QString password;
};

namespace InvitationText {
// Recognises the invitation this program writes (MeetingDataModel::invitedMeetingContent), by
// the lines it writes in their order: the header "【Korvi会议邀请】", then "会议主题：", then
// "会议号：" whose ID passes the meeting-ID pattern once its "-" are removed, then optionally
// "会议密码：". The meeting number is only ever taken from that line, never from another line
// that says "会议号" (a name or any text around it could). Either colon form (full-width or
// ASCII), blank lines and white space around lines are accepted, since chat programs rewrite
// them; anything else is not an invitation.
[[nodiscard]] std::optional<MeetingInvitation> recognize(const QString &text);
} // namespace InvitationText

namespace VersionRule {
// The offered version is newer than the running one ("1.2.10" > "1.2.9"); empty or
// unparsable versions are never newer.
[[nodiscard]] bool isNewer(const QString &offered, const QString &running);
// Only an https address with a host is handed to the desktop to open: another scheme ("file:" a
// launcher, a local program) would run what the reply names.
[[nodiscard]] bool isOpenableDownload(const QUrl &address);
} // namespace VersionRule

namespace ReplyText {
// What a failed reply tells the user: the service's message, else the network text.
[[nodiscard]] QString failureText(const KVMResponse &response);
} // namespace ReplyText
