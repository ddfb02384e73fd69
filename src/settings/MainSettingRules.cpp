#include "settings/MainSettingRules.h"

#include "foundation/DateHelpers.h"
#include "settings/SettingTexts.h"

#include <QDateTime>

namespace MainSettingRules {

QList<KVMainSettingItem> settingItems(bool inMeeting)
{
    QList<KVMainSettingItem> items;
    for (const MainSettingTabRow &row : MainSettingTabs::all()) {
        if (inMeeting ? row.inMeeting : row.atHome)
            items.append(KVMainSettingItem::withType(row.type, row.title));
    }
    return items;
}

int rowOfTab(const QList<KVMainSettingItem> &items, qint64 type)
{
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].type == type)
            return i;
    }
    return -1;
}

QString fileSizeWithInterge(quint64 bytes)
{
    constexpr quint64 kKilo = 1024;
    constexpr quint64 kMega = kKilo * 1024;
    constexpr quint64 kGiga = kMega * 1024;
    if (bytes == 0)
        return QStringLiteral("0M");
    if (bytes < kKilo)
        return QStringLiteral("%1B").arg(bytes);
    if (bytes < kMega)
        return QString::asprintf("%.0fK", double(bytes >> 10));
    // Fractions kept: 3.5 MB is "3.50M", not a whole-number "3.00M".
    if (bytes < kGiga)
        return QString::asprintf("%.2fM", double(bytes) / double(kMega));
    return QString::asprintf("%.2fG", double(bytes) / double(kGiga));
}

QString userNameState(const QString &name)
{
    const qsizetype length = name.size();
    if (length == 0)
        return SettingTexts::kNameEmpty;
    if (length >= 21)
        return SettingTexts::kNameTooLong;
    if (length == 1)
        return SettingTexts::kNameTooShort;
    if (name.contains(QLatin1Char('&')) || name.contains(QLatin1Char('<')) || name.contains(QLatin1Char('>')))
        return SettingTexts::kNameSpecial;
    return QString();
}

bool isSaneLoginTime(qint64 ms)
{
    constexpr qint64 from = 946'684'800'000LL;    // 2000-01-01
    constexpr qint64 until = 7'258'118'400'000LL; // 2200-01-01
    return ms >= from && ms < until;
}

int latestDeviceIndex(const QList<MeetingRecordDeviceModel> &devices)
{
    int latest = -1;
    for (int i = 0; i < devices.size(); ++i) {
        if (!isSaneLoginTime(devices[i].lastLoginTime))
            continue;
        if (latest < 0 || devices[i].lastLoginTime > devices[latest].lastLoginTime)
            latest = i;
    }
    return latest;
}

void markLatestDevice(QList<MeetingRecordDeviceModel> &devices)
{
    const int latest = latestDeviceIndex(devices);
    for (int i = 0; i < devices.size(); ++i)
        devices[i].isLastest = i == latest;
}

QString lastLoginText(qint64 lastLoginTimeMs)
{
    if (!isSaneLoginTime(lastLoginTimeMs))
        return QString();
    return SettingTexts::kLastLoginFormat.arg(
        StringFormatter::defaultDateString(QDateTime::fromSecsSinceEpoch(lastLoginTimeMs / 1000)));
}

QString uploadResultText(int code)
{
    switch (code) {
    case 0:
        return SettingTexts::kUploaded;
    case 94:
        return SettingTexts::kPackFailed;
    case 1001:
        return SettingTexts::kEngineFailed;
    case 1002:
        return SettingTexts::kUploadTimedOut;
    case 1003:
        return SettingTexts::kNotAuthorised;
    default:
        return SettingTexts::kUploadFailed;
    }
}

} // namespace MainSettingRules
