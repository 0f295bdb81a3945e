// Test helpers on the standard library alone, so that the Windows build shares them: a
// private folder for each test, files read and written whole, data file images.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/AppState.h"
#include "core/search/SearchIndex.h"
#include "core/store/DataFile.h"

namespace fs = std::filesystem;

TestFolder MakeTestFolder() {
    static std::atomic<unsigned> made{0};
    std::error_code error;
    fs::path base = std::getenv("TMPDIR") ? fs::path(std::getenv("TMPDIR")) : fs::temp_directory_path(error);
    auto tick = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path path = base / ("jotcrate-test-" + std::to_string(tick) + "-" + std::to_string(made++));
        if (fs::create_directory(path, error)) {
            fs::permissions(path, fs::perms::owner_all, error);
            TestFolder folder{path.generic_string() + "/"};
            ResetAppState();
            ForgetSearchIndex(&g_searchIndex);
            ResolvePaths(folder.path + "jotcrate");
            return folder;
        }
    }
    std::abort();
}

void RemoveTestFolder(const TestFolder& folder) {
    std::error_code error;
    // Read-only files and folders a test made are made writable first, so that they go too.
    for (auto it = fs::recursive_directory_iterator(folder.path, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (!it->is_symlink(error)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::permissions(folder.path, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(folder.path, error);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(fs::u8path(path), error));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = fs::directory_iterator(fs::u8path(folder), error); !error && it != fs::directory_iterator();
         it.increment(error))
        names.push_back(it->path().filename().u8string());
    // In byte order, whatever order the file system keeps (Windows' is case-blind).
    std::sort(names.begin(), names.end());
    return names;
}

bool MakeFolder(const std::string& path) {
    std::error_code error;
    return fs::create_directory(fs::u8path(path), error);
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(fs::u8path(path), error));
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    if (value.empty()) unsetenv(name.c_str());
    else setenv(name.c_str(), value.c_str(), 1);
#endif
}

unsigned FileMode(const std::string& path) {
    std::error_code error;
    fs::file_status status = fs::status(fs::u8path(path), error);
    return error ? 0u : static_cast<unsigned>(status.permissions()) & 0777u;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    std::error_code error;
    fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(fs::u8path(path), readOnly ? write : fs::perms::owner_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
    return !error;
}

bool ResizeFile(const std::string& path, std::int64_t size) {
    std::error_code error;
    fs::resize_file(fs::u8path(path), static_cast<std::uintmax_t>(size), error);
    return !error;
}

bool RemovePath(const std::string& path) {
    std::error_code error;
    return fs::remove(fs::u8path(path), error);
}

bool MakeLink(const std::string& target, const std::string& link) {
    std::error_code error;
    fs::create_symlink(fs::u8path(target), fs::u8path(link), error);
    return !error;
}

bool IsLink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(fs::u8path(path), error));
}

std::string SlotBytes(const std::string& text, bool deleted) {
    std::string slot(kSlotSize, '\0');
    slot[0] = deleted ? 1 : 0;
    for (std::size_t i = 0; i < text.size() && i < kTextSize; ++i)
        slot[i + 1] = static_cast<char>(0u - static_cast<unsigned char>(text[i]));
    return slot;
}

void WriteDataFile(const std::string& path, const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts) bytes += SlotBytes(text);
    WriteFileBytes(path, bytes);
}
