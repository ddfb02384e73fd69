#pragma once

#include "foundation/models/MeetingControlData.h"
#include "foundation/models/VeskModel.h"

#include <QString>

// A control command: built from the JSON object text of a channel message's
// first data element (`data` may itself arrive as JSON text).
struct MeetingControlMessage : VeskModel {
    Q_GADGET
    Q_PROPERTY(qint64 event MEMBER event)
    Q_PROPERTY(QString message MEMBER message)
    Q_PROPERTY(MeetingControlData data MEMBER data)

public:
    qint64 event = 0;
    QString message;
    MeetingControlData data;

    friend bool operator==(const MeetingControlMessage &, const MeetingControlMessage &) = default;
};
