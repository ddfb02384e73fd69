#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Packs a log folder for upload: the regular files directly in it, newest first, into a tar
// archive (ustar) compressed as one zlib stream. The newest log (the run being reported) always
// goes: over the size limit, its latest part, from a line's start. Older files that no longer fit
// under the limit are left out; an unreadable file is skipped.
namespace LocalLogArchive {

struct Packed {
    QByteArray archive;    // zlib (RFC 1950) of the tar
    QStringList fileNames; // packed, newest first
};

// nullopt when nothing could be packed: no such folder, no readable file, no room at all.
[[nodiscard]] std::optional<Packed> pack(const QString &folder, qint64 maxUncompressedBytes);

// The tar of (name, content) entries, names cut to 100 bytes.
[[nodiscard]] QByteArray tar(const QList<std::pair<QString, QByteArray>> &entries, qint64 mtimeSecs);

} // namespace LocalLogArchive
