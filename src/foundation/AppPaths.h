#pragma once

#include <QString>

// The client's folders, in the XDG places: created on first use and set to mode 0700 (also when
// they existed before).
namespace AppPaths {
[[nodiscard]] QString configDir(); // $XDG_CONFIG_HOME/korvi: user defaults
[[nodiscard]] QString dataDir();   // $XDG_DATA_HOME/korvi: screenshots and other user data
[[nodiscard]] QString stateDir();  // $XDG_STATE_HOME/korvi: logs
[[nodiscard]] QString cacheDir();  // $XDG_CACHE_HOME/korvi: downloads, image cache
} // namespace AppPaths
