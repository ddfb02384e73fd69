#pragma once

#include "foundation/models/VeskModel.h"

#include <QMetaType>
#include <QString>

// A camera as the settings model stores it (currentCamera). uniqueID is Qt's
// QCameraDevice::id() (the V4L2 device path on Linux).
struct KVVideoDevice : public VeskModel {
    Q_GADGET
    Q_PROPERTY(QString uniqueID MEMBER uniqueID)
    Q_PROPERTY(QString name MEMBER name)

public:
    QString uniqueID;
    QString name;

    [[nodiscard]] static KVVideoDevice deviceUniqueID(const QString &uniqueID, const QString &name)
    {
        KVVideoDevice d;
        d.uniqueID = uniqueID;
        d.name = name;
        return d;
    }

    [[nodiscard]] bool isEmpty() const { return uniqueID.isEmpty(); }

    friend bool operator==(const KVVideoDevice &a, const KVVideoDevice &b)
    {
        return a.uniqueID == b.uniqueID && a.name == b.name;
    }
};

Q_DECLARE_METATYPE(KVVideoDevice)
