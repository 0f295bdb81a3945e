// The search reads each listed record once, in list order, from one open handle: only the
// bytes the text takes (most records fit the first read). Text is matched as the editor holds
// it (UTF-16, one LF per line break), so a record's encoding makes no difference.
#include "store/SearchRecords.h"

#include <algorithm>

#include "platform/Files.h"
#include "store/DataFile.h"
#include "store/TextCoding.h"

namespace {

// Records searched between deliveries, so that results stream in while the search goes on.
constexpr std::size_t kBatchRecords = 256;
// Of the matching line, at most this much is shown before and after the match.
constexpr std::size_t kContextBefore = 40;
constexpr std::size_t kContextAfter = 160;

bool IsWholeWordAt(std::u16string_view text, std::size_t at, std::size_t length, bool (*isWord)(char16_t)) {
    return (at == 0 || !isWord(text[at - 1])) && (at + length == text.size() || !isWord(text[at + length]));
}

// A cut of the context keeps surrogate pairs whole.
std::size_t BackToCharacter(std::u16string_view text, std::size_t at) {
    return at > 0 && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF ? at - 1 : at;
}

std::string Utf8(std::u16string_view text) {
    std::string bytes;
    EncodeRecordText(text, kEncodingUtf8, &bytes);
    return bytes;
}

// The line of the text that holds [at, at + length), cut around it.
void TakeLine(std::u16string_view text, std::size_t at, std::size_t length, FoundRecord* found) {
    std::size_t lineStart = at == 0 ? std::u16string_view::npos : text.rfind(u'\n', at - 1);
    lineStart = lineStart == std::u16string_view::npos ? 0 : lineStart + 1;
    std::size_t lineEnd = text.find(u'\n', at + length);
    if (lineEnd == std::u16string_view::npos) lineEnd = text.size();
    std::size_t from = at - lineStart > kContextBefore ? BackToCharacter(text, at - kContextBefore) : lineStart;
    std::size_t to = lineEnd - (at + length) > kContextAfter ? BackToCharacter(text, at + length + kContextAfter) : lineEnd;
    found->before = (from > lineStart ? "\xE2\x80\xA6" : "") + Utf8(text.substr(from, at - from));
    found->match = Utf8(text.substr(at, length));
    found->after = Utf8(text.substr(at + length, to - at - length)) + (to < lineEnd ? "\xE2\x80\xA6" : "");
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void LowerAscii(std::string* bytes) {
    for (char& c : *bytes)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
}

// Most records and terms are ASCII, where case folding is ASCII lowercasing: such a record is
// searched in its stored bytes, and decoded only when the term is there.
bool MayHoldAsciiTerm(std::string_view bytes, const std::string& asciiTerm, bool matchCase, std::string* lowered) {
    if (asciiTerm.empty() || !IsAscii(bytes)) return true;
    if (matchCase) return bytes.find(asciiTerm) != std::string_view::npos;
    lowered->assign(bytes);
    LowerAscii(lowered);
    return lowered->find(asciiTerm) != std::string::npos;
}

// The first match of a record: its row, or nothing.
void MatchRecord(const SelectorEntry& entry, std::string_view bytes, const std::u16string& wanted, const SearchTerm& term,
                 const TextRules& rules, std::vector<FoundRecord>* found) {
    std::u16string text = DecodeRecordText(bytes);
    std::u16string folded = term.matchCase ? std::u16string() : rules.fold(text);
    // Folding that changed the length would move every position: match the folded text and
    // show it then.
    const std::u16string& searched = term.matchCase ? text : folded;
    const std::u16string& shown = folded.size() == text.size() || term.matchCase ? text : folded;
    int count = 0;
    std::ptrdiff_t at = FindInText(searched, wanted, term.wholeWord, rules.isWordCharacter, &count);
    if (at < 0) return;
    FoundRecord record{entry.slot, entry.title, {}, {}, {}, count};
    TakeLine(shown, static_cast<std::size_t>(at), wanted.size(), &record);
    found->push_back(std::move(record));
}

}  // namespace

std::ptrdiff_t FindInText(std::u16string_view text, std::u16string_view term, bool wholeWord,
                          bool (*isWordCharacter)(char16_t), int* count) {
    *count = 0;
    std::ptrdiff_t first = -1;
    if (term.empty()) return -1;
    for (std::size_t at = text.find(term); at != std::u16string_view::npos; at = text.find(term, at)) {
        if (wholeWord && !IsWholeWordAt(text, at, term.size(), isWordCharacter)) {
            ++at;
            continue;
        }
        if (first < 0) first = static_cast<std::ptrdiff_t>(at);
        ++*count;
        at += term.size();
    }
    return first;
}

bool SearchRecords(const std::string& dataPath, const std::vector<SelectorEntry>& entries, const SearchTerm& term,
                   const TextRules& rules, const std::atomic<bool>& stop, DeliverFound deliver, void* context) {
    FileHandle data;
    // A search runs for seconds on a full file: a shared lock would refuse every save meanwhile.
    if (!OpenFile(dataPath, kOpenReadBeside, &data)) return false;
    std::u16string wanted = term.matchCase ? term.text : rules.fold(term.text);
    std::string asciiTerm;
    if (std::all_of(wanted.begin(), wanted.end(), [](char16_t c) { return c < 0x80; }))
        for (char16_t c : wanted) asciiTerm += static_cast<char>(c);
    std::vector<FoundRecord> found;
    std::string bytes, lowered;
    bool read = true;
    for (std::size_t i = 0; i < entries.size() && !stop.load(std::memory_order_relaxed); ++i) {
        read = ReadSlotText(data, entries[i].slot, &bytes);
        if (!read) break;
        if (MayHoldAsciiTerm(bytes, asciiTerm, term.matchCase, &lowered))
            MatchRecord(entries[i], bytes, wanted, term, rules, &found);
        if ((i + 1) % kBatchRecords == 0) {
            deliver(std::move(found), i + 1, context);
            found.clear();
        }
    }
    CloseFile(&data);
    if (read && !stop.load(std::memory_order_relaxed)) deliver(std::move(found), entries.size(), context);
    return read;
}
