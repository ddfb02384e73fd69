#pragma once

#include <QTemporaryDir>

#include <memory>

// What every test process does before its application object exists: a fresh HOME and XDG
// folders of its own (so no test reads or writes a user's files) and the Qt platform to use.
// The folder lives as long as the returned object; nullptr when it cannot be made.
[[nodiscard]] std::unique_ptr<QTemporaryDir> prepareTestProcess(const char *platform);

// Ends a test process once its application object and home folder are gone, without the
// destructors of statics: Qt's own audio engine drops its sound-server connection there without
// holding its loop's lock, which now and then aborts inside libpulse while that loop is busy (as
// a test daemon shared by many processes keeps it).
[[noreturn]] void endTestProcess(int result);
