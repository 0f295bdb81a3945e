// The desktop shortcut: a launcher on the user's desktop that follows the Desktop Shortcut
// option, in the form the system takes (platform/Launcher.h).
#pragma once

#include <string>

// 1: create it when missing or empty; 0: delete it; other values: leave it. The path of a
// launcher it wrote, else empty.
std::string SyncDesktopShortcut();
std::string ShortcutPath();
// The folder the system or the user's settings name (user-dirs.dirs), else ~/Desktop; no slash
// at the end.
std::string DesktopFolder();
// Writes the launcher through a temporary file; the program starts in folder. iconFile is an
// icon name of the theme or a file; iconIndex picks an icon inside a file that holds several.
bool CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                        const std::string& arguments, const std::string& description, const std::string& iconFile,
                        int iconIndex);
// A freedesktop launcher's text.
std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon);
