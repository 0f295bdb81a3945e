// Compaction drops the slots this run deleted, keeps the others in order with their old marks
// cleared, and replaces the data file only when the result is complete.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/store/BackgroundWrites.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

class CompactTest : public FolderTest {};

TEST_F(CompactTest, DropsMarkedSlotsAndKeepsOrder) {
    WriteFileBytes(g_app.dataPath, SlotBytes("one") + SlotBytes("two") + SlotBytes("three"));
    ASSERT_TRUE(MarkDeleted(1));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    EXPECT_EQ(SlotBytes("one") + SlotBytes("three"), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
    // The replaced file is closed later, off the caller's thread; once that is done no
    // descriptor holds its blocks.
    WaitForClosesLater();
    EXPECT_EQ(std::vector<std::string>{}, OpenFilesUnder(folder.path));
}

// A run that ended before its compaction left marks on records that the next start listed
// again and the user saw: they stay, unmarked.
TEST_F(CompactTest, MarksOfEarlierRunsAreClearedNotDropped) {
    std::string oddMark = SlotBytes("odd mark");
    oddMark[0] = '\x7F';
    WriteFileBytes(g_app.dataPath,
                   SlotBytes("keep") + SlotBytes("deleted now") + oddMark + SlotBytes("old mark", true));
    ASSERT_TRUE(MarkDeleted(1));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    EXPECT_EQ(SlotBytes("keep") + SlotBytes("odd mark") + SlotBytes("old mark"), ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(g_app.deletedSlots.empty());
}

TEST_F(CompactTest, CopiesAcrossBlockBoundariesAndBeyondTheRecordLimit) {
    // 200 slots, every third one marked: runs of live slots cross the copy blocks.
    std::string bytes, expected;
    for (int i = 0; i < 200; ++i) {
        std::string slot = SlotBytes("record " + std::to_string(i), i % 3 == 1);
        bytes += slot;
        if (i % 3 != 1) expected += slot;
    }
    WriteFileBytes(g_app.dataPath, bytes);
    for (int i = 1; i < 200; i += 3) ASSERT_TRUE(MarkDeleted(i));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    EXPECT_EQ(expected, ReadFileBytes(g_app.dataPath));
}

// The copy leaves out the blocks of nothing but zeros. Texts that end on either side of a block
// boundary of the new file, a slot of zeros, and bytes after a text's end that are not zero
// (another program's) all come through as they were, with a deleted slot shifting the rest off
// the block grid; also where the file system cannot reserve the space (Windows never does).
TEST_F(CompactTest, EveryByteComesThroughWhateverTheTextLengths) {
    std::string bytes, expected;
    auto add = [&](std::string slot, bool keep) {
        bytes += slot;
        slot[0] = 0;
        if (keep) expected += slot;
    };
    add(SlotBytes("first"), true);
    add(SlotBytes("deleted now"), false);
    for (std::size_t length : {4094, 4095, 4096, 4097, 8191, 8192, 8193, 20000, 32000})
        add(SlotBytes(std::string(length, 'a' + static_cast<char>(length % 26)), length == 8192), true);
    add(std::string(kSlotSize, '\0'), true);
    std::string stray = SlotBytes("short");
    stray[5000] = '\x01';
    stray[kSlotSize - 1] = '\x7F';
    add(stray, true);
    for (bool reserved : {true, false}) {
        WriteFileBytes(g_app.dataPath, bytes);
        NoteDataFileVersion();  // as the load of this run would
        ASSERT_TRUE(MarkDeleted(1));
#ifndef _WIN32
        if (!reserved) ArmFileFault(kStepWrite, 1, EOPNOTSUPP, folder.path + "Jotcrate.cmp");
#endif
        EXPECT_TRUE(CompactDataFile()) << LastFileError();
        DisarmFileFaults();
        EXPECT_TRUE(expected == ReadFileBytes(g_app.dataPath)) << (reserved ? "reserved" : "not reserved");
        EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
    }
}

// A run of kept slots longer than one copy piece (64 MiB) goes in several, each where the one
// before ended. The file is made with holes, so that it costs no disk.
TEST_F(CompactTest, RunsLongerThanOneCopyPieceGoOnWhereTheLastEnded) {
    constexpr std::int64_t kSlots = 2200;
    const std::int64_t texts[] = {0, 1, 2096, 2097, 2098, 2099, kSlots - 1};
    FileHandle file;
    ASSERT_TRUE(OpenFile(g_app.dataPath, kOpenReadWriteCreate, &file));
    ASSERT_TRUE(TruncateFile(file, kSlots * kSlotSize));
    for (std::int64_t slot : texts)
        ASSERT_TRUE(WriteAt(file, slot * kSlotSize, SlotBytes("slot " + std::to_string(slot)).data(), kSlotSize));
    CloseFile(&file);
    ASSERT_TRUE(MarkDeleted(0));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    std::string bytes = ReadFileBytes(g_app.dataPath);
    ASSERT_EQ(static_cast<std::size_t>((kSlots - 1) * kSlotSize), bytes.size());
    std::string expected(bytes.size(), '\0');
    for (std::int64_t slot : texts)
        if (slot > 0)
            expected.replace(static_cast<std::size_t>((slot - 1) * kSlotSize), kSlotSize,
                             SlotBytes("slot " + std::to_string(slot)));
    EXPECT_TRUE(expected == bytes);
}

TEST_F(CompactTest, NoLiveSlotBringsBackTheStarterRecords) {
    WriteFileBytes(g_app.dataPath, SlotBytes("a", true) + SlotBytes("b", true));
    ASSERT_TRUE(MarkDeleted(0) && MarkDeleted(1));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    EXPECT_EQ(9 * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
}

// Only what this run marked, and saw marked, is dropped: a slot listed as deleted without its
// bytes noted, or past the file's end, stops the compaction; so does a write into the file
// while it ran, even where every slot was deleted and the starter records would come.
TEST_F(CompactTest, NothingIsDroppedThatThisRunDidNotMark) {
    std::string original = SlotBytes("one") + SlotBytes("two", true);
    for (std::int64_t stray : {1, 5}) {
        WriteFileBytes(g_app.dataPath, original);
        NoteDataFileVersion();
        ForgetDeletions();
        g_app.deletedSlots = {stray};
        EXPECT_FALSE(CompactDataFile()) << stray;
        EXPECT_EQ(original, ReadFileBytes(g_app.dataPath)) << stray;
        EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
    }
#ifndef _WIN32
    ForgetDeletions();
    g_app.dataVersionKnown = false;
    ASSERT_TRUE(MarkDeleted(0) && MarkDeleted(1));
    std::string theirs = SlotBytes("one", true) + SlotBytes("two", true) + SlotBytes("appended");
    ArmFileHook(
        kStepRead, 1, [&] { WriteFileBytes(g_app.dataPath, theirs); }, g_app.dataPath);
    EXPECT_FALSE(CompactDataFile());
    DisarmFileFaults();
    EXPECT_TRUE(theirs == ReadFileBytes(g_app.dataPath));
#endif
}

TEST_F(CompactTest, FailureLeavesTheDataFileAsItWas) {
    std::string original = SlotBytes("one") + SlotBytes("two", true);
    WriteFileBytes(g_app.dataPath, original);
    ASSERT_TRUE(MarkDeleted(1));
    // The compaction file cannot be created.
    ArmFileFault(kStepOpen, 1, EACCES, folder.path + "Jotcrate.cmp");
    EXPECT_FALSE(CompactDataFile());
    DisarmFileFaults();
    EXPECT_EQ(original, ReadFileBytes(g_app.dataPath));
    // A missing data file is not replaced by anything.
    unlink(g_app.dataPath.c_str());
    EXPECT_FALSE(CompactDataFile());
    EXPECT_TRUE(FolderEntries(folder.path).empty());
}

#ifndef _WIN32
// Another program's file is never replaced by a compaction of the one this run read: not when
// it was rewritten in place within one tick of a coarse clock (many network shares, FAT) so that
// the file's version looks the same, and not when it was renamed into place at the very moment
// of the compaction's own rename.
TEST_F(CompactTest, AnotherProgramsFileIsNeverCompactedOver) {
    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    NoteDataFileVersion();
    ASSERT_TRUE(MarkDeleted(1));
    struct stat marked;
    ASSERT_EQ(0, stat(g_app.dataPath.c_str(), &marked));
    std::string theirs = SlotBytes("one") + SlotBytes("theirs now") + SlotBytes("three");
    WriteFileBytes(g_app.dataPath, theirs);
    const struct timespec times[2] = {marked.st_atim, marked.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, g_app.dataPath.c_str(), times, 0));
    EXPECT_FALSE(CompactDataFile());
    EXPECT_EQ(0u, LastFileError().find("Another program changed the data file")) << LastFileError();
    EXPECT_TRUE(theirs == ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));

    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    NoteDataFileVersion();
    ForgetDeletions();
    ASSERT_TRUE(MarkDeleted(1));
    std::string incoming = folder.path + "incoming";
    WriteDataFile(incoming, {"renamed in"});
    ArmFileHook(
        kStepRename, 1, [&] { ASSERT_EQ(0, rename(incoming.c_str(), g_app.dataPath.c_str())); }, g_app.dataPath);
    EXPECT_FALSE(CompactDataFile());
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, LastFileError().find("another program replaced the file")) << LastFileError();
    EXPECT_EQ(SlotBytes("renamed in"), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
    EXPECT_FALSE(IsDataFileAsLeft());  // so no backup is made of it

    // In a folder others can write: their file put under the compaction's name just before the
    // rename never takes the data file's place.
    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    NoteDataFileVersion();
    ForgetDeletions();
    ASSERT_TRUE(MarkDeleted(1));
    std::string ours = ReadFileBytes(g_app.dataPath);
    std::string compaction = CompactionPath(g_app.dataPath), stolen = folder.path + "stolen";
    ArmFileHook(
        kStepRename, 1,
        [&] {
            ASSERT_EQ(0, rename(compaction.c_str(), stolen.c_str()));
            WriteDataFile(compaction, {"planted"});
        },
        g_app.dataPath);
    EXPECT_FALSE(CompactDataFile());
    DisarmFileFaults();
    EXPECT_TRUE(ours == ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(IsDataFileAsLeft());
    ASSERT_EQ(0, unlink(stolen.c_str()));
    ASSERT_EQ(0, unlink(compaction.c_str()));

    // A kept record rewritten in place after it was copied, or a record appended, with no clock
    // to show it: the swap of names is undone.
    for (bool append : {false, true}) {
        WriteDataFile(g_app.dataPath, {"one", "two", "three"});
        NoteDataFileVersion();
        ForgetDeletions();
        ASSERT_TRUE(MarkDeleted(1)) << LastFileError();
        std::string written = append
                                  ? SlotBytes("one") + SlotBytes("two", true) + SlotBytes("three") + SlotBytes("four")
                                  : SlotBytes("theirs") + SlotBytes("two", true) + SlotBytes("three");
        ArmFileHook(
            kStepRename, 1, [&] { WriteFileBytes(g_app.dataPath, written); }, g_app.dataPath);
        EXPECT_FALSE(CompactDataFile());
        DisarmFileFaults();
        EXPECT_NE(std::string::npos, LastFileError().find("another program wrote into the file")) << LastFileError();
        EXPECT_TRUE(written == ReadFileBytes(g_app.dataPath)) << append;
        EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
    }
}
#endif

TEST_F(CompactTest, TrailingPartialSlotIsDropped) {
    WriteFileBytes(g_app.dataPath, SlotBytes("whole") + std::string(100, 'x'));
    ASSERT_TRUE(CompactDataFile()) << LastFileError();
    EXPECT_EQ(SlotBytes("whole"), ReadFileBytes(g_app.dataPath));
}

}  // namespace
