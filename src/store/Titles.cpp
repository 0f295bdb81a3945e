// Both derivations take the first of lines 1 to 3 that is not empty after trimming, else the
// default title; they differ in where the 48-byte cut is made.
#include "store/Titles.h"

#include "app/StringTable.h"
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
