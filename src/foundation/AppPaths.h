#pragma once

#include <QString>

// The client's folders, in the XDG places: created on first use and set to mode 0700 (also when
// they existed before).
namespace AppPaths {
[[nodiscard]] QString configDir(); // $XDG_CONFIG_HOME/korvi: user defaults
[[nodiscard]] QString dataDir();   // $XDG_DATA_HOME/korvi: screenshots and other user data
[[nodiscard]] QString stateDir();  // $XDG_STATE_HOME/korvi: logs
[[nodiscard]] QString cacheDir();  // $XDG_CACHE_HOME/korvi: downloads, image cache

// A real folder of the client's at path, private: a link or a file in its place is removed (a link
// only as a link, never what it points to) and a folder made there. False when none can be made.
bool ensureOwnFolder(const QString &path);
// Removes the regular files in the real folder at path and in its real subfolders; links are
// removed as links and never followed. Returns the files removed.
int removeFilesIn(const QString &path);
} // namespace AppPaths
