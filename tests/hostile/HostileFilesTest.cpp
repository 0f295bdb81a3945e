// Files another local user can plant, and files of absurd sizes: links in a shared sticky folder
// that lead to the user's own files, links to pipes and devices, sparse files of many GiB, a
// file put in place between a question and the write. Every written file kind is tried; the
// user's files must come out unchanged and the refusal must say why. Links are given another
// owner with lchown, which needs root (CI runs as root): elsewhere those cases skip and say so.
// Every link points into a folder the test made.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "TestSupport.h"
#include "base/AppState.h"
#include "base/WholeFiles.h"
#include "core/export/HtmlPage.h"
#include "core/settings/DesktopShortcut.h"
#include "core/settings/KeyValueFile.h"
#include "core/settings/Settings.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "core/store/JournalFile.h"
#include "core/store/RecordDump.h"
#include "core/store/Titles.h"
#include "platform/Files.h"

namespace {

constexpr uid_t kOtherUser = 65534;  // nobody: no test ever logs in as it

class HostileFilesTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        // A portable copy in a folder every user may write to, as /tmp is.
        shared = folder.path + "shared/";
        ASSERT_TRUE(MakeFolder(shared));
        ASSERT_EQ(0, chmod(shared.c_str(), 01777));
        ResolvePaths(shared + "jotcrate");
        mine = folder.path + "mine/";
        ASSERT_TRUE(MakeFolder(mine));
        secret = mine + "notes.txt";
        WriteFileBytes(secret, "my own notes");
        ASSERT_EQ(0, chmod(secret.c_str(), 0600));
    }

    // A link at path to target, made as if by another user; false where the owner cannot be
    // changed (not root).
    bool PlantOthersLink(const std::string& target, const std::string& path) {
        return MakeLink(target, path) && lchown(path.c_str(), kOtherUser, kOtherUser) == 0;
    }

    // What each kind of written file does when its path holds what the test planted.
    struct Writer {
        const char* name;
        std::string path;
        std::function<bool()> write;
    };
    std::vector<Writer> Writers() {
        WriteDataFile(mine + "records.jcd", {"Record 1", "Record 2"});
        return {
            {"record dump", shared + "record-dump.txt", [] { return WriteRecordDump() == kDumpWritten; }},
            {"settings", g_app.settingsPath, [] { return SaveSettings(true, nullptr); }},
            {"backup", g_app.backupPath,
             [] {
                 g_app.options.autoBackup = 1;
                 return RefreshBackup(true);
             }},
            {"exported page", shared + "page.html",
             [this] {
                 return WriteExportPage(shared + "page.html", {{"Record 1", 0}});
             }},
            {"desktop shortcut", shared + "Jotcrate.desktop",
             [this] {
                 return CreateShortcutFile("/bin/true", shared + "Jotcrate.desktop", shared, "", "notes", "", 0);
             }},
            {"journal", g_app.journalPath,
             [] {
                 return WriteJournal(g_app.journalPath, Journal{0, 0, "typed"});
             }},
        };
    }

    // Each writer, with the data file a good one of the user's own.
    void ExpectEachRefused(const std::function<bool(const std::string& path)>& plant, const std::string& reason) {
        for (Writer& writer : Writers()) {
            unlink(g_app.dataPath.c_str());
            WriteDataFile(g_app.dataPath, {"Record 1", "Record 2"});
            ASSERT_TRUE(plant(writer.path)) << writer.name;
            SetFileError(std::string());
            EXPECT_FALSE(writer.write()) << writer.name;
            EXPECT_NE(std::string::npos, LastFileError().find(reason)) << writer.name << ": " << LastFileError();
            EXPECT_EQ("my own notes", ReadFileBytes(secret)) << writer.name;
            EXPECT_TRUE(IsLink(writer.path)) << writer.name;
            for (const std::string& name : FolderEntries(shared))
                EXPECT_EQ(std::string::npos, name.find(".tmp")) << writer.name << ": " << name;
            unlink(writer.path.c_str());
        }
    }

    std::string shared, mine, secret;
};

TEST_F(HostileFilesTest, AnotherUsersLinkInASharedFolderIsNeverWrittenThrough) {
    if (!PlantOthersLink(secret, shared + "probe")) GTEST_SKIP() << "giving a link another owner needs root";
    ExpectEachRefused([this](const std::string& path) { return PlantOthersLink(secret, path); }, "another user");
    // Nor to nothing: the link could name a file the user is about to make.
    ExpectEachRefused([this](const std::string& path) { return PlantOthersLink(mine + "later.txt", path); },
                      "another user");
    EXPECT_FALSE(PathExists(mine + "later.txt"));
    // Nor read through: a journal of unsaved typing behind another user's link is none of the user's.
    WriteFileBytes(secret, FormatJournal(Journal{0, 0, "planted"}));
    ASSERT_TRUE(PlantOthersLink(secret, g_app.journalPath));
    Journal journal;
    EXPECT_EQ(kJournalLeftAlone, ReadJournal(g_app.journalPath, &journal));
    unlink(g_app.journalPath.c_str());
    WriteFileBytes(secret, "my own notes");
    // The data file itself: no slot is written, no starter file made through the link.
    unlink(g_app.dataPath.c_str());
    WriteDataFile(mine + "records.jcd", {"Record 1"});
    ASSERT_TRUE(PlantOthersLink(mine + "records.jcd", g_app.dataPath));
    EncodeText("overwritten", g_app.slotImage);
    EXPECT_FALSE(WriteSlot(0));
    g_app.deletedSlots = {0};
    EXPECT_FALSE(CompactDataFile());
    EXPECT_EQ(SlotBytes("Record 1"), ReadFileBytes(mine + "records.jcd"));
    unlink(g_app.dataPath.c_str());
    ASSERT_TRUE(PlantOthersLink(mine + "new.jcd", g_app.dataPath));
    EXPECT_FALSE(CreateStarterFile());
    EXPECT_FALSE(PathExists(mine + "new.jcd"));
}

// Seen by a user who is not root: the system's (root's) links are followed, to a file or to
// nothing, as the user's own are; another user's link anywhere on the way is not, not even one
// standing for a folder the user's own link leads through.
TEST_F(HostileFilesTest, LinksAreFollowedOnlyWhereTheUserOrTheSystemMadeThem) {
    if (geteuid() != 0) GTEST_SKIP() << "taking another user's part needs root";
    std::string file = shared + "file", target;
    WriteFileBytes(file, "x");
    ASSERT_TRUE(MakeLink(file, shared + "to-file"));
    ASSERT_TRUE(MakeLink(shared + "none", shared + "to-nothing"));
    ASSERT_EQ(0, chmod(folder.path.c_str(), 0755));
    ASSERT_EQ(0, seteuid(kOtherUser));
    bool followed = ResolveReplacement(shared + "to-file", &target);
    bool toNothing = ResolveReplacement(shared + "to-nothing", &target);
    bool own = MakeLink(shared + "mine-none", shared + "mine") && ResolveReplacement(shared + "mine", &target);
    ASSERT_EQ(0, seteuid(0));
    EXPECT_TRUE(followed);
    EXPECT_TRUE(toNothing);
    EXPECT_TRUE(own);
    EXPECT_EQ(shared + "mine-none", target);
    // The user's link to a drive not mounted, and another user who puts a link where the drive
    // would be, leading to the user's own files.
    ASSERT_TRUE(MakeLink(shared + "usb/record-dump.txt", shared + "record-dump.txt"));
    ASSERT_TRUE(MakeLink(shared + "usb/Jotcrate.jcd", g_app.dataPath));
    ASSERT_TRUE(PlantOthersLink(mine, shared + "usb"));
    WriteFileBytes(mine + "Jotcrate.jcd", SlotBytes("private"));
    WriteFileBytes(mine + "record-dump.txt", "mine");
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    EXPECT_NE(std::string::npos, LastFileError().find("another user made")) << LastFileError();
    EncodeText("typed", g_app.slotImage);
    EXPECT_FALSE(WriteSlot(0));
    EXPECT_EQ(SlotBytes("private"), ReadFileBytes(mine + "Jotcrate.jcd"));
    EXPECT_EQ("mine", ReadFileBytes(mine + "record-dump.txt"));
    // Nor are records read through that link into a dump of the user's own.
    ASSERT_EQ(0, unlink((shared + "record-dump.txt").c_str()));
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    EXPECT_FALSE(PathExists(shared + "record-dump.txt"));
}

// The user's own links still work as before: to a file, and to nothing yet.
TEST_F(HostileFilesTest, TheUsersOwnLinksAreWrittenWhereTheyPoint) {
    WriteDataFile(g_app.dataPath, {"Record 1"});
    ASSERT_TRUE(MakeLink(mine + "dump.txt", shared + "record-dump.txt"));
    ASSERT_EQ(kDumpWritten, WriteRecordDump()) << LastFileError();
    EXPECT_TRUE(IsLink(shared + "record-dump.txt"));
    EXPECT_NE(std::string::npos, ReadFileBytes(mine + "dump.txt").find("Record 1"));
    ASSERT_TRUE(WriteFileReplacing(mine + "dump.txt", "again"));  // now a file: replaced in place
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_NE(std::string::npos, ReadFileBytes(mine + "dump.txt").find("Record 1"));
}

TEST_F(HostileFilesTest, PipesDevicesAndFoldersAreNeverReplaced) {
    std::string pipe = mine + "pipe", device = mine + "null", inner = mine + "folder";
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
    ASSERT_TRUE(MakeFolder(inner));
    bool devices = mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    if (!devices) std::printf("no device node can be made here (not root): links to devices untried\n");
    std::vector<std::string> targets = {pipe, inner};
    if (devices) targets.push_back(device);
    for (const std::string& target : targets) {
        ExpectEachRefused([&](const std::string& path) { return MakeLink(target, path); }, "not a regular file");
        struct stat st;
        ASSERT_EQ(0, lstat(target.c_str(), &st)) << target;
        EXPECT_FALSE(S_ISREG(st.st_mode)) << target;
    }
    // Named directly, not through a link.
    WriteDataFile(g_app.dataPath, {"Record 1"});
    ASSERT_EQ(0, mkfifo((shared + "record-dump.txt").c_str(), 0600));
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    struct stat st;
    ASSERT_EQ(0, lstat((shared + "record-dump.txt").c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_FALSE(WriteExportPage(pipe, {{"Record 1", 0}}));
    EXPECT_FALSE(WriteFileReplacing(inner, "x"));
    EXPECT_TRUE(IsFolder(inner));
}

// A page written over a world-readable file of another user's (reached through the user's own
// link) is the user's alone; the user's own file keeps its permissions.
TEST_F(HostileFilesTest, AReplacementTakesNoModeFromAnotherUsersFile) {
    std::string theirs = mine + "theirs.html", own = mine + "own.html";
    WriteFileBytes(theirs, "theirs");
    ASSERT_EQ(0, chmod(theirs.c_str(), 0666));
    if (chown(theirs.c_str(), kOtherUser, kOtherUser) != 0) GTEST_SKIP() << "giving a file another owner needs root";
    ASSERT_TRUE(MakeLink(theirs, shared + "page.html"));
    WriteDataFile(g_app.dataPath, {"Record 1"});
    ASSERT_TRUE(WriteExportPage(shared + "page.html", {{"Record 1", 0}})) << LastFileError();
    struct stat st;
    ASSERT_EQ(0, stat(theirs.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    EXPECT_EQ(geteuid(), st.st_uid);
    WriteFileBytes(own, "own");
    ASSERT_EQ(0, chmod(own.c_str(), 0640));
    ASSERT_TRUE(WriteExportPage(own, {{"Record 1", 0}}));
    ASSERT_EQ(0, stat(own.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
}

// The export replaces only what the user was asked about: nothing, or that very file.
TEST_F(HostileFilesTest, APageReplacesOnlyWhatTheUserAgreedTo) {
    WriteDataFile(g_app.dataPath, {"Record 1"});
    std::string page = mine + "page.html";
    FileIdentity asked;
    ASSERT_TRUE(IdentityOfPath(page, &asked));
    EXPECT_FALSE(asked.exists);
    WriteFileBytes(page, "put there after the question");
    EXPECT_FALSE(WriteExportPage(page, {{"Record 1", 0}}, &asked));
    EXPECT_NE(std::string::npos, LastFileError().find("meanwhile")) << LastFileError();
    EXPECT_EQ("put there after the question", ReadFileBytes(page));
    ASSERT_TRUE(IdentityOfPath(page, &asked));
    WriteFileBytes(mine + "other", "another file");
    ASSERT_EQ(0, rename((mine + "other").c_str(), page.c_str()));
    EXPECT_FALSE(WriteExportPage(page, {{"Record 1", 0}}, &asked));
    EXPECT_EQ("another file", ReadFileBytes(page));
    ASSERT_TRUE(IdentityOfPath(page, &asked));
    EXPECT_TRUE(WriteExportPage(page, {{"Record 1", 0}}, &asked)) << LastFileError();
    EXPECT_NE(std::string::npos, ReadFileBytes(page).find("Record 1"));
    std::vector<std::string> left = FolderEntries(mine);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"notes.txt", "page.html"}), left);  // no temporary
}

// A sparse settings file costs no disk: it is read as far as the limit, used, and left alone.
TEST_F(HostileFilesTest, AHugeSettingsFileIsReadToTheLimitAndNeverWrittenOver) {
    for (std::int64_t size : {std::int64_t(kKeyFileLimit), std::int64_t(kKeyFileLimit) + 1, std::int64_t(64) << 30}) {
        WriteFileBytes(g_app.settingsPath, "[Options]\r\nFont Size=14\r\n");
        ASSERT_EQ(0, truncate(g_app.settingsPath.c_str(), size));
        g_app.options.fontSize = 10;
        bool whole = size <= std::int64_t(kKeyFileLimit);
        EXPECT_EQ(whole, LoadSettings(Rect{0, 0, 1920, 1080})) << size;
        EXPECT_EQ(14, g_app.options.fontSize) << size;
        if (whole) continue;
        g_app.options.fontSize = 20;
        SaveSettings(false, nullptr);
        EXPECT_EQ(size, StatPath(g_app.settingsPath).size) << size;
        EXPECT_TRUE(LoadSettings(Rect{0, 0, 1920, 1080}) == false && g_app.options.fontSize == 14) << size;
    }
}

// No pass copies or reads past the record limit, however large a sparse file claims to be.
TEST_F(HostileFilesTest, AHugeSparseDataFileIsNeitherCopiedNorCompacted) {
    WriteDataFile(g_app.dataPath, {"Record 1"});
    std::int64_t size = (kRecordLimit + 1) * kSlotSize;
    for (std::int64_t huge : {size, std::int64_t(100) << 30}) {
        ASSERT_EQ(0, truncate(g_app.dataPath.c_str(), huge / kSlotSize * kSlotSize));
        g_app.options.autoBackup = 1;
        EXPECT_FALSE(RefreshBackup(true));
        EXPECT_NE(std::string::npos, LastFileError().find("more than the 32,767")) << LastFileError();
        EXPECT_FALSE(PathExists(g_app.backupPath));
        g_app.deletedSlots = {0};
        EXPECT_FALSE(CompactDataFile());
        EXPECT_NE(std::string::npos, LastFileError().find("more than the 32,767")) << LastFileError();
        EXPECT_EQ(huge / kSlotSize * kSlotSize, StatPath(g_app.dataPath).size);
        for (const std::string& name : FolderEntries(shared)) EXPECT_EQ(std::string::npos, name.find(".cmp")) << name;
    }
}

// A data file another user made (in a shared folder, before the user's first start) could be read
// by them: nothing the user types is written into it, and its records are not dumped as the
// user's.
TEST_F(HostileFilesTest, AnotherUsersDataFileIsNeverWrittenInto) {
    WriteDataFile(g_app.dataPath, {"Record 1"});
    ASSERT_EQ(0, chmod(g_app.dataPath.c_str(), 0666));
    if (chown(g_app.dataPath.c_str(), kOtherUser, kOtherUser) != 0)
        GTEST_SKIP() << "giving a file another owner needs root";
    EncodeText("my bank PIN", g_app.slotImage);
    EXPECT_FALSE(WriteSlot(0));
    EXPECT_NE(std::string::npos, LastFileError().find("belongs to another user")) << LastFileError();
    std::int64_t first;
    EXPECT_FALSE(AppendStarterRecords(&first));
    EXPECT_EQ(SlotBytes("Record 1"), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    EXPECT_NE(std::string::npos, LastFileError().find("belongs to another user")) << LastFileError();
    EXPECT_FALSE(PathExists(g_app.programFolder + "record-dump.txt"));
    // Put in place while the window runs, it is neither shown as the user's nor backed up.
    EXPECT_FALSE(IsDataFileOwn());
    FileHandle theirs;  // as the dump sees it once open, whatever was looked at before
    ASSERT_TRUE(OpenFile(g_app.dataPath, kOpenRead, &theirs));
    EXPECT_FALSE(IsOwnOpenFile(theirs));
    CloseFile(&theirs);
    // Nor are its titles listed or a record of it read, should it be swapped in after the look.
    std::int64_t selected = 0;
    EXPECT_FALSE(ListTitles(
        g_app.dataPath, 1, 8, [](std::vector<SelectorEntry>&&, void*) {}, nullptr, &selected));
    EXPECT_NE(std::string::npos, LastFileError().find("belongs to another user")) << LastFileError();
    EXPECT_FALSE(ReadSlot(0));
    g_app.options.autoBackup = 1;
    EXPECT_FALSE(RefreshBackup(true));
    EXPECT_NE(std::string::npos, LastFileError().find("belongs to another user")) << LastFileError();
    EXPECT_FALSE(PathExists(g_app.backupPath));
}

// The window, and with it the toolkit's plugins, is never loaded from a folder that others can
// write into; the dump, which loads nothing from there, still runs.
TEST_F(HostileFilesTest, TheWindowDoesNotStartFromAFolderOthersCanWrite) {
    std::string program = InstallProgramCopy(shared);
    WriteDataFile(shared + "Jotcrate.jcd", {"Record 1"});
    std::vector<std::string> env =
        TestEnvironment({"DISPLAY=:987", "XDG_RUNTIME_DIR=" + mine, "QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(0, chmod(mine.c_str(), 0700));
    ProcessResult window = RunProcess({program}, env);
    EXPECT_EQ(1, window.exitCode) << window.standardError;
    EXPECT_NE(std::string::npos, window.standardError.find("other users")) << window.standardError;
    ProcessResult dump = RunProcess({program, "-d"}, env);
    EXPECT_EQ(0, dump.exitCode) << dump.standardError;
    EXPECT_TRUE(PathExists(shared + "record-dump.txt"));
}

// A folder of the user's own inside one that others may write into is theirs to move away and
// replace, unless that one is sticky: the same rule for a program folder and a data folder.
TEST_F(HostileFilesTest, AFolderInsideOneOthersCanWriteIsUnsafeUnlessThatOneIsSticky) {
    std::string outer = mine + "outer", inner = outer + "/inner";
    ASSERT_TRUE(MakeFolder(outer));
    ASSERT_TRUE(MakeFolder(inner));
    ASSERT_EQ(0, chmod(mine.c_str(), 0700));
    ASSERT_EQ(0, chmod(inner.c_str(), 0700));
    ASSERT_EQ(0, chmod(outer.c_str(), 0700));
    bool safeAbove = !IsFolderOthersCanWrite(inner);
    ASSERT_EQ(0, chmod(outer.c_str(), 0777));
    EXPECT_TRUE(IsFolderOthersCanWrite(inner));
    ASSERT_EQ(0, chmod(outer.c_str(), 01777));
    EXPECT_EQ(!safeAbove, IsFolderOthersCanWrite(inner));
    // Another user's folder above may be changed by them, whatever its mode.
    ASSERT_EQ(0, chmod(outer.c_str(), 0755));
    if (chown(outer.c_str(), kOtherUser, kOtherUser) == 0) {
        EXPECT_TRUE(IsFolderOthersCanWrite(inner));
    }
}

// A backup is never readable by more users than the data file it copies.
TEST_F(HostileFilesTest, ACopyIsNeverMoreReadableThanItsSource) {
    WriteDataFile(g_app.dataPath, {"private"});
    ASSERT_EQ(0, chmod(g_app.dataPath.c_str(), 0600));
    WriteFileBytes(g_app.backupPath, "x");
    ASSERT_EQ(0, chmod(g_app.backupPath.c_str(), 0644));
    g_app.options.autoBackup = 1;
    ASSERT_TRUE(RefreshBackup(true)) << LastFileError();
    struct stat st;
    ASSERT_EQ(0, stat(g_app.backupPath.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
}

}  // namespace
