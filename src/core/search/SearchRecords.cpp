// The search reads the listed records in list order, a full file in two halves at once, from
// one open handle: only the bytes each text takes (most fit the first read). Text is matched
// as the editor holds it (UTF-16, one LF per line break), so a record's encoding makes no
// difference. What each read teaches goes into the search index, and a later search skips
// the slots whose bits show that the term cannot be there.
#include "core/search/SearchRecords.h"

#include <algorithm>
#include <thread>

#include "base/TextCoding.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

// Records searched between deliveries, so that results stream in while the search goes on.
constexpr std::size_t kBatchRecords = 256;
// Of the matching line, at most this much is shown before and after the match.
constexpr std::size_t kContextBefore = 40;
constexpr std::size_t kContextAfter = 160;

// Text as the editor holds it, or the stored bytes of an ASCII record.
template <typename Char>
bool IsWholeWordAt(std::basic_string_view<Char> text, std::size_t at, std::size_t length, bool (*isWord)(char16_t)) {
    auto word = [&](std::size_t i) {
        return isWord(static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(text[i])));
    };
    return (at == 0 || !word(at - 1)) && (at + length == text.size() || !word(at + length));
}

template <typename Char>
std::ptrdiff_t FindMatches(std::basic_string_view<Char> text, std::basic_string_view<Char> term, bool wholeWord,
                           bool (*isWordCharacter)(char16_t), int* count) {
    *count = 0;
    std::ptrdiff_t first = -1;
    if (term.empty()) return -1;
    for (std::size_t at = text.find(term); at != text.npos; at = text.find(term, at)) {
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
    std::size_t to =
        lineEnd - (at + length) > kContextAfter ? BackToCharacter(text, at + length + kContextAfter) : lineEnd;
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

// The first match of a record: its row, or nothing.
// lowered: the record's bytes lowered when they are ASCII, whose folding that is.
void MatchRecord(const SelectorEntry& entry, std::string_view bytes, const std::string* lowered,
                 const std::u16string& wanted, const SearchTerm& term, const TextRules& rules,
                 std::vector<FoundRecord>* found) {
    std::u16string text = DecodeRecordText(bytes);
    std::u16string folded = term.matchCase ? std::u16string() : lowered ? DecodeRecordText(*lowered) : rules.fold(text);
    const std::u16string& searched = term.matchCase ? text : folded;
    int count = 0;
    std::ptrdiff_t at = FindMatches<char16_t>(searched, wanted, term.wholeWord, rules.isWordCharacter, &count);
    if (at < 0) return;
    // The row shows the record's own text, where folding that changed lengths moved the match.
    std::size_t from = static_cast<std::size_t>(at), to = from + wanted.size();
    if (searched.size() != text.size()) {
        std::vector<std::size_t> sources = FoldedSources(text, searched, rules.fold);
        from = sources[static_cast<std::size_t>(at)];
        to = sources[static_cast<std::size_t>(at) + wanted.size() - 1] + 1;
    }
    FoundRecord record{entry.slot, entry.title, {}, {}, {}, count};
    TakeLine(text, from, to - from, &record);
    found->push_back(std::move(record));
}

// An ASCII record and term, matched in the stored bytes (where a line break is CR LF, CR or LF,
// none of them in the term): only the line of the first match is decoded.
void MatchAsciiRecord(const SelectorEntry& entry, std::string_view bytes, std::string_view searched,
                      std::string_view term, bool wholeWord, bool (*isWord)(char16_t),
                      std::vector<FoundRecord>* found) {
    int count = 0;
    std::ptrdiff_t first = FindMatches(searched, term, wholeWord, isWord, &count);
    if (first < 0) return;
    std::size_t at = static_cast<std::size_t>(first);
    std::size_t lineStart = at == 0 ? bytes.npos : bytes.find_last_of("\r\n", at - 1);
    lineStart = lineStart == bytes.npos ? 0 : lineStart + 1;
    std::size_t lineEnd = std::min(bytes.find_first_of("\r\n", at + term.size()), bytes.size());
    std::u16string line(bytes.begin() + static_cast<std::ptrdiff_t>(lineStart),
                        bytes.begin() + static_cast<std::ptrdiff_t>(lineEnd));
    FoundRecord record{entry.slot, entry.title, {}, {}, {}, count};
    TakeLine(line, at - lineStart, term.size(), &record);
    found->push_back(std::move(record));
}

// What both halves of a search share. Each half writes the index entries of its own slots only.
struct Search {
    const std::vector<SelectorEntry>& entries;
    const SearchTerm& term;
    const TextRules& rules;
    const std::atomic<bool>& stop;
    std::u16string wanted;
    std::string asciiTerm;            // the term as stored bytes, when it is ASCII on one line
    std::vector<std::uint32_t> runs;  // the bits of its lowered runs of three bytes
    SearchIndex* index;               // or none
};

struct Batch {
    std::vector<FoundRecord> found;
    std::size_t searched;
};

void HoldBatch(std::vector<FoundRecord>&& found, std::size_t searched, void* context) {
    static_cast<std::vector<Batch>*>(context)->push_back(Batch{std::move(found), searched});
}

void PrepareIndex(SearchIndex* index, const std::vector<SelectorEntry>& entries, const std::string& asciiTerm,
                  std::vector<std::uint32_t>* runs) {
    std::int64_t last = -1;
    for (const SelectorEntry& entry : entries) last = std::max(last, entry.slot);
    SizeSearchIndex(index, static_cast<std::size_t>(last + 1));
    std::string lowered = asciiTerm;
    LowerAscii(&lowered);
    *runs = TermRuns(lowered);
}

// One record's text as read: learnt into the index when asked, and matched.
void SearchText(const Search& search, std::size_t i, bool learn, std::uint32_t writes, const std::string& bytes,
                std::string* lowered, std::vector<FoundRecord>* found) {
    bool ascii = IsAscii(bytes);
    if (ascii && (learn || !search.term.matchCase)) {
        lowered->assign(bytes);
        LowerAscii(lowered);
    }
    if (learn) LearnSlot(search.index, search.entries[i].slot, ascii ? lowered : nullptr, writes);
    if (ascii && !search.asciiTerm.empty())
        MatchAsciiRecord(search.entries[i], bytes, search.term.matchCase ? bytes : *lowered, search.asciiTerm,
                         search.term.wholeWord, search.rules.isWordCharacter, found);
    else
        MatchRecord(search.entries[i], bytes, ascii && !search.term.matchCase ? lowered : nullptr, search.wanted,
                    search.term, search.rules, found);
}

// Searches entries [from, to), handing on what was found every kBatchRecords entries of the
// whole list; the rest is left in *found. The records to read are read kReadGroup at a time.
// False when a read failed.
bool SearchRange(const Search& search, const FileHandle& data, std::size_t from, std::size_t to, DeliverFound deliver,
                 void* context, std::vector<FoundRecord>* found) {
    static_assert(kBatchRecords % kReadGroup == 0);
    SlotReads reads{BeginPieceReads(data), {}, {}, {}, {}, {}};
    std::vector<std::size_t> positions;
    std::vector<std::int64_t> slots;
    std::vector<std::uint32_t> writes;
    std::vector<bool> learn;
    std::vector<std::string> texts;
    std::string lowered;
    SearchIndex* index = search.index;
    bool read = true;
    for (std::size_t group = from; read && group < to && !search.stop.load(std::memory_order_relaxed);) {
        std::size_t end = std::min(to, (group / kReadGroup + 1) * kReadGroup);
        positions.clear();
        slots.clear();
        writes.clear();
        learn.clear();
        for (std::size_t i = group; i < end; ++i) {
            std::int64_t slot = search.entries[i].slot;
            bool indexed = index && IsIndexed(*index, slot);
            bool known = indexed && IsLearnt(*index, slot);
            if (known && !search.runs.empty() && !MayHoldRuns(*index, slot, search.runs)) continue;
            positions.push_back(i);
            slots.push_back(slot);
            // Counted before the read: a write meanwhile leaves the bits unlearnt.
            writes.push_back(indexed ? index->writes[static_cast<std::size_t>(slot)].load() : 0);
            learn.push_back(indexed && !known);
        }
        read = ReadSlotTexts(&reads, data, slots.data(), slots.size(), &texts);
        for (std::size_t k = 0; read && k < positions.size(); ++k)
            SearchText(search, positions[k], learn[k], writes[k], texts[k], &lowered, found);
        if (read && end % kBatchRecords == 0) {
            deliver(std::move(*found), end, context);
            found->clear();
        }
        group = end;
    }
    EndPieceReads(reads.reader);
    return read;
}

}  // namespace

std::ptrdiff_t FindInText(std::u16string_view text, std::u16string_view term, bool wholeWord,
                          bool (*isWordCharacter)(char16_t), int* count) {
    return FindMatches(text, term, wholeWord, isWordCharacter, count);
}

bool SearchRecords(const SearchedFile& file, const std::vector<SelectorEntry>& entries, const SearchTerm& term,
                   const TextRules& rules, const std::atomic<bool>& stop, DeliverFound deliver, void* context) {
    FileHandle data;
    // A search runs beside the saves: a shared lock would refuse every one of them meanwhile.
    if (!OpenFile(file.path, kOpenReadBeside, &data)) return false;
    Search search{entries, term, rules, stop, term.matchCase ? term.text : rules.fold(term.text), {}, {}, nullptr};
    if (std::all_of(search.wanted.begin(), search.wanted.end(),
                    [](char16_t c) { return c < 0x80 && c != u'\n' && c != u'\r'; }))
        for (char16_t c : search.wanted) search.asciiTerm += static_cast<char>(c);
    FileVersion now;
    if (file.index && file.versionKnown && VersionOfOpenFile(data, &now) && SameVersion(now, file.version)) {
        search.index = file.index;
        PrepareIndex(file.index, entries, search.asciiTerm, &search.runs);
    }
    // A full file is searched in two halves at once, the second's rows held back until the
    // first is delivered, so that they still arrive in list order.
    std::size_t half = entries.size() >= 4096 && std::thread::hardware_concurrency() > 1
                           ? entries.size() / 2 / kBatchRecords * kBatchRecords
                           : entries.size();
    std::vector<FoundRecord> found, secondFound;
    std::vector<Batch> secondBatches;
    bool secondRead = true;
    std::string secondFailure;  // the reason is the helper thread's own
    std::thread helper;
    if (half < entries.size())
        helper = std::thread([&] {
            secondRead = SearchRange(search, data, half, entries.size(), HoldBatch, &secondBatches, &secondFound);
            if (!secondRead) secondFailure = LastFileError();
        });
    bool read = SearchRange(search, data, 0, half, deliver, context, &found);
    if (helper.joinable()) helper.join();
    CloseFile(&data);
    if (read && !secondRead) SetFileError(secondFailure);
    read = read && secondRead;
    if (!read || stop.load()) return read;
    for (Batch& batch : secondBatches) deliver(std::move(batch.found), batch.searched, context);
    if (half < entries.size()) found = std::move(secondFound);
    deliver(std::move(found), entries.size(), context);
    return true;
}

std::vector<std::size_t> FoldedSources(std::u16string_view text, std::u16string_view folded,
                                       std::u16string (*fold)(std::u16string_view text)) {
    std::vector<std::size_t> sources;
    sources.reserve(folded.size());
    for (std::size_t k = 0; k < text.size(); ++k)
        sources.insert(sources.end(), text[k] == u'\u00DF' || text[k] == u'\u1E9E' ? 2 : 1, k);
    if (sources.size() == folded.size()) return sources;
    // A folding beyond that rule: each character folded alone says how many units it became.
    sources.clear();
    for (std::size_t k = 0; k < text.size(); ++k) {
        std::size_t units = k + 1 < text.size() && text[k] >= 0xD800 && text[k] <= 0xDBFF ? 2 : 1;
        sources.insert(sources.end(), fold(text.substr(k, units)).size(), k);
        k += units - 1;
    }
    return sources;
}
