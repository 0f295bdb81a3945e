// Freedesktop desktops take launchers as text files, written above the platform: here only
// where the user's settings file is kept.
#include "platform/Launcher.h"

#include <cstdlib>

#include "platform/FileTexts.h"
#include "platform/Files.h"

LauncherForm SystemLauncherForm() { return kLauncherDesktopEntry; }

std::string SystemDesktopFolder() { return std::string(); }

std::string UserConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return config;
    std::string home = HomeFolder();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home + "/.config";
}

bool CreateShellLink(const std::string& target, const std::string& linkPath, const std::string& folder,
                     const std::string& arguments, const std::string& description, const std::string& iconFile,
                     int iconIndex) {
    (void)target, (void)folder, (void)arguments, (void)description, (void)iconFile, (void)iconIndex;
    return FailWith(kDoingWriting, linkPath, kReasonShellLinkNotSaved);
}
