// The copies beside their caller on Windows: a copy between files through a buffer, and a
// write-behind with nothing to do (the system writes cached data out on its own, and the
// final FlushFileBuffers waits for the rest).
#include <vector>

#include "platform/Files.h"

bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
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

struct WriteBehind {};

WriteBehind* BeginWriteBehind(const FileHandle&) { return new WriteBehind; }

void QueueWriteBehind(WriteBehind*, std::int64_t, std::int64_t) {}

void EndWriteBehind(WriteBehind* helper) { delete helper; }
