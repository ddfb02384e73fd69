#include "UserDefaults.h"

#include "AppPaths.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcDefaults, "korvi.defaults")

namespace {
std::unique_ptr<UserDefaults> &standardSlot()
{
    static std::unique_ptr<UserDefaults> slot;
    return slot;
}
std::mutex g_standardMutex;
} // namespace

UserDefaults &UserDefaults::standardUserDefaults()
{
    std::lock_guard lock(g_standardMutex);
    auto &slot = standardSlot();
    if (!slot)
        slot = std::make_unique<UserDefaults>(AppPaths::configDir() + QStringLiteral("/defaults.json"));
    return *slot;
}

void UserDefaults::resetStandardUserDefaults()
{
    std::lock_guard lock(g_standardMutex);
    auto &slot = standardSlot();
    if (slot)
        slot->reload();
}

UserDefaults::UserDefaults(QString filePath) : m_path(std::move(filePath))
{
    reload();
}

void UserDefaults::reload()
{
    std::lock_guard lock(m_mutex);
    m_values.clear();
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        qCWarning(lcDefaults) << "ignoring unreadable defaults file" << m_path << err.errorString();
        return;
    }
    m_values = doc.object().toVariantMap();
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_values.value(key);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    return objectForKey(key).toString();
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap{};
}

bool UserDefaults::boolForKey(const QString &key) const
{
    return objectForKey(key).toBool();
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    return objectForKey(key).toLongLong();
}

bool UserDefaults::contains(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_values.contains(key);
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    std::lock_guard lock(m_mutex);
    if (!value.isValid() || value.isNull())
        m_values.remove(key);
    else
        m_values.insert(key, QJsonValue::fromVariant(value).toVariant());
    writeLocked();
}

void UserDefaults::setBool(bool value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    std::lock_guard lock(m_mutex);
    if (m_values.remove(key) > 0)
        writeLocked();
}

void UserDefaults::writeLocked()
{
    const QByteArray bytes = QJsonDocument(QJsonObject::fromVariantMap(m_values)).toJson(QJsonDocument::Compact);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcDefaults) << "cannot write defaults" << m_path << file.errorString();
        return;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(bytes);
    if (!file.commit()) {
        qCWarning(lcDefaults) << "cannot commit defaults" << m_path << file.errorString();
        return;
    }
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}
