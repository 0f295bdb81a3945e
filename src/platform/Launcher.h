// What of the desktop shortcut needs the system: the form its desktops take a launcher in,
// where the system itself names the desktop folder or keeps the user's settings, and the
// shell link. A freedesktop launcher is plain text, written above (core/settings/DesktopShortcut).
#pragma once

#include <string>

enum LauncherForm {
    kLauncherDesktopEntry,  // a .desktop file (Linux)
    kLauncherShellLink,     // a .lnk shell link (Windows)
};

LauncherForm SystemLauncherForm();
// Shell-link systems: the desktop folder the system names, no slash at the end. Elsewhere
// empty: the user's settings name it.
std::string SystemDesktopFolder();
// Desktop-entry systems: $XDG_CONFIG_HOME where it is an absolute path, else ~/.config, where
// user-dirs.dirs is kept. Empty on shell-link systems.
std::string UserConfigHome();
// Saves a shell link to target that starts in folder; iconFile where it is a file, else the
// target's own icon, with iconIndex picking one of several. Fails on desktop-entry systems.
bool CreateShellLink(const std::string& target, const std::string& linkPath, const std::string& folder,
                     const std::string& arguments, const std::string& description, const std::string& iconFile,
                     int iconIndex);
