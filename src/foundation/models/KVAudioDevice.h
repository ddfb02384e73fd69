#pragma once

#include "foundation/models/VeskModel.h"

#include <QMetaType>
#include <QString>

// A microphone or speaker as the settings and the device test see it.
// On Linux a device is known to the sound server by a name ("uniqueID", the
// PulseAudio sink or source name, which is also Qt's QAudioDevice::id()).
// deviceID is derived from that name so a saved choice still matches after a
// restart of the sound server; 0 with an empty uniqueID is the entry that
// follows the system default.
struct KVAudioDevice : public VeskModel {
    Q_GADGET
    Q_PROPERTY(quint32 deviceID MEMBER deviceID)
    Q_PROPERTY(QString uniqueID MEMBER uniqueID)
    Q_PROPERTY(QString name MEMBER name)

public:
    quint32 deviceID = 0;
    QString uniqueID;
    QString name;

    // The name shown to the user: the default entry reads "系统默认 (...)".
    [[nodiscard]] QString displayName() const
    {
        QString shown = name;
        return shown.replace(QStringLiteral("default ("), QStringLiteral("系统默认 ("));
    }

    [[nodiscard]] bool isSystemDefault() const { return deviceID == 0 && uniqueID.isEmpty(); }

    // FNV-1a over the UTF-8 name: stable across runs and Qt versions; never 0,
    // which stays reserved for the system default entry.
    [[nodiscard]] static quint32 deviceIDForUniqueID(const QString &uniqueID)
    {
        if (uniqueID.isEmpty())
            return 0;
        quint32 hash = 2166136261u;
        for (const char c : uniqueID.toUtf8()) {
            hash ^= static_cast<quint8>(c);
            hash *= 16777619u;
        }
        return hash == 0 ? 1 : hash;
    }

    [[nodiscard]] static KVAudioDevice device(const QString &uniqueID, const QString &name)
    {
        KVAudioDevice d;
        d.deviceID = deviceIDForUniqueID(uniqueID);
        d.uniqueID = uniqueID;
        d.name = name;
        return d;
    }

    friend bool operator==(const KVAudioDevice &a, const KVAudioDevice &b)
    {
        return a.deviceID == b.deviceID && a.uniqueID == b.uniqueID && a.name == b.name;
    }
};

Q_DECLARE_METATYPE(KVAudioDevice)
