#pragma once

#include "foundation/models/VeskModel.h"

#include <QVariantList>

// The hosts of a room, from the reply data of the hosts query; both lists go
// to the meeting manager as the service sends them.
struct MeetingHostModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QVariantList assistants MEMBER assistants)
    Q_PROPERTY(QVariantList metaMembers MEMBER metaMembers)

public:
    QVariantList assistants;  // assistant hosts' phone numbers (or member dictionaries)
    QVariantList metaMembers; // virtual members

    friend bool operator==(const MeetingHostModel &, const MeetingHostModel &) = default;
};
