#pragma once

#include <QObject>

// The user's subtitle choices, persisted as one dictionary under "KVSubtitleSettingModel".
class SubtitleSettingModel final : public QObject {
    Q_OBJECT
public:
    static inline const QString kDefaultsKey = QStringLiteral("KVSubtitleSettingModel");

    // Loads from user defaults; with no stored entry starts at 1, 0, 0 and saves at once.
    explicit SubtitleSettingModel(QObject *parent = nullptr);

    // 0 large, 1 middle, 2 small.
    [[nodiscard]] qint32 subTitleLevel() const { return m_subTitleLevel; }
    // Language of the shown subtitles: 0 Chinese, 1 English.
    [[nodiscard]] qint32 subTitleLanguageType() const { return m_subTitleLanguageType; }
    // Language the user speaks: 0 Mandarin, 1 English, 2 Sichuan dialect.
    [[nodiscard]] qint32 myLanguageType() const { return m_myLanguageType; }

    // Each setter stores and then writes the whole dictionary.
    void setSubTitleLevel(qint32 value);
    void setSubTitleLanguageType(qint32 value);
    void setMyLanguageType(qint32 value);

    void saveToLocal();
    // true when the entry was present; values are taken as stored, without range checks.
    bool loadFromLocal();

Q_SIGNALS:
    void changed();

private:
    // Stores one value, writes the whole entry and announces the change.
    void store(qint32 &field, qint32 value);
    bool m_loading = false; // loadFromLocal writes the whole dictionary once, at its end

    qint32 m_subTitleLevel = 1;
    qint32 m_subTitleLanguageType = 0;
    qint32 m_myLanguageType = 0;
};
