#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        QDir().mkpath(base);
        if (AppPaths::ensureOwnFolder(path))
            checked.insert(path);
    }
    return path;
}

// Removes the regular files and links under the folder open at dirFd; subfolders are opened
// without following links, so nothing outside the folder is reached.
int removeFilesAt(int dirFd)
{
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        struct stat st {};
        if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0)
                removed += removeFilesAt(sub);
        } else if ((S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && unlinkat(dirfd(dir), name, 0) == 0) {
            removed += S_ISREG(st.st_mode) ? 1 : 0;
        }
    }
    closedir(dir);
    return removed;
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
bool ensureOwnFolder(const QString &path)
{
    // Without a trailing "/": lstat would follow a link named with one.
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    struct stat st {};
    if (lstat(native.constData(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        // Only the entry goes: unlink never touches what a link points to.
        if (unlink(native.constData()) != 0)
            return false;
    }
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    if (lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return false;
    return chmod(native.constData(), 0700) == 0;
}

int removeFilesIn(const QString &path)
{
    const int fd =
        open(QFile::encodeName(QDir::cleanPath(path)).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? 0 : removeFilesAt(fd);
}

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
