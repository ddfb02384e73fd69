#pragma once

#include <QLoggingCategory>

// The shell's log area: start-up, page switches, sign-in and the home page ("korvi.shell").
Q_DECLARE_LOGGING_CATEGORY(lcShell)
