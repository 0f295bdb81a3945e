// The copies beside their caller on Windows: a copy between files through a buffer, and a
// write-behind with nothing to do (the system writes cached data out on its own, and the
// final FlushFileBuffers waits for the rest).
#include "platform/Files.h"
#include "platform/common/FileSeam.h"

bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
               std::int64_t n) {
    return CopyThroughBuffer(from, fromOffset, to, toOffset, n);
}

struct WriteBehind {};

WriteBehind* BeginWriteBehind(const FileHandle&) { return new WriteBehind; }

void QueueWriteBehind(WriteBehind*, std::int64_t, std::int64_t) {}

void EndWriteBehind(WriteBehind* helper) { delete helper; }
