// The desktop shortcut: a freedesktop launcher on the user's desktop that follows the Desktop
// Shortcut option.
#pragma once

#include <string>

// 1: create it when missing or empty; 0: delete it; other values: leave it. The path of a
// launcher it wrote, else empty.
std::string SyncDesktopShortcut();
bool CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                       const std::string& arguments, const std::string& description, const std::string& iconFile,
                       int iconIndex);
// The user's desktop folder, as their settings name it, else ~/Desktop.
std::string DesktopFolder();
std::string ShortcutPath();
// The launcher's text.
std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon);
