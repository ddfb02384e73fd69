#pragma once

#include <QLoggingCategory>

// The settings window's log area ("korvi.settings").
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
