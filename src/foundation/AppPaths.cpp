#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>

namespace {
// Each folder is made private once per process: a folder made by an older version, another
// program or a umask of 022 may be readable by every user on the machine.
QString ensure(const QString &base)
{
    static QMutex mutex;
    static QSet<QString> checked;
    const QString path = base + QStringLiteral("/korvi");
    const QMutexLocker lock(&mutex);
    if (!checked.contains(path)) {
        QDir().mkpath(path);
        if (QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            checked.insert(path);
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
QString configDir()
{
    return ensure(xdg("XDG_CONFIG_HOME", QStringLiteral(".config")));
}
QString dataDir()
{
    return ensure(xdg("XDG_DATA_HOME", QStringLiteral(".local/share")));
}
QString stateDir()
{
    return ensure(xdg("XDG_STATE_HOME", QStringLiteral(".local/state")));
}
QString cacheDir()
{
    return ensure(xdg("XDG_CACHE_HOME", QStringLiteral(".cache")));
}
} // namespace AppPaths
