#pragma once

#include "connection/HttpManager.h"
#include "support/TestEvents.h"

// Every request the client has sent, or queued on the main thread, has been answered, and so is
// in the stand-in's log: the main queue is drained and nothing is pending, in a few rounds so that
// a completion queueing a follow-up request is covered too. Then "nothing was sent" is an outcome.
inline bool settleRequests(const HttpManager &http = *HttpManager::sharedManager())
{
    for (int round = 0; round < 3; ++round) {
        if (!drainMainQueue() || !processEventsUntil([&http] { return http.pendingRequestCount() == 0; }))
            return false;
    }
    return true;
}

#include "foundation/AppPaths.h"

#include <QDir>
#include <QStringList>

#include <unistd.h>

// Downloads being written into the caches folder: hidden files there, and files this process has
// open in it. The temporary file of a download may have no name at all (O_TMPFILE) until it is
// finished, so only its open handle shows it, and the disk space it holds.
inline QStringList downloadsBeingWritten()
{
    const QString folder = QDir(AppPaths::cacheDir()).canonicalPath();
    QStringList found =
        QDir(folder).entryList({QStringLiteral(".korvi-download-*")}, QDir::Files | QDir::Hidden | QDir::System);
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t n = ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        const QString path = QFile::decodeName(QByteArray(target, n));
        if (path.startsWith(folder + QLatin1Char('/')) && !path.startsWith(folder + QStringLiteral("/images/")))
            found << path;
    }
    return found;
}
