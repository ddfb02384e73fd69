#include "EngineLog.h"

Q_LOGGING_CATEGORY(lcEngine, "korvi.engine")
