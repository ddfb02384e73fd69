// The shell's rules over text the user pastes or the service sends: phone numbers, codes,
// meeting IDs, versions, update addresses and copied invitations.
#include "FuzzSupport.h"

#include "connection/KVMResponse.h"
#include "shell/ShellRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    (void)LoginInput::isValidPhoneNumber(text);
    (void)LoginInput::isValidSmsCode(text);
    const QString id = MeetingIdRule::normalized(text);
    if (MeetingIdRule::isValid(id)) {
        for (const QChar c : id)
            FUZZ_CHECK(c.isDigit());
    }
    const qsizetype half = text.size() / 2;
    (void)VersionRule::isNewer(text.left(half), text.mid(half));
    (void)VersionRule::isNewer(text, QStringLiteral("1.0.0"));
    if (VersionRule::isOpenableDownload(QUrl(text)))
        FUZZ_CHECK(QUrl(text).scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0);
    if (const auto invitation = InvitationText::recognize(text))
        FUZZ_CHECK(MeetingIdRule::isValid(invitation->roomId));
    (void)ReplyText::failureText(KVMResponse::failure(1, text));
    return 0;
}
