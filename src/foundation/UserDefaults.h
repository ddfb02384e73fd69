#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <mutex>

// Keys to values, kept as one JSON object in the config folder. Every change is
// written at once and atomically (a crash mid-write keeps the previous file),
// and the file is readable by its owner only: it holds the sign-in token.
class UserDefaults final {
public:
    static UserDefaults &standardUserDefaults();
    // Tests: forget the in-memory copy and read the file again (a "restart").
    static void resetStandardUserDefaults();

    explicit UserDefaults(QString filePath);
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    [[nodiscard]] QVariant objectForKey(const QString &key) const;
    [[nodiscard]] QString stringForKey(const QString &key) const;
    [[nodiscard]] QVariantMap dictionaryForKey(const QString &key) const;
    [[nodiscard]] bool boolForKey(const QString &key) const;      // false when absent
    [[nodiscard]] qint64 integerForKey(const QString &key) const; // 0 when absent
    [[nodiscard]] bool contains(const QString &key) const;

    void setObject(const QVariant &value, const QString &key); // an invalid value removes the key
    void setBool(bool value, const QString &key);
    void setInteger(qint64 value, const QString &key);
    void removeObjectForKey(const QString &key);
    // Writes are immediate; kept for callers that ask for it.
    void synchronize() {}

    [[nodiscard]] const QString &filePath() const { return m_path; }
    void reload();

private:
    void writeLocked();

    QString m_path;
    mutable std::mutex m_mutex;
    QVariantMap m_values;
};
