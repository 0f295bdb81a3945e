// Writes spacer, T0, separator, T1, ..., T(N-1), spacer (a single record ends with the
// separator instead). The data file is only read, each slot as far as its text goes; the dump
// goes to a temporary file that replaces the old dump only when complete.
#include "core/store/RecordDump.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/RecordText.h"
#include "base/StringTable.h"
#include "core/store/BackgroundWrites.h"
#include "core/store/DataFile.h"
#include "core/store/OrderedPieces.h"
#include "platform/Files.h"

namespace {

std::string SeparatorBlock() {
    const std::string& spacer = Str(kStrSpacer);
    const std::string& lineBreak = Str(kStrLineBreak);
    return spacer + lineBreak + std::string(76, Str(kStrRuleChar)[0]) + spacer + lineBreak;
}

struct DumpParts {
    std::int64_t count;
    std::string separator;
    const std::string* spacer;
};

void MakeDumpPiece(std::size_t first, const std::vector<std::string>& texts, std::string* piece, const void* context) {
    const DumpParts* parts = static_cast<const DumpParts*>(context);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        std::int64_t i = static_cast<std::int64_t>(first + k);
        if (i == 0) *piece += *parts->spacer;
        *piece += Trim(texts[k]);
        *piece += (i == parts->count - 1 && i != 0) ? *parts->spacer : parts->separator;
    }
}

void WriteDumpPiece(std::string&& piece, void* writer) {
    WriteChunk(static_cast<ChunkWriter*>(writer), std::move(piece));
}

// One pass over the data file. Beside a running window the file is read without the shared
// lock, which would make the window's saves fail; a pass that saw a write is made again.
DumpResult DumpOnce(bool besideWindow, bool* written) {
    *written = false;
    // Records are read only where the user's own links lead, and only from the user's own file,
    // as in the window: another user's file dumped here would pass for the user's records.
    std::string real;
    FileHandle data;
    if (!ResolveReplacement(g_app.dataPath, &real)) return kDumpFailed;
    if (StatPath(real).kind == kFileRegular && !IsOwnFile(real)) {
        SetFileError(Str(kStrDataFileNotOwn) + g_app.dataPath);
        return kDumpFailed;
    }
    // Looked at again once open: another user may have swapped their file in since.
    if (!OpenOwnDataFile(real, besideWindow ? kOpenReadBeside : kOpenRead, &data)) return kDumpFailed;
    WriteWatch* watch = besideWindow ? WatchWrites(data) : nullptr;
    FileVersion before;
    FileVersion after;
    std::int64_t size = VersionOfOpenFile(data, &before) ? before.size : -1;
    // A dump that is a link is written where the link points, and stays a link.
    std::string dumpPath;
    FileHandle out;
    if (size < 0 || !ResolveReplacement(g_app.programFolder + Str(kStrDumpFileName), &dumpPath) ||
        !CreateTempFile(dumpPath + ".tmp", dumpPath, &out)) {
        EndWriteWatch(watch);
        CloseFile(&data);
        return kDumpFailed;
    }
    // Reading and decoding go on while the pieces before are being written.
    ChunkWriter* writer = BeginChunkWriter(out, 0);
    // A sparse file of terabytes costs no disk: the dump reads no further than the window.
    DumpParts parts{std::min(size / kSlotSize, kRecordLimit), SeparatorBlock(), &Str(kStrSpacer)};
    std::vector<std::int64_t> slots(static_cast<std::size_t>(parts.count));
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<std::int64_t>(i);
    bool read = MakePiecesInOrder(data, slots, MakeDumpPiece, &parts, WriteDumpPiece, writer);
    bool done = EndChunkWriter(writer);
    *written = besideWindow && (WasWritten(watch) || !VersionOfOpenFile(data, &after) || !SameVersion(before, after));
    EndWriteWatch(watch);
    CloseFile(&data);
    if (!read || !done || *written) {
        DiscardTempFile(&out);
        return kDumpFailed;
    }
    // The dump can be made again from the data file, so it need not wait for the disk.
    if (!CommitTempFile(&out, dumpPath, false)) return kDumpFailed;
    if (IsOversized(size)) return kDumpOversized;
    return IsWellFormedSize(size) ? kDumpWritten : kDumpDamaged;
}

}  // namespace

DumpResult WriteRecordDump(bool besideWindow) {
    if (DataFileSize(g_app.dataPath) < kSlotSize) return kDumpDataFileError;
    bool written = false;
    for (int pass = 0; pass < 5; ++pass) {
        DumpResult result = DumpOnce(besideWindow, &written);
        if (!written) return result;
    }
    SetFileError(Str(kStrDumpKeptChanging));
    return kDumpFailed;
}
