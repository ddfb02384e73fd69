#pragma once

#include <QLoggingCategory>

// The agent's log area: environment, sign-in and REST calls ("korvi.agent").
Q_DECLARE_LOGGING_CATEGORY(lcAgent)
