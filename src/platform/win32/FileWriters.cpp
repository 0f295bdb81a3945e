// The copies beside their caller on Windows: a copy between files through a buffer, no space
// reserved ahead, and a write-behind with nothing to do (the system writes cached data out on
// its own, and the final FlushFileBuffers waits for the rest).
#include "platform/Files.h"
#include "platform/common/FileSeam.h"

bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
               std::int64_t n) {
    return CopyThroughBuffer(from, fromOffset, to, toOffset, n);
}

// NTFS fills a file with zeros up to each write beyond what was written before: a copy that
// skips the zeros would gain nothing.
ReserveResult ReserveFileSpace(const FileHandle&, std::int64_t) { return kReserveUnsupported; }
// Ranges of a sparse file cannot be reserved without writing them; the caller puts back what
// a failed write changed instead.
ReserveResult ReserveFileRange(const FileHandle&, std::int64_t, std::int64_t) { return kReserveUnsupported; }

struct WriteBehind {};

WriteBehind* BeginWriteBehind(const FileHandle&) { return new WriteBehind; }

void QueueWriteBehind(WriteBehind*, std::int64_t, std::int64_t) {}

void EndWriteBehind(WriteBehind* helper) { delete helper; }
