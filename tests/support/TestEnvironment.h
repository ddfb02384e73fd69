#pragma once

#include <QTemporaryDir>

#include <memory>

// What every test process does before its application object exists: a fresh HOME and XDG
// folders of its own (so no test reads or writes a user's files) and the Qt platform to use.
// The folder lives as long as the returned object; nullptr when it cannot be made.
[[nodiscard]] std::unique_ptr<QTemporaryDir> prepareTestProcess(const char *platform);
