// Both derivations take the first of lines 1 to 3 that is not empty after trimming, else the
// default title; they differ in where the 48-byte cut is made.
#include "core/store/Titles.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <thread>

#include "base/RecordText.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

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

namespace {

// A cut at 48 bytes drops the part of a UTF-8 character it split; a Windows-1252 byte is a
// whole character.
std::string_view CutTitle(std::string_view text, TextEncoding encoding) {
    std::string_view cut = text.substr(0, kTitleLimit);
    return encoding == kEncodingUtf8 && text.size() > kTitleLimit ? DropIncompleteUtf8Tail(cut) : cut;
}

constexpr std::size_t kTitleLookAhead = 15;

bool IsDefaultTitle(const std::string& title) { return SameIgnoringCase(title, Str(kStrDefaultKeyword)); }

// Lists slots [first, last) of an open data file into entries; the position of the first
// "Default" among them, or -1.
void ListRange(const FileHandle& data, std::int64_t first, std::int64_t last, std::vector<SelectorEntry>* entries,
               std::int64_t* defaultPosition) {
    // Only the deleted mark, the 48 bytes of the title window and a few bytes more are read,
    // and decoded in place: the bytes after the window tell whether it cut the text and
    // whether a character it split is UTF-8 at all.
    // The reads of a group of slots go to the system in one batch.
    constexpr std::size_t kWindow = 1 + kTitleLimit + kTitleLookAhead;
    unsigned char windows[kReadGroup][kWindow];
    ReadPiece pieces[kReadGroup];
    PieceReader* reader = BeginPieceReads(data);
    *defaultPosition = -1;
    entries->reserve(entries->size() + static_cast<std::size_t>(last - first));
    for (std::int64_t group = first; group < last; group += static_cast<std::int64_t>(kReadGroup)) {
        std::int64_t n = std::min(static_cast<std::int64_t>(kReadGroup), last - group);
        for (std::int64_t k = 0; k < n; ++k) pieces[k] = ReadPiece{(group + k) * kSlotSize, windows[k], kWindow, 0};
        // A slot that cannot be read whole is listed under the default title, as an empty one.
        ReadPieces(reader, pieces, static_cast<std::size_t>(n));
        for (std::int64_t k = 0; k < n; ++k) {
            std::string title = Str(kStrDefaultTitle);
            if (pieces[k].got == static_cast<std::int64_t>(kWindow)) {
                unsigned char* text = windows[k] + 1;
                const void* end = std::memchr(text, 0, kWindow - 1);
                std::size_t size =
                    end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - text) : kWindow - 1;
                NegateBytes(text, size);
                std::string_view start(reinterpret_cast<const char*>(text), size);
                title = LoadTitle(start, RecordEncodingOfStart(start, size == kWindow - 1));
            }
            if (*defaultPosition < 0 && IsDefaultTitle(title)) *defaultPosition = group + k;
            entries->push_back(SelectorEntry{std::move(title), group + k});
        }
    }
    EndPieceReads(reader);
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

namespace {

// The bytes of the text that each derivation takes as the title; empty for the default title.
std::string_view LoadTitleBytes(std::string_view text, TextEncoding encoding) {
    std::string_view window = CutTitle(text, encoding);
    for (int j = 1; j <= 3; ++j) {
        std::string_view line = Trim(LineOf(window, j));
        if (!line.empty()) return line;
    }
    return std::string_view();
}

std::string_view SaveTitleBytes(std::string_view text, TextEncoding encoding) {
    for (int j = 1; j <= 3; ++j) {
        std::string_view line = CutTitle(Trim(LineOf(text, j)), encoding);
        if (!line.empty()) return line;
    }
    return std::string_view();
}

// A title is one line wherever it shows: a line end within a line (a lone CR or LF) is a blank.
std::string TitleFrom(std::string_view bytes, TextEncoding encoding) {
    if (bytes.empty()) return Str(kStrDefaultTitle);
    std::string title = RecordBytesToUtf8(bytes, encoding);
    std::replace_if(
        title.begin(), title.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return title;
}

}  // namespace

std::string LoadTitle(std::string_view text, TextEncoding encoding) {
    return TitleFrom(LoadTitleBytes(text, encoding), encoding);
}

std::string SaveTitle(std::string_view text, TextEncoding encoding) {
    return TitleFrom(SaveTitleBytes(text, encoding), encoding);
}

std::size_t TitleEnd(std::string_view text, TextEncoding encoding, const std::string& title) {
    for (std::string_view bytes : {LoadTitleBytes(text, encoding), SaveTitleBytes(text, encoding)})
        if (!bytes.empty() && TitleFrom(bytes, encoding) == title)
            return static_cast<std::size_t>(bytes.data() - text.data()) + bytes.size();
    return 0;
}

bool ListTitles(const std::string& dataPath, std::int64_t count, std::size_t batchSize,
                void (*deliver)(std::vector<SelectorEntry>&& batch, void* context), void* context,
                std::int64_t* defaultPosition) {
    FileHandle data;
    if (!OpenOwnDataFile(dataPath, kOpenRead, &data)) return false;
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
