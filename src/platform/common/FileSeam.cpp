// What the file layers of both systems share: the last error and the texts it is made of, the
// step hook of the tests, the buffered copy, the reads of pieces one after another, and the
// rules written once over each system's steps (FileSeam.h): the temporary file's free name,
// the new file, the link, the folders.
// The tests' plan of faults is theirs (tests/FileFaults.cpp); the whole-file work that needs
// no system call of its own is the ground layer's (base/WholeFiles.cpp).
#include "platform/common/FileSeam.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Plain bytes, not a std::string: the Windows toolchain frees a thread's own storage before
// the destructors of what it holds run, so nothing kept there may have one.
constexpr std::size_t kErrorRoom = 4096;
thread_local char t_lastError[kErrorRoom];
thread_local std::size_t t_lastErrorSize = 0;

// Installed and removed by the tests while the program's own threads do file work.
std::atomic<FileStepHook> s_stepHook{nullptr};

}  // namespace

bool Injected(FileStep step, const std::string& path) {
    FileStepHook hook = s_stepHook.load(std::memory_order_acquire);
    return hook != nullptr && hook(step, path);
}

void SetFileStepHook(FileStepHook hook) { s_stepHook.store(hook, std::memory_order_release); }

bool FaultSeamActive() { return s_stepHook.load(std::memory_order_acquire) != nullptr; }

namespace {

// An exit handler runs after the thread's own storage is gone: it must not touch t_lastError.
std::atomic<bool> s_describing{true};

}  // namespace

void StopDescribingFileErrors() { s_describing = false; }

std::string LastFileError() { return s_describing ? std::string(t_lastError, t_lastErrorSize) : std::string(); }

// A longer text keeps its start, cut between characters.
void SetFileError(const std::string& text) {
    if (!s_describing) return;
    std::size_t n = std::min(text.size(), kErrorRoom);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(t_lastError, text.data(), n);
    t_lastErrorSize = n;
}

namespace {

// Handed down at start, before any thread of the program's own runs; read from any thread.
FileTexts s_texts;

void KeepText(const std::string& text, std::string* kept) {
    if (*kept != text) *kept = text;
}

// A name no one can guess in advance; where the system has no randomness to give, one at least
// not fixed.
std::string RandomName() {
    try {
        std::random_device random;
        std::string name;
        for (int i = 0; i < 8; ++i) name += "0123456789abcdefghijklmnopqrstuv"[random() % 32];
        return name;
    } catch (const std::exception&) {
        return std::to_string(std::rand());
    }
}

}  // namespace

void SetFileTexts(const FileTexts& texts) {
    for (int i = 0; i < kFileDoings; ++i) KeepText(texts.doings[i], &s_texts.doings[i]);
    for (int i = 0; i < kFileReasons; ++i) KeepText(texts.reasons[i], &s_texts.reasons[i]);
}

std::string FileDoingText(FileDoing doing) {
    const std::string& text = s_texts.doings[doing];
    return text.empty() ? "doing " + std::to_string(doing) : text;
}

std::string FileReasonText(FileReason reason) {
    const std::string& text = s_texts.reasons[reason];
    return text.empty() ? "reason " + std::to_string(reason) : text;
}

bool FailWith(FileDoing doing, const std::string& path, const std::string& reason) {
    SetFileError(FileDoingText(doing) + " " + path + ": " + reason);
    return false;
}

bool FailWith(FileDoing doing, const std::string& path, FileReason reason) {
    return FailWith(doing, path, FileReasonText(reason));
}

// The change time moves with a chmod or a backup tool's attributes too: only the file, its
// size and the time of its contents count.
bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode;
}

std::string FolderPart(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsPathSeparator(path[cut - 1])) --cut;
    return path.substr(0, cut);
}

bool SameVersion(const FileVersion& a, const FileVersion& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified;
}

bool ReadExactlyAt(const FileHandle& file, std::int64_t offset, void* buffer, std::size_t n) {
    std::int64_t got = ReadAt(file, offset, buffer, n);
    if (got < 0) return false;
    if (static_cast<std::size_t>(got) == n) return true;
    return FailWith(kDoingReading, file.path, kReasonEndsSooner);
}

bool CopyThroughBuffer(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
                       std::int64_t n) {
    std::vector<char> buffer(n > 0 ? 1 << 20 : 0);
    while (n > 0) {
        std::size_t chunk = n < static_cast<std::int64_t>(buffer.size()) ? static_cast<std::size_t>(n) : buffer.size();
        if (!ReadExactlyAt(from, fromOffset, buffer.data(), chunk) || !WriteAt(to, toOffset, buffer.data(), chunk))
            return false;
        fromOffset += static_cast<std::int64_t>(chunk);
        toOffset += static_cast<std::int64_t>(chunk);
        n -= static_cast<std::int64_t>(chunk);
    }
    return true;
}

bool ReadPiecesOneByOne(const FileHandle& file, ReadPiece* pieces, std::size_t n) {
    bool all = true;
    for (std::size_t i = 0; i < n; ++i) {
        pieces[i].got = ReadAt(file, pieces[i].offset, pieces[i].buffer, pieces[i].size);
        all = all && pieces[i].got >= 0;
    }
    return all;
}

bool CreateTempFile(const std::string& tempPath, const std::string& target, FileHandle* file) {
    FileIdentity replaces;
    if (!IdentityOfPath(target, &replaces)) return false;
    // A file that has the name already is somebody's (a start removes the program's own
    // leftovers): it is never emptied or replaced, and the next free name is taken instead.
    // Names taken in advance by another user's files give way to names no one can guess.
    std::string path = tempPath;
    for (int n = 1; n <= 200; ++n) {
        bool taken = false;
        if (CreateNewFile(path, file, &taken)) {
            file->replaces = replaces;
            if (TakeModeOf(*file, target)) return true;
            DiscardTempFile(file);
            return false;
        }
        if (!taken) return false;
        path = tempPath + "." + (n < 100 ? std::to_string(n) : RandomName());
    }
    return FailWith(kDoingCreating, tempPath, std::strerror(EEXIST));
}

void DiscardTempFile(FileHandle* file) {
    if (!IsOpen(*file)) return;
    CloseFile(file);
    RemoveName(file->path);
}

bool CommitTempFile(FileHandle* file, const std::string& target, bool durable, FileHandle* openTarget) {
    if (durable && !FlushFile(*file)) {
        DiscardTempFile(file);
        return false;
    }
    return RenameTempOver(file, target, openTarget) && (!durable || FlushFolderOf(target));
}

bool WriteNewFile(const std::string& path, std::string_view bytes) {
    FileHandle file;
    bool taken = false;
    if (!CreateNewFile(path, &file, &taken)) return false;
    bool ok = WriteAt(file, 0, bytes.data(), bytes.size()) && FlushFile(file);
    CloseFile(&file);
    if (!ok) RemoveName(path);
    return ok && FlushFolderOf(path);
}

LinkResult LinkFile(const std::string& from, const std::string& to) {
    if (MakeHardLink(from, to)) return FlushFolderOf(to) ? kLinked : kLinkFailed;
    if (StatPath(to).kind == kFileMissing) return kLinkUnsupported;
    FailWith(kDoingNaming, to, std::strerror(EEXIST));
    return kLinkFailed;
}

bool MakePrivateFolders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && !IsPathSeparator(path[at])) continue;
        if (!MakeUserFolder(path.substr(0, at))) return false;
    }
    return StatPath(path).kind == kFileFolder || FailWith(kDoingMaking, path, std::strerror(ENOTDIR));
}
