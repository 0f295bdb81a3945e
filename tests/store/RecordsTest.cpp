// Save points, Add and Delete on a real data file: titles, positions and slot indexes as the
// selector shows them, and what reaches the disk.

#include <cerrno>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/records/Records.h"

namespace {

class RecordsTest : public GuiTest {
protected:
    // The list requester's answer: chosen or cancelled, and the item.
    static RequesterAnswer Pick(bool ok, int item) {
        RequesterAnswer answer{};
        answer.ok = ok;
        answer.item = item;
        return answer;
    }
    void DropList() {
        OpenTestSelectorList(kGadgetSelector, true);
        Pump();
        OpenTestSelectorList(kGadgetSelector, false);
        Pump();
    }
    // Alpha and Bravo deleted, Charlie listed; OpenUndelete then opens the Undelete window as
    // the user would, with nothing armed.
    void StartWithTwoDeleted() {
        WriteDataFile(g_app.dataPath, {"Alpha", "Bravo", "Charlie"});
        StartProgram();
        for (int i = 0; i < 2; ++i) {
            ArmMessageBoxAnswers({true});
            Shortcut('D', kModAlt);
        }
    }
    bool OpenUndelete() {
        ArmRequesterAnswers({});
        SetUnattended(false);
        Shortcut('U', kModAlt);
        SetUnattended(true);
        return WindowExists(kWindowUndelete);
    }
};

TEST_F(RecordsTest, TypingMarksTheRecordAndOpeningTheListSavesIt) {
    StartProgram();
    Type("Shopping");
    Key(kGadgetEditor, kKeyEnter);
    EXPECT_EQ(1, g_app.unsavedEdit);
    EXPECT_EQ("Record 1\r\n", Record(0));  // nothing written while typing
    DropList();
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_EQ("Shopping\r\nRecord 1\r\n", Record(0));
    EXPECT_EQ("Shopping", Titles()[0]);
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
}

TEST_F(RecordsTest, CommandsSaveFirst) {
    StartProgram();
    Type("Phones");
    Shortcut('O', kModAlt);
    EXPECT_TRUE(WindowExists(kWindowOptions));
    Key(kGadgetApply, kKeyEscape);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ("PhonesRecord 1", Titles()[0]);
    EXPECT_EQ("PhonesRecord 1\r\n", Record(0));
    Type("x");
    Shortcut(kKeyF3);
    EXPECT_EQ("xPhonesRecord 1\r\n", Record(0));
}

TEST_F(RecordsTest, AnEmptiedRecordIsStoredAsANewRecord) {
    StartProgram();
    Shortcut('A', kModCtrl);
    Key(kGadgetEditor, kKeyBackspace);
    DropList();
    EXPECT_EQ("New record", Record(0));
    EXPECT_EQ("New record", EditorText(kGadgetEditor));
    EXPECT_EQ("New record", Titles()[0]);
}

// Stepping with the keyboard saves the record being left into its own slot.
TEST_F(RecordsTest, KeyboardSelectionChangeKeepsThePendingEdit) {
    StartProgram();
    Type("typed ");
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ("typed Record 1\r\n", Record(0));
    EXPECT_EQ("Record 2\r\n", Record(1));
    EXPECT_EQ("Record 2\r\n", EditorText(kGadgetEditor));
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_EQ("typed Record 1", Titles()[0]);
}

TEST_F(RecordsTest, DeleteSelectsTheNeighbourAndAddGoesBehindMarkedSlots) {
    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_EQ((std::vector<std::string>{"two", "three"}), Titles());
    EXPECT_EQ((std::vector<std::int64_t>{1, 2}), SlotIndexes());
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("two", EditorText(kGadgetEditor));
    EXPECT_EQ(1, g_app.recordsDeleted);
    EXPECT_EQ(SlotBytes("one", true), ReadFileBytes(g_app.dataPath).substr(0, kSlotSize));

    Shortcut('A', kModAlt);
    EXPECT_EQ((std::vector<std::string>{"two", "three", "New record"}), Titles());
    EXPECT_EQ((std::vector<std::int64_t>{1, 2, 3}), SlotIndexes());
    EXPECT_EQ(2, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("New record", Record(3));
    EXPECT_EQ(kGadgetEditor, FocusedGadget());

    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);  // the last of three selects the one before
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("three", EditorText(kGadgetEditor));
}

TEST_F(RecordsTest, AnsweringNoDeletesNothing) {
    StartProgram();
    ArmMessageBoxAnswers({false});
    Shortcut('D', kModAlt);
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_EQ(0, g_app.recordsDeleted);
    EXPECT_EQ(9 * kSlotSize, DataFileSize(g_app.dataPath));
}

TEST_F(RecordsTest, DeletingTheOnlyRecordBringsBackTheStarterRecords) {
    WriteFileBytes(g_app.dataPath, SlotBytes("only") + SlotBytes("marked earlier", true));
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    Shortcut('D', kModAlt);  // leaves one entry
    ASSERT_EQ(1, SelectorCount(kGadgetSelector));
    EXPECT_EQ(1, g_app.recordsDeleted);
    Type("edit");
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_EQ(0, g_app.recordsDeleted);
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
    // Both deleted records can still come back (the typed edit was saved before the delete),
    // and the one that does keeps its place. The starter records stood in for them: those still
    // as they came go again (one the user deleted too), and are nothing to undelete; one the
    // user changed stays.
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyEnd);
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ASSERT_EQ(8, SelectorCount(kGadgetSelector));
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyHome);
    Shortcut('E', kModAlt);
    Type("kept ");
    ArmRequesterAnswers({Pick(true, 0)});
    Shortcut('U', kModAlt);
    EXPECT_EQ((std::vector<std::string>{"editonly", "kept Record 1"}), Titles());
    EXPECT_EQ("editonly", EditorText(kGadgetEditor));
    ArmRequesterAnswers({Pick(true, 0)});
    Shortcut('U', kModAlt);
    EXPECT_EQ(3, SelectorCount(kGadgetSelector));
    Shortcut('U', kModAlt);
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_EQ(0u, MessageBoxTexts().back().find("No record was deleted since Jotcrate started"));
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    EXPECT_EQ(3 * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_TRUE(ReadFileBytes(g_app.dataPath).substr(0, kSlotSize) == SlotBytes("editonly"));
    EXPECT_TRUE(ReadFileBytes(g_app.dataPath).substr(2 * kSlotSize) == SlotBytes("kept Record 1\r\n"));
}

// Deleting the last record with nothing brought back leaves the starter records alone after
// the compaction. A delete whose mark cannot be written says so and changes nothing.
TEST_F(RecordsTest, DeletingTheLastRecordEndsInTheStarterFile) {
    WriteFileBytes(g_app.dataPath, SlotBytes("only"));
    StartProgram();
    ArmMessageBoxAnswers({true});
    ArmFileFault(kStepWrite, 1, EIO, g_app.dataPath);
    Shortcut('D', kModAlt);
    DisarmFileFaults();
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_EQ(0u, MessageBoxTexts().back().find("The record could not be deleted.")) << MessageBoxTexts().back();
    EXPECT_EQ(std::vector<std::string>{"only"}, Titles());
    EXPECT_TRUE(SlotBytes("only") == ReadFileBytes(g_app.dataPath));
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    EXPECT_EQ(9u, Titles().size());
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    std::string starters;
    for (int n = 1; n <= 9; ++n) starters += SlotBytes("Record " + std::to_string(n) + "\r\n");
    EXPECT_TRUE(starters == ReadFileBytes(g_app.dataPath));
}

TEST_F(RecordsTest, UnreadableRecordIsShownReadOnlyAndNeverSavedOver) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    ASSERT_TRUE(ResizeFile(g_app.dataPath, kSlotSize + 10));  // slot 1 is cut short
    ArmMessageBoxAnswers({true});
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[0].find("This record could not be read."));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
    EXPECT_EQ("", EditorText(kGadgetEditor));
    g_app.unsavedEdit = 1;
    EXPECT_TRUE(SaveRecord());  // nothing to store
    EXPECT_EQ(kSlotSize + 10, DataFileSize(g_app.dataPath));
    Key(kGadgetSelector, kKeyUp);
    EXPECT_FALSE(IsEditorReadOnly(kGadgetEditor));
    EXPECT_EQ("one", EditorText(kGadgetEditor));
}

TEST_F(RecordsTest, CommandsWaitForTheLoad) {
    BuildMainWindow();
    RunCommand(kCmdAdd);
    RunCommand(kCmdDelete);
    RunCommand(kCmdFocusSelector);
    EXPECT_FALSE(PathExists(g_app.dataPath));
    EXPECT_TRUE(MessageBoxTexts().empty());
    RunCommand(kCmdHelp);
    EXPECT_TRUE(WindowExists(kWindowHelp));
}

// Records deleted in this run come back in their places, whichever slot they had; the close
// then keeps them.
TEST_F(RecordsTest, UndeleteBringsBackTheFirstAMiddleAndTheLastRecord) {
    const std::vector<std::string> records = {"Alpha", "Bravo", "Charlie", "Delta"};
    const std::vector<std::string> titles = {"Alpha", "Bravo", "Charlie", "Delta"};
    for (int victim : {0, 2, 3}) {
        RemoveTestFolder(folder);
        folder = MakeTestFolder();
        WriteDataFile(g_app.dataPath, records);
        StartProgram();
        SelectEntry(kGadgetSelector, victim);
        ShowSelectedRecord();
        ArmMessageBoxAnswers({true});
        Shortcut('D', kModAlt);
        ASSERT_EQ(3u, Titles().size()) << victim;
        ArmRequesterAnswers({Pick(true, 0)});
        Shortcut('U', kModAlt);
        EXPECT_EQ(titles, Titles()) << victim;
        EXPECT_EQ(victim, SelectedEntry(kGadgetSelector)) << victim;
        EXPECT_EQ(records[static_cast<std::size_t>(victim)], EditorText(kGadgetEditor)) << victim;
        EXPECT_TRUE(g_app.deletedSlots.empty());
        EXPECT_EQ(0, g_app.recordsDeleted);  // nothing left for the compaction to do
        PostWindowEvent(Event{kEventClose, kWindowMain, 0});
        Pump();
        EXPECT_EQ(4 * kSlotSize, DataFileSize(g_app.dataPath)) << victim;
        EXPECT_EQ(records[static_cast<std::size_t>(victim)], Record(victim)) << victim;
        EXPECT_EQ('\0', ReadFileBytes(g_app.dataPath)[static_cast<std::size_t>(victim) * kSlotSize]) << victim;
        CloseWindow(kWindowMain);
        Pump();
    }
}

// A record longer than the first read comes back whole; when its title cannot be read for the
// list, it is offered under the default title and still comes back.
TEST_F(RecordsTest, UndeleteOfALongRecordAndOfOneWhoseTitleCannotBeRead) {
    const std::string longText = "Long\r\n" + std::string(5000, 'x');
    for (FileStep titleUnreadable : {kFileSteps, kStepOpen, kStepRead}) {
        RemoveTestFolder(folder);
        folder = MakeTestFolder();
        WriteDataFile(g_app.dataPath, {"Short", longText, "Third"});
        StartProgram();
        SelectEntry(kGadgetSelector, 1);
        ShowSelectedRecord();
        ArmMessageBoxAnswers({true});
        Shortcut('D', kModAlt);
        ASSERT_EQ(2u, Titles().size());
        if (titleUnreadable != kFileSteps) ArmFileFault(titleUnreadable, 1, EIO, g_app.dataPath);
        ArmRequesterAnswers({Pick(true, 0)});
        Shortcut('U', kModAlt);
        DisarmFileFaults();
        EXPECT_EQ((std::vector<std::string>{"Short", "Long", "Third"}), Titles()) << titleUnreadable;
        EXPECT_EQ(longText, EditorText(kGadgetEditor)) << titleUnreadable;
        CloseWindow(kWindowMain);
        Pump();
    }
}

// The chosen one of several comes back, even where titles are alike; nothing deleted, a
// cancelled choice, Read Only and a failed write change nothing.
TEST_F(RecordsTest, UndeleteTakesTheChosenRecordAndRefusesQuietly) {
    WriteDataFile(g_app.dataPath, {"Same", "Same\r\nsecond", "Other"});
    StartProgram();
    Shortcut('U', kModAlt);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[0].find("No record was deleted"));
    for (int i = 0; i < 2; ++i) {
        ArmMessageBoxAnswers({true});
        Shortcut('D', kModAlt);
    }
    EXPECT_EQ(std::vector<std::string>{"Other"}, Titles());
    ArmRequesterAnswers({Pick(false, 1)});
    Shortcut('U', kModAlt);
    EXPECT_EQ(std::vector<std::string>{"Other"}, Titles());
    ArmFileFault(kStepWrite, 1, EIO, g_app.dataPath);
    ArmRequesterAnswers({Pick(true, 1)});
    Shortcut('U', kModAlt);
    DisarmFileFaults();
    EXPECT_EQ(0u, MessageBoxTexts().back().find("The record could not be undeleted."));
    EXPECT_EQ(std::vector<std::string>{"Other"}, Titles());
    EXPECT_EQ((std::vector<std::int64_t>{0, 1}), g_app.deletedSlots);
    ArmRequesterAnswers({Pick(true, 1)});
    Shortcut('U', kModAlt);
    EXPECT_EQ((std::vector<std::string>{"Same", "Other"}), Titles());
    EXPECT_EQ("Same\r\nsecond", EditorText(kGadgetEditor));
    EXPECT_EQ(std::vector<std::int64_t>{0}, g_app.deletedSlots);
    g_app.options.readOnly = 1;
    ArmRequesterAnswers({Pick(true, 0)});
    Shortcut('U', kModAlt);
    EXPECT_EQ(std::vector<std::int64_t>{0}, g_app.deletedSlots);
    ArmRequesterAnswers({});
}

// The Undelete window by keyboard, with nothing armed: it lists the deleted records with the
// first chosen, and keeps the main window from input while it stands; ESC, and ENTER on
// Cancel, bring nothing back; DOWN and ENTER bring back the second into the editor, which has
// the focus. A close of the main window while it stands is its Cancel, and the close goes on.
TEST_F(RecordsTest, TheUndeleteWindowChoosesByKeys) {
    StartWithTwoDeleted();
    ASSERT_EQ(std::vector<std::string>{"Charlie"}, Titles());
    OpenUndelete();
    ASSERT_TRUE(IsTestWindowVisible(kWindowUndelete));
    EXPECT_FALSE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ(kGadgetUndeleteList, FocusedGadget());
    EXPECT_EQ(0, SelectedResultRow(kGadgetUndeleteList));
    Shortcut(kKeyEscape);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_TRUE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ(std::vector<std::string>{"Charlie"}, Titles());

    OpenUndelete();
    Shortcut(kKeyTab);
    Shortcut(kKeyTab);
    ASSERT_EQ(kGadgetUndeleteCancel, FocusedGadget());
    Shortcut(kKeyEnter);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_EQ(std::vector<std::string>{"Charlie"}, Titles());

    OpenUndelete();
    Shortcut(kKeyDown);
    EXPECT_EQ(1, SelectedResultRow(kGadgetUndeleteList));
    Shortcut(kKeyEnter);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_TRUE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ((std::vector<std::string>{"Bravo", "Charlie"}), Titles());
    EXPECT_EQ("Bravo", EditorText(kGadgetEditor));
    EXPECT_EQ(std::vector<std::int64_t>{0}, g_app.deletedSlots);
    EXPECT_EQ(kGadgetEditor, FocusedGadget());

    OpenUndelete();
    ASSERT_TRUE(WindowExists(kWindowUndelete));
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_EQ(0, g_app.running);
    EXPECT_EQ(2 * kSlotSize, DataFileSize(g_app.dataPath));
    EXPECT_EQ("Bravo", Record(0));
}

// The same by its buttons and rows, as the mouse sends them: OK with no row chosen keeps the
// window; Cancel and the close box bring nothing back, and what was queued for the window
// after it closed does nothing; a double-click on a row, like OK, brings that record back.
TEST_F(RecordsTest, TheUndeleteWindowChoosesByButtonsAndRows) {
    StartWithTwoDeleted();
    auto send = [this](EventKind kind, int number) {
        PostWindowEvent(Event{kind, kWindowUndelete, number});
        Pump();
    };
    ASSERT_TRUE(OpenUndelete());
    SelectResultRow(kGadgetUndeleteList, -1);
    send(kEventGadget, kGadgetUndeleteOk);
    EXPECT_TRUE(WindowExists(kWindowUndelete));
    send(kEventGadget, kGadgetUndeleteCancel);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    send(kEventGadget, kGadgetUndeleteOk);
    ASSERT_TRUE(OpenUndelete());
    send(kEventClose, 0);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_TRUE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ(std::vector<std::string>{"Charlie"}, Titles());

    ASSERT_TRUE(OpenUndelete());
    SelectResultRow(kGadgetUndeleteList, 1);
    send(kEventGadget, kGadgetUndeleteList);
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_EQ((std::vector<std::string>{"Bravo", "Charlie"}), Titles());
    ASSERT_TRUE(OpenUndelete());
    send(kEventGadget, kGadgetUndeleteOk);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo", "Charlie"}), Titles());
    EXPECT_EQ("Alpha", EditorText(kGadgetEditor));
}

// A compaction that failed at the close leaves the deleted record in the file: the next start
// lists it again, and deleted once more it can still come back.
TEST_F(RecordsTest, UndeleteAfterAFailedCompaction) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo", "Charlie"});
    StartProgram();
    SelectEntry(kGadgetSelector, 1);
    ShowSelectedRecord();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ArmFileFault(kStepOpen, 1, EACCES, folder.path + "Jotcrate.cmp");
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    DisarmFileFaults();
    EXPECT_EQ(3 * kSlotSize, DataFileSize(g_app.dataPath));
    CloseWindow(kWindowMain);
    Pump();
    ResetAppState();
    ResolvePaths(folder.path + "jotcrate");
    StartProgram();
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo", "Charlie"}), Titles());
    SelectEntry(kGadgetSelector, 1);
    ShowSelectedRecord();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ArmRequesterAnswers({Pick(true, 0)});
    Shortcut('U', kModAlt);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo", "Charlie"}), Titles());
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    EXPECT_EQ(SlotBytes("Alpha") + SlotBytes("Bravo") + SlotBytes("Charlie"), ReadFileBytes(g_app.dataPath));
}

}  // namespace
