#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Generated pictures of the local engine: what stands in for a camera or a shared screen
// nobody really sends. Pure functions, safe on any thread.
namespace LocalPicture {
// A moving pattern in a colour of the seed, with the name in the middle.
[[nodiscard]] QImage participant(QSize size, const QString &name, qint64 tick, quint32 seed);
// A schematic desktop with a moving window and the title.
[[nodiscard]] QImage screen(QSize size, const QString &title, qint64 tick);
// A stable colour seed for a peer id.
[[nodiscard]] quint32 seedFor(const QString &peerId);
} // namespace LocalPicture
