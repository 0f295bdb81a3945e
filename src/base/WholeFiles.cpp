// Whole-file work built on the file layer's own open, read, write and replace, with no system
// call of its own: a copy that replaces its target, a second name or else a copy, a file read
// whole up to a limit, the block copy of the compaction that leaves zero blocks unwritten, and a
// file replaced by a whole new content.
#include "base/WholeFiles.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FileTexts.h"

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

bool LinkOrCopyFile(const std::string& from, const std::string& to) {
    LinkResult linked = LinkFile(from, to);
    if (linked != kLinkUnsupported) return linked == kLinked;
    return CopyFileReplacing(from, to);
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
