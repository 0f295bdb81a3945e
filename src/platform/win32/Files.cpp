// Win32 implementation of the file layer: wide paths, 64-bit offsets, share modes standing in
// for the locks (writers let others read, readers let nobody write), FlushFileBuffers before a
// write counts as done, and replacement by MoveFileExW with write-through.
#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/common/FileSeam.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

namespace {

// The reason of an injected failure: the test's errno value, told as the C library tells it.
thread_local int t_injectedError = 0;

bool InjectedHere(FileStep step, const std::string& path) {
    t_injectedError = Injected(step, path) ? errno : 0;
    return t_injectedError != 0;
}

// The reason of the call that just failed: injected, or the system's.
bool Fail(FileDoing doing, const std::string& path) {
    if (t_injectedError != 0) return FailWith(doing, path, std::strerror(t_injectedError));
    return FailWith(doing, path, SystemErrorText(GetLastError()));
}

bool IsMissingError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

HANDLE Handle(const FileHandle& file) { return reinterpret_cast<HANDLE>(file.fd); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle for looking at a file or folder without reading it.
HANDLE OpenForLooking(const std::string& path) {
    return CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool FillVersion(HANDLE handle, FileVersion* version) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return false;
    version->device = info.dwVolumeSerialNumber;
    version->inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    version->size =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    ULARGE_INTEGER written;
    written.LowPart = info.ftLastWriteTime.dwLowDateTime;
    written.HighPart = info.ftLastWriteTime.dwHighDateTime;
    // From 1601 in 100 ns steps to the Unix epoch in nanoseconds, as on Linux; times of 1601
    // in nanoseconds would not fit.
    version->modified = (static_cast<std::int64_t>(written.QuadPart) - 116444736000000000) * 100;
    return true;
}

bool MoveReplacing(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), flags) != 0;
}

// A rename of an open file over a target that may be open too (the program holds the data
// file it replaces): POSIX semantics, from Windows 10 1809 on. Elsewhere a plain replacing
// move, which needs the target closed.
bool RenameOpenFile(HANDLE handle, const std::string& from, const std::string& to, bool replace) {
    std::wstring name = Widen(to);
    std::vector<char> bytes(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(bytes.data());
    rename->Flags = (replace ? FILE_RENAME_FLAG_REPLACE_IF_EXISTS : 0) | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    // FileRenameInfoEx, which these headers name only for newer targets.
    const auto renameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    if (SetFileInformationByHandle(handle, renameInfoEx, rename, static_cast<DWORD>(bytes.size()))) return true;
    // A target that appeared meanwhile is refused, not replaced by the older way.
    if (GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS) return false;
    return MoveReplacing(from, to, replace);
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

FileInfo StatPath(const std::string& path) {
    FileInfo info;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (InjectedHere(kStepStat, path) || !GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        if (t_injectedError != 0 || !IsMissingError(GetLastError())) {
            info.kind = kFileUnknown;
            Fail(kDoingLookingUp, path);
        }
        return info;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        info.kind = kFileFolder;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) {
        info.kind = kFileOther;
    } else {
        info.kind = kFileRegular;
        info.size =
            static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    }
    return info;
}

bool VersionOfFile(const std::string& path, FileVersion* version) {
    if (InjectedHere(kStepStat, path)) return Fail(kDoingLookingUp, path);
    HANDLE handle = OpenForLooking(path);
    if (handle == INVALID_HANDLE_VALUE) return Fail(kDoingLookingUp, path);
    bool ok = FillVersion(handle, version);
    DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return ok || Fail(kDoingLookingUp, path);
}

bool VersionOfOpenFile(const FileHandle& file, FileVersion* version) {
    return FillVersion(Handle(file), version) || Fail(kDoingLookingUp, file.path);
}

bool IsWritableFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

bool IsOwnFile(const std::string&) { return true; }

bool IsOwnOpenFile(const FileHandle&) { return true; }

bool IsFolderOthersCanWrite(const std::string&) { return false; }

bool SetTempFileMode(const FileHandle&, int) { return true; }

bool LimitTempFileMode(const FileHandle&, const FileHandle&) { return true; }

bool IsReadOnlyFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool OpenFile(const std::string& path, OpenMode mode, FileHandle* file) {
    bool reading = mode == kOpenRead || mode == kOpenReadBeside;
    DWORD access = reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    // Delete sharing lets a replacement be renamed over a file that is still open, as on Linux.
    DWORD share = mode == kOpenReadBeside ? kShareAll : FILE_SHARE_READ | FILE_SHARE_DELETE;
    DWORD disposition = mode == kOpenReadWriteCreate ? OPEN_ALWAYS : OPEN_EXISTING;
    if (InjectedHere(kStepOpen, path)) return Fail(kDoingOpening, path);
    HANDLE handle =
        CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return Fail(kDoingLocking, path);
        // Opening a folder answers "access denied"; say what it is.
        if (error == ERROR_ACCESS_DENIED && StatPath(path).kind == kFileFolder)
            return FailWith(kDoingOpening, path, std::strerror(EISDIR));
        SetLastError(error);
        return Fail(kDoingOpening, path);
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return FailWith(kDoingOpening, path, kReasonNotRegularToOpen);
    }
    file->fd = reinterpret_cast<std::intptr_t>(handle);
    file->path = path;
    return true;
}

void CloseFile(FileHandle* file) {
    if (IsOpen(*file)) CloseHandle(Handle(*file));
    file->fd = -1;
}

std::int64_t SizeOfOpenFile(const FileHandle& file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Handle(file), &size)) {
        Fail(kDoingReadingSizeOf, file.path);
        return -1;
    }
    return size.QuadPart;
}

namespace {

OVERLAPPED At(std::int64_t offset) {
    OVERLAPPED where = {};
    where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return where;
}

constexpr std::size_t kLargestCall = 1u << 30;

}  // namespace

std::int64_t ReadAt(const FileHandle& file, std::int64_t offset, void* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (InjectedHere(kStepRead, file.path)) {
            Fail(kDoingReading, file.path);
            return -1;
        }
        OVERLAPPED where = At(offset + static_cast<std::int64_t>(done));
        DWORD got = 0;
        DWORD ask = static_cast<DWORD>(n - done < kLargestCall ? n - done : kLargestCall);
        if (!ReadFile(Handle(file), static_cast<char*>(buffer) + done, ask, &got, &where)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            Fail(kDoingReading, file.path);
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

bool WriteAt(const FileHandle& file, std::int64_t offset, const void* bytes, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (InjectedHere(kStepWrite, file.path)) return Fail(kDoingWriting, file.path);
        OVERLAPPED where = At(offset + static_cast<std::int64_t>(done));
        DWORD put = 0;
        DWORD ask = static_cast<DWORD>(n - done < kLargestCall ? n - done : kLargestCall);
        if (!WriteFile(Handle(file), static_cast<const char*>(bytes) + done, ask, &put, &where))
            return Fail(kDoingWriting, file.path);
        if (put == 0) return FailWith(kDoingWriting, file.path, kReasonNothingWritten);
        done += put;
    }
    return true;
}

bool FlushFile(const FileHandle& file) {
    return (!InjectedHere(kStepFlush, file.path) && FlushFileBuffers(Handle(file))) || Fail(kDoingFlushing, file.path);
}

bool TruncateFile(const FileHandle& file, std::int64_t size) {
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end) ||
           Fail(kDoingTruncating, file.path);
}

namespace {

// The last look before a rename: the target holds the file the caller meant to replace.
bool IsStillReplaced(const FileHandle& file, const std::string& target) {
    FileIdentity now;
    if (!IdentityOfPath(target, &now)) return false;
    return SameIdentity(now, file.replaces) || FailWith(kDoingReplacing, target, kReasonReplacedMeanwhile);
}

}  // namespace

bool CreateNewFile(const std::string& path, FileHandle* file, bool* taken) {
    // DELETE: a temporary file is renamed by its handle.
    HANDLE handle =
        InjectedHere(kStepOpen, path)
            ? INVALID_HANDLE_VALUE
            : CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    *taken =
        t_injectedError != 0 ? t_injectedError == EEXIST : error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (handle == INVALID_HANDLE_VALUE) return Fail(kDoingCreating, path);
    file->fd = reinterpret_cast<std::intptr_t>(handle);
    file->path = path;
    return true;
}

bool TakeModeOf(const FileHandle&, const std::string&) { return true; }

void RemoveName(const std::string& path) { DeleteFileW(Widen(path).c_str()); }

// No folder of a name to flush: MoveFileExW writes through.
bool FlushFolderOf(const std::string&) { return true; }

bool RenameTempOver(FileHandle* file, const std::string& target, FileHandle* openTarget) {
    bool replace = file->replaces.exists;
    bool injected = InjectedHere(kStepRename, target);
    bool checked = !injected && IsStillReplaced(*file, target);
    bool renamed = checked && RenameOpenFile(Handle(*file), file->path, target, replace);
    if (!renamed && checked && openTarget && IsOpen(*openTarget)) {
        CloseFile(openTarget);
        renamed = RenameOpenFile(Handle(*file), file->path, target, replace);
    }
    if (!renamed && (injected || checked)) Fail(kDoingReplacing, target);
    CloseFile(file);
    if (!renamed) RemoveName(file->path);
    return renamed;
}

// A file opened here admits no other writer (no FILE_SHARE_WRITE) while it is open.
WriteWatch* WatchWrites(const FileHandle&) { return nullptr; }
bool WasWritten(WriteWatch*) { return false; }
void EndWriteWatch(WriteWatch*) {}

bool IdentityOfPath(const std::string& path, FileIdentity* identity) {
    *identity = FileIdentity();
    // The name itself, a link included, as lstat sees it.
    HANDLE handle = CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return IsMissingError(GetLastError()) || Fail(kDoingLookingUp, path);
    FileVersion version;
    bool ok = FillVersion(handle, &version);
    DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    if (!ok) return Fail(kDoingLookingUp, path);
    identity->exists = true;
    identity->device = version.device;
    identity->inode = version.inode;
    return true;
}

namespace {

std::string FullPath(const std::string& path) {
    std::wstring wide = Widen(path);
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> buffer(n);
    n = GetFullPathNameW(wide.c_str(), n, buffer.data(), nullptr);
    return n == 0 || n >= buffer.size() ? path : Narrow(std::wstring(buffer.data(), n));
}

bool IsSamePath(const std::string& a, const std::string& b) {
    std::wstring x = Widen(a), y = Widen(b);
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

bool ResolveReplacement(const std::string& path, std::string* target) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!IsMissingError(GetLastError())) return Fail(kDoingLookingUp, path);
        *target = path;
        return true;
    }
    std::string at = path;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        at = CanonicalPath(path);
        // Whose a link to nothing is cannot be told here, so it is not followed.
        if (at.empty()) return FailWith(kDoingReplacing, path, kReasonLinkToNothing);
    } else if (std::string final = CanonicalPath(path); !final.empty() && !IsSamePath(final, FullPath(path))) {
        // Wine shows a Unix symbolic link as the file it leads to, with no reparse point; the
        // file's own path still tells. Without a link it names the same file (a short name, a
        // mapped drive), so writing there changes nothing.
        at = final;
    }
    HANDLE handle = OpenForLooking(at);
    if (handle == INVALID_HANDLE_VALUE) return Fail(kDoingLookingUp, at);
    BY_HANDLE_FILE_INFORMATION info;
    bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                   !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    CloseHandle(handle);
    if (!regular) return FailWith(kDoingReplacing, path, kReasonNotRegular);
    *target = at;
    return true;
}

bool MakeHardLink(const std::string& from, const std::string& to) {
    return (!InjectedHere(kStepRename, to) && CreateHardLinkW(Widen(to).c_str(), Widen(from).c_str(), nullptr)) ||
           Fail(kDoingNaming, to);
}

bool RenameFile(const std::string& from, const std::string& to) {
    return (!InjectedHere(kStepRename, to) && MoveReplacing(from, to, true)) || Fail(kDoingRenaming, from);
}

bool DeleteFile(const std::string& path) {
    if (InjectedHere(kStepDelete, path)) return Fail(kDoingDeleting, path);
    return DeleteFileW(Widen(path).c_str()) || IsMissingError(GetLastError()) || Fail(kDoingDeleting, path);
}

std::string TimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

void KeepFreedMemory() {}

std::string HomeFolder() { return KnownFolder(FOLDERID_Profile); }

std::string UserDataHome() { return KnownFolder(FOLDERID_LocalAppData); }

std::string CanonicalPath(const std::string& path) {
    HANDLE handle = OpenForLooking(path);
    if (handle == INVALID_HANDLE_VALUE) return std::string();
    std::vector<wchar_t> buffer(1024);
    DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    }
    CloseHandle(handle);
    if (n == 0 || n >= buffer.size()) return std::string();
    std::wstring full(buffer.data(), n);
    // \\?\C:\... as C:\..., and \\?\UNC\server\... as \\server\...
    if (full.compare(0, 8, L"\\\\?\\UNC\\") == 0) full = L"\\\\" + full.substr(8);
    else if (full.compare(0, 4, L"\\\\?\\") == 0) full = full.substr(4);
    return Narrow(full);
}

bool MakeUserFolder(const std::string& folder) {
    // A drive ("C:") is there or not; it is never made.
    bool drive = folder.size() == 2 && folder[1] == ':';
    return drive || CreateDirectoryW(Widen(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ||
           Fail(kDoingMaking, folder);
}

std::string FindProgram(const std::string& name) {
    std::vector<wchar_t> buffer(MAX_PATH * 4);
    DWORD n =
        SearchPathW(nullptr, Widen(name).c_str(), L".exe", static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return n == 0 || n >= buffer.size() ? std::string() : Narrow(std::wstring_view(buffer.data(), n));
}
