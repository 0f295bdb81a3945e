// The search under the window: matches counted as the editor would find them, the line shown
// around the first one, batches in list order, and a stop that ends the search early.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AppState.h"
#include "store/SearchRecords.h"

namespace {

std::u16string AsciiFold(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return folded;
}

bool AsciiWord(char16_t c) { return (c >= u'0' && c <= u'9') || ((c | 32) >= u'a' && (c | 32) <= u'z') || c == u'_'; }

const TextRules kAscii{AsciiFold, AsciiWord};

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
    ASSERT_TRUE(SearchRecords(g_app.dataPath, entries, SearchTerm{u"needle", false, false}, kAscii, stop, Collect,
                              &collected));
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
    ASSERT_TRUE(SearchRecords(g_app.dataPath, entries, SearchTerm{u"needle", true, false}, kAscii, stop, Collect,
                              &collected));
    EXPECT_EQ(2u, collected.found.size());
}

// A cut of the line around the match never splits a character of two UTF-16 units.
TEST_F(SearchRecordsFile, TheLineIsCutBetweenCharacters) {
    std::string smiles;
    for (int i = 0; i < 100; ++i) smiles += "\xF0\x9F\x98\x80";
    WriteDataFile(g_app.dataPath, {smiles.substr(0, 120) + " needle " + smiles});
    std::atomic<bool> stop{false};
    Collected collected;
    ASSERT_TRUE(SearchRecords(g_app.dataPath, {{"t", 0}}, SearchTerm{u"needle", false, false}, kAscii, stop, Collect,
                              &collected));
    ASSERT_EQ(1u, collected.found.size());
    EXPECT_EQ("\xE2\x80\xA6" + smiles.substr(0, 80) + " ", collected.found[0].before);
    EXPECT_EQ(" " + smiles.substr(0, 316) + "\xE2\x80\xA6", collected.found[0].after);
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
    ASSERT_TRUE(SearchRecords(g_app.dataPath, entries, SearchTerm{u"record", false, false}, kAscii, stop, Collect,
                              &collected));
    EXPECT_EQ((std::vector<std::size_t>{256, 512, 600}), collected.searched);
    EXPECT_EQ(600u, collected.found.size());
    stop = true;
    collected = Collected();
    ASSERT_TRUE(SearchRecords(g_app.dataPath, entries, SearchTerm{u"record", false, false}, kAscii, stop, Collect,
                              &collected));
    EXPECT_TRUE(collected.searched.empty());
    stop = false;
    entries.push_back({"beyond the end", 700});
    EXPECT_FALSE(SearchRecords(g_app.dataPath, entries, SearchTerm{u"record", false, false}, kAscii, stop, Collect,
                               &collected));
    EXPECT_FALSE(SearchRecords(folder.path + "missing", entries, SearchTerm{u"record", false, false}, kAscii, stop,
                               Collect, &collected));
}

}  // namespace
