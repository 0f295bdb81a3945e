// Both derivations take the first of lines 1 to 3 that is not empty after trimming, else the
// default title; they differ in where the 48-byte cut is made.
#include "store/Titles.h"

#include <cstring>

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

bool IsDefaultTitle(const std::string& title) {
    const std::string& keyword = Str(kStrDefaultKeyword);
    if (title.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < title.size(); ++i) {
        char c = title[i] >= 'A' && title[i] <= 'Z' ? static_cast<char>(title[i] - 'A' + 'a') : title[i];
        if (c != keyword[i]) return false;
    }
    return true;
}

}  // namespace

bool ListTitles(const std::string& dataPath, std::int64_t count, std::size_t batchSize,
                void (*deliver)(std::vector<SelectorEntry>&& batch, void* context), void* context,
                std::int64_t* defaultPosition) {
    FileHandle data;
    if (!OpenFile(dataPath, kOpenRead, &data)) return false;
    std::vector<SelectorEntry> batch;
    batch.reserve(batchSize);
    *defaultPosition = -1;
    // Only the deleted mark, the 48 bytes of the title window and one byte more (which tells
    // whether the window cut the text) are read, and decoded in place.
    unsigned char window[1 + kTitleLimit + 1];
    for (std::int64_t i = 0; i < count; ++i) {
        std::string title;
        if (ReadExactlyAt(data, i * kSlotSize, window, sizeof window)) {
            const unsigned char* text = window + 1;
            const void* end = std::memchr(text, 0, kTitleLimit + 1);
            std::size_t n = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - text) : kTitleLimit + 1;
            NegateBytes(window + 1, n);
            title = LoadTitle(std::string_view(reinterpret_cast<const char*>(text), n));
        } else {
            title = Str(kStrDefaultTitle);
        }
        if (*defaultPosition < 0 && IsDefaultTitle(title)) *defaultPosition = i;
        batch.push_back(SelectorEntry{std::move(title), i});
        if (batch.size() == batchSize || i == count - 1) {
            deliver(std::move(batch), context);
            batch.clear();
            batch.reserve(batchSize);
        }
    }
    CloseFile(&data);
    if (*defaultPosition < 0) *defaultPosition = 0;
    return true;
}
