// The data file's bytes: coding, slot offsets, appends, failed reads, the starter file and
// the backup rules, all checked on real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mount.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

class DataFileTest : public FolderTest {};

TEST(SlotCoding, NegatesEveryByteAndKeepsLength) {
    unsigned char image[kSlotSize];
    EncodeText("abc\x80\xff", image);
    const unsigned char expected[] = {0x00, 0x9F, 0x9E, 0x9D, 0x80, 0x01, 0x00};
    EXPECT_EQ(0, std::memcmp(image, expected, sizeof expected));
    EXPECT_EQ("abc\x80\xff", DecodeText(image));
}

TEST(SlotCoding, CutsAt32000BytesAndClearsTheRest) {
    unsigned char image[kSlotSize];
    EncodeText(std::string(32001, 'x'), image);
    EXPECT_NE(0, image[kSlotSize - 1]);
    EXPECT_EQ(std::string(32000, 'x'), DecodeText(image));
    image[0] = 1;
    EncodeText("short", image);
    EXPECT_EQ(0, image[0]);
    EXPECT_EQ("short", DecodeText(image));
    EXPECT_EQ(0, image[6]);
    EXPECT_EQ(0, image[kSlotSize - 1]);
}

TEST(SlotCoding, WellFormedSizes) {
    EXPECT_FALSE(IsWellFormedSize(-1));
    EXPECT_FALSE(IsWellFormedSize(0));
    EXPECT_FALSE(IsWellFormedSize(32000));
    EXPECT_TRUE(IsWellFormedSize(32001));
    EXPECT_FALSE(IsWellFormedSize(32002));
    EXPECT_TRUE(IsWellFormedSize(kRecordLimit * kSlotSize));
}

TEST_F(DataFileTest, WritingSlotNAppendsAndReadsBack) {
    EXPECT_EQ(0, SlotCount());
    for (int i = 0; i < 3; ++i) {
        EncodeText("record " + std::to_string(i), g_app.slotImage);
        ASSERT_TRUE(WriteSlot(SlotCount()));
    }
    EXPECT_EQ(3, SlotCount());
    EXPECT_EQ(3 * kSlotSize, DataFileSize(g_app.dataPath));
    ASSERT_TRUE(ReadSlot(1));
    EXPECT_EQ("record 1", DecodeText(g_app.slotImage));
    EXPECT_EQ(SlotBytes("record 2"), ReadFileBytes(g_app.dataPath).substr(2 * kSlotSize));
}

TEST_F(DataFileTest, LastSlotOfAFullFileSitsAtItsOffset) {
    WriteFileBytes(g_app.dataPath, "");
    ASSERT_EQ(0, truncate(g_app.dataPath.c_str(), kRecordLimit * kSlotSize));
    EncodeText("last", g_app.slotImage);
    ASSERT_TRUE(WriteSlot(32766));
    EXPECT_EQ(1048576767, DataFileSize(g_app.dataPath));
    EXPECT_EQ(kRecordLimit, SlotCount());
    std::ifstream in(g_app.dataPath, std::ios::binary);
    in.seekg(1048544766);
    std::string slot(kSlotSize, '\0');
    in.read(slot.data(), kSlotSize);
    EXPECT_EQ(SlotBytes("last"), slot);
    ASSERT_TRUE(ReadSlot(32766));
    EXPECT_EQ("last", DecodeText(g_app.slotImage));
}

TEST_F(DataFileTest, FailedReadNeverLeavesAnotherRecordInTheImage) {
    WriteDataFile(g_app.dataPath, {"first"});
    ASSERT_TRUE(ReadSlot(0));
    EXPECT_FALSE(ReadSlot(1));
    for (unsigned char b : g_app.slotImage) ASSERT_EQ(0, b);
    // A file another program cut is told as such, not as a failing disk.
    EXPECT_NE(std::string::npos, LastFileError().find("another program may have cut it")) << LastFileError();
    unlink(g_app.dataPath.c_str());
    EncodeText("stale", g_app.slotImage);
    EXPECT_FALSE(ReadSlot(0));
    EXPECT_EQ("", DecodeText(g_app.slotImage));
}

TEST_F(DataFileTest, MarkDeletedChangesOnlyTheMark) {
    WriteDataFile(g_app.dataPath, {"a", "b"});
    ASSERT_TRUE(MarkDeleted(1));
    std::string bytes = ReadFileBytes(g_app.dataPath);
    EXPECT_EQ(SlotBytes("a") + SlotBytes("b", true), bytes);
    EXPECT_FALSE(MarkDeleted(2));
}

TEST_F(DataFileTest, StarterFileReplacesWhateverWasThere) {
    WriteDataFile(g_app.dataPath, std::vector<std::string>(20, "old"));
    ASSERT_TRUE(CreateStarterFile());
    std::string expected;
    for (int n = 1; n <= 9; ++n) expected += SlotBytes("Record " + std::to_string(n) + "\r\n");
    EXPECT_EQ(288009u, expected.size());
    EXPECT_EQ(expected, ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
}

TEST_F(DataFileTest, StarterFileThatCannotBeWrittenLeavesTheOldFile) {
    WriteDataFile(g_app.dataPath, {"keep me"});
    ArmFileFault(kStepOpen, 1, EACCES, g_app.dataPath + ".tmp");
    EXPECT_FALSE(CreateStarterFile());
    DisarmFileFaults();
    EXPECT_EQ(SlotBytes("keep me"), ReadFileBytes(g_app.dataPath));
}

TEST_F(DataFileTest, NewFilesAreTheUsersAlone) {
    if (!FilesHaveModes()) GTEST_SKIP() << "no permission bits here";
    EncodeText("x", g_app.slotImage);
    ASSERT_TRUE(WriteSlot(0));
    g_app.options.autoBackup = 1;
    ASSERT_TRUE(RefreshBackup(false));
    struct stat st;
    ASSERT_EQ(0, stat(g_app.dataPath.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    ASSERT_EQ(0, stat(g_app.backupPath.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST_F(DataFileTest, BackupIsRefreshedOnlyWhenStale) {
    WriteDataFile(g_app.dataPath, {"a"});
    struct Case {
        std::int8_t autoBackup;
        bool hadUnsavedEdit;
        std::uint8_t recordsDeleted;
        std::int64_t backupSize;  // -1: no backup
        bool due;
    } cases[] = {
        {0, true, 1, -1, false},  // off: never
        {2, true, 1, -1, false},  // only exactly 1 counts
        {1, false, 0, kSlotSize, false}, {1, true, 0, kSlotSize, true},
        {1, false, 1, kSlotSize, true},  {1, false, 0, -1, true},  // missing counts as not a multiple
        {1, false, 0, 0, false},                                   // 0 bytes is a multiple
        {1, false, 0, 50000, true},
    };
    for (const Case& c : cases) {
        unlink(g_app.backupPath.c_str());
        if (c.backupSize >= 0)
            WriteFileBytes(g_app.backupPath, std::string(static_cast<std::size_t>(c.backupSize), 'b'));
        g_app.options.autoBackup = c.autoBackup;
        g_app.recordsDeleted = c.recordsDeleted;
        EXPECT_EQ(c.due, BackupIsDue(c.hadUnsavedEdit)) << int(c.autoBackup) << c.hadUnsavedEdit << c.backupSize;
        ASSERT_TRUE(RefreshBackup(c.hadUnsavedEdit));
        if (c.due) {
            EXPECT_EQ(SlotBytes("a"), ReadFileBytes(g_app.backupPath));
        } else {
            EXPECT_EQ(c.backupSize, DataFileSize(g_app.backupPath));
        }
    }
}

TEST_F(DataFileTest, DamagedDataFileNeverReplacesTheBackup) {
    WriteDataFile(g_app.backupPath, {"good"});
    WriteFileBytes(g_app.dataPath, std::string(100, 'x'));
    g_app.options.autoBackup = 1;
    SetFileError("a stale reason");
    EXPECT_FALSE(RefreshBackup(true));
    EXPECT_EQ(SlotBytes("good"), ReadFileBytes(g_app.backupPath));
    EXPECT_EQ(0u, LastFileError().find("The data file's size is not a whole number of records"));
}

// Data file, backup and settings linked into a synced folder stay links: every write goes
// to where they point.
TEST_F(DataFileTest, LinkedFilesAreReplacedWhereTheyPoint) {
    std::string synced = folder.path + "synced/";
    ASSERT_TRUE(MakeFolder(synced));
    WriteDataFile(synced + "data", {"one", "two", "three"});
    WriteDataFile(synced + "backup", {"old"});
    if (!MakeLink((synced + "data"), g_app.dataPath)) GTEST_SKIP() << "no symbolic links here";
    if (!MakeLink((synced + "backup"), g_app.backupPath)) GTEST_SKIP() << "no symbolic links here";
    g_app.options.autoBackup = 1;
    ASSERT_TRUE(MarkDeleted(1));
    ASSERT_TRUE(CompactDataFile());
    ASSERT_TRUE(RefreshBackup(true));
    ASSERT_TRUE(CreateStarterFile());
    for (const std::string& path : {g_app.dataPath, g_app.backupPath}) {
        EXPECT_TRUE(IsLink(path)) << path;
    }
    EXPECT_EQ(9 * kSlotSize, DataFileSize(synced + "data"));
    EXPECT_EQ(SlotBytes("one") + SlotBytes("three"), ReadFileBytes(synced + "backup"));
    // What lies beside a link's target is the user's: no start removes it as stale.
    WriteFileBytes(synced + "data.tmp", "the user's own");
    RemoveStaleTemporaries();
    EXPECT_EQ("the user's own", ReadFileBytes(synced + "data.tmp"));
    unlink((synced + "data.tmp").c_str());
    std::vector<std::string> names = FolderEntries(synced);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"backup", "data"}), names);  // nothing left beside them
}

// Whole, and no more than the size it was checked at: a backup another program grows meanwhile
// (a sparse one could claim terabytes) is not copied.
TEST_F(DataFileTest, RestoreCopiesTheBackupWholeAndNoMore) {
    WriteDataFile(g_app.backupPath, {"one", "two"});
    ASSERT_TRUE(RestoreFromBackup(2 * kSlotSize));
    EXPECT_EQ(2 * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_EQ(ReadFileBytes(g_app.backupPath), ReadFileBytes(g_app.dataPath));
    unlink(g_app.dataPath.c_str());
    EXPECT_FALSE(RestoreFromBackup(kSlotSize));
    EXPECT_NE(std::string::npos, LastFileError().find("larger than it was")) << LastFileError();
    EXPECT_FALSE(PathExists(g_app.dataPath));
    EXPECT_EQ(1u, FolderEntries(folder.path).size());  // the backup alone: no temporary
}

TEST_F(DataFileTest, FailedBackupRefreshKeepsTheOldBackup) {
    WriteDataFile(g_app.dataPath, {"new"});
    WriteDataFile(g_app.backupPath, {"old"});
    g_app.options.autoBackup = 1;
    ArmFileFault(kStepOpen, 1, EACCES, g_app.backupPath + ".tmp");
    EXPECT_FALSE(RefreshBackup(true));
    DisarmFileFaults();
    EXPECT_EQ(SlotBytes("old"), ReadFileBytes(g_app.backupPath));
#ifndef _WIN32  // there the file being copied admits no other writer
    // Another program cuts the data file while it is copied: the copy is of no version of it.
    WriteDataFile(g_app.dataPath, {"new", "two"});
    ArmFileHook(
        kStepRead, 1, [] { ASSERT_EQ(0, truncate(g_app.dataPath.c_str(), kSlotSize + 100)); }, g_app.dataPath);
    EXPECT_FALSE(RefreshBackup(true));
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, LastFileError().find("another program changed it")) << LastFileError();
    EXPECT_TRUE(SlotBytes("old") == ReadFileBytes(g_app.backupPath));
#endif
}

// A salvage, or the backup put in the cut file's place, failed at any of its file steps leaves
// the cut data file as it was and no second name for it; one that succeeds leaves the whole
// slots (or the backup) and the cut file under a new name.
TEST_F(DataFileTest, SalvageOrRestoreFailedAtAnyStepChangesNothing) {
    const std::string cut = SlotBytes("one") + SlotBytes("two") + std::string(10, 'z');
    const std::string backup = SlotBytes("backed up") + SlotBytes("also");
    struct Way {
        const char* name;
        std::function<bool(std::string*)> run;
        std::string result;
    } ways[] = {
        {"salvage", [](std::string* keptAs) { return SalvageDataFile(keptAs); }, SlotBytes("one") + SlotBytes("two")},
        {"backup", [&backup](std::string* keptAs) { return RestoreOverDamaged(std::int64_t(backup.size()), keptAs); },
         backup},
    };
    for (const Way& way : ways) {
        auto prepare = [&] {
            for (const std::string& name : FolderEntries(folder.path)) unlink((folder.path + name).c_str());
            WriteFileBytes(g_app.dataPath, cut);
            WriteFileBytes(g_app.backupPath, backup);
        };
        prepare();
        std::string keptAs;
        ArmFileFault(kStepOpen, 0, 0);
        ASSERT_TRUE(way.run(&keptAs)) << way.name;
        int steps[kFileSteps];
        for (int step = 0; step < kFileSteps; ++step) steps[step] = FileStepsSeen(static_cast<FileStep>(step));
        DisarmFileFaults();
        EXPECT_EQ(cut, ReadFileBytes(keptAs)) << way.name;
        EXPECT_EQ(way.result, ReadFileBytes(g_app.dataPath)) << way.name;
        for (int step = 0; step < kFileSteps; ++step) {
            for (int n = 1; n <= steps[step]; ++n) {
                prepare();
                keptAs.clear();
                ArmFileFault(static_cast<FileStep>(step), n, EIO);
                bool ok = way.run(&keptAs);
                DisarmFileFaults();
                std::string where =
                    std::string(way.name) + " step " + std::to_string(step) + " call " + std::to_string(n);
                bool done = ReadFileBytes(g_app.dataPath) == way.result;
                EXPECT_TRUE(done || ReadFileBytes(g_app.dataPath) == cut) << where;
                if (done) {
                    EXPECT_TRUE(ReadFileBytes(keptAs) == cut) << where;  // never lost
                } else {
                    std::vector<std::string> names = FolderEntries(folder.path);
                    EXPECT_EQ(2u, names.size()) << where << ": " << (names.size() > 2 ? names[0] + " " + names[2] : "");
                }
                if (!ok) {
                    EXPECT_FALSE(LastFileError().empty()) << where;
                }
                EXPECT_EQ(backup, ReadFileBytes(g_app.backupPath)) << where;
            }
        }
    }
}

TEST_F(DataFileTest, SlotWritesKeepTheFileWhole) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    ASSERT_TRUE(MarkDeleted(1));
    ASSERT_TRUE(MarkDeleted(1));
    EXPECT_EQ(std::vector<std::int64_t>{1}, g_app.deletedSlots);
    // An overwrite refused before it began (no space to reserve) changes nothing; one that
    // failed once begun (here at its flush) has its old bytes put back. Either way the slot
    // reads as before, and the file is as good a copy for the backup as it was.
    std::string before = ReadFileBytes(g_app.dataPath);
    for (FileStep step : {kStepWrite, kStepFlush}) {
        EncodeText("changed", g_app.slotImage);
        ArmFileFault(step, 1, EIO);
        EXPECT_FALSE(WriteSlot(0));
        DisarmFileFaults();
        EXPECT_FALSE(g_app.dataWriteFailed) << step;
        EXPECT_TRUE(before == ReadFileBytes(g_app.dataPath)) << step;
    }
    // Only a put-back that fails too leaves the slot in doubt, and that is remembered.
    ArmFileFault(kStepFlush, 1, EIO);
    ArmFileFault(kStepRead, 2, EIO);
    EXPECT_FALSE(WriteSlot(0));
    DisarmFileFaults();
    EXPECT_TRUE(g_app.dataWriteFailed);
    EXPECT_EQ(2 * kSlotSize, DataFileSize(g_app.dataPath));
    ASSERT_TRUE(WriteSlot(0));
    EXPECT_FALSE(g_app.dataWriteFailed);
    // An append that fails (a full disk) is cut off again: the file is as it was, and may be
    // the backup's copy.
    before = ReadFileBytes(g_app.dataPath);
    ArmFileFault(kStepWrite, 1, ENOSPC);
    EXPECT_FALSE(WriteSlot(2));
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, LastFileError().find(std::strerror(ENOSPC))) << LastFileError();
    EXPECT_TRUE(before == ReadFileBytes(g_app.dataPath));
    EXPECT_FALSE(g_app.dataWriteFailed);
}

#ifdef __linux__
// A small file system of its own, made full: a save into a sparse data file (sync tools write
// them) then needs blocks the disk no longer has.
struct FullDisk {
    std::string path;
    bool mounted = false;
    explicit FullDisk(const std::string& where) : path(where) {
        mounted = MakeFolder(path) && mount("tmpfs", path.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullDisk() {
        if (mounted) umount2(path.c_str(), MNT_DETACH);
    }
    // Fills the disk but for spare bytes, which a write may still take in part.
    void Fill(std::size_t spare) {
        WriteFileBytes(path + "spare", std::string(spare, 's'));
        int fd = open((path + "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        std::string block(4096, 'f');
        while (write(fd, block.data(), block.size()) > 0) {}
        close(fd);
        unlink((path + "spare").c_str());
    }
};

// The slot reads as it was after a save that found the disk full: refused before a byte was
// written where the slot's space is reserved first, and its written part put back where the
// system cannot reserve. Text of two-byte characters would show a cut as another text.
TEST_F(DataFileTest, ASaveThatFindsTheDiskFullLeavesTheSlotAsItWas) {
    FullDisk disk(folder.path + "disk/");
    if (!disk.mounted) GTEST_SKIP() << "no file system of its own can be mounted here";
    g_app.dataPath = disk.path + "Jotcrate.jcd";
    FileHandle file;
    ASSERT_TRUE(OpenFile(g_app.dataPath, kOpenReadWriteCreate, &file));
    ASSERT_TRUE(TruncateFile(file, 3 * kSlotSize));
    for (int slot = 0; slot < 3; ++slot) {
        std::string bytes = SlotBytes("record " + std::to_string(slot));
        ASSERT_TRUE(WriteAt(file, slot * kSlotSize, bytes.data(), 16));
    }
    CloseFile(&file);
    std::string before = ReadFileBytes(g_app.dataPath);
    std::string longer;
    for (int i = 0; i < 10000; ++i) longer += "\xC3\xA9";
    for (bool reserved : {true, false}) {
        disk.Fill(reserved ? 0 : 8192);
        NoteDataFileVersion();
        EncodeText(longer, g_app.slotImage);
        if (!reserved) ArmFileFault(kStepWrite, 1, EOPNOTSUPP, g_app.dataPath);
        EXPECT_FALSE(WriteSlot(1)) << reserved;
        DisarmFileFaults();
        EXPECT_NE(std::string::npos, LastFileError().find(std::strerror(ENOSPC))) << LastFileError();
        EXPECT_TRUE(before == ReadFileBytes(g_app.dataPath)) << reserved;
        EXPECT_FALSE(g_app.dataWriteFailed) << reserved;
        unlink((disk.path + "filler").c_str());
    }
    EXPECT_TRUE(WriteSlot(1)) << LastFileError();
    std::string text;
    ASSERT_TRUE(OpenFile(g_app.dataPath, kOpenRead, &file));
    EXPECT_TRUE(ReadSlotText(file, 1, &text) && text == longer);
    CloseFile(&file);
}
#endif

TEST_F(DataFileTest, StaleTemporariesGoAndNewNamesNeverReplaceAFile) {
    for (const std::string& path : {g_app.dataPath + ".tmp", g_app.backupPath + ".tmp", folder.path + "Jotcrate.cmp"})
        WriteFileBytes(path, "stale");
    ASSERT_TRUE(MakeFolder(g_app.settingsPath + ".tmp"));  // not a file: left alone
    RemoveStaleTemporaries();
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.ini.tmp"}, FolderEntries(folder.path));
    std::string stamp = TimeStamp();
    WriteFileBytes(folder.path + "Jotcrate-unsaved-" + stamp + ".txt", "first");
    WriteFileBytes(folder.path + "Jotcrate-unsaved-" + stamp + "-2.txt", "second");
    std::string path;
    ASSERT_TRUE(WriteRecoveryFile("third", &path));
    EXPECT_EQ(4u, FolderEntries(folder.path).size());
    EXPECT_EQ("third", ReadFileBytes(path));
    EXPECT_EQ("first", ReadFileBytes(folder.path + "Jotcrate-unsaved-" + stamp + ".txt"));
}

// Less than one whole slot is nothing to salvage: the file stays as it was, under one name.
TEST_F(DataFileTest, APieceOfASlotIsNotSalvaged) {
    WriteFileBytes(g_app.dataPath, std::string(100, 'z'));
    std::string keptAs;
    EXPECT_FALSE(SalvageDataFile(&keptAs));
    EXPECT_EQ(std::string(100, 'z'), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(std::vector<std::string>{"Jotcrate.jcd"}, FolderEntries(folder.path));
}

}  // namespace
