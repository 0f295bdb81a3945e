// Slot coding and the record dump: any bytes cut into slots, written as a data file, dumped;
// the dump is exactly the trimmed texts between spacers and separators.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/RecordText.h"
#include "base/WholeFiles.h"
#include "core/store/DataFile.h"
#include "core/store/RecordDump.h"
#include "platform/Files.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    const std::string& folder = FuzzFolder();
    // Records are the pieces between 0xFF bytes, up to 8 of them; a zero byte ends a text.
    std::vector<std::string> texts;
    std::string bytes, current;
    for (std::size_t i = 0; i <= size && texts.size() < 8; ++i) {
        if (i == size || data[i] == 0xFF) {
            texts.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    std::string file;
    std::vector<unsigned char> slot(kSlotSize);
    for (const std::string& text : texts) {
        EncodeText(text, slot.data());
        FUZZ_CHECK(DecodeText(slot.data()) == text.substr(0, text.find('\0')));
        file.append(reinterpret_cast<const char*>(slot.data()), kSlotSize);
    }
    FUZZ_CHECK(WriteFileReplacing(g_app.dataPath, file));
    FUZZ_CHECK(WriteRecordDump() == kDumpWritten);
    std::string dump, expected;
    bool cut;
    FUZZ_CHECK(ReadWholeFile(folder + "record-dump.txt", &dump, 1 << 20, &cut) && !cut);
    const std::string separator = "\r\n\r\n" + std::string(76, '-') + "\r\n\r\n";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 0) expected += "\r\n";
        expected += Trim(texts[i].substr(0, texts[i].find('\0')));
        expected += (i + 1 == texts.size() && i != 0) ? "\r\n" : separator;
    }
    FUZZ_CHECK(dump == expected);
    return 0;
}
