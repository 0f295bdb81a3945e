// Writes spacer, T0, separator, T1, ..., T(N-1), spacer (a single record ends with the
// separator instead). The data file is only read, in blocks of slots; the dump goes to a
// temporary file that replaces the old dump only when complete.
#include "store/RecordDump.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"
#include "store/RecordText.h"

namespace {

constexpr std::int64_t kSlotsPerBlock = 64;
constexpr std::size_t kOutputFlushSize = 1 << 20;

std::string SeparatorBlock() {
    const std::string& spacer = Str(kStrSpacer);
    const std::string& lineBreak = Str(kStrLineBreak);
    return spacer + lineBreak + std::string(76, Str(kStrRuleChar)[0]) + spacer + lineBreak;
}

struct DumpWriter {
    FileHandle file;
    std::string pending;
    std::int64_t written = 0;
};

bool Flush(DumpWriter* out) {
    if (!WriteAt(out->file, out->written, out->pending.data(), out->pending.size())) return false;
    out->written += static_cast<std::int64_t>(out->pending.size());
    out->pending.clear();
    return true;
}

// Decodes the text area of one slot in place and returns it trimmed.
std::string_view DecodeInPlace(unsigned char* slot) {
    unsigned char* text = slot + 1;
    const void* end = std::memchr(text, 0, kTextSize);
    std::size_t n = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - text) : kTextSize;
    NegateBytes(text, n);
    return Trim(std::string_view(reinterpret_cast<const char*>(text), n));
}

bool DumpSlots(const FileHandle& data, std::int64_t count, DumpWriter* out) {
    const std::string separator = SeparatorBlock();
    const std::string& spacer = Str(kStrSpacer);
    std::vector<unsigned char> block(static_cast<std::size_t>(kSlotsPerBlock * kSlotSize));
    for (std::int64_t first = 0; first < count; first += kSlotsPerBlock) {
        std::int64_t n = count - first < kSlotsPerBlock ? count - first : kSlotsPerBlock;
        if (!ReadExactlyAt(data, first * kSlotSize, block.data(), static_cast<std::size_t>(n * kSlotSize)))
            return false;
        for (std::int64_t k = 0; k < n; ++k) {
            std::int64_t i = first + k;
            if (i == 0) out->pending += spacer;
            out->pending += DecodeInPlace(block.data() + k * kSlotSize);
            out->pending += (i == count - 1 && i != 0) ? spacer : separator;
            if (out->pending.size() >= kOutputFlushSize && !Flush(out)) return false;
        }
    }
    return Flush(out);
}

}  // namespace

DumpResult WriteRecordDump() {
    if (!IsWellFormedSize(DataFileSize(g_app.dataPath))) return kDumpDataFileError;
    FileHandle data;
    if (!OpenFile(g_app.dataPath, kOpenRead, &data)) return kDumpFailed;
    std::int64_t size = SizeOfOpenFile(data);
    std::string dumpPath = g_app.programFolder + Str(kStrDumpFileName);
    DumpWriter out;
    if (size < 0 || !CreateTempFile(dumpPath + ".tmp", dumpPath, &out.file)) {
        CloseFile(&data);
        return kDumpFailed;
    }
    bool ok = DumpSlots(data, size / kSlotSize, &out);
    CloseFile(&data);
    if (!ok) {
        DiscardTempFile(&out.file);
        return kDumpFailed;
    }
    return CommitTempFile(&out.file, dumpPath) ? kDumpWritten : kDumpFailed;
}
