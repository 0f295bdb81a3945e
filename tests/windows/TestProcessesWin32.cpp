// What the Windows suites share of the process helpers: Windows does not tell a process's
// open files by path, and its files have no permission bits.
#include "TestSupport.h"

#include <windows.h>

#include <filesystem>

namespace fs = std::filesystem;

std::vector<std::string> OpenFilesUnder(const std::string&) { return {}; }

bool FilesHaveModes() { return false; }

namespace {
std::vector<HANDLE> s_locks;
}

int HoldFileLock(const std::string& path) {
    // The program locks by share modes: a handle with write access shuts out its readers and
    // writers alike, which share no writing.
    HANDLE file =
        CreateFileW(fs::u8path(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    s_locks.push_back(file);
    return static_cast<int>(s_locks.size()) - 1;
}

void ReleaseFileLock(int lock) {
    if (lock < 0 || lock >= static_cast<int>(s_locks.size()) || !s_locks[lock]) return;
    CloseHandle(s_locks[lock]);
    s_locks[lock] = nullptr;
}

bool GiveToAnotherUser(const std::string&, bool) { return false; }
