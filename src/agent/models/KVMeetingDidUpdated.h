#pragma once

#include "foundation/models/MeetingDataModel.h"

#include <QMetaType>
#include <QString>

// Broadcasts that keep the meeting lists of several windows in step.
inline const QString KVMeetingDidUpdatedNotification = QStringLiteral("KVMeetingDidUpdatedNotification");
inline const QString KVMeetingDidUpdatedUserInfoKey = QStringLiteral("KVMeetingDidUpdatedUserInfoKey");
inline const QString KVMeetingUploadShareFileChangedNotification =
    QStringLiteral("KVMeetingUploadShareFileChangedNotification");
inline const QString KVMeetingAppCopyInvitedStringNotification =
    QStringLiteral("KVMeetingAppCopyInvitedStringNotification");

// The payload of KVMeetingDidUpdatedNotification: what happened to which meeting.
struct KVMeetingDidUpdated {
    enum Type : qint64 { CreatedOrUpdated = 0, Ended = 1, Cancelled = 2, Joined = 3 };

    qint64 type = CreatedOrUpdated;
    MeetingDataModel model;

    [[nodiscard]] static KVMeetingDidUpdated withType(qint64 type, const MeetingDataModel &model)
    {
        KVMeetingDidUpdated update;
        update.type = type;
        update.model = model;
        return update;
    }

    // The user info of the notification: exactly one entry.
    [[nodiscard]] QVariantMap userInfo() const
    {
        return {{KVMeetingDidUpdatedUserInfoKey, QVariant::fromValue(*this)}};
    }
};

Q_DECLARE_METATYPE(KVMeetingDidUpdated)
