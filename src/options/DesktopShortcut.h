// The desktop shortcut: a freedesktop launcher on the user's desktop that follows the Desktop
// Shortcut option.
#pragma once

#include <string>

// 1: create it when missing or empty; 0: delete it; other values: leave it.
void SyncDesktopShortcut();
// 1 once the save was attempted.
int CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                       const std::string& arguments, const std::string& description, const std::string& iconFile,
                       int iconIndex);
std::string ShortcutPath();
// The launcher's text.
std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon);
