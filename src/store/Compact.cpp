// Copies the runs of live slots in order into the compaction file, inside the kernel and with
// the disk writing behind the copy, then renames it over the data file.
#include "store/Compact.h"

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"

namespace {

// Copies of live runs go in pieces of this size, each sent on to the disk as soon as written.
constexpr std::int64_t kCopyPiece = 64 << 20;

// Appends slots [first, first + count) to the compaction file at *written.
bool CopyRun(const FileHandle& data, const FileHandle& out, WriteBehind* disk, std::int64_t first,
             std::int64_t count, std::int64_t* written) {
    std::int64_t from = first * kSlotSize, left = count * kSlotSize;
    while (left > 0) {
        std::int64_t piece = left < kCopyPiece ? left : kCopyPiece;
        if (!CopyRange(data, from, out, *written, piece)) return false;
        QueueWriteBehind(disk, *written, piece);
        from += piece;
        *written += piece;
        left -= piece;
    }
    return true;
}

// Copies the runs of live slots in order; only each slot's deleted mark is read here.
bool CopyLiveSlots(const FileHandle& data, const FileHandle& out, std::int64_t count, std::int64_t* written) {
    WriteBehind* disk = BeginWriteBehind(out);
    bool ok = true;
    std::int64_t runStart = 0;
    for (std::int64_t i = 0; ok && i <= count; ++i) {
        unsigned char mark = 0;
        ok = i == count || ReadExactlyAt(data, i * kSlotSize, &mark, 1);
        if (!ok || (i < count && mark == 0)) continue;
        if (i > runStart) ok = CopyRun(data, out, disk, runStart, i - runStart, written);
        runStart = i + 1;
    }
    EndWriteBehind(disk);
    return ok;
}

}  // namespace

bool CompactDataFile() {
    std::string compactPath = g_app.programFolder + Str(kStrCompactFileName);
    FileHandle data;
    if (!OpenFile(g_app.dataPath, kOpenReadWrite, &data)) return false;
    FileHandle out;
    if (!CreateTempFile(compactPath, g_app.dataPath, &out)) {
        CloseFile(&data);
        return false;
    }
    std::int64_t size = SizeOfOpenFile(data);
    std::int64_t written = 0;
    bool ok = size >= 0 && CopyLiveSlots(data, out, size / kSlotSize, &written);
    if (!ok) {
        DiscardTempFile(&out);
        CloseFile(&data);
        return false;
    }
    if (written == 0) {
        // Every slot was marked: as after deleting the last record, the starter records
        // come back rather than an empty file that no start could load.
        DiscardTempFile(&out);
        CloseFile(&data);
        return CreateStarterFile();
    }
    ok = CommitTempFile(&out, g_app.dataPath);
    CloseFileLater(&data);
    return ok;
}
