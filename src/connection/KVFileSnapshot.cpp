#include "connection/KVFileSnapshot.h"

#include "foundation/AppPaths.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::function<void(qint64)> &chunkHook()
{
    static std::function<void(qint64)> hook;
    return hook;
}

bool sameState(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}
} // namespace

KVFileSnapshot::~KVFileSnapshot() = default;

void KVFileSnapshot::setChunkHookForTesting(std::function<void(qint64)> hook)
{
    chunkHook() = std::move(hook);
}

QString KVFileSnapshot::fileName() const
{
    return QFileInfo(m_sourcePath).fileName();
}

std::shared_ptr<KVFileSnapshot> KVFileSnapshot::take(const QString &path, QString *error, std::stop_token stop,
                                                     Failure *failure)
{
    const auto fail = [error, failure](Failure why, const QString &text) {
        if (error)
            *error = text;
        if (failure)
            *failure = why;
        return std::shared_ptr<KVFileSnapshot>();
    };
    if (failure)
        *failure = Failure::None;
    const QByteArray encoded = QFile::encodeName(path);
    // Refused by its kind before it is opened: opening a FIFO waits for a writer, a device may do
    // something on open, and /dev/zero never ends.
    struct stat atStart {};
    if (::stat(encoded.constData(), &atStart) != 0)
        return fail(Failure::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, qt_error_string(errno)));
    if (!S_ISREG(atStart.st_mode))
        return fail(Failure::NotRegular, QStringLiteral("%1 is not a regular file").arg(path));
    // Not waiting on open whatever the path names by now; the kind is checked again on the handle.
    const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(Failure::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, qt_error_string(errno)));
    QFile source;
    if (!source.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(Failure::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, source.errorString()));
    }
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode))
        return fail(Failure::NotRegular, QStringLiteral("%1 is not a regular file").arg(path));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (stop.stop_requested())
        return fail(Failure::Cancelled, QStringLiteral("reading %1 was cancelled").arg(path));

    std::shared_ptr<KVFileSnapshot> snapshot(new KVFileSnapshot());
    snapshot->m_sourcePath = path;
    // QTemporaryFile creates it exclusively with mode 0600, in the user's 0700 caches folder.
    snapshot->m_copy = std::make_unique<QTemporaryFile>(AppPaths::cacheDir() + QStringLiteral("/.korvi-upload-XXXXXX"));
    if (!snapshot->m_copy->open())
        return fail(Failure::CannotCopy,
                    QStringLiteral("cannot make a copy to upload: %1").arg(snapshot->m_copy->errorString()));

    QCryptographicHash md5(QCryptographicHash::Md5);
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        if (stop.stop_requested())
            return fail(Failure::Cancelled, QStringLiteral("reading %1 was cancelled").arg(path));
        const qint64 n = source.read(chunk.data(), chunk.size());
        if (n < 0)
            return fail(Failure::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, source.errorString()));
        if (n == 0)
            break;
        if (snapshot->m_copy->write(chunk.constData(), n) != n)
            return fail(Failure::CannotCopy,
                        QStringLiteral("cannot write the copy to upload: %1").arg(snapshot->m_copy->errorString()));
        md5.addData(QByteArrayView(chunk.constData(), n));
        copied += n;
        if (chunkHook())
            chunkHook()(copied);
    }
    if (!snapshot->m_copy->flush())
        return fail(Failure::CannotCopy,
                    QStringLiteral("cannot write the copy to upload: %1").arg(snapshot->m_copy->errorString()));

    // The copy is only what was counted and hashed if the file held still meanwhile and the path
    // still names it.
    struct stat after {};
    struct stat atPath {};
    if (::fstat(fd, &after) != 0 || ::stat(encoded.constData(), &atPath) != 0 || !sameState(before, after) ||
        !sameState(before, atPath) || copied != qint64(before.st_size))
        return fail(Failure::Changed, QStringLiteral("%1 changed while it was read").arg(path));

    snapshot->m_size = copied;
    snapshot->m_md5 = QString::fromLatin1(md5.result().toHex());
    return snapshot;
}

std::unique_ptr<QIODevice> KVFileSnapshot::openReader() const
{
    auto reader = std::make_unique<QFile>(m_copy->fileName());
    if (!reader->open(QIODevice::ReadOnly))
        return nullptr;
    return reader;
}
