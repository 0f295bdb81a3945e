// The desktop shortcut as the system knows it: a freedesktop launcher on Linux, a shell link
// on Windows, in the desktop folder the user's settings name.
#pragma once

#include <string>

// No slash at the end.
std::string DesktopFolder();
// The file name of a launcher called name ("Jotcrate" gives "Jotcrate.desktop" on Linux).
std::string LauncherFileName(const std::string& name);
// Writes the launcher through a temporary file; the program starts in folder. iconFile is an
// icon name of the theme or a file; iconIndex picks an icon inside a file that holds several.
bool CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                        const std::string& arguments, const std::string& description, const std::string& iconFile,
                        int iconIndex);
// A launcher's text (the freedesktop form; Linux only).
std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon);
