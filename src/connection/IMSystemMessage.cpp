#include "connection/IMSystemMessage.h"

#include "foundation/JXExtension.h"

IMSystemMessage IMSystemMessage::fromDictionary(const QVariantMap &dictionary)
{
    return jx_objectWithKeyValues<IMSystemMessage>(QVariant(dictionary));
}
