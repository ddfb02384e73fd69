#include "meeting/sharing/ShareSelectSections.h"

#include <QHash>

namespace ShareSelectSections {

QList<Group> groupWindows(const QList<DesktopCaptureSnapshotModel> &windows)
{
    QList<Group> groups;
    QHash<QString, qsizetype> indexOfKey;
    indexOfKey.reserve(windows.size());
    for (const DesktopCaptureSnapshotModel &window : windows) {
        const QString key = QStringLiteral("pid_%1").arg(window.pid);
        const auto found = indexOfKey.constFind(key);
        if (found == indexOfKey.cend()) {
            indexOfKey.insert(key, groups.size());
            groups.append(Group{window});
        } else {
            groups[*found].append(window);
        }
    }
    return groups;
}

QList<DesktopCaptureSnapshotModel>
windowsFor(qint64 applicationIndex, const QList<DesktopCaptureSnapshotModel> &windows, const QList<Group> &groups)
{
    if (applicationIndex == 0)
        return windows;
    if (applicationIndex < 0 || applicationIndex > groups.size())
        return {};
    return groups.at(applicationIndex - 1);
}

qsizetype applicationCount(const QList<Group> &groups)
{
    return groups.size() + 1;
}

bool sameSource(const DesktopCaptureSnapshotModel &a, const DesktopCaptureSnapshotModel &b)
{
    return a.type == b.type && a.id == b.id;
}

} // namespace ShareSelectSections
