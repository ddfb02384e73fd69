#include "uikit/UikitLog.h"

Q_LOGGING_CATEGORY(lcUikit, "korvi.uikit")
