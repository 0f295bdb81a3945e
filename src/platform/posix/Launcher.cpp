// Freedesktop launchers: the program by its full path, quoted as launchers require, made
// executable, as desktops ask of launchers they trust, in the folder user-dirs.dirs names.
#include "platform/Launcher.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

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

}  // namespace

std::string DesktopFolder() {
    std::string home = HomeFolder();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string dirs = (config && config[0] == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    // The folder's line comes early: a huge file's first megabyte serves.
    std::string bytes;
    FileHandle file;
    if (OpenFile(dirs, kOpenRead, &file)) {
        bytes.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(SizeOfOpenFile(file), 0, 1 << 20)));
        std::int64_t got = ReadAt(file, 0, bytes.data(), bytes.size());
        CloseFile(&file);
        bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
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
    }
    return home + "/Desktop";
}

std::string LauncherFileName(const std::string& name) { return name + ".desktop"; }

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
    (void)iconIndex;
    // The shown name is the file's, less the extension and any reverse-domain part.
    std::string name = shortcutPath.substr(shortcutPath.rfind('/') + 1);
    name = name.substr(0, name.rfind('.'));
    name = name.substr(name.rfind('.') + 1);
    std::string entry = DesktopEntry(name, target, folder, arguments, description, iconFile);
    // Executable before it takes its name: a mode set by name afterwards could meet another file.
    return WriteFileReplacing(shortcutPath, entry, 0755);
}
