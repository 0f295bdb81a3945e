// The desktop shortcut follows its option at every start and every change of options. The
// installed program's launcher has a name of its own, so a portable copy (whose option may
// well be off) never deletes it, nor takes it for its own.
// Where the system takes shell links the platform makes them; a freedesktop launcher is text
// written here: the program by its full path, quoted as launchers require, made executable,
// as desktops ask of launchers they trust, in the folder user-dirs.dirs names.
#include "core/settings/DesktopShortcut.h"

#include <string_view>

#include "base/AppState.h"
#include "base/StringTable.h"
#include "base/WholeFiles.h"
#include "platform/Files.h"
#include "platform/Launcher.h"

namespace {

// A launcher string value: backslashes and line breaks escaped.
std::string Value(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// One argument of Exec: quoted, with the characters that quoting does not cover escaped, and
// "%" doubled since it starts a field code.
std::string ExecArgument(const std::string& argument) {
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The folder of an XDG_DESKTOP_DIR line: "$HOME/..." or an absolute path, in double quotes,
// with backslash escapes; empty for any other form.
std::string DesktopDirValue(std::string_view line, const std::string& home) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::string();
    std::string value;
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        if (line[i] == '\\' && i + 2 < line.size()) ++i;
        value += line[i];
    }
    const std::string homeMark = "$HOME";
    if (value.compare(0, homeMark.size(), homeMark) == 0 &&
        (value.size() == homeMark.size() || value[homeMark.size()] == '/'))
        return home + value.substr(homeMark.size());
    return !value.empty() && value[0] == '/' ? value : std::string();
}

// The folder of the first XDG_DESKTOP_DIR line that names one, else empty.
std::string DesktopDirOfUserDirs(const std::string& bytes, const std::string& home) {
    const std::string key = "XDG_DESKTOP_DIR=";
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line = Trim(std::string_view(bytes).substr(begin, end - begin));
        if (line.compare(0, key.size(), key) == 0) {
            std::string folder = DesktopDirValue(line.substr(key.size()), home);
            if (!folder.empty()) return folder;
        }
        begin = end + 1;
    }
    return std::string();
}

}  // namespace

std::string DesktopFolder() {
    if (SystemLauncherForm() == kLauncherShellLink) return SystemDesktopFolder();
    std::string home = HomeFolder();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    // The folder's line comes early: a huge file's first megabyte serves.
    std::string bytes;
    bool cut = false;
    if (ReadWholeFile(UserConfigHome() + "/user-dirs.dirs", &bytes, 1 << 20, &cut)) {
        std::string folder = DesktopDirOfUserDirs(bytes, home);
        if (!folder.empty()) return folder;
    }
    return home + "/Desktop";
}

std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon) {
    std::string exec = Value(ExecArgument(target));
    if (!arguments.empty()) exec += " " + Value(arguments);
    // clang-format off
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + Value(name) + "\n"
           "Comment=" + Value(description) + "\n"
           "Exec=" + exec + "\n"
           "Path=" + Value(folder) + "\n"
           "Icon=" + Value(icon) + "\n"
           "Terminal=false\n";
    // clang-format on
}

bool CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                        const std::string& arguments, const std::string& description, const std::string& iconFile,
                        int iconIndex) {
    if (SystemLauncherForm() == kLauncherShellLink)
        return CreateShellLink(target, shortcutPath, folder, arguments, description, iconFile, iconIndex);
    // The shown name is the file's, less the extension and any reverse-domain part.
    std::string name = shortcutPath.substr(shortcutPath.rfind('/') + 1);
    name = name.substr(0, name.rfind('.'));
    name = name.substr(name.rfind('.') + 1);
    std::string entry = DesktopEntry(name, target, folder, arguments, description, iconFile);
    // Executable before it takes its name: a mode set by name afterwards could meet another file.
    return WriteFileReplacing(shortcutPath, entry, 0755);
}

std::string ShortcutPath() {
    std::string folder = DesktopFolder();
    if (folder.empty() || folder.back() != '/') folder += '/';
    const char* extension = SystemLauncherForm() == kLauncherShellLink ? ".lnk" : ".desktop";
    return folder + Str(g_app.installedCopy ? kStrInstalledShortcutName : kStrShortcutName) + extension;
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
