#include "meeting/window/ScreenShotFile.h"

#include "foundation/AppPaths.h"
#include "meeting/common/MeetingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ScreenShotFile {

QString folder()
{
    const QString base = AppPaths::dataDir();
    if (base.isEmpty())
        return {};
    const QString path = QDir(base).filePath(kFolderName);
    if (!QDir().mkpath(path))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString freePath(const QString &folder, qint64 ms)
{
    const QDir dir(folder);
    QString path = dir.filePath(QStringLiteral("%1.png").arg(ms));
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.png").arg(ms).arg(n));
    return path;
}

QString save(const QImage &image, qint64 ms)
{
    if (image.isNull())
        return {};
    const QString dir = folder();
    if (dir.isEmpty()) {
        qCWarning(lcMeeting) << "screenshot folder cannot be made";
        return {};
    }
    const QString path = freePath(dir, ms);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        qCWarning(lcMeeting) << "screenshot not written:" << file.errorString();
        return {};
    }
    return path;
}

} // namespace ScreenShotFile
