// The journal file on its own: what is written reads back byte for byte, user-only, through
// the durable replacement; anything but a whole journal reads as damaged, and a file larger
// than any journal is never read past the bound.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/store/DataFile.h"
#include "core/store/JournalFile.h"
#include "platform/Files.h"

namespace {

class JournalFileTest : public FolderTest {};

std::string EveryByte(std::size_t n) {
    std::string text(n, '\0');
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>(i * 7 + i / 256);
    return text;
}

TEST_F(JournalFileTest, WhatIsWrittenReadsBackAndReplacesTheLastOne) {
    for (const std::string& text : {std::string(), std::string("caf\xe9\r\nline two"), EveryByte(32000)}) {
        Journal written{32766, 0xfedcba9876543210ull, text};
        ASSERT_TRUE(WriteJournal(g_app.journalPath, written)) << LastFileError();
        Journal read;
        ASSERT_EQ(kJournalRead, ReadJournal(g_app.journalPath, &read));
        EXPECT_EQ(written.slot, read.slot);
        EXPECT_EQ(written.slotDigest, read.slotDigest);
        EXPECT_EQ(text, read.text);
    }
    if (FilesHaveModes()) {
        struct stat st;
        ASSERT_EQ(0, stat(g_app.journalPath.c_str(), &st));
        EXPECT_EQ(0600u, st.st_mode & 0777);
    }
    for (const std::string& name : FolderEntries(folder.path)) EXPECT_EQ(std::string::npos, name.find(".tmp")) << name;
    Journal none;
    ASSERT_TRUE(DeleteFile(g_app.journalPath));
    EXPECT_EQ(kJournalNone, ReadJournal(g_app.journalPath, &none));
}

TEST_F(JournalFileTest, AnythingButAWholeJournalIsDamaged) {
    const std::string whole = FormatJournal(Journal{3, 42, "typed text"});
    Journal journal;
    ASSERT_TRUE(ParseJournal(whole, &journal));
    // Cut anywhere, a byte changed anywhere, or bytes after the text.
    for (std::size_t n = 0; n < whole.size(); ++n) EXPECT_FALSE(ParseJournal(whole.substr(0, n), &journal)) << n;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        std::string changed = whole;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_FALSE(ParseJournal(changed, &journal)) << i;
    }
    EXPECT_FALSE(ParseJournal(whole + "x", &journal));
    // Numbers past what a data file holds, and a text longer than a record.
    EXPECT_FALSE(ParseJournal(FormatJournal(Journal{kRecordLimit, 0, "x"}), &journal));
    EXPECT_FALSE(ParseJournal(FormatJournal(Journal{0, 0, std::string(32001, 'x')}), &journal));
    EXPECT_FALSE(ParseJournal(std::string("Jotcrate journal 1\nslot 99999999999999999999999\n"), &journal));
    // On disk: random bytes, and an empty file.
    for (const std::string& bytes : {std::string("\x00\xff garbage", 10), std::string()}) {
        WriteFileBytes(g_app.journalPath, bytes);
        EXPECT_EQ(kJournalDamaged, ReadJournal(g_app.journalPath, &journal));
    }
}

TEST_F(JournalFileTest, AFileLargerThanAnyJournalIsDamagedAndReadOnlyToTheBound) {
    WriteFileBytes(g_app.journalPath, FormatJournal(Journal{0, 0, "text"}));
    // Sparse: 8 GiB cost nothing on disk, and a read of all of it would not end in time.
    ASSERT_EQ(0, truncate(g_app.journalPath.c_str(), 8ll << 30));
    Journal journal;
    ArmFileFault(kStepRead, 0, 0);
    EXPECT_EQ(kJournalDamaged, ReadJournal(g_app.journalPath, &journal));
    EXPECT_LE(FileStepsSeen(kStepRead), 3);
    DisarmFileFaults();
}

TEST_F(JournalFileTest, WhatIsNoFileOfTheUsersIsLeftAlone) {
    Journal journal;
    // A folder, and a pipe (whose read would wait for a writer forever).
    ASSERT_TRUE(MakeFolder(g_app.journalPath));
    EXPECT_EQ(kJournalLeftAlone, ReadJournal(g_app.journalPath, &journal));
    EXPECT_FALSE(WriteJournal(g_app.journalPath, Journal{0, 0, "x"}));
    ASSERT_EQ(0, rmdir(g_app.journalPath.c_str()));
    ASSERT_EQ(0, mkfifo(g_app.journalPath.c_str(), 0600));
    EXPECT_EQ(kJournalLeftAlone, ReadJournal(g_app.journalPath, &journal));
    ASSERT_EQ(0, unlink(g_app.journalPath.c_str()));
    // The user's own link to nothing: no journal.
    ASSERT_TRUE(MakeLink(folder.path + "elsewhere", g_app.journalPath));
    EXPECT_EQ(kJournalNone, ReadJournal(g_app.journalPath, &journal));
    // Another user's file, read only where root can give it away.
    ASSERT_EQ(0, unlink(g_app.journalPath.c_str()));
    WriteFileBytes(g_app.journalPath, FormatJournal(Journal{0, 0, "theirs"}));
    if (chown(g_app.journalPath.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "giving a file another owner needs root";
    EXPECT_EQ(kJournalLeftAlone, ReadJournal(g_app.journalPath, &journal));
    EXPECT_NE(std::string::npos, LastFileError().find("another user"));
}

}  // namespace
