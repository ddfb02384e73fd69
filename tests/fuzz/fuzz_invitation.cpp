// The invitation the client writes and reads back: whatever a meeting's fields hold, a pasted
// copy joins that meeting or none, never one a field names.
#include "FuzzSupport.h"

#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingDataModel.h"
#include "shell/ShellRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // NUL-separated: room id, name, password, creator, begin time.
    const QList<QByteArray> parts = FuzzInput::bytes(data, size).split('\0');
    MeetingDataModel meeting;
    meeting.roomId = QString::fromUtf8(parts.value(0));
    meeting.roomName = QString::fromUtf8(parts.value(1));
    meeting.password = QString::fromUtf8(parts.value(2));
    meeting.creatorName = QString::fromUtf8(parts.value(3));
    meeting.beginTime = QString::fromUtf8(parts.value(4));
    meeting.duration = parts.size() > 5 ? parts.at(5).size() : 0;
    const QString text = meeting.invitedMeetingContent();
    const auto found = InvitationText::recognize(text);
    if (found) {
        // The number read back is the meeting's own, as its ID line shows it.
        QString shown = toDisplayMeetingId(meeting.displayRoomId());
        for (QChar &c : shown) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(QChar::LineSeparator) ||
                c == QChar(QChar::ParagraphSeparator) || c == QLatin1Char('\v') || c == QLatin1Char('\f') ||
                c == QChar(0x85))
                c = QLatin1Char(' ');
        }
        FUZZ_CHECK(found->roomId == MeetingIdRule::normalized(shown));
    }
    // Text around a copy cannot change the number it carries either.
    const QString prefix = QString::fromUtf8(parts.value(6));
    if (const auto around = InvitationText::recognize(prefix + QLatin1Char('\n') + text);
        around && found && !prefix.contains(QStringLiteral("【Korvi会议邀请】")))
        FUZZ_CHECK(around->roomId == found->roomId);
    return 0;
}
