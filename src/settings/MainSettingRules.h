#pragma once

#include "foundation/models/MeetingRecordDeviceModel.h"
#include "settings/KVMainSettingItem.h"
#include "settings/MainSettingTabs.h"

#include <QList>
#include <QString>

// The settings window's decisions, as plain functions.
namespace MainSettingRules {

// The side-bar rows of a mode, from the table of tabs: 0-3 and 6 in a meeting, 0-5 at home.
[[nodiscard]] QList<KVMainSettingItem> settingItems(bool inMeeting);
// The row showing a tab, or -1.
[[nodiscard]] int rowOfTab(const QList<KVMainSettingItem> &items, qint64 type);

// The cache size text: "0M", "<n>B", "<n>K" (whole kilobytes), then "%.2fM" and "%.2fG".
[[nodiscard]] QString fileSizeWithInterge(quint64 bytes);

// The name check's message, the first rule that applies, counted in UTF-16 units: empty, over
// 20, a single unit, one of "&", "<", ">". Empty when the name passes.
[[nodiscard]] QString userNameState(const QString &name);

// A sign-in time the service may mean: from 2000 up to 2200. Any other shows no time and never
// decides which device is current.
[[nodiscard]] bool isSaneLoginTime(qint64 ms);
// The record with the greatest sane lastLoginTime (the first of equal ones), or -1 for none.
[[nodiscard]] int latestDeviceIndex(const QList<MeetingRecordDeviceModel> &devices);
// Marks exactly that record as the current device.
void markLatestDevice(QList<MeetingRecordDeviceModel> &devices);
// "最后登陆时间: yyyy-MM-dd HH:mm:ss" of whole seconds, local time; empty for a time not sane.
[[nodiscard]] QString lastLoginText(qint64 lastLoginTimeMs);

// The toast of a log upload's result code.
[[nodiscard]] QString uploadResultText(int code);

} // namespace MainSettingRules
