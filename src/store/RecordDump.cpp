// Writes spacer, T0, separator, T1, ..., T(N-1), spacer (a single record ends with the
// separator instead). The data file is only read, each slot as far as its text goes; the dump
// goes to a temporary file that replaces the old dump only when complete.
#include "store/RecordDump.h"

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"
#include "store/RecordText.h"

namespace {

constexpr std::size_t kOutputChunk = 1 << 20;
// Slots whose first reads go to the system in one batch.
constexpr std::int64_t kReadGroup = 64;

std::string SeparatorBlock() {
    const std::string& spacer = Str(kStrSpacer);
    const std::string& lineBreak = Str(kStrLineBreak);
    return spacer + lineBreak + std::string(76, Str(kStrRuleChar)[0]) + spacer + lineBreak;
}

bool DumpSlots(const FileHandle& data, std::int64_t count, ChunkWriter* out) {
    const std::string separator = SeparatorBlock();
    const std::string& spacer = Str(kStrSpacer);
    std::string pending = spacer;
    std::vector<std::int64_t> slots;
    std::vector<std::string> texts;
    PieceReader* reader = BeginPieceReads(data);
    bool read = true;
    for (std::int64_t group = 0; read && group < count; group += kReadGroup) {
        slots.clear();
        for (std::int64_t i = group; i < count && i < group + kReadGroup; ++i) slots.push_back(i);
        read = ReadSlotTexts(reader, data, slots.data(), slots.size(), &texts);
        for (std::size_t k = 0; read && k < slots.size(); ++k) {
            pending += Trim(texts[k]);
            pending += (slots[k] == count - 1 && slots[k] != 0) ? spacer : separator;
        }
        if (pending.size() >= kOutputChunk) {
            WriteChunk(out, std::move(pending));
            pending = std::string();
            pending.reserve(kOutputChunk + kReadGroup * kSlotSize);
        }
    }
    EndPieceReads(reader);
    if (read) WriteChunk(out, std::move(pending));
    return read;
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
