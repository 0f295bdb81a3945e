// What the file layers of both systems share: the last error and the texts it is made of, the
// fault seam of the tests, and the whole-file operations built on the layer's own open, read,
// write and replace.
#include "platform/common/FileSeam.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

namespace {

thread_local std::string t_lastError;

// Armed by tests while the program's own threads may be doing file work, so everything but the
// fast "is anything armed" check is read and written under the lock.
struct FaultPlan {
    std::atomic<bool> counting{false};
    std::mutex lock;
    std::string path;  // when set, only calls on this file count
    int seen[kFileSteps] = {};
    int failAt[kFileSteps] = {};
    int error[kFileSteps] = {};
    int hookAt[kFileSteps] = {};
    std::function<void()> hook[kFileSteps];
};
FaultPlan s_faults;

}  // namespace

bool Injected(FileStep step, const std::string& path) {
    if (!s_faults.counting.load(std::memory_order_acquire)) return false;
    std::unique_lock<std::mutex> hold(s_faults.lock);
    if (!s_faults.path.empty() && path != s_faults.path) return false;
    int call = ++s_faults.seen[step];
    if (s_faults.hookAt[step] != 0 && call == s_faults.hookAt[step]) {
        // Run unlocked: what another program does there passes this seam too.
        std::function<void()> hook = std::move(s_faults.hook[step]);
        s_faults.hookAt[step] = 0;
        hold.unlock();
        hook();
        hold.lock();
    }
    if (s_faults.failAt[step] == 0 || call != s_faults.failAt[step]) return false;
    errno = s_faults.error[step];
    return true;
}

namespace {

// An exit handler runs after the thread's own storage is gone: it must not touch t_lastError.
std::atomic<bool> s_describing{true};
const std::string s_noDescription;

}  // namespace

void StopDescribingFileErrors() { s_describing = false; }

const std::string& LastFileError() { return s_describing ? t_lastError : s_noDescription; }

void SetFileError(const std::string& text) {
    if (s_describing) t_lastError = text;
}

namespace {

// Handed down at start, before any thread of the program's own runs; read from any thread.
FileTexts s_texts;

void KeepText(const std::string& text, std::string* kept) {
    if (*kept != text) *kept = text;
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

void ArmFileFault(FileStep step, int n, int error, const std::string& path) {
    std::lock_guard<std::mutex> hold(s_faults.lock);
    s_faults.path = path;
    s_faults.seen[step] = 0;
    s_faults.failAt[step] = n;
    s_faults.error[step] = error;
    s_faults.counting.store(true, std::memory_order_release);
}

void ArmFileHook(FileStep step, int n, std::function<void()> hook, const std::string& path) {
    std::lock_guard<std::mutex> hold(s_faults.lock);
    s_faults.path = path;
    s_faults.seen[step] = 0;
    s_faults.hookAt[step] = n;
    s_faults.hook[step] = std::move(hook);
    s_faults.counting.store(true, std::memory_order_release);
}

void DisarmFileFaults() {
    std::lock_guard<std::mutex> hold(s_faults.lock);
    s_faults.counting.store(false, std::memory_order_release);
    s_faults.path.clear();
    for (int step = 0; step < kFileSteps; ++step) {
        s_faults.seen[step] = s_faults.failAt[step] = s_faults.error[step] = s_faults.hookAt[step] = 0;
        s_faults.hook[step] = nullptr;
    }
}

int FileStepsSeen(FileStep step) {
    std::lock_guard<std::mutex> hold(s_faults.lock);
    return s_faults.seen[step];
}

bool FaultSeamActive() { return s_faults.counting.load(std::memory_order_acquire); }

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

namespace {

bool IsAllZero(const char* bytes, std::int64_t n) {
    return n == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, static_cast<std::size_t>(n - 1)) == 0);
}

}  // namespace

bool CopyNonZeroBlocks(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
                       std::int64_t n) {
    constexpr std::int64_t kBlock = 4096;
    std::vector<char> buffer(n > 0 ? 1 << 20 : 0);
    while (n > 0) {
        // Chunks end on the destination's block grid, so that no block is looked at in halves.
        std::int64_t room = static_cast<std::int64_t>(buffer.size()) - toOffset % kBlock;
        std::int64_t chunk = n < room ? n : room;
        if (!ReadExactlyAt(from, fromOffset, buffer.data(), static_cast<std::size_t>(chunk))) return false;
        auto blockEnd = [&](std::int64_t at) {
            std::int64_t end = at + kBlock - (toOffset + at) % kBlock;
            return end < chunk ? end : chunk;
        };
        for (std::int64_t at = 0; at < chunk;) {
            std::int64_t first = at;
            while (at < chunk && !IsAllZero(buffer.data() + at, blockEnd(at) - at)) at = blockEnd(at);
            if (at > first &&
                !WriteAt(to, toOffset + first, buffer.data() + first, static_cast<std::size_t>(at - first)))
                return false;
            if (at < chunk) at = blockEnd(at);
        }
        fromOffset += chunk;
        toOffset += chunk;
        n -= chunk;
    }
    return true;
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes, int mode) {
    std::string target;
    FileHandle temp;
    if (!ResolveReplacement(path, &target) || !CreateTempFile(target + ".tmp", target, &temp)) return false;
    if (!WriteAt(temp, 0, bytes.data(), bytes.size()) || (mode != 0 && !SetTempFileMode(temp, mode))) {
        DiscardTempFile(&temp);
        return false;
    }
    return CommitTempFile(&temp, target);
}

bool CopyFileReplacing(const std::string& from, const std::string& path, std::int64_t maxBytes) {
    std::string to;
    FileHandle source;
    if (!ResolveReplacement(path, &to) || !OpenFile(from, kOpenRead, &source)) return false;
    FileHandle temp;
    if (!CreateTempFile(to + ".tmp", to, &temp)) {
        CloseFile(&source);
        return false;
    }
    if (!LimitTempFileMode(temp, source)) {
        CloseFile(&source);
        DiscardTempFile(&temp);
        return false;
    }
    // A source written into while it is copied (cut, say, in place) would give a copy of no
    // version of it.
    WriteWatch* watch = WatchWrites(source);
    std::int64_t size = SizeOfOpenFile(source);
    std::vector<char> buffer(1 << 20);
    std::int64_t offset = 0;
    bool ok = true;
    for (;;) {
        std::int64_t got = ReadAt(source, offset, buffer.data(), buffer.size());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (offset + got > maxBytes) {
            ok = FailWith(kDoingCopying, from, kReasonGrewWhileCopied);
            break;
        }
        if (!WriteAt(temp, offset, buffer.data(), static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
        offset += got;
    }
    if (ok && (WasWritten(watch) || offset != size || SizeOfOpenFile(source) != size)) {
        ok = FailWith(kDoingCopying, from, kReasonChangedWhileCopied);
    }
    EndWriteWatch(watch);
    CloseFile(&source);
    if (!ok) {
        DiscardTempFile(&temp);
        return false;
    }
    return CommitTempFile(&temp, to);
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::size_t limit, bool* cut) {
    FileHandle file;
    if (!OpenFile(path, kOpenRead, &file)) return false;
    // The size only guides the buffer: a file may grow or shrink meanwhile, and a sparse one
    // of many gigabytes costs nothing on disk, so nothing past the limit is ever held.
    bytes->resize(limit < 65536 ? limit + 1 : 65536);
    std::size_t have = 0;
    bool ok = true;
    for (;;) {
        if (have == bytes->size()) {
            if (have > limit) break;
            bytes->resize(std::min(limit + 1, have * 2));
        }
        std::int64_t got = ReadAt(file, static_cast<std::int64_t>(have), bytes->data() + have, bytes->size() - have);
        if (got < 0) ok = false;
        if (got <= 0) break;
        have += static_cast<std::size_t>(got);
    }
    CloseFile(&file);
    *cut = have > limit;
    bytes->resize(std::min(have, limit));
    return ok;
}
