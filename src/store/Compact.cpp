// Copies the live slots in order into the compaction file, reading and writing in blocks of
// whole slots, then renames it over the data file.
#include "store/Compact.h"

#include <cstring>
#include <vector>

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"

namespace {

constexpr std::int64_t kSlotsPerBlock = 64;

// Appends the live slots of [first, first + count) to the compaction file at *written.
bool CopyLiveSlots(const FileHandle& data, const FileHandle& out, std::int64_t first, std::int64_t count,
                   std::vector<unsigned char>* block, std::int64_t* written) {
    std::size_t bytes = static_cast<std::size_t>(count * kSlotSize);
    if (!ReadExactlyAt(data, first * kSlotSize, block->data(), bytes)) return false;
    std::size_t live = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        unsigned char* slot = block->data() + i * kSlotSize;
        if (slot[0] != 0) continue;
        if (slot != block->data() + live) std::memmove(block->data() + live, slot, kSlotSize);
        live += kSlotSize;
    }
    if (live == 0) return true;
    if (!WriteAt(out, *written, block->data(), live)) return false;
    *written += static_cast<std::int64_t>(live);
    return true;
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
    std::int64_t count = size < 0 ? 0 : size / kSlotSize;
    std::vector<unsigned char> block(static_cast<std::size_t>(kSlotsPerBlock * kSlotSize));
    std::int64_t written = 0;
    bool ok = size >= 0;
    for (std::int64_t first = 0; ok && first < count; first += kSlotsPerBlock) {
        std::int64_t n = count - first < kSlotsPerBlock ? count - first : kSlotsPerBlock;
        ok = CopyLiveSlots(data, out, first, n, &block, &written);
    }
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
    CloseFile(&data);
    return ok;
}
