#pragma once

// Names and messages as a hostile participant, meeting creator or service reply would send them,
// and a probe that tells whether anything read a file a name pointed at.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextLayout>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

// A file that markup in a name points at (`<img src="...">`): wasRead() tells whether any code
// of this process (or another) opened it since the probe was made.
class DiskProbe final {
public:
    DiskProbe()
    {
        m_path = m_dir.filePath(QStringLiteral("probe.png"));
        QFile f(m_path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray::fromBase64(
                "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="));
        f.close();
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(m_path).constData(), IN_OPEN | IN_ACCESS);
    }
    ~DiskProbe()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DiskProbe(const DiskProbe &) = delete;
    DiskProbe &operator=(const DiskProbe &) = delete;

    [[nodiscard]] bool isValid() const { return m_fd >= 0 && m_watch >= 0; }
    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] bool wasRead() const
    {
        alignas(inotify_event) char buffer[4096];
        return ::read(m_fd, buffer, sizeof buffer) > 0;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_fd = -1;
    int m_watch = -1;
};

// The names of the hostile-input report: markup that reads a device or a local file, markup that
// formats, an entity, and a name far longer than any layout.
inline QStringList hostileNames(const DiskProbe &probe)
{
    return {QStringLiteral("<img src=\"/dev/zero\">"),
            QStringLiteral("<img src=\"%1\">").arg(probe.path()),
            QStringLiteral("<img src=\"file://%1\">x").arg(probe.path()),
            QStringLiteral("<b>x</b>"),
            QStringLiteral("&lt;"),
            QString(10000, QChar(0x540D))};
}

// Whether the characters of `ours` (its last occurrence in text) run left to right on the screen,
// whatever direction marks the data around them holds.
inline bool shownInOrder(const QString &text, const QString &ours)
{
    const qsizetype at = text.lastIndexOf(ours);
    if (at < 0)
        return false;
    QTextLayout layout(text, QFont());
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    qreal last = -1;
    for (qsizetype i = at; i < at + ours.size(); ++i) {
        const qreal x = line.cursorToX(int(i));
        if (x <= last)
            return false;
        last = x;
    }
    return true;
}
