// The journal of unsaved typing in the real window: typing only restarts the pause, the
// pause's end (expired by the test, never waited for) writes the shown record's text, a save
// removes it; a restart after a run that ended without saving offers the text back into its
// record, into a new record where that one changed, or into a recovery file, and a journal
// that is damaged or cannot be kept is never lost.

#include <cerrno>
#include <chrono>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "core/store/JournalFile.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Journal.h"
#include "ui/records/Records.h"

namespace {

class JournalTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StopTimer(kWindowMain, kTimerJournal);
    }
    // The pause after typing ends now.
    bool EndPause() {
        bool running = ExpireTimer(kWindowMain, kTimerJournal);
        Pump();
        return running;
    }
    Journal ReadBack() {
        Journal journal;
        EXPECT_EQ(kJournalRead, ReadJournal(g_app.journalPath, &journal));
        return journal;
    }
    // As after a kill: the window goes without its close, and the run's state with it.
    void EndRun() {
        CloseWindow(kWindowMain);
        Pump();
        ResetAppState();
        ResolvePaths(folder.path + "jotcrate");
        g_app.journalPauseMs = 3600 * 1000;
    }
    void Restart(const std::vector<bool>& answers) {
        EndRun();
        ClearMessageBoxTexts();
        ArmMessageBoxAnswers(answers);
        StartProgram();
    }
    std::vector<std::string> RecoveryTexts() {
        std::vector<std::string> texts;
        for (const std::string& name : FolderEntries(folder.path))
            if (name.rfind(Str(kStrUnsavedPrefix), 0) == 0) texts.push_back(ReadFileBytes(folder.path + name));
        return texts;
    }
    std::uint64_t StoredDigest(std::int64_t slot) {
        std::string bytes = ReadFileBytes(g_app.dataPath).substr(static_cast<std::size_t>(slot * kSlotSize), kSlotSize);
        return SlotDigest(reinterpret_cast<const unsigned char*>(bytes.data()));
    }
    void TypeIntoRecordAndKill(int position, const std::string& text) {
        SelectEntry(kGadgetSelector, position);
        ShowSelectedRecord();
        FocusGadget(kGadgetEditor);
        Type(text);
        ASSERT_TRUE(EndPause());
        ASSERT_TRUE(PathExists(g_app.journalPath));
    }
};

// The toolkit's own timer, really waited for: its expiry reaches the queue as an event, once.
TEST_F(JournalTest, ThePlatformTimerExpiresOnceIntoTheEventQueue) {
    constexpr int kTimer = 7;
    StartTimer(kWindowMain, kTimer, 5);
    int arrived = 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         arrived == 0 && std::chrono::steady_clock::now() < end;) {
        WaitForWindowEvents(1);
        Event event;
        while (PollWindowEvent(&event)) arrived += event.kind == kEventTimer && event.number == kTimer;
    }
    EXPECT_EQ(1, arrived);
    EXPECT_FALSE(ExpireTimer(kWindowMain, kTimer));
    StartTimer(kWindowMain, kTimer, 60 * 1000);
    StopTimer(kWindowMain, kTimer);
    EXPECT_FALSE(ExpireTimer(kWindowMain, kTimer));
}

// Typing that never pauses is written all the same, after the longest wait from its first key.
TEST_F(JournalTest, SteadyTypingIsWrittenWithoutAPause) {
    WriteDataFile(g_app.dataPath, {"Alpha"});
    StartProgram();
    FocusGadget(kGadgetEditor);
    Type("one ");
    Type("two ");
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerJournalLongest));
    Pump();
    EXPECT_EQ("one two Alpha", ReadBack().text);
    Type("three ");  // the next key times the next longest wait
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerJournalLongest));
    Pump();
    EXPECT_EQ("one two three Alpha", ReadBack().text);
}

TEST_F(JournalTest, ThePauseAfterTypingWritesTheJournalAndTheSaveRemovesIt) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo"});
    StartProgram();
    EXPECT_FALSE(EndPause());  // showing a record is no edit
    SelectEntry(kGadgetSelector, 1);
    ShowSelectedRecord();
    FocusGadget(kGadgetEditor);
    Type("new ");
    EXPECT_FALSE(PathExists(g_app.journalPath));  // keys alone write nothing
    ASSERT_TRUE(EndPause());
    EXPECT_FALSE(EndPause());                                      // one expiry per pause
    EXPECT_FALSE(ExpireTimer(kWindowMain, kTimerJournalLongest));  // and no second write after it
    Journal journal = ReadBack();
    EXPECT_EQ(1, journal.slot);
    EXPECT_EQ("new Bravo", journal.text);
    EXPECT_EQ(StoredDigest(1), journal.slotDigest);
    if (FilesHaveModes()) {
        EXPECT_EQ(0600u, FileMode(g_app.journalPath));
    }
    // More typing: the next pause writes the text as it is then, the slot still as stored.
    Type("x");
    ASSERT_TRUE(EndPause());
    EXPECT_EQ("new xBravo", ReadBack().text);
    EXPECT_EQ(StoredDigest(1), ReadBack().slotDigest);
    // A save point (Add) saves the record and the journal goes; a pause that ends after a save
    // writes nothing.
    Type("y");
    Shortcut('A', kModAlt);
    EXPECT_EQ("new xyBravo", Record(1));
    EXPECT_FALSE(PathExists(g_app.journalPath));
    EndPause();
    EXPECT_FALSE(PathExists(g_app.journalPath));
    Type("z");
    ASSERT_TRUE(SaveRecord());
    EXPECT_TRUE(EndPause());
    EXPECT_FALSE(PathExists(g_app.journalPath));
    // With the journal off (a pause of 0) a key starts no pause.
    g_app.journalPauseMs = 0;
    Type("w");
    EXPECT_FALSE(EndPause());
    EXPECT_TRUE(RecoveryTexts().empty());
}

TEST_F(JournalTest, TextAsStoredNeedsNoJournal) {
    WriteDataFile(g_app.dataPath, {"Alpha"});
    StartProgram();
    FocusGadget(kGadgetEditor);
    Key(kGadgetEditor, 'C', kModCtrl);  // marks the record edited, changes nothing
    ASSERT_EQ(1, g_app.unsavedEdit);
    ASSERT_TRUE(EndPause());
    EXPECT_FALSE(PathExists(g_app.journalPath));
    Type("x");
    ASSERT_TRUE(EndPause());
    EXPECT_EQ("xAlpha", ReadBack().text);
    Key(kGadgetEditor, kKeyBackspace);
    ASSERT_TRUE(EndPause());
    EXPECT_FALSE(PathExists(g_app.journalPath));
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenIsToldOnceAndTheRecordStillSaves) {
    WriteDataFile(g_app.dataPath, {"Alpha"});
    StartProgram();
    FocusGadget(kGadgetEditor);
    Type("full disk ");
    ArmFileFault(kStepWrite, 1, ENOSPC);
    ASSERT_TRUE(EndPause());
    DisarmFileFaults();
    EXPECT_FALSE(PathExists(g_app.journalPath));
    EXPECT_EQ((std::vector<std::string>{"Jotcrate.ini", "Jotcrate.jcd", "home"}), FolderEntries(folder.path));
    EXPECT_EQ(0u, TestEditorTip(kGadgetEditor).find(Str(kStrJournalWriteFailed)));
    EXPECT_TRUE(g_app.journalTipShown);
    // The next pause writes it; the save point saves the record as ever.
    Type("again ");
    ASSERT_TRUE(EndPause());
    EXPECT_EQ("full disk again Alpha", ReadBack().text);
    Shortcut('A', kModAlt);
    EXPECT_EQ("full disk again Alpha", Record(0));
    EXPECT_FALSE(PathExists(g_app.journalPath));
}

TEST_F(JournalTest, TheDeletedRecordAndTheTextKeptInARecoveryFileTakeTheJournalWithThem) {
    WriteDataFile(g_app.dataPath, {"Alpha"});
    StartProgram();
    FocusGadget(kGadgetEditor);
    Type("gone ");
    ASSERT_TRUE(EndPause());
    // Delete answers Yes: the last record goes, the starters come, no journal stays.
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_FALSE(PathExists(g_app.journalPath));
    FocusGadget(kGadgetEditor);
    Type("kept ");
    ASSERT_TRUE(EndPause());
    std::string kept;
    ASSERT_TRUE(KeepUnsavedText(&kept));
    EXPECT_FALSE(PathExists(g_app.journalPath));
    EXPECT_EQ(std::vector<std::string>{"kept Record 1\r\n"}, RecoveryTexts());
}

// A close saves the text or keeps it in a recovery file; either way no journal stays to offer
// it twice.
TEST_F(JournalTest, TheCloseLeavesTheTextInOnePlaceOnly) {
    for (bool saves : {true, false}) {
        WriteDataFile(g_app.dataPath, {"Alpha"});
        StartProgram();
        TypeIntoRecordAndKill(0, "closing ");
        if (!saves) {
            ArmFileFault(kStepFlush, 1, EIO, g_app.dataPath);
            ArmFileFault(kStepWrite, 3, EIO, g_app.dataPath);
        }
        PostWindowEvent(Event{kEventClose, kWindowMain, 0});
        Pump();
        DisarmFileFaults();
        EXPECT_EQ(0, g_app.running);
        EXPECT_FALSE(PathExists(g_app.journalPath)) << saves;
        if (saves) {
            EXPECT_EQ("closing Alpha", Record(0));
        }
        EXPECT_EQ(saves ? std::vector<std::string>{} : std::vector<std::string>{"closing Alpha"}, RecoveryTexts());
        Restart({});
        EXPECT_TRUE(MessageBoxTexts().empty());
        EndRun();
        for (const std::string& name : FolderEntries(folder.path))
            if (name.rfind(Str(kStrUnsavedPrefix), 0) == 0) DeleteFile(folder.path + name);
    }
}

TEST_F(JournalTest, ARestartPutsTheTextBackIntoItsUnchangedRecord) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo", "Charlie"});
    StartProgram();
    TypeIntoRecordAndKill(1, "lost? ");
    Restart({true});
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(Str(kStrJournalQuestionPrefix) + "lost? Bravo" + Str(kStrJournalQuestionSuffix), MessageBoxTexts()[0]);
    EXPECT_EQ("lost? Bravo", Record(1));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "lost? Bravo", "Charlie"}), Titles());
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_FALSE(PathExists(g_app.journalPath));
    EXPECT_TRUE(RecoveryTexts().empty());
}

TEST_F(JournalTest, ARestartAddsTheTextAsANewRecordWhereItsRecordChanged) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo"});
    StartProgram();
    TypeIntoRecordAndKill(0, "mine ");
    // Another program (or another copy) changed the record meanwhile: same length, same title.
    std::string bytes = ReadFileBytes(g_app.dataPath);
    bytes.replace(0, kSlotSize, SlotBytes("Alphb"));
    WriteFileBytes(g_app.dataPath, bytes);
    Restart({true});
    EXPECT_EQ((std::vector<std::string>{"Alphb", "Bravo", "mine Alpha"}), Titles());
    EXPECT_EQ("Alphb", Record(0));
    EXPECT_EQ("mine Alpha", Record(2));
    EXPECT_FALSE(PathExists(g_app.journalPath));
}

TEST_F(JournalTest, NoKeepsTheTextInARecoveryFileInUtf8) {
    WriteDataFile(g_app.dataPath, {"caf\xe9"});  // Windows-1252, written on Windows
    StartProgram();
    TypeIntoRecordAndKill(0, "au ");
    EXPECT_EQ("au caf\xe9", ReadBack().text);  // the bytes a save would write
    Restart({false});
    EXPECT_EQ(std::vector<std::string>{"au caf\xc3\xa9"}, RecoveryTexts());
    EXPECT_EQ("caf\xe9", Record(0));
    EXPECT_FALSE(PathExists(g_app.journalPath));
    ASSERT_EQ(2u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[1].find(Str(kStrKeptUnsavedPrefix)));
}

TEST_F(JournalTest, AJournalThatCannotBeKeptAnywhereStaysAsItIs) {
#ifdef _WIN32
    GTEST_SKIP() << "the home folder is the profile's known folder on Windows, which no variable takes away";
#endif
    WriteDataFile(g_app.dataPath, {"Alpha"});
    StartProgram();
    TypeIntoRecordAndKill(0, "only copy ");
    std::string journal = ReadFileBytes(g_app.journalPath);
    // The recovery file's flush fails in the program folder, and the home folder is gone.
    SetEnvironment("HOME", folder.path + "no-such-home");
    ArmFileFault(kStepFlush, 1, EIO);
    Restart({false});
    DisarmFileFaults();
    EXPECT_TRUE(RecoveryTexts().empty());
    EXPECT_EQ(journal, ReadFileBytes(g_app.journalPath));
    ASSERT_EQ(2u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[1].find(Str(kStrJournalNotKept) + g_app.journalPath));
    // This run neither writes over it nor removes it at its save.
    FocusGadget(kGadgetEditor);
    Type("more ");
    EndPause();
    ASSERT_TRUE(SaveRecord());
    EXPECT_EQ(journal, ReadFileBytes(g_app.journalPath));
}

TEST_F(JournalTest, ADamagedJournalIsSetAsideUnchangedAndAskedAboutNever) {
    WriteDataFile(g_app.dataPath, {"Alpha"});
    const std::string damaged = FormatJournal(Journal{0, 1, "typed"}).substr(0, 60) + "\x01\x02";
    WriteFileBytes(g_app.journalPath, damaged);
    StartProgram();
    EXPECT_FALSE(PathExists(g_app.journalPath));
    std::vector<std::string> aside;
    for (const std::string& name : FolderEntries(folder.path))
        if (name.rfind(Str(kStrDamagedJournalPrefix), 0) == 0) aside.push_back(name);
    ASSERT_EQ(1u, aside.size());
    EXPECT_EQ(damaged, ReadFileBytes(folder.path + aside[0]));
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(Str(kStrJournalDamagedPrefix) + folder.path + aside[0], MessageBoxTexts()[0]);
    EXPECT_EQ("Alpha", Record(0));
}

}  // namespace
