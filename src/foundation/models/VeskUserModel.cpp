#include "foundation/models/VeskUserModel.h"

#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"

JX_REGISTER_MODEL(VeskUserModel)

bool VeskUserModel::isHost() const
{
    const QString creatorId = ModelContext::current().roomCreatorId();
    return !phoneNumber.isEmpty() && phoneNumber == creatorId;
}

bool VeskUserModel::isSelf() const
{
    // An empty id must not match an empty signed-in user.
    const QString me = ModelContext::current().myPhoneNumber();
    if (me.isEmpty())
        return false;
    return phoneNumber == me || userId == me;
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_VeskUserModel.cpp"
