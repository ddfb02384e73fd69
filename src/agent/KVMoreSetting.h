#pragma once

#include <QString>

// Small persisted extras of the meeting window: the virtual-background image
// ("KVMoreSetting_Key" = {"mattingPath"}) and the in-memory noise-suppression wish.
class KVMoreSetting final {
public:
    static inline const QString kDefaultsKey = QStringLiteral("KVMoreSetting_Key");

    // A new object; mattingPath from user defaults when the entry exists.
    [[nodiscard]] static KVMoreSetting getMoreSettingFromLocal();
    // Drops the entry (sign-out).
    static void removeMoreSetting();
    // Writes {"mattingPath"}; the key only when the path is not null.
    void saveMoreSettingLocal() const;

    QString mattingPath; // null = none
    bool denoise = false;
};
