// A reader and writer of grouped key/value files: group lines "[name]", key lines
// "key=value" and comment lines "; text". Names compare without regard to ASCII case; the
// first occurrence of a name is the one read and updated. A rewrite keeps every line the file
// held, in its place, in one normal form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum KeyLineKind { kLineGroup, kLineComment, kLineKey };

struct KeyLine {
    KeyLineKind kind;
    std::string name;   // group or key
    std::string value;  // key value or comment text
};

// A key file larger than this is damaged (no program writes one near this long): it is read as
// far as the limit and never written over.
constexpr std::size_t kKeyFileLimit = 1 << 20;

struct KeyFile {
    std::string path;
    bool open = false;
    bool writable = false;
    bool cut = false;  // longer than kKeyFileLimit
    bool modified = false;
    bool utf8 = false;  // began with a byte-order mark, which a rewrite keeps
    std::vector<KeyLine> lines;
    int group = -1;  // index of the current group line
    bool groupPending = false;
    std::string pendingGroup;
};

// A file cut at the limit opens, read-only, with file->cut set.
bool OpenKeyFile(KeyFile* file, const std::string& path);
// An empty file, written at close even if nothing is written to it.
bool CreateKeyFile(KeyFile* file, const std::string& path);
void SelectGroup(KeyFile* file, const std::string& name);
std::int32_t ReadInteger(const KeyFile& file, const std::string& key, std::int32_t fallback);
std::string ReadText(const KeyFile& file, const std::string& key, const std::string& fallback);
void WriteInteger(KeyFile* file, const std::string& key, std::int32_t value);
void WriteText(KeyFile* file, const std::string& key, const std::string& value);
// Writes the file back when it was modified and may be written; false when that failed.
bool CloseKeyFile(KeyFile* file);

void ParseKeyLines(std::string_view bytes, KeyFile* file);
std::string FormatKeyLines(const KeyFile& file);
std::int32_t ParseInteger(std::string_view text);
