// What the chat reads from others: chat lines and control commands as the dispatch turns them into
// lines, chat-permission commands, what an input does with pasted text, and the cut and direction
// isolation every shown text goes through.
#include "FuzzSupport.h"

#include "foundation/StringHelpers.h"
#include "meeting/panels/ChatRules.h"
#include "meeting/window/dispatch/MeetingMessageDispatch.h"

namespace {

void checkIsolated(const QString &text)
{
    const QString out = DataText::isolated(text);
    // The data's own direction controls are dropped; what is left comes back as it is, or inside
    // one isolate when it can reorder anything.
    QString kept = text;
    kept.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    if (out == kept)
        return;
    FUZZ_CHECK(out == QChar(0x2068) + kept + QChar(0x2069));
}

void checkBounded(const QString &text, qsizetype limit)
{
    const QString out = DataText::bounded(text, limit);
    FUZZ_CHECK(out.size() <= limit);
    if (text.size() <= limit)
        FUZZ_CHECK(out == text);
    else
        FUZZ_CHECK(out.endsWith(QChar(0x2026)) && !out.at(out.size() - 2).isHighSurrogate());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    checkIsolated(text);
    checkBounded(text, DataText::kLineLength);
    checkBounded(text, 5);

    const qsizetype half = text.size() / 2;
    const ChatRules::InputDecision typed = ChatRules::inputDecision(text.left(half), text.mid(half));
    if (typed.kind == ChatRules::InputDecision::Kind::Send)
        FUZZ_CHECK(!typed.text.isEmpty() && typed.text == typed.text.trimmed());

    const int switchStatus = size > 0 ? data[0] % 3 : 0;
    for (const bool privileged : {false, true}) {
        const auto command =
            ChatRules::permissionCommand(text.left(half), switchStatus, QStringLiteral("13800000000"), privileged);
        if (!command.addressed)
            FUZZ_CHECK(!command.setsRoomForbid && !command.showsForbidToast && !command.touchesInputs);
        if (privileged)
            FUZZ_CHECK(!command.touchesInputs);
    }

    // The input as a chat line and as a control command of any sender.
    IMMessage message;
    message.type = size > 1 ? data[1] % 9 : 0;
    message.sender = text.left(11);
    message.senderName = text.mid(half);
    message.data = QStringList{text};
    if (const auto line = MeetingMessageDispatch::chatLine(message))
        FUZZ_CHECK(line->messageString == message.payload());
    if (const auto command = MeetingMessageDispatch::decodeControl(message)) {
        FUZZ_CHECK(command->data.sender == message.sender);
        (void)MeetingMessageDispatch::noticeLine(*command, message);
        (void)MeetingMessageDispatch::commandChatLine(*command, message);
    }
    return 0;
}
