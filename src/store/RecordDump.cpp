// Writes spacer, T0, separator, T1, ..., T(N-1), spacer (a single record ends with the
// separator instead). The data file is only read, each slot as far as its text goes; the dump
// goes to a temporary file that replaces the old dump only when complete.
#include "store/RecordDump.h"

#include <string>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"
#include "store/RecordText.h"

namespace {

constexpr std::size_t kOutputChunk = 1 << 20;

std::string SeparatorBlock() {
    const std::string& spacer = Str(kStrSpacer);
    const std::string& lineBreak = Str(kStrLineBreak);
    return spacer + lineBreak + std::string(76, Str(kStrRuleChar)[0]) + spacer + lineBreak;
}

bool DumpSlots(const FileHandle& data, std::int64_t count, ChunkWriter* out) {
    const std::string separator = SeparatorBlock();
    const std::string& spacer = Str(kStrSpacer);
    std::string text, pending;
    for (std::int64_t i = 0; i < count; ++i) {
        if (!ReadSlotText(data, i, &text)) return false;
        if (i == 0) pending += spacer;
        pending += Trim(text);
        pending += (i == count - 1 && i != 0) ? spacer : separator;
        if (pending.size() >= kOutputChunk) {
            WriteChunk(out, std::move(pending));
            pending = std::string();
            pending.reserve(kOutputChunk + kSlotSize);
        }
    }
    WriteChunk(out, std::move(pending));
    return true;
}

}  // namespace

DumpResult WriteRecordDump() {
    if (DataFileSize(g_app.dataPath) < kSlotSize) return kDumpDataFileError;
    FileHandle data;
    if (!OpenFile(g_app.dataPath, kOpenRead, &data)) return kDumpFailed;
    std::int64_t size = SizeOfOpenFile(data);
    std::string dumpPath = g_app.programFolder + Str(kStrDumpFileName);
    FileHandle out;
    if (size < 0 || !CreateTempFile(dumpPath + ".tmp", dumpPath, &out)) {
        CloseFile(&data);
        return kDumpFailed;
    }
    // Reading and decoding go on while the previous piece of the dump is being written.
    ChunkWriter* writer = BeginChunkWriter(out, 0);
    bool read = DumpSlots(data, size / kSlotSize, writer);
    bool written = EndChunkWriter(writer);
    CloseFile(&data);
    if (!read || !written) {
        DiscardTempFile(&out);
        return kDumpFailed;
    }
    // The dump can be made again from the data file, so it need not wait for the disk.
    if (!CommitTempFile(&out, dumpPath, false)) return kDumpFailed;
    return IsWellFormedSize(size) ? kDumpWritten : kDumpDamaged;
}
