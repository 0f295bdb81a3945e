// The desktop shortcut: a launcher on the user's desktop that follows the Desktop Shortcut
// option.
#pragma once

#include <string>

// 1: create it when missing or empty; 0: delete it; other values: leave it. The path of a
// launcher it wrote, else empty.
std::string SyncDesktopShortcut();
std::string ShortcutPath();
