#include "LocalLogArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBlock = 512;

// An octal field of a tar header: digits, then a NUL, right-aligned in width bytes.
void putOctal(char *field, int width, qint64 value)
{
    const QByteArray digits = QByteArray::number(value, 8).rightJustified(width - 1, '0');
    std::memcpy(field, digits.constData(), size_t(width - 1));
    field[width - 1] = '\0';
}

QByteArray header(const QByteArray &name, qint64 size, qint64 mtimeSecs)
{
    QByteArray block(kBlock, '\0');
    char *h = block.data();
    std::memcpy(h, name.constData(), size_t(std::min<qsizetype>(name.size(), 100)));
    putOctal(h + 100, 8, 0644);
    putOctal(h + 108, 8, 0);
    putOctal(h + 116, 8, 0);
    putOctal(h + 124, 12, size);
    putOctal(h + 136, 12, mtimeSecs);
    h[156] = '0';
    std::memcpy(h + 257, "ustar", 6);
    std::memcpy(h + 263, "00", 2);
    // The checksum is taken with its own field read as spaces.
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (int i = 0; i < kBlock; ++i)
        sum += static_cast<unsigned char>(h[i]);
    putOctal(h + 148, 7, sum);
    h[155] = ' ';
    return block;
}

// At most room bytes from the end of the file; when cut, from the first whole line on.
QByteArray latestPart(QFile &file, qint64 room)
{
    const qint64 size = file.size(); // it may still grow: what was there when asked goes
    const qint64 from = std::max<qint64>(0, size - room);
    if (from > 0 && !file.seek(from))
        return {};
    QByteArray content = file.read(std::min(room, size));
    if (from > 0) {
        const qsizetype lineEnd = content.indexOf('\n');
        if (lineEnd >= 0 && lineEnd + 1 < content.size())
            content.remove(0, lineEnd + 1);
    }
    return content;
}

} // namespace

namespace LocalLogArchive {

QByteArray tar(const QList<std::pair<QString, QByteArray>> &entries, qint64 mtimeSecs)
{
    QByteArray out;
    for (const auto &[name, content] : entries) {
        out += header(name.toUtf8().left(100), content.size(), mtimeSecs);
        out += content;
        if (const qsizetype rest = content.size() % kBlock)
            out += QByteArray(kBlock - rest, '\0');
    }
    out += QByteArray(2 * kBlock, '\0');
    return out;
}

std::optional<Packed> pack(const QString &folder, qint64 maxUncompressedBytes)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return std::nullopt;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Time);
    QList<std::pair<QString, QByteArray>> entries;
    Packed packed;
    qint64 total = 0;
    for (const QFileInfo &info : files) {
        const qint64 room = maxUncompressedBytes - total;
        if (room <= 0)
            break;
        // The newest log is the run being reported: over the limit, its latest part goes. An older
        // one goes whole or not at all.
        const bool newest = entries.isEmpty();
        if (!newest && info.size() > room)
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray content = newest ? latestPart(file, room) : file.read(room);
        if (content.isEmpty() && info.size() > 0)
            continue;
        total += content.size();
        entries.append({info.fileName(), std::move(content)});
        packed.fileNames.append(info.fileName());
    }
    if (entries.isEmpty())
        return std::nullopt;
    // qCompress puts the length in front of the zlib stream; the archive is the stream alone.
    packed.archive = qCompress(tar(entries, QDateTime::currentSecsSinceEpoch()), 6).mid(4);
    return packed;
}

} // namespace LocalLogArchive
