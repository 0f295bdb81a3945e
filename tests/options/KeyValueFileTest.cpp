// Key/value files: what a rewrite makes of hand-written text, how names are found, and the
// UTF-8 mode's conversions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "core/settings/KeyValueFile.h"

namespace {

std::string Rewrite(const std::string& bytes) {
    KeyFile file;
    ParseKeyLines(bytes, &file);
    return FormatKeyLines(file);
}

KeyFile Parsed(const std::string& bytes) {
    KeyFile file;
    ParseKeyLines(bytes, &file);
    return file;
}

TEST(KeyValueFile, RewriteForm) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"[Options]\r\nWordwrap=1\r\n\r\n[Window]\r\nX=0\r\n", "[Options]\r\nWordwrap=1\r\n\r\n[Window]\r\nX=0\r\n"},
        {"\n\n[A]\n\n\nk=v\n[B]\nj=w", "[A]\r\nk=v\r\n\r\n[B]\r\nj=w\r\n"},
        {"[A]\r\n  \tWordWRAP \t= \t 0\r\n", "[A]\r\nWordWRAP=0\r\n"},
        {";no space\r\n; one\r\n;  two\r\n  ;indented", "; no space\r\n; one\r\n;  two\r\n; indented\r\n"},
        {"[Open\r\n[G] trailing ] text\r\n", "[Open]\r\n\r\n[G]\r\n"},
        {"[ spaced ]", "[ spaced ]\r\n"},
        {"k=v  \r\nk2=a=b\r\n", "k=v  \r\nk2=a=b\r\n"},
        {"top=1\r\n[G]\r\n", "top=1\r\n[G]\r\n"},
        {"=\r\n=value", "=\r\n=value\r\n"},
        {"[A]\r\nalone \t\r\n", "[A]\r\nalone=\r\n"},  // reads back as the same key
        {bom + "[G]\r\nk=v", bom + "\r\n[G]\r\nk=v\r\n"},
        {bom, bom + "\r\n"},
        {"\xEF\xBB", "\xEF\xBB=\r\n"},      // too short to be a byte-order mark
        {";\r\n   \r\n[", "; \r\n[]\r\n"},  // an empty comment, a blank line, a bare bracket
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, Rewrite(c.in)) << c.in;
}

TEST(KeyValueFile, KeyWithoutEqualsDoesNotTakeTheNextLine) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text = std::string("[G]") + end + "alone" + end + "next=1" + end;
        KeyFile file = Parsed(text);
        SelectGroup(&file, "G");
        EXPECT_EQ("", ReadText(file, "alone", "default"));
        EXPECT_EQ(1, ReadInteger(file, "next", 5));
    }
}

TEST(KeyValueFile, NamesIgnoreCaseAndTheFirstOccurrenceWins) {
    KeyFile file = Parsed("[opts]\r\nKey=first\r\nKEY=second\r\n[OPTS]\r\nother=1\r\n");
    SelectGroup(&file, "Opts");
    EXPECT_EQ("first", ReadText(file, "key", ""));
    EXPECT_EQ(7, ReadInteger(file, "other", 7));  // only the first group is read
    WriteText(&file, "key", "new");
    EXPECT_EQ("[opts]\r\nkey=new\r\nKEY=second\r\n\r\n[OPTS]\r\nother=1\r\n", FormatKeyLines(file));
}

TEST(KeyValueFile, NewKeysGoToTheEndOfTheirGroupAndNewGroupsToTheEnd) {
    KeyFile file = Parsed("[A]\r\na=1\r\n; note\r\n[B]\r\nb=2\r\n");
    SelectGroup(&file, "A");
    WriteInteger(&file, "added", -3);
    SelectGroup(&file, "C");
    EXPECT_EQ(9, ReadInteger(file, "a", 9));  // a pending group reads defaults
    WriteText(&file, "c", "x");
    WriteText(&file, "d", "y");
    EXPECT_EQ("[A]\r\na=1\r\n; note\r\nadded=-3\r\n\r\n[B]\r\nb=2\r\n\r\n[C]\r\nc=x\r\nd=y\r\n", FormatKeyLines(file));
}

TEST(KeyValueFile, Integers) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"12", 12},
        {" \t12abc", 12},
        {"-5", -5},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"4294967297", 1},  // wraps instead of overflowing
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, ParseInteger(c.text)) << c.text;
    ParseInteger(std::string(1000, '9'));  // the sanitizer build catches an overflow here
}

TEST(KeyValueFile, TextValuesLoseOuterBlanks) {
    KeyFile file = Parsed("[G]\r\nname=  Deja Vu \t \r\n");
    SelectGroup(&file, "G");
    EXPECT_EQ("Deja Vu", ReadText(file, "name", ""));
    EXPECT_EQ("fallback", ReadText(file, "missing", "fallback"));
}

TEST(KeyValueFile, Utf8ModeKeepsTextAsItIs) {
    KeyFile file = Parsed("\xEF\xBB\xBF[G\xC3\xA9]\r\nname=caf\xC3\xA9\r\nbad=\xC3(\r\n");
    SelectGroup(&file, "G\xC3\xA9");
    EXPECT_EQ("caf\xC3\xA9", ReadText(file, "name", ""));
    EXPECT_EQ("\xC3(", ReadText(file, "bad", ""));
    WriteText(&file, "name", "na\xC3\xAFve");
    EXPECT_EQ("\xEF\xBB\xBF\r\n[G\xC3\xA9]\r\nname=na\xC3\xAFve\r\nbad=\xC3(\r\n", FormatKeyLines(file));
}

class KeyFileOnDisk : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        path = folder.path + "test.ini";
    }
    std::string path;
};

TEST_F(KeyFileOnDisk, ModifiedFileIsRewrittenAndUnmodifiedOneIsNot) {
    WriteFileBytes(path, "[G]\n  k = 1\n");
    KeyFile file;
    ASSERT_TRUE(OpenKeyFile(&file, path));
    SelectGroup(&file, "G");
    EXPECT_EQ(1, ReadInteger(file, "K", 0));
    ASSERT_TRUE(CloseKeyFile(&file));
    EXPECT_EQ("[G]\n  k = 1\n", ReadFileBytes(path));
    ASSERT_TRUE(OpenKeyFile(&file, path));
    SelectGroup(&file, "G");
    WriteInteger(&file, "K", 2);
    ASSERT_TRUE(CloseKeyFile(&file));
    EXPECT_EQ("[G]\r\nK=2\r\n", ReadFileBytes(path));
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

TEST_F(KeyFileOnDisk, ReadOnlyFileIsNeverWritten) {
    WriteFileBytes(path, "[G]\nk=1\n");
    ASSERT_EQ(0, chmod(path.c_str(), 0444));
    KeyFile file;
    ASSERT_TRUE(OpenKeyFile(&file, path));
    SelectGroup(&file, "G");
    WriteInteger(&file, "k", 2);
    EXPECT_TRUE(CloseKeyFile(&file));
    EXPECT_EQ("[G]\nk=1\n", ReadFileBytes(path));
}

TEST_F(KeyFileOnDisk, MissingFilesAndFoldersDoNotOpen) {
    KeyFile file;
    EXPECT_FALSE(OpenKeyFile(&file, path));
    ASSERT_TRUE(MakeFolder(path));
    EXPECT_FALSE(OpenKeyFile(&file, path));
    EXPECT_FALSE(CreateKeyFile(&file, path));
}

}  // namespace
