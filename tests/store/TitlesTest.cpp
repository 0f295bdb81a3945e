// Titles by both derivations, including the texts where they differ, and cuts that would
// split a character, in either encoding, from the text and from the listing of a data file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/AppState.h"
#include "base/RecordText.h"
#include "base/StringTable.h"
#include "core/store/Titles.h"

namespace {

class TitlesOnDisk : public FolderTest {
protected:
    static void Collect(std::vector<SelectorEntry>&& batch, void* context) {
        auto* entries = static_cast<std::vector<SelectorEntry>*>(context);
        for (SelectorEntry& entry : batch) entries->push_back(std::move(entry));
    }
};

const std::string kDefault = "(untitled)";
const std::string kBlanks50(50, ' ');

TEST(Titles, LinesAreFieldsBetweenLineBreaks) {
    struct Case {
        std::string text;
        int j;
        std::string line;
    } cases[] = {
        {"", 1, ""},           {"one", 1, "one"},         {"one", 2, ""}, {"a\r\nb\r\nc", 3, "c"}, {"a\r\n", 2, ""},
        {"a\r\n\r\nc", 2, ""}, {"a\nb\rc", 1, "a\nb\rc"},  // only CR LF separates lines
    };
    for (const Case& c : cases) EXPECT_EQ(c.line, LineOf(c.text, c.j)) << c.text << " line " << c.j;
}

TEST(Titles, BothDerivations) {
    struct Case {
        std::string text;
        std::string loadTitle;
        std::string saveTitle;
    } cases[] = {
        {std::string(60, 'a'), std::string(48, 'a'), std::string(48, 'a')},
        {"\r\n \t \r\nShopping\r\nmilk", "Shopping", "Shopping"},
        {"  Hello  \r\nworld", "Hello", "Hello"},
        {"\r\n\r\n\r\nline four", kDefault, kDefault},
        {"", kDefault, kDefault},
        {" \t\r\n", kDefault, kDefault},
        // The load derivation sees only the first 48 bytes; the save derivation cuts after trimming.
        {kBlanks50 + "X", kDefault, "X"},
        {kBlanks50 + "\r\nShopping", kDefault, "Shopping"},
        {"short\r\n" + std::string(60, 'b'), "short", "short"},
        // The cut falls inside CR LF: the CR stays in line 1 and is trimmed away.
        {std::string(47, 'a') + "\r\nsecond", std::string(47, 'a'), std::string(47, 'a')},
        {"\r\n" + std::string(45, ' ') + "\r\nthird", kDefault, "third"},
        // A title is one line: a CR or LF that ends no line shows as a blank.
        {"a\rb\nc\r\nd", "a b c", "a b c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.loadTitle, LoadTitle(c.text, kEncodingUtf8)) << '"' << c.text << '"';
        EXPECT_EQ(c.saveTitle, SaveTitle(c.text, kEncodingUtf8)) << '"' << c.text << '"';
    }
}

// The body begins after the title as shown, one line; a title the text no longer gives, or the
// default one, has no end in it.
TEST(Titles, TheBodyBeginsAfterATitleShownOnOneLine) {
    EXPECT_EQ(5u, TitleEnd("a\rb\nc\r\nd", kEncodingUtf8, "a b c"));
    EXPECT_EQ(0u, TitleEnd("a\r\nd", kEncodingUtf8, "typed since"));
    EXPECT_EQ(0u, TitleEnd("\r\n\r\n\r\nd", kEncodingUtf8, kDefault));
    // Text that is not UTF-8 is cut by bytes.
    EXPECT_EQ("\xFF\xFE", CutToCharacters("\xFF\xFE\xFD", 2));
}

TEST(Titles, CutNeverSplitsACharacterOfTheRecordsEncoding) {
    const std::string e = "\xC3\xA9";  // é
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(std::string(47, 'a'), LoadTitle(std::string(47, 'a') + e + "tail", kEncodingUtf8));
    EXPECT_EQ(std::string(47, 'a'), SaveTitle(std::string(47, 'a') + e + "tail", kEncodingUtf8));
    EXPECT_EQ(std::string(46, 'a') + e, LoadTitle(std::string(46, 'a') + e + "tail", kEncodingUtf8));
    EXPECT_EQ(std::string(46, 'a'), SaveTitle(std::string(46, 'a') + euro + "tail", kEncodingUtf8));
    EXPECT_EQ(std::string(45, 'a') + euro, SaveTitle(std::string(45, 'a') + euro + "tail", kEncodingUtf8));
    // In Windows-1252 every byte is a character: the 48th is kept, and the title is UTF-8.
    const std::string latin = "\xE9" + std::string(46, 'x') + "\xC9" + "more";
    const std::string shown = e + std::string(46, 'x') + "\xC3\x89";
    EXPECT_EQ(shown, LoadTitle(latin, kEncodingWindows1252));
    EXPECT_EQ(shown, SaveTitle(latin, kEncodingWindows1252));
}

// The start-up listing reads only a record's first bytes, and still tells its encoding where
// the cut falls.
TEST_F(TitlesOnDisk, ListingCutsInTheRecordsOwnEncoding) {
    const std::string ascii47(47, 'a');
    WriteDataFile(g_app.dataPath, {
                                      ascii47 + "\xC9tude",            // Windows-1252 É as the 48th byte
                                      ascii47 + "\xC3\xA9tude",        // UTF-8 é split by the cut
                                      ascii47 + "\xC9\x92" + "a\xE9",  // looks like UTF-8 at the cut, but is not
                                      "caf\xE9\r\nsecond",             // Windows-1252 title
                                      "caf\xC3\xA9\r\nsecond",
                                  });
    std::vector<SelectorEntry> entries;
    std::int64_t selected = -1;
    ASSERT_TRUE(ListTitles(g_app.dataPath, 5, 2, Collect, &entries, &selected));
    ASSERT_EQ(5u, entries.size());
    EXPECT_EQ(ascii47 + "\xC3\x89", entries[0].title);
    EXPECT_EQ(ascii47, entries[1].title);
    EXPECT_EQ(ascii47 + "\xC3\x89", entries[2].title);
    EXPECT_EQ("caf\xC3\xA9", entries[3].title);
    EXPECT_EQ("caf\xC3\xA9", entries[4].title);
}

// A slot whose first bytes cannot be read is listed, under the default title.
TEST_F(TitlesOnDisk, AnUnreadableSlotIsListedUnderTheDefaultTitle) {
    WriteDataFile(g_app.dataPath, {"One", "Two", "Three"});
    std::vector<SelectorEntry> entries;
    std::int64_t selected = -1;
    ArmFileFault(kStepRead, 2, EIO, g_app.dataPath);
    ASSERT_TRUE(ListTitles(g_app.dataPath, 3, 8, Collect, &entries, &selected));
    DisarmFileFaults();
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ("One", entries[0].title);
    EXPECT_EQ(Str(kStrDefaultTitle), entries[1].title);
    EXPECT_EQ("Three", entries[2].title);
}

TEST(RecordText, TrimDropsTrimSetBytesAtBothEnds) {
    EXPECT_EQ("a b", Trim(" \t\r\na b\r\n "));
    EXPECT_EQ("", Trim(" \r\n\t"));
    EXPECT_EQ("a b \r\n", TrimLeft("\r\n a b \r\n"));
}

TEST(RecordText, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));
}

}  // namespace
