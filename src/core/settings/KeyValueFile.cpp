// Parsing, lookup and the normal form of key/value files. The whole file is read into memory
// at open and written back whole, through a temporary file, at close.
#include "core/settings/KeyValueFile.h"

#include "base/RecordText.h"
#include "base/WholeFiles.h"
#include "platform/Files.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

KeyLine ParseLine(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) ++start;
    line.remove_prefix(start);
    if (!line.empty() && line[0] == ';') {
        std::string_view text = line.substr(1);
        if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
        return {kLineComment, std::string(), std::string(text)};
    }
    if (!line.empty() && line[0] == '[') {
        std::size_t close = line.find(']');
        return {kLineGroup,
                std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)),
                std::string()};
    }
    // A line without "=" reads as if it ended in one: its trailing blanks go, as they would
    // before an "=", so that the rewritten line reads back as the same key.
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) equals = line.size();
    std::size_t keyEnd = equals;
    while (keyEnd > 0 && IsBlank(line[keyEnd - 1])) --keyEnd;
    std::size_t valueStart = equals < line.size() ? equals + 1 : line.size();
    while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
    return {kLineKey, std::string(line.substr(0, keyEnd)), std::string(line.substr(valueStart))};
}

// Index of the line after the current group's last line.
std::size_t GroupEnd(const KeyFile& file) {
    std::size_t i = static_cast<std::size_t>(file.group + 1);
    while (i < file.lines.size() && file.lines[i].kind != kLineGroup) ++i;
    return i;
}

const KeyLine* FindKey(const KeyFile& file, const std::string& key) {
    if (file.group < 0 || file.groupPending) return nullptr;
    std::size_t end = GroupEnd(file);
    for (std::size_t i = static_cast<std::size_t>(file.group + 1); i < end; ++i)
        if (file.lines[i].kind == kLineKey && SameIgnoringCase(file.lines[i].name, key)) return &file.lines[i];
    return nullptr;
}

}  // namespace

std::int32_t ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // Unsigned arithmetic wraps where a huge number would overflow.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

void ParseKeyLines(std::string_view bytes, KeyFile* file) {
    file->lines.clear();
    file->utf8 = bytes.size() > 2 && bytes.substr(0, 3) == kByteOrderMark;
    std::size_t pos = file->utf8 ? 3 : 0;
    while (pos < bytes.size()) {
        if (IsLineEnd(bytes[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos, text = pos;
        while (end < bytes.size() && !IsLineEnd(bytes[end])) ++end;
        while (text < end && IsBlank(bytes[text])) ++text;
        // A line of blanks is layout, as an empty one is, not a key without a name.
        if (text < end) file->lines.push_back(ParseLine(bytes.substr(pos, end - pos)));
        pos = end;
    }
}

std::string FormatKeyLines(const KeyFile& file) {
    std::string out;
    if (file.utf8) out = std::string(kByteOrderMark) + "\r\n";
    bool firstGroup = true;
    for (const KeyLine& line : file.lines) {
        switch (line.kind) {
            case kLineGroup:
                if (!firstGroup) out += "\r\n";
                firstGroup = false;
                out += "[" + line.name + "]";
                break;
            case kLineComment:
                out += "; " + line.value;
                break;
            case kLineKey:
                out += line.name + "=" + line.value;
                break;
        }
        out += "\r\n";
    }
    return out;
}

bool OpenKeyFile(KeyFile* file, const std::string& path) {
    *file = KeyFile();
    std::string bytes;
    if (!ReadWholeFile(path, &bytes, kKeyFileLimit, &file->cut)) return false;
    ParseKeyLines(bytes, file);
    file->path = path;
    file->open = true;
    file->writable = !file->cut && IsWritableFile(path);
    return true;
}

// The new file reaches the disk at close, whole, in one replacement: a failure half-way
// leaves no empty file behind.
bool CreateKeyFile(KeyFile* file, const std::string& path) {
    *file = KeyFile();
    std::string target;
    if (!ResolveReplacement(path, &target)) return false;
    file->path = path;
    file->open = true;
    file->writable = true;
    file->modified = true;
    return true;
}

void SelectGroup(KeyFile* file, const std::string& name) {
    for (std::size_t i = 0; i < file->lines.size(); ++i) {
        if (file->lines[i].kind == kLineGroup && SameIgnoringCase(file->lines[i].name, name)) {
            file->group = static_cast<int>(i);
            file->groupPending = false;
            return;
        }
    }
    file->groupPending = true;
    file->pendingGroup = name;
}

std::int32_t ReadInteger(const KeyFile& file, const std::string& key, std::int32_t fallback) {
    const KeyLine* line = FindKey(file, key);
    return line ? ParseInteger(line->value) : fallback;
}

std::string ReadText(const KeyFile& file, const std::string& key, const std::string& fallback) {
    const KeyLine* line = FindKey(file, key);
    if (!line) return fallback;
    std::string_view value = line->value;
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    return std::string(value);
}

void WriteInteger(KeyFile* file, const std::string& key, std::int32_t value) {
    WriteText(file, key, std::to_string(value));
}

void WriteText(KeyFile* file, const std::string& key, const std::string& value) {
    if (file->groupPending) {
        file->lines.push_back({kLineGroup, file->pendingGroup, std::string()});
        file->group = static_cast<int>(file->lines.size()) - 1;
        file->groupPending = false;
    }
    file->modified = true;
    std::size_t end = GroupEnd(*file);
    for (std::size_t i = static_cast<std::size_t>(file->group + 1); i < end; ++i) {
        KeyLine& line = file->lines[i];
        if (line.kind == kLineKey && SameIgnoringCase(line.name, key)) {
            line.name = key;
            line.value = value;
            return;
        }
    }
    file->lines.insert(file->lines.begin() + static_cast<std::ptrdiff_t>(end), {kLineKey, key, value});
}

bool CloseKeyFile(KeyFile* file) {
    bool ok = true;
    if (file->open && file->modified && file->writable) ok = WriteFileReplacing(file->path, FormatKeyLines(*file));
    *file = KeyFile();
    return ok;
}
