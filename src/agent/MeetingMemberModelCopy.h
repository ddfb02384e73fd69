#pragma once

#include "foundation/models/VeskUserModelCopy.h"

#include <QDateTime>

class MeetingMemberModel;

// One row of the member list: a plain value made fresh on every list update (ids decrypted).
// A fresh copy has every flag false.
struct MeetingMemberModelCopy : VeskUserModelCopy {
    Q_GADGET
    Q_PROPERTY(bool audioFlag MEMBER audioFlag)
    Q_PROPERTY(bool videoFlag MEMBER videoFlag)
    Q_PROPERTY(bool shareFlag MEMBER shareFlag)
    Q_PROPERTY(bool allowSharePermissionFlag MEMBER allowSharePermissionFlag)
    Q_PROPERTY(bool videoStreamingReceive MEMBER videoStreamingReceive)
    Q_PROPERTY(bool isExpand MEMBER isExpand)
    Q_PROPERTY(bool isCheck MEMBER isCheck)
    Q_PROPERTY(float soundStrength MEMBER soundStrength)
    Q_PROPERTY(qint64 streamingStatus MEMBER streamingStatus)
    Q_PROPERTY(QDateTime enterDate MEMBER enterDate)
    Q_PROPERTY(QString peerId MEMBER peerId)

public:
    bool audioFlag = false;
    bool videoFlag = false;
    bool shareFlag = false;
    bool allowSharePermissionFlag = false;
    bool videoStreamingReceive = false;
    bool isExpand = false;
    bool isCheck = false; // ticked for batch removal
    float soundStrength = 0;
    qint64 streamingStatus = 0;
    QDateTime enterDate;
    QString peerId; // the participant's engine id as it came (its sound levels are posted under it)

    // The row of a member as it is now.
    [[nodiscard]] static MeetingMemberModelCopy fromMember(const MeetingMemberModel &member);
    // Makes this row what fromMember(member) gives, touching only what differs: a list update of a
    // large meeting reuses its rows, and a phone number is decrypted again only for a new peer id.
    void refresh(const MeetingMemberModel &member);

    friend bool operator==(const MeetingMemberModelCopy &, const MeetingMemberModelCopy &) = default;
};
