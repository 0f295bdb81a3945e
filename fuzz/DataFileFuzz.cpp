// Whole data files as the dump meets them: any first bytes, stored as they come (marks, texts
// without an end, stray bytes after one), in a file of any size up to terabytes (sparse, so no
// disk is used): small, cut in a slot, at the record limit, far past it. The result must say
// which of these the file is, the dump must hold each slot's text as far as the limit and no
// further, and no temporary file may be left behind.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "base/RecordText.h"
#include "base/WholeFiles.h"
#include "core/store/DataFile.h"
#include "core/store/RecordDump.h"
#include "platform/Files.h"

namespace {

std::int64_t DeclaredSize(unsigned char kind, std::uint64_t parameter) {
    std::int64_t cut = kind % 2 ? static_cast<std::int64_t>(parameter >> 20) % kSlotSize : 0;
    if (kind < 160) return static_cast<std::int64_t>(parameter % 12) * kSlotSize + cut;
    if (kind < 224) return (kRecordLimit - 3 + static_cast<std::int64_t>(parameter % 7)) * kSlotSize + cut;
    return static_cast<std::int64_t>(parameter % (std::uint64_t(15) << 40));
}

// The text of slot i, decoded here without the program's own decoder.
std::string SlotText(const std::string& stored, std::int64_t slot) {
    std::string text;
    for (std::int64_t at = slot * kSlotSize + 1; at < (slot + 1) * kSlotSize; ++at) {
        unsigned char b = at < static_cast<std::int64_t>(stored.size()) ? static_cast<unsigned char>(stored[at]) : 0;
        if (b == 0) break;
        text += static_cast<char>(static_cast<unsigned char>(256 - b));
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    const std::string& folder = FuzzFolder();
    if (size < 9) return 0;
    std::uint64_t parameter = 0;
    std::memcpy(&parameter, data + 1, sizeof parameter);
    std::int64_t fileSize = DeclaredSize(data[0], parameter);
    std::string stored(reinterpret_cast<const char*>(data + 9), size - 9);
    if (static_cast<std::int64_t>(stored.size()) > fileSize) stored.resize(static_cast<std::size_t>(fileSize));
    const std::string dumpPath = folder + "record-dump.txt";
    unlink(dumpPath.c_str());
    FUZZ_CHECK(WriteFileReplacing(g_app.dataPath, stored));
    // A file system that takes no file this large is no finding.
    if (truncate(g_app.dataPath.c_str(), fileSize) != 0) return 0;

    DumpResult result = WriteRecordDump();
    std::int64_t slots = fileSize / kSlotSize;
    DumpResult expected = slots < 1                   ? kDumpDataFileError
                          : slots > kRecordLimit      ? kDumpOversized
                          : fileSize % kSlotSize != 0 ? kDumpDamaged
                                                      : kDumpWritten;
    FUZZ_CHECK(result == expected);
    FUZZ_CHECK(StatPath(dumpPath + ".tmp").kind == kFileMissing);
    if (result == kDumpDataFileError) {
        FUZZ_CHECK(StatPath(dumpPath).kind == kFileMissing);
        return 0;
    }
    std::int64_t dumped = slots < kRecordLimit ? slots : kRecordLimit;
    std::string wanted;
    const std::string separator = "\r\n\r\n" + std::string(76, '-') + "\r\n\r\n";
    for (std::int64_t i = 0; i < dumped; ++i) {
        if (i == 0) wanted += "\r\n";
        wanted += Trim(SlotText(stored, i));
        wanted += (i + 1 == dumped && i != 0) ? "\r\n" : separator;
    }
    std::string dump;
    bool cut;
    FUZZ_CHECK(ReadWholeFile(dumpPath, &dump, wanted.size() + 1, &cut) && !cut);
    FUZZ_CHECK(dump == wanted);
    return 0;
}
