#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {
QString ensure(const QString &base)
{
    const QString path = base + QStringLiteral("/korvi");
    QDir dir(path);
    if (!dir.exists()) {
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

QString xdg(const char *var, const QString &fallbackUnderHome)
{
    const QByteArray v = qgetenv(var);
    if (!v.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(v)))
        return QString::fromLocal8Bit(v);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}
} // namespace

namespace AppPaths {
QString configDir() { return ensure(xdg("XDG_CONFIG_HOME", QStringLiteral(".config"))); }
QString dataDir() { return ensure(xdg("XDG_DATA_HOME", QStringLiteral(".local/share"))); }
QString stateDir() { return ensure(xdg("XDG_STATE_HOME", QStringLiteral(".local/state"))); }
QString cacheDir() { return ensure(xdg("XDG_CACHE_HOME", QStringLiteral(".cache"))); }
} // namespace AppPaths
