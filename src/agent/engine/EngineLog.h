#pragma once

#include <QLoggingCategory>

// The media-engine layer's log area ("korvi.engine").
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
