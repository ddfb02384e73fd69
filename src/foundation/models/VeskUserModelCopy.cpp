#include "foundation/models/VeskUserModelCopy.h"

#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"

JX_REGISTER_MODEL(VeskUserModelCopy)

bool VeskUserModelCopy::checkIsMe() const
{
    const QString me = ModelContext::current().myPhoneNumber();
    if (me.isEmpty())
        return false;
    return phoneNumber == me || userId == me;
}

bool VeskUserModelCopy::checkIsHost() const
{
    const QString creatorId = ModelContext::current().roomCreatorId();
    if (creatorId.isEmpty())
        return false;
    QString phone = phoneNumber;
    if (phone.startsWith(QLatin1String("META")))
        phone.remove(0, 4);
    return phone == creatorId;
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_VeskUserModelCopy.cpp"
