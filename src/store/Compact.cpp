// Copies the runs of kept slots in order into the compaction file, inside the kernel and with
// the disk writing behind the copy, then renames it over the data file. Only the slots this
// run deleted are dropped: a mark left by a run that ended before its compaction belongs to a
// record the user saw listed again, so it is cleared instead.
#include "store/Compact.h"

#include <algorithm>
#include <vector>

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

bool IsDeletedThisRun(std::int64_t slot) {
    return std::binary_search(g_app.deletedSlots.begin(), g_app.deletedSlots.end(), slot);
}

// Copies the runs of kept slots in order, then clears the old marks among them; only each
// slot's deleted mark is read here.
bool CopyKeptSlots(const FileHandle& data, const FileHandle& out, std::int64_t count, std::int64_t* written) {
    WriteBehind* disk = BeginWriteBehind(out);
    bool ok = true;
    std::int64_t runStart = 0;
    std::vector<std::int64_t> oldMarks;  // offsets in the compaction file
    for (std::int64_t i = 0; ok && i <= count; ++i) {
        bool dropped = i == count || IsDeletedThisRun(i);
        if (!dropped) {
            unsigned char mark = 0;
            ok = ReadExactlyAt(data, i * kSlotSize, &mark, 1);
            if (ok && mark != 0) oldMarks.push_back(*written + (i - runStart) * kSlotSize);
            continue;
        }
        if (i > runStart) ok = CopyRun(data, out, disk, runStart, i - runStart, written);
        runStart = i + 1;
    }
    EndWriteBehind(disk);
    const unsigned char live = 0;
    for (std::size_t k = 0; ok && k < oldMarks.size(); ++k) ok = WriteAt(out, oldMarks[k], &live, 1);
    return ok;
}

}  // namespace

bool CompactDataFile() {
    std::string target = ReplacementTarget(g_app.dataPath);
    FileHandle data;
    // The slots deleted in this run are slots of the file this run read, and of no other.
    if (!OpenDataFileToWrite(kOpenReadWrite, &data)) return false;
    FileHandle out;
    if (!CreateTempFile(CompactionPath(), target, &out)) {
        CloseFile(&data);
        return false;
    }
    std::int64_t size = SizeOfOpenFile(data);
    std::int64_t written = 0;
    bool ok = size >= 0 && CopyKeptSlots(data, out, size / kSlotSize, &written);
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
    ok = CommitTempFile(&out, target);
    CloseFileLater(&data);
    NoteDataFileVersion();
    if (ok) g_app.deletedSlots.clear();
    return ok;
}
