#include "scheduling/SchedulingLog.h"

Q_LOGGING_CATEGORY(lcScheduling, "korvi.scheduling")
