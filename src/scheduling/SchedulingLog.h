#pragma once

#include <QLoggingCategory>

// The scheduling windows' log area: the meeting form, its pickers and member lists
// ("korvi.scheduling").
Q_DECLARE_LOGGING_CATEGORY(lcScheduling)
