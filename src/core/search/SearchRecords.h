// Finding a term in every listed record: the text of each, decoded as the editor shows it, in
// list order, on whichever thread calls; what is found is handed over in batches.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/RecordText.h"
#include "core/search/SearchIndex.h"
#include "platform/Files.h"

struct SearchTerm {
    std::u16string text;
    bool matchCase;
    bool wholeWord;
};

// A record with the term: its first matching line, cut around the first match, in three
// UTF-8 pieces, and how often the term occurs in the record.
struct FoundRecord {
    std::int64_t slot;
    std::string title;
    std::string before;
    std::string match;
    std::string after;
    int matches;
};

// The platform's rules for text: Unicode case folding (which may change the length, as ß
// becomes ss) and what makes a word.
struct TextRules {
    std::u16string (*fold)(std::u16string_view text);
    bool (*isWordCharacter)(char16_t c);
};
// The data file as the caller last read or wrote it. Nothing learnt is used or kept without
// a known version, or when the file opened is another by then.
struct SearchedFile {
    std::string path;
    FileVersion version;
    bool versionKnown;
    SearchIndex* index;
};

using DeliverFound = void (*)(std::vector<FoundRecord>&& found, std::size_t searched, void* context);

// Searches the records of the entries in order and hands on what it found every few records
// and at the end (searched: how many entries are done). Stops early, without a last
// delivery, once stop is set. False when the data file could not be read.
bool SearchRecords(const SearchedFile& file, const std::vector<SelectorEntry>& entries, const SearchTerm& term,
                   const TextRules& rules, const std::atomic<bool>& stop, DeliverFound deliver, void* context);

// For each unit of folded (the text folded whole), the position in text of the character it
// comes from: folding changes lengths (ß becomes ss), and a match is shown where it stands.
std::vector<std::size_t> FoldedSources(std::u16string_view text, std::u16string_view folded,
                                       std::u16string (*fold)(std::u16string_view text));

// The matches of the term in a text, as the search counts them: the first one's position, or
// -1, and their number.
std::ptrdiff_t FindInText(std::u16string_view text, std::u16string_view term, bool wholeWord,
                          bool (*isWordCharacter)(char16_t), int* count);
