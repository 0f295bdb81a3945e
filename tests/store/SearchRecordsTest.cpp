// The search under the window: matches counted as the editor would find them, the line shown
// around the first one, batches in list order, a stop that ends the search early, and the
// index that lets a search skip records: it must never make one miss a record.
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include "TestSupport.h"
#include "base/AppState.h"
#include "base/TextCoding.h"
#include "core/search/SearchRecords.h"

namespace {

std::u16string AsciiFold(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return folded;
}

bool AsciiWord(char16_t c) { return (c >= u'0' && c <= u'9') || ((c | 32) >= u'a' && (c | 32) <= u'z') || c == u'_'; }

const TextRules kAscii{AsciiFold, AsciiWord};

SearchedFile Unindexed(const std::string& path) { return SearchedFile{path, FileVersion(), false, nullptr}; }

struct Collected {
    std::vector<FoundRecord> found;
    std::vector<std::size_t> searched;
};

void Collect(std::vector<FoundRecord>&& found, std::size_t searched, void* context) {
    Collected* collected = static_cast<Collected*>(context);
    for (FoundRecord& record : found) collected->found.push_back(std::move(record));
    collected->searched.push_back(searched);
}

TEST(SearchRecords, MatchesAreCountedWithoutOverlapAndByWholeWords) {
    struct Case {
        std::u16string text, term;
        bool wholeWord;
        std::ptrdiff_t first;
        int count;
    } cases[] = {
        {u"aaaa", u"aa", false, 0, 2},
        {u"pineapple apple", u"apple", true, 10, 1},
        {u"apple_pie apple.", u"apple", true, 10, 1},
        {u"x\u00A0apple\u2014", u"apple", true, 2, 1},
        {u"\u00ABWort\u00BB \u00A1Hola!", u"Wort", true, 1, 1},
        {u"nothing", u"apple", false, -1, 0},
        {u"", u"apple", false, -1, 0},
        {u"apple", u"", false, -1, 0},
    };
    for (const Case& c : cases) {
        int count = 0;
        EXPECT_EQ(c.first, FindInText(c.text, c.term, c.wholeWord, AsciiWord, &count));
        EXPECT_EQ(c.count, count);
    }
}

class SearchRecordsFile : public FolderTest {};

TEST_F(SearchRecordsFile, FindsInListOrderAndShowsTheLineAroundTheFirstMatch) {
    std::string longLine(300, 'x');
    WriteDataFile(g_app.dataPath, {"One\r\nno match", "Two\r\n" + longLine + " Needle " + longLine + "\r\nneedle",
                                   "Three\r\nlast NEEDLE", "caf\xE9 needle"});
    std::vector<SelectorEntry> entries = {{"Three", 2}, {"Two", 1}, {"One", 0}, {"caf\xC3\xA9", 3}};
    std::atomic<bool> stop{false};
    Collected collected;
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"needle", false, false}, kAscii, stop,
                              Collect, &collected));
    ASSERT_EQ(3u, collected.found.size());
    EXPECT_EQ(2, collected.found[0].slot);
    EXPECT_EQ("last ", collected.found[0].before);
    EXPECT_EQ("NEEDLE", collected.found[0].match);
    EXPECT_EQ("", collected.found[0].after);
    EXPECT_EQ(2, collected.found[1].matches);
    EXPECT_EQ("\xE2\x80\xA6" + std::string(39, 'x') + " ", collected.found[1].before);
    EXPECT_EQ("Needle", collected.found[1].match);
    EXPECT_EQ(" " + std::string(159, 'x') + "\xE2\x80\xA6", collected.found[1].after);
    EXPECT_EQ("caf\xC3\xA9 ", collected.found[2].before);  // Windows-1252, shown as UTF-8
    EXPECT_EQ(std::vector<std::size_t>{4}, collected.searched);
    collected = Collected();
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"needle", true, false}, kAscii, stop,
                              Collect, &collected));
    EXPECT_EQ(2u, collected.found.size());
    collected = Collected();
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"one\nno", false, false}, kAscii, stop,
                              Collect, &collected));
    ASSERT_EQ(1u, collected.found.size());
    EXPECT_EQ("One\r\nno", collected.found[0].match);
}

// A cut of the line around the match never splits a character of two UTF-16 units.
TEST_F(SearchRecordsFile, TheLineIsCutBetweenCharacters) {
    std::string smiles;
    for (int i = 0; i < 100; ++i) smiles += "\xF0\x9F\x98\x80";
    WriteDataFile(g_app.dataPath, {smiles.substr(0, 120) + " needle " + smiles});
    std::atomic<bool> stop{false};
    Collected collected;
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), {{"t", 0}}, SearchTerm{u"needle", false, false}, kAscii, stop,
                              Collect, &collected));
    ASSERT_EQ(1u, collected.found.size());
    EXPECT_EQ("\xE2\x80\xA6" + smiles.substr(0, 80) + " ", collected.found[0].before);
    EXPECT_EQ(" " + smiles.substr(0, 316) + "\xE2\x80\xA6", collected.found[0].after);
}

// A folding that makes one character two ("ß" as "ss") moves every later position: the row
// still shows the record's own text, the match as it stands in it.
std::u16string SharpSFold(std::u16string_view text) {
    std::u16string folded;
    for (char16_t c : AsciiFold(text)) folded += c == u'\u00DF' ? std::u16string(u"ss") : std::u16string(1, c);
    return folded;
}

// A folding that lengthens another character than ß, beside a pair: each folded unit still
// leads back to the character it came from.
std::u16string ApostropheNFold(std::u16string_view text) {
    std::u16string folded;
    for (char16_t c : SharpSFold(text)) folded += c == u'\u0149' ? std::u16string(u"\u02BCn") : std::u16string(1, c);
    return folded;
}

TEST(FoldedSources, EachFoldedUnitLeadsBackToItsCharacter) {
    const std::u16string sharp = u"Stra\u00DFe", other = u"a\u0149\U0001F600b";
    EXPECT_EQ((std::vector<std::size_t>{0, 1, 2, 3, 4, 4, 5}), FoldedSources(sharp, SharpSFold(sharp), SharpSFold));
    EXPECT_EQ((std::vector<std::size_t>{0, 1, 1, 2, 2, 4}),
              FoldedSources(other, ApostropheNFold(other), ApostropheNFold));
    // A lone first half of a pair at the end is a character of its own.
    const std::u16string cut = u"\u0149" + std::u16string(1, char16_t(0xD83D));
    EXPECT_EQ((std::vector<std::size_t>{0, 0, 1}), FoldedSources(cut, ApostropheNFold(cut), ApostropheNFold));
}

TEST_F(SearchRecordsFile, AMatchFoundInTextThatFoldingLengthenedIsShownAsItStands) {
    const std::string smile = "\xF0\x9F\x98\x80";
    WriteDataFile(g_app.dataPath, {smile +
                                   "Gro\xC3\x9F"
                                   "e Stra\xC3\x9F"
                                   "e, " +
                                   smile + " STRASSE"});
    std::atomic<bool> stop{false};
    for (const char16_t* term : {u"strasse", u"e, \U0001F600 str"}) {
        Collected collected;
        ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), {{"t", 0}}, SearchTerm{term, false, false},
                                  TextRules{SharpSFold, AsciiWord}, stop, Collect, &collected));
        ASSERT_EQ(1u, collected.found.size());
        const FoundRecord& found = collected.found[0];
        EXPECT_EQ(smile +
                      "Gro\xC3\x9F"
                      "e Stra\xC3\x9F"
                      "e, " +
                      smile + " STRASSE",
                  found.before + found.match + found.after);
        EXPECT_EQ(term[0] == u's' ? "Stra\xC3\x9F"
                                    "e"
                                  : "e, " + smile + " STR",
                  found.match);
    }
}

TEST_F(SearchRecordsFile, StreamsInBatchesStopsWhenToldAndReportsAnUnreadableFile) {
    std::vector<std::string> texts;
    std::vector<SelectorEntry> entries;
    for (int i = 0; i < 600; ++i) {
        texts.push_back("Record " + std::to_string(i));
        entries.push_back({texts.back(), i});
    }
    WriteDataFile(g_app.dataPath, texts);
    std::atomic<bool> stop{false};
    Collected collected;
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"record", false, false}, kAscii, stop,
                              Collect, &collected));
    EXPECT_EQ((std::vector<std::size_t>{256, 512, 600}), collected.searched);
    EXPECT_EQ(600u, collected.found.size());
    stop = true;
    collected = Collected();
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"record", false, false}, kAscii, stop,
                              Collect, &collected));
    EXPECT_TRUE(collected.searched.empty());
    stop = false;
    entries.push_back({"beyond the end", 700});
    EXPECT_FALSE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"record", false, false}, kAscii, stop,
                               Collect, &collected));
    EXPECT_FALSE(SearchRecords(Unindexed(folder.path + "missing"), entries, SearchTerm{u"record", false, false}, kAscii,
                               stop, Collect, &collected));
}

std::vector<FoundRecord> Search(const SearchedFile& file, const std::vector<SelectorEntry>& entries,
                                const SearchTerm& term) {
    std::atomic<bool> stop{false};
    Collected collected;
    EXPECT_TRUE(SearchRecords(file, entries, term, kAscii, stop, Collect, &collected));
    return collected.found;
}

std::vector<std::int64_t> SlotsOf(const std::vector<FoundRecord>& found) {
    std::vector<std::int64_t> slots;
    for (const FoundRecord& record : found) slots.push_back(record.slot);
    return slots;
}

SearchedFile Indexed(SearchIndex* index) {
    return SearchedFile{g_app.dataPath, g_app.dataVersion, g_app.dataVersionKnown, index};
}

// From one to most pieces.
std::string PickPieces(const std::vector<std::string>& pieces, int most) {
    // Sized to the whole range: inRange alone narrows with the size of the case.
    auto pick = rc::gen::resize(100, rc::gen::inRange<std::size_t>(0, pieces.size()));
    std::string text;
    for (std::size_t p : *rc::gen::container<std::vector<std::size_t>>(*rc::gen::inRange(1, most + 1), pick))
        text += pieces[p];
    return text;
}

// Records of ASCII, Windows-1252 and UTF-8 text with every kind of line break; terms of ASCII
// (also across a line break, and shorter than the index's runs) and not.
TEST_F(SearchRecordsFile, WhatASearchSkipsByTheIndexHoldsNoMatchAndTheRestIsFoundAsTheTextHoldsIt) {
    std::string path = g_app.dataPath;
    EXPECT_TRUE(rc::check([path] {
        std::vector<std::string> texts(*rc::gen::inRange(1, 12));
        for (std::string& text : texts)
            text = PickPieces({"needle", "NEEDLE", "Nee", "dle", " ", "_", "9", "\r\n", "\r", "\n", "\xE9", "\xC3\xA9"},
                              40);
        std::u16string term =
            DecodeRecordText(PickPieces({"needle", "nee", "EDL", "e n", "9", "le\r\nne", "_n", "\xC3\xA9", "x"}, 3));
        bool matchCase = *rc::gen::arbitrary<bool>();
        bool wholeWord = *rc::gen::arbitrary<bool>();
        std::u16string before = DecodeRecordText(PickPieces({"needle", "dle", "zz"}, 2));
        WriteDataFile(path, texts);
        NoteDataFileVersion();
        std::vector<SelectorEntry> entries;
        for (std::size_t slot = 0; slot < texts.size(); ++slot)
            entries.push_back({"t", static_cast<std::int64_t>(slot)});
        SearchTerm search{term, matchCase, wholeWord};
        std::vector<FoundRecord> read = Search(Unindexed(path), entries, search);
        auto index = std::make_unique<SearchIndex>();
        Search(Indexed(index.get()), entries, SearchTerm{before, false, false});
        std::vector<FoundRecord> skipped = Search(Indexed(index.get()), entries, search);
        RC_ASSERT(SlotsOf(skipped) == SlotsOf(read));
        std::u16string wanted = matchCase ? term : AsciiFold(term);
        for (std::size_t i = 0, f = 0; i < texts.size(); ++i) {
            std::u16string text = DecodeRecordText(texts[i]);
            int count = 0;
            std::ptrdiff_t at = FindInText(matchCase ? text : AsciiFold(text), wanted, wholeWord, AsciiWord, &count);
            if (at < 0) continue;
            RC_ASSERT(f < read.size());
            RC_ASSERT(read[f].slot == static_cast<std::int64_t>(i));
            RC_ASSERT(read[f].matches == count);
            RC_ASSERT(skipped[f].matches == count);
            std::string shown;
            EncodeRecordText(text.substr(static_cast<std::size_t>(at), wanted.size()), kEncodingUtf8, &shown);
            RC_ASSERT(read[f].match == shown);
            // The line around the match: of the text, and no further than its line breaks.
            std::string line = read[f].before + read[f].match + read[f].after, ellipsis = "\xE2\x80\xA6";
            if (line.rfind(ellipsis, 0) == 0) line.erase(0, ellipsis.size());
            if (line.size() >= ellipsis.size() &&
                line.compare(line.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0)
                line.erase(line.size() - ellipsis.size());
            std::string utf8;
            EncodeRecordText(text, kEncodingUtf8, &utf8);
            RC_ASSERT((read[f].before + read[f].after).find_first_of("\r\n") == std::string::npos);
            RC_ASSERT(utf8.find(line) != std::string::npos);
            RC_ASSERT(read[f].before == skipped[f].before && read[f].after == skipped[f].after);
            ++f;
        }
    }));
}

// What the index learnt stops counting for a slot this program writes, for a file taken up
// anew, and for a file that another program changed before the search opened it.
TEST_F(SearchRecordsFile, TheIndexIsNotTrustedForAChangedSlotOrFile) {
    WriteDataFile(g_app.dataPath, {"alpha", "beta", "gamma"});
    NoteDataFileVersion();
    std::vector<SelectorEntry> entries = {{"alpha", 0}, {"beta", 1}, {"gamma", 2}};
    SearchIndex& index = g_searchIndex;
    EXPECT_TRUE(Search(Indexed(&index), entries, SearchTerm{u"delta", false, false}).empty());
    EncodeText("beta delta", g_app.slotImage);
    ASSERT_TRUE(WriteSlot(1));
    EXPECT_EQ(std::vector<std::int64_t>{1},
              SlotsOf(Search(Indexed(&index), entries, SearchTerm{u"delta", false, false})));
    SearchedFile unknown = Indexed(&index);
    unknown.versionKnown = false;
    EXPECT_EQ(std::vector<std::int64_t>{1}, SlotsOf(Search(unknown, entries, SearchTerm{u"delta", false, false})));
    WriteDataFile(g_app.dataPath, {"delta, by another program", "beta", "gamma"});
    EXPECT_EQ(std::vector<std::int64_t>{0},
              SlotsOf(Search(Indexed(&index), entries, SearchTerm{u"delta", false, false})));
    WriteDataFile(g_app.dataPath, {"alpha", "beta", "gamma and epsilon"});
    NoteDataFileVersion();
    EXPECT_EQ(std::vector<std::int64_t>{2},
              SlotsOf(Search(Indexed(&index), entries, SearchTerm{u"epsilon", false, false})));
}

// A list long enough to be searched in two halves at once still arrives in list order, and a
// stop during the first half ends the deliveries.
TEST_F(SearchRecordsFile, TwoHalvesDeliverInListOrderAndStopTogether) {
    constexpr std::int64_t kSlots = 4200;
    WriteDataFile(g_app.dataPath, {"needle first"});
    FileHandle file;
    ASSERT_TRUE(OpenFile(g_app.dataPath, kOpenReadWrite, &file));
    ASSERT_TRUE(TruncateFile(file, kSlots * kSlotSize));  // empty records, and no disk for them
    CloseFile(&file);
    for (std::int64_t slot : {std::int64_t(2100), kSlots - 1}) {
        EncodeText("needle " + std::to_string(slot), g_app.slotImage);
        ASSERT_TRUE(WriteSlot(slot));
    }
    std::vector<SelectorEntry> entries;
    for (std::int64_t slot = 0; slot < kSlots; ++slot) entries.push_back({"t", slot});
    std::atomic<bool> stop{false};
    Collected collected;
    ASSERT_TRUE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"needle", false, false}, kAscii, stop,
                              Collect, &collected));
    EXPECT_EQ((std::vector<std::int64_t>{0, 2100, kSlots - 1}), SlotsOf(collected.found));
    ASSERT_FALSE(collected.searched.empty());
    EXPECT_TRUE(std::is_sorted(collected.searched.begin(), collected.searched.end()));
    EXPECT_EQ(static_cast<std::size_t>(kSlots), collected.searched.back());
    struct Stopping {
        std::atomic<bool> stop{false};
        int deliveries = 0;
    } stopping;
    ASSERT_TRUE(SearchRecords(
        Unindexed(g_app.dataPath), entries, SearchTerm{u"needle", false, false}, kAscii, stopping.stop,
        [](std::vector<FoundRecord>&&, std::size_t, void* context) {
            Stopping* s = static_cast<Stopping*>(context);
            ++s->deliveries;
            s->stop = true;
        },
        &stopping));
    EXPECT_EQ(1, stopping.deliveries);
    // A failed read on either thread fails the search, with its reason.
    for (int failing : {1, 3000, 4200}) {
        SetFileError(std::string());
        ArmFileFault(kStepRead, failing, EIO, g_app.dataPath);
        EXPECT_FALSE(SearchRecords(Unindexed(g_app.dataPath), entries, SearchTerm{u"needle", false, false}, kAscii,
                                   stop, Collect, &collected));
        DisarmFileFaults();
        EXPECT_NE(std::string::npos, LastFileError().find("Input/output error")) << failing;
    }
}

}  // namespace
