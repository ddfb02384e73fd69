#pragma once

// The desktop tab's content as plain data: windows grouped by their owner process, and what each
// of the three sections shows for an application choice. No widgets, so it is tested and measured
// without a display.

#include "foundation/models/DesktopCaptureSnapshotModel.h"

#include <QList>
#include <QSize>

namespace ShareSelectSections {

inline constexpr QSize kScreenTile{160, 118};
inline constexpr QSize kAppTile{34, 34};
inline constexpr QSize kWindowTile{160, 118};
inline constexpr int kLineSpacing = 16;
inline constexpr int kSideInset = 20;
inline constexpr QSize kFooterGap{848, 18};

using Group = QList<DesktopCaptureSnapshotModel>;

// One group per owner process ("pid_%d"), groups in the order their first window appears, windows
// in input order inside a group. The order is stable, so an application's index survives a refill
// that lists the same processes first.
[[nodiscard]] QList<Group> groupWindows(const QList<DesktopCaptureSnapshotModel> &windows);

// The window section for an application choice: 0 all windows, n the windows of group n-1, none
// when that group does not exist.
[[nodiscard]] QList<DesktopCaptureSnapshotModel>
windowsFor(qint64 applicationIndex, const QList<DesktopCaptureSnapshotModel> &windows, const QList<Group> &groups);

// The application row: item 0 is "all", item n the icon of group n-1's first window.
[[nodiscard]] qsizetype applicationCount(const QList<Group> &groups);

// Two candidates are the same choice when type and id agree (snapshots and titles change).
[[nodiscard]] bool sameSource(const DesktopCaptureSnapshotModel &a, const DesktopCaptureSnapshotModel &b);

} // namespace ShareSelectSections
