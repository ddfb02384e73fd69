#pragma once

#include "foundation/models/VeskModel.h"

#include <QImage>
#include <QString>

// A screen or window offered for sharing. The images are local and never mapped.
struct DesktopCaptureSnapshotModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(qint64 type MEMBER type)
    Q_PROPERTY(qint64 id MEMBER id)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(int pid MEMBER pid)

public:
    enum Type { Screen = 1, Window = 2 };

    qint64 type = 0; // Type
    qint64 id = 0;   // display number of a screen, window number of a window
    QString title;
    QImage image;     // snapshot
    QImage iconImage; // owning application's icon, windows only
    int pid = 0;      // owner process of a window

    friend bool operator==(const DesktopCaptureSnapshotModel &, const DesktopCaptureSnapshotModel &) = default;
};
