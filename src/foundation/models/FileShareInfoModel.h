#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// The last position of a running document share.
struct FileShareInfoModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(int flipOverType MEMBER flipOverType)
    Q_PROPERTY(QString sliceId MEMBER sliceId)
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString peerId MEMBER peerId)
    Q_PROPERTY(quint64 sequenceId MEMBER sequenceId)
    Q_PROPERTY(QString offsetScale MEMBER offsetScale)

public:
    int flipOverType = 0; // 0 page, 1 scroll
    QString sliceId;
    QString fileId;
    QString peerId;
    quint64 sequenceId = 0;
    QString offsetScale; // decimal scale 0 to 1, as text

    friend bool operator==(const FileShareInfoModel &, const FileShareInfoModel &) = default;
};
