// The desktop shortcut follows its option at every start and every change of options. The
// installed program's launcher has a name of its own, so a portable copy (whose option may
// well be off) never deletes it, nor takes it for its own.
#include "core/settings/DesktopShortcut.h"

#include "base/AppState.h"
#include "base/StringTable.h"
#include "platform/Files.h"
#include "platform/Launcher.h"

std::string ShortcutPath() {
    std::string folder = DesktopFolder();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + LauncherFileName(Str(g_app.installedCopy ? kStrInstalledShortcutName : kStrShortcutName));
}

std::string SyncDesktopShortcut() {
    std::string path = ShortcutPath();
    FileInfo info = StatPath(path);
    if (g_app.options.desktopShortcut == 0) {
        if (info.kind == kFileRegular && !IsReadOnlyFile(path)) DeleteFile(path);
        return std::string();
    }
    if (g_app.options.desktopShortcut != 1) return std::string();
    if (info.kind == kFileRegular && info.size > 0) return std::string();
    // An installed copy is found on the PATH and has its icon in the theme; a portable one is
    // named by its full path, wherever it was put.
    std::string program = g_app.installedCopy ? Str(kStrInstalledCommand) : ExecutablePath();
    std::string icon = Str(g_app.installedCopy ? kStrInstalledIcon : kStrShortcutIcon);
    bool written =
        CreateShortcutFile(program, path, g_app.programFolder, std::string(), Str(kStrShortcutDescription), icon, 0);
    return written ? path : std::string();
}
