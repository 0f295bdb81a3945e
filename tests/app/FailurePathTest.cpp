// The paths that run when something is missing, damaged or failing: nothing the user gave the
// program is lost on any of them, and each one says what happened.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtGuiTest.h"
#include "ui/Shutdown.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"

namespace {

class FailurePathTest : public GuiTest {
protected:
    void TearDown() override {
        DisarmFileFaults();
        if (lockFd >= 0) close(lockFd);
        GuiTest::TearDown();
    }
    void Close() {
        PostWindowEvent(Event{kEventClose, kWindowMain, 0});
        Pump();
    }
    // Another program holds the file: every open of it fails until released.
    void HoldFile(const std::string& path) {
        lockFd = open(path.c_str(), O_RDONLY);
        ASSERT_EQ(0, flock(lockFd, LOCK_EX));
    }
    void HoldDataFile() { HoldFile(g_app.dataPath); }
    std::string Told(const std::string& start) {
        for (const std::string& text : MessageBoxTexts())
            if (text.rfind(start, 0) == 0) return text;
        return std::string();
    }
    // The window of a run that ended closed, and the program started again with these answers.
    void StartAgain(const std::vector<bool>& answers) {
        CloseWindow(kWindowMain);
        Pump();
        g_app.running = 1;
        ClearMessageBoxTexts();
        ArmMessageBoxAnswers(answers);
        StartProgram();
    }
    std::int64_t BackupTime() {
        FileVersion backup;
        EXPECT_TRUE(VersionOfFile(g_app.backupPath, &backup));
        return backup.modified;
    }
    std::vector<std::string> FilesStartingWith(const std::string& prefix) {
        std::vector<std::string> names;
        for (const std::string& name : FolderEntries(folder.path))
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        return names;
    }
    int lockFd = -1;
};

TEST_F(FailurePathTest, ALookUpErrorIsNoMissingDataFile) {
    WriteDataFile(g_app.dataPath, {"mine", "also mine"});
    WriteDataFile(g_app.backupPath, {"older"});
    const std::string data = ReadFileBytes(g_app.dataPath);
    ArmFileFault(kStepStat, 1, EIO, g_app.dataPath);
    StartProgram();
    DisarmFileFaults();
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE("", Told("The data file is missing, damaged or read-only:"));
    EXPECT_EQ(data, ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(SlotBytes("older"), ReadFileBytes(g_app.backupPath));
}

TEST_F(FailurePathTest, ADamagedBackupIsSetAsideNeverOverwritten) {
    const std::string damaged(50000, 'b');
    WriteFileBytes(g_app.backupPath, damaged);
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    std::vector<std::string> kept = FilesStartingWith("Jotcrate-damaged-backup-");
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(damaged, ReadFileBytes(folder.path + kept[0]));
    EXPECT_NE(std::string::npos, Told("The data file was missing and its backup is damaged").find(kept[0]));
    Close();
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(g_app.backupPath));  // a fresh backup beside it
    EXPECT_EQ(damaged, ReadFileBytes(folder.path + kept[0]));
}

// A backup that is the user's link into another folder is set aside in that folder (which may
// be on another file system), and the link leads the next refresh there.
TEST_F(FailurePathTest, ADamagedLinkedBackupIsSetAsideWhereItLies) {
    const std::string damaged(50000, 'b'), elsewhere = folder.path + "synced/";
    ASSERT_TRUE(MakeFolder(elsewhere));
    WriteFileBytes(elsewhere + "notes.bak", damaged);
    if (!MakeLink(elsewhere + "notes.bak", g_app.backupPath)) GTEST_SKIP() << "no links here";
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    std::vector<std::string> kept;
    for (const std::string& name : FolderEntries(elsewhere))
        if (name.rfind("Jotcrate-damaged-backup-", 0) == 0) kept.push_back(name);
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(damaged, ReadFileBytes(elsewhere + kept[0]));
    EXPECT_NE(std::string::npos, Told("The data file was missing and its backup is damaged").find(elsewhere + kept[0]));
    Close();
    EXPECT_TRUE(IsLink(g_app.backupPath));
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(elsewhere + "notes.bak"));
}

TEST_F(FailurePathTest, ARestoreThatFailsSaysSoAndWritesNothing) {
    WriteDataFile(g_app.backupPath, {"backed up"});
    ArmFileFault(kStepRead, 1, EIO, g_app.backupPath);
    StartProgram();
    DisarmFileFaults();
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE(std::string::npos,
              Told("The data file could not be restored from its backup.").find("Input/output error"));
    EXPECT_FALSE(PathExists(g_app.dataPath));
    EXPECT_EQ(SlotBytes("backed up"), ReadFileBytes(g_app.backupPath));
}

TEST_F(FailurePathTest, TextThatCannotBeSavedAtCloseGoesToARecoveryFile) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    WriteDataFile(g_app.dataPath, {"caf\xE9"});                 // Windows-1252: the recovery file is UTF-8
    WriteFileBytes(g_app.backupPath, std::string(50000, 'b'));  // stale: a refresh is due
    StartProgram();
    Type("Line one");
    Key(kGadgetEditor, kKeyEnter);
    // The save fails at its flush, and putting the old bytes back fails too: the slot is in doubt.
    ArmFileFault(kStepFlush, 1, EIO, g_app.dataPath);
    ArmFileFault(kStepWrite, 3, EIO, g_app.dataPath);
    Close();
    DisarmFileFaults();
    EXPECT_EQ(0, g_app.running);
    std::vector<std::string> kept = FilesStartingWith("Jotcrate-unsaved-");
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ("Line one\r\ncaf\xC3\xA9", ReadFileBytes(folder.path + kept[0]));
    EXPECT_NE(std::string::npos, Told("The text of the record was kept in the file").find(folder.path + kept[0]));
    // The data file's last write failed: the backup is not refreshed from it.
    EXPECT_EQ(std::string(50000, 'b'), ReadFileBytes(g_app.backupPath));
    EXPECT_NE("", Told("The backup could not be refreshed.\nThe last write to the data file failed"));
}

TEST_F(FailurePathTest, AFailedSaveStopsTheCommandAndKeepsTheText) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    Type("typed ");
    HoldDataFile();
    ArmMessageBoxAnswers({true});
    for (int key : {'A', 'D', 'O'}) Shortcut(key, kModAlt);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ(2, SelectorCount(kGadgetSelector));
    EXPECT_EQ("typed one", EditorText(kGadgetEditor));
    FocusGadget(kGadgetSelector);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("typed one", EditorText(kGadgetEditor));
    close(lockFd);
    lockFd = -1;
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ("typed one", Record(0));
    EXPECT_EQ("two", EditorText(kGadgetEditor));
}

TEST_F(FailurePathTest, CloseWaitsForTheOptionsDialog) {
    StartProgram();
    Type("x");
    Shortcut('O', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowOptions));
    Close();
    EXPECT_EQ(1, g_app.running);
    EXPECT_TRUE(WindowExists(kWindowOptions));
    PostWindowEvent(Event{kEventGadget, kWindowOptions, kGadgetCancel});
    Pump();
    EXPECT_EQ(0, g_app.running);
    EXPECT_EQ("xRecord 1\r\n", Record(0));
}

// A logout may end the process as soon as the close returns: the dialog is cancelled instead.
TEST_F(FailurePathTest, CloseAtTheEndOfTheSessionDoesNotWaitForTheOptionsDialog) {
    StartProgram();
    Type("x");
    Shortcut('O', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowOptions));
    PostWindowEvent(Event{kEventClose, kWindowMain, kCloseEndingSession});
    Pump();
    EXPECT_EQ(0, g_app.running);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ("xRecord 1\r\n", Record(0));
}

TEST_F(FailurePathTest, ACloseBeforeAFailedLoadEndsShowsItsErrorAndWritesNothing) {
    WriteFileBytes(g_app.dataPath, std::string(100, 'x'));
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    BuildMainWindow();
    const std::string settings = ReadFileBytes(g_app.settingsPath);
    g_app.settingsChanged = 1;
    StartLoadWorker();
    CloseMainWindow();  // before any of the load's steps reached the window
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE("", Told("The data file is missing, damaged or read-only:"));
    EXPECT_EQ(settings, ReadFileBytes(g_app.settingsPath));
    EXPECT_FALSE(PathExists(g_app.backupPath));
}

// A settings file over 1 MiB serves as far as that and is never written over: options changed in
// the run are then lost, and the close says so instead of nothing.
TEST_F(FailurePathTest, OptionsThatADamagedSettingsFileCannotTakeAreToldLost) {
    WriteDataFile(g_app.dataPath, {"one"});
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nFont Size=14\r\n");
    ASSERT_EQ(0, truncate(g_app.settingsPath.c_str(), 2 << 20));
    const std::string settings = ReadFileBytes(g_app.settingsPath);
    StartProgram();
    EXPECT_EQ(14, g_app.options.fontSize);
    g_app.settingsChanged = 1;
    Close();
    EXPECT_NE(std::string::npos, Told("The settings could not be saved.").find(g_app.settingsPath));
    EXPECT_EQ(settings, ReadFileBytes(g_app.settingsPath));
}

TEST_F(FailurePathTest, ACutDataFileIsSalvagedWhenTheUserAgrees) {
    const std::string cut = SlotBytes("one") + SlotBytes("two") + std::string(700, '\x05');
    WriteFileBytes(g_app.dataPath, cut);
    StartProgram();  // unattended, the question gets No
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE("", Told("The end of the data file is damaged: its last 700 bytes are not a whole record"));
    EXPECT_EQ(1u, MessageBoxTexts().size()) << "No was the user's answer: nothing more to say";
    EXPECT_EQ(cut, ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(FilesStartingWith("Jotcrate-damaged-").empty());

    StartAgain({true});
    EXPECT_EQ(1, g_app.running);
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Titles());
    EXPECT_EQ(SlotBytes("one") + SlotBytes("two"), ReadFileBytes(g_app.dataPath));
    std::vector<std::string> kept = FilesStartingWith("Jotcrate-damaged-");
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(cut, ReadFileBytes(folder.path + kept[0]));
    EXPECT_NE(std::string::npos, Told("The whole records of the data file were kept.").find(kept[0]));
}

// With a backup, No to keeping the whole records offers the backup: Yes brings it back and keeps
// the cut file, No ends the run with nothing changed. Each says when the backup was taken.
TEST_F(FailurePathTest, ACutDataFileCanGiveWayToTheBackup) {
    const std::string cut = SlotBytes("one") + SlotBytes("two") + std::string(700, '\x05');
    WriteFileBytes(g_app.dataPath, cut);
    WriteDataFile(g_app.backupPath, {"backed up"});
    struct timespec times[2] = {{0, UTIME_OMIT}, {1733650500, 0}};  // 2024-12-08, 09:35 UTC
    ASSERT_EQ(0, utimensat(AT_FDCWD, g_app.backupPath.c_str(), times, 0));
    std::string when = LocalTimeText(std::int64_t(1733650500) * 1000000000);
    ArmMessageBoxAnswers({false, false});
    StartProgram();
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE(std::string::npos,
              Told("The end of the data file is damaged").find("offers its backup instead (" + when + ", 1 record)"));
    EXPECT_NE("", Told("Bring back the backup of the data file instead (" + when));
    EXPECT_EQ(cut, ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(FilesStartingWith("Jotcrate-damaged-").empty());

    StartAgain({false, true});
    EXPECT_EQ(1, g_app.running);
    EXPECT_EQ((std::vector<std::string>{"backed up"}), Titles());
    std::vector<std::string> kept = FilesStartingWith("Jotcrate-damaged-");
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(cut, ReadFileBytes(folder.path + kept[0]));
    std::string told = Told("The data file was brought back from its backup of " + when + ". Changes made after");
    EXPECT_NE(std::string::npos, told.find(kept[0])) << told;

    // A backup that cannot be read ends the start with the reason, the cut file as it was.
    CloseWindow(kWindowMain);
    Pump();
    g_app.running = 1;
    ClearMessageBoxTexts();
    unlink((folder.path + kept[0]).c_str());
    WriteFileBytes(g_app.dataPath, cut);
    WriteDataFile(g_app.backupPath, {"backed up", "too"});
    ArmMessageBoxAnswers({false, true});
    ArmFileFault(kStepRead, 1, EIO, g_app.backupPath);
    StartProgram();
    DisarmFileFaults();
    EXPECT_EQ(0, g_app.running);
    EXPECT_NE("",
              Told("Bring back the backup of the data file instead (" + LocalTimeText(BackupTime()) + ", 2 records)"));
    EXPECT_NE(std::string::npos, Told("The data file is missing, damaged or read-only:").find("Input/output error"));
    EXPECT_EQ(cut, ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(FilesStartingWith("Jotcrate-damaged-").empty());
}

// A missing data file that comes back from the backup is announced, with the backup's time.
TEST_F(FailurePathTest, ARestoreFromTheBackupIsAnnounced) {
    WriteDataFile(g_app.backupPath, {"backed up", "too"});
    StartProgram();
    EXPECT_EQ((std::vector<std::string>{"backed up", "too"}), Titles());
    EXPECT_NE("", Told("The data file was brought back from its backup of " + LocalTimeText(BackupTime()) +
                       ". Changes made after that time may be missing."));
}

// Whatever fails while the data file is being provided ends the start with a message that
// says what, and leaves every file as it was.
TEST_F(FailurePathTest, EveryFailureWhileProvidingTheDataFileEndsTheStartCleanly) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        FileStep step;
        std::string file;  // the name of the failing step's file; empty: the first such step of all
        const char* told;
    } cases[] = {
        {"backup cannot be set aside", [] { WriteFileBytes(g_app.backupPath, std::string(50000, 'b')); }, kStepRename,
         "", "The data file could not be restored from its backup."},
        {"starter file cannot be written", [] {}, kStepOpen, "Jotcrate.jcd.tmp",
         "The data file is missing, damaged or read-only:"},
        {"a cut file cannot be salvaged", [] { WriteFileBytes(g_app.dataPath, SlotBytes("one") + "cut"); }, kStepRead,
         "Jotcrate.jcd", "The data file is missing, damaged or read-only:"},
    };
    for (const Case& c : cases) {
        RemoveTestFolder(folder);
        folder = MakeTestFolder();
        ClearMessageBoxTexts();
        WriteFileBytes(g_app.settingsPath, "[Options]\r\n");
        c.prepare();
        ArmMessageBoxAnswers({true});
        ArmFileFault(c.step, 1, EIO, c.file.empty() ? std::string() : folder.path + c.file);
        StartProgram();
        DisarmFileFaults();
        EXPECT_EQ(0, g_app.running) << c.name;
        EXPECT_NE("", Told(c.told)) << c.name;
        EXPECT_TRUE(FilesStartingWith("Jotcrate-damaged").empty()) << c.name;
        CloseWindow(kWindowMain);
        Pump();
        g_app.running = 1;
    }
    // A cut file that is read-only is not offered for salvage.
    RemoveTestFolder(folder);
    folder = MakeTestFolder();
    WriteFileBytes(g_app.dataPath, SlotBytes("one") + "cut");
    chmod(g_app.dataPath.c_str(), 0444);
    ClearMessageBoxTexts();
    StartProgram();
    EXPECT_EQ(0, g_app.running);
    EXPECT_EQ(1u, MessageBoxTexts().size());
}

TEST_F(FailurePathTest, TextThatCannotBeKeptStaysOnScreenAndTheHomeFolderIsTheSecondPlace) {
    WriteDataFile(g_app.dataPath, {"mine"});
    StartProgram();
    Type("typed ");
    WriteDataFile(g_app.dataPath, {"theirs", "more"});  // another program's version
    std::string home = std::getenv("HOME");
    setenv("HOME", (folder.path + "nowhere").c_str(), 1);
    ArmFileFault(kStepOpen, 1, ENOSPC);  // the recovery file in the program folder
    TakeChangedDataFile();
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, Told("Another program changed the data file").find("could not be kept in a file"));
    EXPECT_EQ("typed mine", EditorText(kGadgetEditor));
    EXPECT_EQ(1, g_app.unsavedEdit);
    EXPECT_EQ(SlotBytes("theirs") + SlotBytes("more"), ReadFileBytes(g_app.dataPath));
    // With the program folder still refusing, the home folder takes it.
    setenv("HOME", home.c_str(), 1);
    ArmFileFault(kStepOpen, 1, ENOSPC);
    TakeChangedDataFile();
    DisarmFileFaults();
    Pump();
    std::vector<std::string> kept;
    for (const std::string& name : FolderEntries(home + "/"))
        if (name.rfind("Jotcrate-unsaved-", 0) == 0) kept.push_back(name);
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ("typed mine", ReadFileBytes(home + "/" + kept[0]));
    EXPECT_EQ((std::vector<std::string>{"theirs", "more"}), Titles());
    // A chmod by another program changes no record: it is no new version.
    chmod(g_app.dataPath.c_str(), 0640);
    Type("x");
    Shortcut('R', kModAlt);
    EXPECT_EQ("xtheirs", Record(0));
}

TEST_F(FailurePathTest, SettingsThatCouldNotBeReadAreNotWrittenOverAndFailedWritesAreTold) {
    const std::string mine = "[Options]\r\nWordwrap=0\r\nAuto Backup=1\r\n\r\n[Window]\r\nZoom=150\r\n";
    WriteFileBytes(g_app.settingsPath, mine);
    HoldFile(g_app.settingsPath);
    StartProgram();
    close(lockFd);
    lockFd = -1;
    g_app.settingsChanged = 1;
    Close();
    EXPECT_EQ(mine, ReadFileBytes(g_app.settingsPath));

    g_app.running = 1;
    ClearMessageBoxTexts();
    StartProgram();
    g_app.settingsChanged = 1;
    ArmFileFault(kStepRename, 1, ENOSPC, g_app.settingsPath);
    Close();
    DisarmFileFaults();
    EXPECT_NE("", Told("The settings could not be saved."));
}

TEST_F(FailurePathTest, TheLastRecordStaysWhenTheStarterRecordsCannotBeWritten) {
    WriteDataFile(g_app.dataPath, {"only"});
    StartProgram();
    ArmMessageBoxAnswers({true});
    ArmFileFault(kStepWrite, 2, ENOSPC, g_app.dataPath);  // the mark is the first write
    Shortcut('D', kModAlt);
    DisarmFileFaults();
    EXPECT_EQ(1, g_app.running);
    std::string told = Told("The record could not be deleted.");
    EXPECT_NE(std::string::npos, told.find("No space left")) << told;
    EXPECT_EQ(std::vector<std::string>{"only"}, Titles());
    EXPECT_EQ(SlotBytes("only"), ReadFileBytes(g_app.dataPath));
    EXPECT_TRUE(g_app.deletedSlots.empty());
}

TEST_F(FailurePathTest, AddStopsAtTheRecordLimit) {
    WriteFileBytes(g_app.dataPath, "");
    ASSERT_EQ(0, truncate(g_app.dataPath.c_str(), kRecordLimit * kSlotSize));
    StartProgram();
    Shortcut('A', kModAlt);
    EXPECT_NE("", Told("Jotcrate lists at most 32,767 records"));
    EXPECT_EQ(kRecordLimit * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_EQ(kRecordLimit, SelectorCount(kGadgetSelector));
    // A record deleted in this run makes room: the compaction at exit removes its slot.
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    Shortcut('A', kModAlt);
    EXPECT_EQ((kRecordLimit + 1) * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_EQ(kRecordLimit, SelectorCount(kGadgetSelector));
    // That room is taken: the deleted record cannot come back.
    ClearMessageBoxTexts();
    ArmRequesterAnswers({{true, {}, 0, "", 0}});
    Shortcut('U', kModAlt);
    EXPECT_NE("", Told("Jotcrate lists at most 32,767 records"));
    EXPECT_EQ(kRecordLimit, SelectorCount(kGadgetSelector));
    EXPECT_EQ(1u, g_app.deletedSlots.size());
    ArmRequesterAnswers({});
}

}  // namespace
