// Both derivations take the first of lines 1 to 3 that is not empty after trimming, else the
// default title; they differ in where the 48-byte cut is made.
#include "store/Titles.h"

#include <cstring>
#include <functional>
#include <iterator>
#include <thread>

#include "app/StringTable.h"
#include "platform/Files.h"
#include "store/DataFile.h"
#include "store/RecordText.h"

std::string_view LineOf(std::string_view text, int j) {
    const std::string& lineBreak = Str(kStrLineBreak);
    std::size_t begin = 0;
    for (int field = 1; field < j; ++field) {
        std::size_t end = text.find(lineBreak, begin);
        if (end == std::string_view::npos) return std::string_view();
        begin = end + lineBreak.size();
    }
    std::size_t end = text.find(lineBreak, begin);
    return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

std::string LoadTitle(std::string_view decodedText) {
    std::string_view window = decodedText.substr(0, kTitleLimit);
    if (decodedText.size() > kTitleLimit) window = DropIncompleteUtf8Tail(window);
    for (int j = 1; j <= 3; ++j) {
        std::string_view line = Trim(LineOf(window, j));
        if (!line.empty()) return std::string(line);
    }
    return Str(kStrDefaultTitle);
}

std::string SaveTitle(std::string_view editorText) {
    for (int j = 1; j <= 3; ++j) {
        std::string_view line = Trim(LineOf(editorText, j));
        if (line.size() > kTitleLimit) line = DropIncompleteUtf8Tail(line.substr(0, kTitleLimit));
        if (!line.empty()) return std::string(line);
    }
    return Str(kStrDefaultTitle);
}

namespace {

bool IsDefaultTitle(const std::string& title) { return SameIgnoringCase(title, Str(kStrDefaultKeyword)); }

// Lists slots [first, last) of an open data file into entries; the position of the first
// "Default" among them, or -1.
void ListRange(const FileHandle& data, std::int64_t first, std::int64_t last, std::vector<SelectorEntry>* entries,
               std::int64_t* defaultPosition) {
    // Only the deleted mark, the 48 bytes of the title window and one byte more (which tells
    // whether the window cut the text) are read, and decoded in place.
    unsigned char window[1 + kTitleLimit + 1];
    *defaultPosition = -1;
    entries->reserve(entries->size() + static_cast<std::size_t>(last - first));
    for (std::int64_t i = first; i < last; ++i) {
        std::string title = Str(kStrDefaultTitle);
        if (ReadExactlyAt(data, i * kSlotSize, window, sizeof window)) {
            unsigned char* text = window + 1;
            const void* end = std::memchr(text, 0, kTitleLimit + 1);
            std::size_t n = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - text) : kTitleLimit + 1;
            NegateBytes(text, n);
            title = LoadTitle(std::string_view(reinterpret_cast<const char*>(text), n));
        }
        if (*defaultPosition < 0 && IsDefaultTitle(title)) *defaultPosition = i;
        entries->push_back(SelectorEntry{std::move(title), i});
    }
}

void DeliverInBatches(std::vector<SelectorEntry>&& entries, std::size_t batchSize,
                      void (*deliver)(std::vector<SelectorEntry>&& batch, void* context), void* context) {
    for (std::size_t first = 0; first < entries.size(); first += batchSize) {
        std::size_t last = first + batchSize < entries.size() ? first + batchSize : entries.size();
        std::vector<SelectorEntry> batch(std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(first)),
                                         std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(last)));
        deliver(std::move(batch), context);
    }
}

}  // namespace

bool ListTitles(const std::string& dataPath, std::int64_t count, std::size_t batchSize,
                void (*deliver)(std::vector<SelectorEntry>&& batch, void* context), void* context,
                std::int64_t* defaultPosition) {
    FileHandle data;
    if (!OpenFile(dataPath, kOpenRead, &data)) return false;
    // A full file is listed in two halves at once: the reads are independent and a second core
    // halves the wait.
    std::int64_t half = count >= 4096 && std::thread::hardware_concurrency() > 1 ? count / 2 : count;
    std::vector<SelectorEntry> firstPart, secondPart;
    std::int64_t firstDefault = -1, secondDefault = -1;
    std::thread helper;
    if (half < count) helper = std::thread(ListRange, std::cref(data), half, count, &secondPart, &secondDefault);
    ListRange(data, 0, half, &firstPart, &firstDefault);
    DeliverInBatches(std::move(firstPart), batchSize, deliver, context);
    if (helper.joinable()) helper.join();
    DeliverInBatches(std::move(secondPart), batchSize, deliver, context);
    CloseFile(&data);
    *defaultPosition = firstDefault >= 0 ? firstDefault : secondDefault >= 0 ? secondDefault : 0;
    return true;
}
