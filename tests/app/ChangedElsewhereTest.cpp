// The data file replaced or rewritten by another program (a sync tool) while the program runs:
// nothing is written into the new file, typed text goes to a recovery file, and the records
// shown are the new file's; the program's own writes never count as such a change.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/MainLoop.h"
#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"

namespace {

const std::vector<std::string> kMine = {"Alpha", "Bravo", "Charlie"};
const std::vector<std::string> kTheirs = {"New from elsewhere", "Alpha\r\nchanged elsewhere", "Bravo", "Charlie"};

// Commands run when their key is pressed, as in the program, not after the watcher is heard.
class ChangedElsewhereTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        SetEventDispatcher(Dispatch);
    }
    void TearDown() override {
        SetEventDispatcher(nullptr);
        DisarmFileFaults();
        GuiTest::TearDown();
    }
    // As sync tools do: a new file written beside, then renamed over the data file.
    void ReplaceByRename(const std::vector<std::string>& records) {
        std::string incoming = folder.path + ".incoming";
        WriteDataFile(incoming, records);
        ASSERT_EQ(0, std::rename(incoming.c_str(), g_app.dataPath.c_str()));
    }
    // Or the same file written over in place.
    void RewriteInPlace(const std::vector<std::string>& records) {
        std::string bytes;
        for (const std::string& text : records) bytes += SlotBytes(text);
        WriteFileBytes(g_app.dataPath, bytes);
    }
    std::string TheirFile() {
        std::string bytes;
        for (const std::string& text : kTheirs) bytes += SlotBytes(text);
        return bytes;
    }
    std::vector<std::string> RecoveryTexts() {
        std::vector<std::string> texts;
        for (const std::string& name : FolderEntries(folder.path))
            if (name.rfind("Jotcrate-unsaved-", 0) == 0) texts.push_back(ReadFileBytes(folder.path + name));
        return texts;
    }
    // Alpha edited, then saved with ALT+R while the first such step on the data file fails.
    void TypeAndSaveWhileFailing(FileStep step) {
        WriteDataFile(g_app.dataPath, kMine);
        StartProgram();
        Type("typed ");
        ArmFileFault(step, 1, EIO, g_app.dataPath);
        Shortcut('R', kModAlt);
        DisarmFileFaults();
    }
    std::vector<std::string> TheirTitles() { return {"New from elsewhere", "Alpha", "Bravo", "Charlie"}; }
    // Presses the key; once it has a modal window up, another program replaces the file, the
    // watcher is heard, and then the window is answered.
    void KeyWhileReplaced(int key, const std::function<void(QWidget*)>& answer) {
        QTimer whileUp;
        QObject::connect(&whileUp, &QTimer::timeout, [this, &whileUp, &answer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            whileUp.stop();
            ReplaceByRename(kTheirs);
            SetUnattended(true);  // a notice of the change is recorded, not waited on
            OnDataFileChanged();
            answer(modal);
        });
        whileUp.start(1);
        SetUnattended(false);
        Shortcut(key, kModAlt);
        SetUnattended(true);
        ASSERT_FALSE(whileUp.isActive());
    }
};

TEST_F(ChangedElsewhereTest, APendingEditNeverOverwritesAnotherProgramsFile) {
    for (bool byRename : {true, false}) {
        RemoveTestFolder(folder);
        folder = MakeTestFolder();
        WriteDataFile(g_app.dataPath, kMine);
        StartProgram();
        Type("typed ");
        // The list shows the typed title; the new file is searched for the title as stored.
        ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerTitle));
        Pump();
        ASSERT_EQ("typed Alpha", Titles()[0]);
        if (byRename) ReplaceByRename(kTheirs);
        else RewriteInPlace(kTheirs);
        Shortcut('R', kModAlt);  // a save point, if the watcher was not first
        ASSERT_TRUE(PumpUntil([this] { return Titles() == TheirTitles(); })) << byRename;
        EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath)) << byRename;
        EXPECT_EQ(std::vector<std::string>{"typed Alpha"}, RecoveryTexts()) << byRename;
        ASSERT_FALSE(MessageBoxTexts().empty());
        EXPECT_NE(std::string::npos, MessageBoxTexts().back().find("Another program changed the data file"));
        EXPECT_EQ("Alpha\r\nchanged elsewhere", EditorText(kGadgetEditor));  // the same record, as it is now
        EXPECT_EQ(0, g_app.unsavedEdit);
        // What is typed now goes into the new file, and only into its own record.
        Type("then ");
        Shortcut('R', kModAlt);
        EXPECT_EQ("then Alpha\r\nchanged elsewhere", Record(1));
        EXPECT_EQ("New from elsewhere", Record(0));
        CloseWindow(kWindowMain);
        Pump();
        ClearMessageBoxTexts();
    }
}

TEST_F(ChangedElsewhereTest, WithoutAnEditTheNewRecordsAreShownAtOnce) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    ReplaceByRename(kTheirs);
    ASSERT_TRUE(PumpUntil([this] { return Titles() == TheirTitles(); }));
    EXPECT_TRUE(MessageBoxTexts().empty());
    EXPECT_TRUE(RecoveryTexts().empty());
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
}

// A record saved in this run and then replaced by another program's file exists nowhere: the
// user is told. Once the new file is read, its next replacement is shown quietly again.
TEST_F(ChangedElsewhereTest, ReplacingWhatThisRunWroteIsTold) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    Type("saved ");
    Shortcut('R', kModAlt);
    ReplaceByRename(kTheirs);
    ASSERT_TRUE(PumpUntil([this] { return Titles() == TheirTitles(); }));
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_NE(std::string::npos, MessageBoxTexts().back().find("saved or deleted here before may not be in"));
    EXPECT_TRUE(RecoveryTexts().empty());
    ReplaceByRename({"Third version"});
    ASSERT_TRUE(PumpUntil([this] { return Titles() == std::vector<std::string>{"Third version"}; }));
    EXPECT_EQ(1u, MessageBoxTexts().size());
}

TEST_F(ChangedElsewhereTest, OwnWritesAreNoChangeByOthers) {
    WriteDataFile(g_app.dataPath, kMine);
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    StartProgram();
    for (int i = 0; i < 3; ++i) {
        Type("x");
        Shortcut('R', kModAlt);
        Shortcut('E', kModAlt);
    }
    Shortcut('A', kModAlt);
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    Pump();
    EXPECT_TRUE(MessageBoxTexts().size() == 1u) << MessageBoxTexts().back();  // the delete question only
    EXPECT_EQ("xxxAlpha", Record(0));
    EXPECT_TRUE(RecoveryTexts().empty());
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    EXPECT_EQ(3 * kSlotSize, DataFileSize(g_app.dataPath));  // compacted
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(g_app.backupPath));
}

// At close the slots this run deleted belong to a file that is gone: nothing is compacted and
// no backup is made from the other program's file.
// Another user's file put in its place is theirs: it is neither shown as the user's records nor
// written into, and the user is told once, however often it changes.
TEST_F(ChangedElsewhereTest, AnotherUsersFileInPlaceIsNeverShown) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    std::string theirs = folder.path + "theirs";
    WriteDataFile(theirs, kTheirs);
    if (chown(theirs.c_str(), 12345, 12345) != 0) GTEST_SKIP() << "giving a file another owner needs root";
    ASSERT_EQ(0, rename(theirs.c_str(), g_app.dataPath.c_str()));
    ClearMessageBoxTexts();
    OnDataFileChanged();
    Pump();
    OnDataFileChanged();
    Pump();
    EXPECT_EQ(kMine, Titles());
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_NE(std::string::npos, MessageBoxTexts()[0].find("belongs to another user")) << MessageBoxTexts()[0];
    EXPECT_FALSE(ReloadRecords());
    EXPECT_EQ(kMine, Titles());
}

TEST_F(ChangedElsewhereTest, TheCloseNeverCompactsOrBacksUpAnotherProgramsFile) {
    WriteDataFile(g_app.dataPath, kMine);
    WriteDataFile(g_app.backupPath, {"old backup"});
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    Type("typed ");
    ReplaceByRename(kTheirs);
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});  // before the watcher is heard
    Pump();
    EXPECT_EQ(0, g_app.running);
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(SlotBytes("old backup"), ReadFileBytes(g_app.backupPath));
    EXPECT_EQ(std::vector<std::string>{"typed Bravo"}, RecoveryTexts());
}

// A rewrite in place of the same size within one tick of the file's clock leaves the file's
// version as it was: the record's own bytes show it.
TEST_F(ChangedElsewhereTest, ASameSizeRewriteInTheSameTickIsSeenByTheRecordsOwnBytes) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo"});
    StartProgram();
    Type("typed ");
    struct stat before;
    ASSERT_EQ(0, stat(g_app.dataPath.c_str(), &before));
    RewriteInPlace({"Theirs A", "Theirs B"});
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, g_app.dataPath.c_str(), times, 0));
    Shortcut('R', kModAlt);
    EXPECT_EQ("Theirs A", Record(0));
    EXPECT_EQ(std::vector<std::string>{"typed Alpha"}, RecoveryTexts());
}

// The slot was written into the file the save opened, but another program renamed its own over
// it before the flush: what was written is in no file, so the text goes to a recovery file at
// once, and the new records are shown. A delete's mark met the same way deletes nothing.
TEST_F(ChangedElsewhereTest, AReplacementWhileASaveWritesIsCaughtAfterItsFlush) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    Type("typed ");
    ArmFileHook(
        kStepFlush, 1, [this] { ReplaceByRename(kTheirs); }, g_app.dataPath);
    Shortcut('R', kModAlt);
    DisarmFileFaults();
    EXPECT_EQ(std::vector<std::string>{"typed Alpha"}, RecoveryTexts());
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(TheirTitles(), Titles());
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_NE(std::string::npos, MessageBoxTexts().back().find("What you had typed was kept in the file"));
    EXPECT_EQ(0, g_app.unsavedEdit);
    ArmMessageBoxAnswers({true});
    ArmFileHook(
        kStepFlush, 1, [this] { ReplaceByRename(kMine); }, g_app.dataPath);
    Shortcut('D', kModAlt);
    DisarmFileFaults();
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo", "Charlie"}), Titles());
    EXPECT_TRUE(g_app.deletedSlots.empty());
}

TEST_F(ChangedElsewhereTest, DeletingTheLastRecordNeverWritesOverAnotherProgramsFile) {
    WriteDataFile(g_app.dataPath, {"Only"});
    StartProgram();
    ReplaceByRename(kTheirs);
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(TheirTitles(), Titles());
}

// A file still being written (not whole slots) is not read; once whole, it is.
TEST_F(ChangedElsewhereTest, AFileStillBeingWrittenIsWaitedFor) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    Type("typed ");
    WriteFileBytes(g_app.dataPath, TheirFile().substr(0, 40000));
    Pump();
    Shortcut('R', kModAlt);
    EXPECT_EQ(std::vector<std::string>{"typed Alpha"}, RecoveryTexts());
    EXPECT_EQ(0u, MessageBoxTexts().back().find("Another program changed the data file, so Jotcrate wrote nothing"));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo", "Charlie"}), Titles());  // not read yet
    RewriteInPlace(kTheirs);
    ASSERT_TRUE(PumpUntil([this] { return Titles() == TheirTitles(); }));
    OnDataFileChanged();  // heard again: the same version is nothing new
    EXPECT_EQ(TheirTitles(), Titles());
}

TEST_F(ChangedElsewhereTest, AddAndDeleteMeetAChangedFileAndWriteNothing) {
    WriteDataFile(g_app.dataPath, {"Mine only", "Mine too"});
    StartProgram();
    ReplaceByRename(kTheirs);
    Shortcut('A', kModAlt);
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(TheirTitles(), Titles());
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));  // no record of the old title: the first
    RewriteInPlace({"Third version", "more"});
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_EQ(SlotBytes("Third version") + SlotBytes("more"), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ((std::vector<std::string>{"Third version", "more"}), Titles());
    EXPECT_TRUE(RecoveryTexts().empty());
}

TEST_F(ChangedElsewhereTest, ASlotThatCannotBeReadBeforeASaveIsAFailureToSave) {
    TypeAndSaveWhileFailing(kStepRead);
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_EQ(0u, MessageBoxTexts().back().find("The record could not be saved."));
    EXPECT_EQ("typed Alpha", EditorText(kGadgetEditor));
    EXPECT_EQ("Alpha", Record(0));
    OnDataFileChanged();  // nothing changed: nothing happens
    EXPECT_EQ(1, g_app.unsavedEdit);
}

// A data file that cannot even be looked up is no file to write into either: the save writes
// nothing and the text is kept.
TEST_F(ChangedElsewhereTest, ALookUpThatFailsBeforeASaveWritesNothing) {
    TypeAndSaveWhileFailing(kStepStat);
    EXPECT_EQ("Alpha", Record(0));
    EXPECT_EQ(std::vector<std::string>{"typed Alpha"}, RecoveryTexts());
    EXPECT_EQ(kMine.size(), Titles().size());
}

TEST_F(ChangedElsewhereTest, SlotWritesCheckTheFileTheyWriteInto) {
    WriteDataFile(g_app.dataPath, kMine);
    NoteDataFileVersion();
    EncodeText("mine", g_app.slotImage);
    ASSERT_TRUE(WriteSlot(0));
    ASSERT_TRUE(MarkDeleted(2));
    EXPECT_TRUE(IsDataFileAsLeft());
    ReplaceByRename(kTheirs);
    EXPECT_FALSE(WriteSlot(0));
    EXPECT_FALSE(MarkDeleted(1));
    EXPECT_FALSE(CompactDataFile());
    g_app.options.autoBackup = 1;
    EXPECT_FALSE(RefreshBackup(true));
    EXPECT_EQ(0u, LastFileError().find("Another program changed the data file"));
    EXPECT_TRUE(g_app.dataChangedElsewhere);
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    unlink(g_app.dataPath.c_str());
    EXPECT_FALSE(WriteSlot(0));
    EXPECT_FALSE(PathExists(g_app.dataPath));  // a vanished file is not made anew by a save
    // A file removed between a write's open and its flush: the write counts as not made.
    WriteDataFile(g_app.dataPath, kMine);
    NoteDataFileVersion();
    ArmFileHook(
        kStepFlush, 1, [] { unlink(g_app.dataPath.c_str()); }, g_app.dataPath);
    EXPECT_FALSE(WriteSlot(0));
    DisarmFileFaults();
    EXPECT_EQ(0u, LastFileError().find("Another program replaced the data file")) << LastFileError();
}

// A reload that cannot read the new file shows what it showed and still counts the file as
// changed: nothing is written into it, and the next save point reads it again.
TEST_F(ChangedElsewhereTest, AReloadThatCannotReadTheNewFileTriesAgain) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    ReplaceByRename(kTheirs);
    ArmFileFault(kStepOpen, 1, EIO, g_app.dataPath);
    EXPECT_FALSE(ReloadRecords());
    DisarmFileFaults();
    EXPECT_EQ(kMine, Titles());
    EXPECT_FALSE(IsDataFileAsLeft());
    ASSERT_TRUE(PumpUntil([this] { return Titles() == TheirTitles(); }));
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
}

TEST_F(ChangedElsewhereTest, ADeleteAnsweredAfterTheRecordsWereReadAgainDoesNothing) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    KeyWhileReplaced('D', [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(TheirTitles(), Titles());
}

// A record whose slot cannot be read back is not known to be the one shown: no delete.
TEST_F(ChangedElsewhereTest, ADeleteThatCannotCheckTheSlotDeletesNothing) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    ArmMessageBoxAnswers({true});
    ArmFileFault(kStepRead, 1, EIO, g_app.dataPath);
    Shortcut('D', kModAlt);
    DisarmFileFaults();
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_NE(std::string::npos, MessageBoxTexts().back().find("Input/output error")) << MessageBoxTexts().back();
    EXPECT_EQ(kMine, Titles());
    EXPECT_EQ(ReadFileBytes(g_app.dataPath).substr(0, 1), std::string(1, '\0'));
}

// The list of deleted records was of the file that is gone once the records are read again.
TEST_F(ChangedElsewhereTest, AnUndeleteChosenAfterTheRecordsWereReadAgainDoesNothing) {
    WriteDataFile(g_app.dataPath, kMine);
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ArmRequesterAnswers({});
    SetUnattended(false);
    Shortcut('U', kModAlt);
    SetUnattended(true);
    ASSERT_TRUE(WindowExists(kWindowUndelete));
    ReplaceByRename(kTheirs);
    OnDataFileChanged();
    Shortcut(kKeyEnter);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_EQ(TheirFile(), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(TheirTitles(), Titles());
}

}  // namespace
