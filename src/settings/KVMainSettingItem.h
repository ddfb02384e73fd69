#pragma once

#include <QString>

// One row of the settings side bar: the tab it shows and its title.
struct KVMainSettingItem {
    qint64 type = 0;
    QString title;

    [[nodiscard]] static KVMainSettingItem withType(qint64 type, const QString &title) { return {type, title}; }
    friend bool operator==(const KVMainSettingItem &, const KVMainSettingItem &) = default;
};
