#include "devices/views/KVDeviceNibs.h"

#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVCameraSelectView.h"
#include "uikit/VeskCategories.h"

void registerDeviceNibs()
{
    vesk::registerNib(QStringLiteral("KVCameraSelectView"), [] { return new KVCameraSelectView; });
    vesk::registerNib(QStringLiteral("KVAudioSelectView"), [] { return new KVAudioSelectView; });
}
