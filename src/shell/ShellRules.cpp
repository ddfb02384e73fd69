#include "shell/ShellRules.h"

#include "connection/KVMResponse.h"
#include "shell/ShellTexts.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVersionNumber>

namespace {
bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The value after "<key>：" or "<key>:" on a trimmed line, or a null string.
QString valueAfter(const QString &line, const QString &key)
{
    if (!line.startsWith(key))
        return {};
    const QString rest = line.mid(key.size());
    if (rest.startsWith(QChar(0xFF1A)) || rest.startsWith(QLatin1Char(':')))
        return rest.mid(1).trimmed();
    return {};
}
} // namespace

bool LoginInput::isValidPhoneNumber(const QString &phoneNumber)
{
    return phoneNumber.size() == kPhoneLength && allDigits(phoneNumber);
}

bool LoginInput::isValidSmsCode(const QString &code)
{
    return code.size() == kSmsCodeLength && allDigits(code);
}

QString MeetingIdRule::normalized(const QString &input)
{
    QString id = input.trimmed();
    id.remove(QLatin1Char('-'));
    return id;
}

bool MeetingIdRule::isValid(const QString &normalizedId)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("^\\d{9,20}")));
    return pattern.match(normalizedId).hasMatch();
}

std::optional<MeetingInvitation> InvitationText::recognize(const QString &text)
{
    static const QString header = QStringLiteral("【Korvi会议邀请】");
    QStringList lines;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        if (const QString line = raw.trimmed(); !line.isEmpty())
            lines.append(line);
    }
    const qsizetype start = lines.indexOf(header);
    if (start < 0 || start + 2 >= lines.size())
        return std::nullopt;
    const QString name = valueAfter(lines.at(start + 1), QStringLiteral("会议主题"));
    const QString id = valueAfter(lines.at(start + 2), QStringLiteral("会议号"));
    if (name.isNull() || id.isNull())
        return std::nullopt;
    MeetingInvitation invitation;
    invitation.roomName = name;
    invitation.roomId = MeetingIdRule::normalized(id);
    if (start + 3 < lines.size())
        invitation.password = valueAfter(lines.at(start + 3), QStringLiteral("会议密码"));
    if (!MeetingIdRule::isValid(invitation.roomId))
        return std::nullopt;
    return invitation;
}

bool VersionRule::isNewer(const QString &offered, const QString &running)
{
    qsizetype end = 0;
    const QVersionNumber a = QVersionNumber::fromString(offered.trimmed(), &end).normalized();
    if (a.isNull() || end != offered.trimmed().size())
        return false;
    // "1.0" and "1.0.0" are one version.
    const QVersionNumber b = QVersionNumber::fromString(running.trimmed()).normalized();
    return QVersionNumber::compare(a, b) > 0;
}

bool VersionRule::isOpenableDownload(const QUrl &address)
{
    return address.isValid() && address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
           !address.host().isEmpty();
}

QString ReplyText::failureText(const KVMResponse &response)
{
    return response.message.isEmpty() ? ShellTexts::kNetworkError : response.message;
}
