// The launcher runs the program by its full path, quoted as launchers require, in the program
// folder. It is written through a temporary file and made executable, as desktops ask of
// launchers they trust, into the desktop folder the user's settings name.
#include "options/DesktopShortcut.h"

#include <sys/stat.h>

#include <cstdlib>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/RecordText.h"

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

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
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
    if (value.compare(0, homeMark.size(), homeMark) == 0 && (value.size() == homeMark.size() || value[homeMark.size()] == '/'))
        return home + value.substr(homeMark.size());
    return !value.empty() && value[0] == '/' ? value : std::string();
}

}  // namespace

std::string DesktopFolder() {
    std::string home = HomeFolder();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string dirs = (config && config[0] == '/' ? std::string(config) : home + "/.config") + "/" + Str(kStrUserDirsFile);
    std::string bytes;
    if (ReadWholeFile(dirs, &bytes)) {
        const std::string& key = Str(kStrDesktopDirKey);
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
    }
    return home + "/" + Str(kStrShortcutFolder);
}

std::string ShortcutPath() {
    std::string folder = DesktopFolder();
    if (folder.back() != '/') folder += '/';
    // The installed program's launcher has a name of its own, so a portable copy (whose option
    // may well be off) never deletes it, nor takes it for its own.
    return folder + Str(g_app.installedCopy ? kStrInstalledShortcutName : kStrShortcutName);
}

std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& folder,
                         const std::string& arguments, const std::string& description, const std::string& icon) {
    std::string exec = Value(ExecArgument(target));
    if (!arguments.empty()) exec += " " + Value(arguments);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + Value(name) + "\n"
           "Comment=" + Value(description) + "\n"
           "Exec=" + exec + "\n"
           "Path=" + Value(folder) + "\n"
           "Icon=" + Value(icon) + "\n"
           "Terminal=false\n";
}

bool CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                        const std::string& arguments, const std::string& description, const std::string& iconFile,
                        int iconIndex) {
    (void)iconIndex;
    std::string entry = DesktopEntry(g_app.programTitle, target, folder, arguments, description, iconFile);
    return WriteFileReplacing(shortcutPath, entry) && chmod(shortcutPath.c_str(), 0755) == 0;
}

std::string SyncDesktopShortcut() {
    std::string path = ShortcutPath();
    FileInfo info = StatPath(path);
    if (g_app.options.desktopShortcut == 0) {
        if (info.kind == kFileRegular && !IsReadOnly(path)) DeleteFile(path);
        return std::string();
    }
    if (g_app.options.desktopShortcut != 1) return std::string();
    if (info.kind == kFileRegular && info.size > 0) return std::string();
    // An installed copy is found on the PATH and has its icon in the theme; a portable one is
    // named by its full path, wherever it was put.
    std::string program = g_app.installedCopy ? Str(kStrInstalledCommand) : ExecutablePath();
    std::string icon = Str(g_app.installedCopy ? kStrInstalledIcon : kStrShortcutIcon);
    bool written = CreateShortcutFile(program, path, g_app.programFolder, std::string(), Str(kStrShortcutDescription),
                                      icon, 0);
    return written ? path : std::string();
}
