#pragma once

#include "foundation/models/KVSubTitleModel.h"

#include <QString>

// One transcript line.
struct KVSubTitleRecord : KVSubTitleModel {
    Q_GADGET
    Q_PROPERTY(double timeStamp MEMBER timeStamp)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString content MEMBER content)

public:
    double timeStamp = 0; // ms since 1970
    QString name;
    QString content;

    // timeStamp as local "HH:mm:ss".
    [[nodiscard]] QString timeString() const;

    // Same line: equal senderId, name, content and timeStamp (other fields may differ).
    friend bool operator==(const KVSubTitleRecord &a, const KVSubTitleRecord &b)
    {
        return a.senderId == b.senderId && a.name == b.name && a.content == b.content && a.timeStamp == b.timeStamp;
    }
    // A record never equals a plain result: they are not the same class.
    friend bool operator==(const KVSubTitleModel &, const KVSubTitleRecord &) { return false; }
};
