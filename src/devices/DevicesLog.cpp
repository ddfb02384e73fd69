#include "devices/DevicesLog.h"

Q_LOGGING_CATEGORY(lcDevices, "korvi.devices")
