// Copies the runs of kept slots in order into the compaction file, with the disk writing behind
// the copy, then renames it over the data file. The file's space is reserved first and the
// blocks of nothing but zero fill are left unwritten: most texts are far shorter than their
// slots, so the disk writes a fraction of the file, and every slot keeps its space for the saves
// of later runs. Only the slots this run deleted are dropped: a mark left by a run that ended
// before its compaction belongs to a record the user saw listed again, so it is cleared instead.
// Nothing is dropped unless each dropped slot still holds what this run marked; the rename
// itself goes through only over the very file that was copied.
#include "core/store/Compact.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "base/AppState.h"
#include "base/StringTable.h"
#include "base/WholeFiles.h"
#include "core/store/BackgroundWrites.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

// Copies of live runs go in pieces of this size, each sent on to the disk as soon as written.
constexpr std::int64_t kCopyPiece = 64 << 20;

// Appends slots [first, first + count) to the compaction file at *written.
bool CopyRun(const FileHandle& data, const FileHandle& out, bool reserved, WriteBehind* disk, std::int64_t first,
             std::int64_t count, std::int64_t* written) {
    std::int64_t from = first * kSlotSize, left = count * kSlotSize;
    while (left > 0) {
        std::int64_t piece = left < kCopyPiece ? left : kCopyPiece;
        bool copied = reserved ? CopyNonZeroBlocks(data, from, out, *written, piece)
                               : CopyRange(data, from, out, *written, piece);
        if (!copied) return false;
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

// Each slot's deleted mark, read in batches; the slots are all in the file.
bool ReadMarks(const FileHandle& data, std::int64_t count, std::vector<unsigned char>* marks) {
    marks->assign(static_cast<std::size_t>(count), 0);
    std::vector<ReadPiece> pieces(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        pieces[i] = ReadPiece{static_cast<std::int64_t>(i) * kSlotSize, &(*marks)[i], 1, 0};
    PieceReader* reader = BeginPieceReads(data);
    bool ok = ReadPieces(reader, pieces.data(), pieces.size());
    EndPieceReads(reader);
    return ok;
}

// Copies the runs of kept slots in order, then clears the old marks among them. The marks are
// read on a thread of their own while the copy goes on.
bool CopyKeptSlots(const FileHandle& data, const FileHandle& out, std::int64_t count, bool reserved,
                   std::int64_t* written) {
    std::vector<unsigned char> marks;
    bool marksRead = false;
    std::string marksFailure;  // the reason is the reading thread's own
    std::thread markReader([&] {
        marksRead = ReadMarks(data, count, &marks);
        if (!marksRead) marksFailure = LastFileError();
    });
    WriteBehind* disk = BeginWriteBehind(out);
    bool ok = true;
    std::int64_t runStart = 0;
    for (std::int64_t i = 0; ok && i <= count; ++i) {
        if (i < count && !IsDeletedThisRun(i)) continue;
        if (i > runStart) ok = CopyRun(data, out, reserved, disk, runStart, i - runStart, written);
        runStart = i + 1;
    }
    EndWriteBehind(disk);
    markReader.join();
    if (ok && !marksRead) {
        SetFileError(marksFailure);
        ok = false;
    }
    const unsigned char live = 0;
    for (std::int64_t i = 0, kept = 0; ok && i < count; ++i) {
        if (IsDeletedThisRun(i)) continue;
        if (marks[static_cast<std::size_t>(i)] != 0) ok = WriteAt(out, kept * kSlotSize, &live, 1);
        ++kept;
    }
    return ok;
}

}  // namespace

bool CompactDataFile() {
    std::string target;
    if (!ResolveReplacement(g_app.dataPath, &target)) return false;
    FileHandle data;
    // The slots deleted in this run are slots of the file this run read, and of no other.
    if (!OpenDataFileToWrite(kOpenReadWrite, &data)) return false;
    std::int64_t size = SizeOfOpenFile(data);
    // The slots past the limit were never read; a copy of them could be of terabytes of holes.
    if (IsOversized(size)) {
        CloseFile(&data);
        SetFileError(OversizedDataFileText(size));
        return false;
    }
    FileHandle out;
    if (!CreateTempFile(CompactionPath(target), target, &out)) {
        CloseFile(&data);
        return false;
    }
    // A write into the data file from here to the swap of names, where no clock may show it, undoes
    // the compaction.
    WriteWatch* watch = WatchWrites(data);
    out.replacesWatch = watch;
    std::int64_t count = size / kSlotSize, written = 0;
    const std::vector<std::int64_t>& deleted = g_app.deletedSlots;
    std::int64_t kept = count - (std::lower_bound(deleted.begin(), deleted.end(), count) - deleted.begin());
    ReserveResult reserve = size < 0 ? kReserveFailed : ReserveFileSpace(out, kept * kSlotSize);
    // Proven after the copy, so that a rewrite while it ran counts too.
    bool ok = reserve != kReserveFailed && CopyKeptSlots(data, out, count, reserve == kReserved, &written) &&
              AreDeletedSlotsAsMarked(data);
    if (!ok || written == 0) {
        DiscardTempFile(&out);
        CloseFile(&data);
        bool changed = ok && WasWritten(watch);
        EndWriteWatch(watch);
        if (changed) SetFileError(Str(kStrChangedElsewhere));
        // Every slot was marked: as after deleting the last record, the starter records
        // come back rather than an empty file that no start could load.
        return ok && !changed && CreateStarterFile();
    }
    ok = CommitTempFile(&out, target, true, &data);
    EndWriteWatch(watch);
    // The replaced file may take long to free; a data file kept is closed at once, since its lock
    // would refuse the next write.
    if (ok) CloseFileLater(&data);
    else CloseFile(&data);
    // A file that took the name meanwhile is no version of this run's: no backup is made of it.
    if (ok) {
        NoteDataFileVersion();
        ForgetDeletions();
    }
    return ok;
}
