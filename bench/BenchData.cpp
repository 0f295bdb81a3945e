// Records read like notes: a title line of a few words, then lines of words, numbers and
// addresses, CR LF between lines. A fixed seed makes every run's data the same.
#include "BenchData.h"

#include <sys/stat.h>

#include <random>
#include <vector>

#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

const char* const kWords[] = {"meeting", "call",    "Anna",    "phone",   "address", "street", "recipe",  "flour",
                              "sugar",   "butter",  "monday",  "notes",   "project", "garden", "doctor",  "birthday",
                              "invoice", "plumber", "bicycle", "tickets", "train",   "museum", "library", "keys"};

std::string RecordText(std::mt19937* random) {
    std::uniform_int_distribution<int> size(100, 2000), word(0, 23), words(2, 5), digit(0, 9);
    std::size_t target = static_cast<std::size_t>(size(*random));
    std::string text;
    int n = words(*random);
    for (int i = 0; i < n; ++i) text += std::string(i ? " " : "") + kWords[word(*random)];
    text += "\r\n";
    while (text.size() < target) {
        int kind = digit(*random);
        if (kind == 0) {
            text += "+44 20 ";
            for (int i = 0; i < 8; ++i) text += static_cast<char>('0' + digit(*random));
        } else {
            for (int i = 0; i < 8; ++i) text += std::string(i ? " " : "") + kWords[word(*random)];
        }
        text += "\r\n";
    }
    return text.substr(0, target);
}

}  // namespace

bool MakeBenchData(const std::string& folder, std::int64_t count) {
    std::string path = folder + "/Jotcrate.jcd";
    mkdir(folder.c_str(), 0700);
    FileInfo info = StatPath(path);
    if (info.kind == kFileRegular && info.size == count * kSlotSize) return true;
    FileHandle file;
    if (!CreateTempFile(path + ".tmp", path, &file)) return false;
    std::mt19937 random(20261207);
    constexpr std::int64_t kBlock = 64;
    std::vector<unsigned char> block(static_cast<std::size_t>(kBlock * kSlotSize));
    for (std::int64_t first = 0; first < count; first += kBlock) {
        std::int64_t n = count - first < kBlock ? count - first : kBlock;
        for (std::int64_t i = 0; i < n; ++i) EncodeText(RecordText(&random), block.data() + i * kSlotSize);
        if (!WriteAt(file, first * kSlotSize, block.data(), static_cast<std::size_t>(n * kSlotSize))) {
            DiscardTempFile(&file);
            return false;
        }
    }
    return CommitTempFile(&file, path);
}
