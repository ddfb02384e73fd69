#pragma once

#include <QHash>
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

// The same pictures as participant(), frame after frame: the still part (background and name)
// and the ball are drawn once per participant and size; a frame copies the still part and lays
// the ball on it where it has moved.
// One per render thread; not shared between threads.
class ParticipantPainter final {
public:
    [[nodiscard]] QImage paint(const QString &peerId, QSize size, const QString &name, qint64 tick, quint32 seed);
    // Forgets the still parts not painted since the last call (participants gone, sizes changed).
    void endFrame();
    [[nodiscard]] qsizetype stillCount() const { return m_stills.size(); }

private:
    struct Still {
        QImage image;
        QImage ball; // the moving part, drawn once
        QString name;
        quint32 seed = 0;
        bool used = false;
    };
    QHash<QString, Still> m_stills; // by peer id and size
};
} // namespace LocalPicture
