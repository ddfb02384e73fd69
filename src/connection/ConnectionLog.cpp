#include "connection/ConnectionLog.h"

Q_LOGGING_CATEGORY(korviNet, "korvi.net")
