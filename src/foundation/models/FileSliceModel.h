#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// One rendered page of a converted document (an entry of `sliceInfo`).
struct FileSliceModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString sliceId MEMBER sliceId)
    Q_PROPERTY(QString downloadUrl MEMBER downloadUrl)
    Q_PROPERTY(int picWidth MEMBER picWidth)
    Q_PROPERTY(int picHeight MEMBER picHeight)
    Q_PROPERTY(QString sourceFileType MEMBER sourceFileType)

public:
    QString sliceId;
    QString downloadUrl; // page image address
    int picWidth = 0;    // pixels
    int picHeight = 0;
    QString sourceFileType;

    friend bool operator==(const FileSliceModel &, const FileSliceModel &) = default;
};
