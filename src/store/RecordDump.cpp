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

bool DumpSlots(const FileHandle& data, std::int64_t count, DumpWriter* out) {
    const std::string separator = SeparatorBlock();
    const std::string& spacer = Str(kStrSpacer);
    std::string text;
    for (std::int64_t i = 0; i < count; ++i) {
        if (!ReadSlotText(data, i, &text)) return false;
        if (i == 0) out->pending += spacer;
        out->pending += Trim(text);
        out->pending += (i == count - 1 && i != 0) ? spacer : separator;
        if (out->pending.size() >= kOutputFlushSize && !Flush(out)) return false;
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
