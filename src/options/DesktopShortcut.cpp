// The launcher runs the program by its full path, quoted as launchers require, in the program
// folder. It is written through a temporary file and made executable, as desktops ask of
// launchers they trust.
#include "options/DesktopShortcut.h"

#include <sys/stat.h>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"

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

}  // namespace

std::string ShortcutPath() {
    std::string home = HomeFolder();
    if (!home.empty() && home.back() != '/') home += '/';
    return home + Str(kStrShortcutPath);
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

int CreateShortcutFile(const std::string& target, const std::string& shortcutPath, const std::string& folder,
                       const std::string& arguments, const std::string& description, const std::string& iconFile,
                       int iconIndex) {
    (void)iconIndex;
    std::string entry = DesktopEntry(g_app.programTitle, target, folder, arguments, description, iconFile);
    if (WriteFileReplacing(shortcutPath, entry)) chmod(shortcutPath.c_str(), 0755);
    return 1;
}

void SyncDesktopShortcut() {
    std::string path = ShortcutPath();
    FileInfo info = StatPath(path);
    if (g_app.options.desktopShortcut == 0) {
        if (info.kind == kFileRegular && !IsReadOnly(path)) DeleteFile(path);
        return;
    }
    if (g_app.options.desktopShortcut != 1) return;
    if (info.kind == kFileRegular && info.size > 0) return;
    std::string program = ExecutablePath();
    CreateShortcutFile(program, path, g_app.programFolder, std::string(), Str(kStrShortcutDescription),
                       Str(kStrShortcutIcon), 0);
}
