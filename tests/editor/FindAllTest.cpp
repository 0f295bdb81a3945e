// "Find in All Records" on the real windows: results in list order, case folding beyond ASCII,
// records of either encoding, a new term replacing the search under way, and a row opening
// its record at the first match. Driven through the test input seam on either window backend.
#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"

namespace {

class FindAllTest : public GuiTest {
protected:
    void Open() {
        Shortcut('F', kModCtrl | kModShift);
        ASSERT_TRUE(FindAllWindowExists());
        EXPECT_EQ(kWindowFindAll, ActiveTestWindow());
        EXPECT_EQ(kGadgetFindAllTerm, FocusedGadget());
    }
    // Puts the term in the field and waits for its search to end.
    void Search(const std::string& term) {
        SetGadgetText(kGadgetFindAllTerm, term);
        ASSERT_TRUE(PumpUntil(
            [this, term] { return g_app.findAll.term == term && Status().find("Searching") == std::string::npos; }));
    }
    std::string Status() { return GadgetText(kGadgetFindAllStatus); }
    std::vector<ResultRow> Rows() { return TestResultRows(kGadgetFindAllResults); }
    int RowCount() { return static_cast<int>(Rows().size()); }
    std::vector<std::string> RowTitles() {
        std::vector<std::string> titles;
        for (const ResultRow& row : Rows()) titles.push_back(row.title);
        return titles;
    }
    // DOWN from the field to the first row, and RETURN there, as the user opens it.
    void OpenFirstRow() {
        Key(kGadgetFindAllTerm, kKeyDown);
        EXPECT_EQ(kGadgetFindAllResults, FocusedGadget());
        EXPECT_EQ(0, SelectedResultRow(kGadgetFindAllResults));
        Key(kGadgetFindAllResults, kKeyEnter);
    }
    std::pair<int, int> Selection() {
        int start, end;
        EditorSelection(kGadgetEditor, &start, &end);
        return {start, end};
    }
};

TEST_F(FindAllTest, FindsInEveryRecordWithCaseFoldingAndEitherEncoding) {
    WriteDataFile(g_app.dataPath, {"Groceries\r\nbread, \xC3\x84pfel, milk\r\nmore \xC3\xA4pfel", "Nothing here",
                                   "Alte Liste\r\n\xC4pfel von gestern",  // Windows-1252
                                   "Gone\r\n\xC3\xA4pfel"});
    StartProgram();
    SelectEntry(kGadgetSelector, 3);
    ShowSelectedRecord();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);  // deleted records are not found
    Open();
    Search("\xC3\xA4PFEL");
    EXPECT_EQ((std::vector<std::string>{"Groceries", "Alte Liste"}), RowTitles());
    EXPECT_EQ("2 records, 3 matches", Status());
    EXPECT_EQ("\xC3\x84pfel", Rows()[0].match);
    // Match Case and Whole Word narrow it.
    SetChecked(kGadgetFindAllMatchCase, true);
    Search("\xC3\x84pfel");
    EXPECT_EQ((std::vector<std::string>{"Groceries", "Alte Liste"}), RowTitles());
    EXPECT_EQ("2 records, 2 matches", Status());
    SetChecked(kGadgetFindAllMatchCase, false);
    SetChecked(kGadgetFindAllWholeWord, true);
    Search("pfel");
    EXPECT_EQ("0 records, 0 matches", Status());
    EXPECT_EQ(0, RowCount());
}

// Full folding: ß is ss, in a record of either encoding and in the term.
TEST_F(FindAllTest, SharpSFindsDoubleSAndTheOtherWayRound) {
    WriteDataFile(g_app.dataPath, {"Stra\xC3\x9F"
                                   "e",
                                   "STRASSE",
                                   "Stra\xDF"
                                   "e 1252",
                                   "Gro\xE1\xBA\x9E", "Strase"});
    StartProgram();
    Open();
    Search("strasse");
    EXPECT_EQ((std::vector<std::string>{"Stra\xC3\x9F"
                                        "e",
                                        "STRASSE",
                                        "Stra\xC3\x9F"
                                        "e 1252"}),
              RowTitles());
    Search(
        "STRA\xC3\x9F"
        "E");
    EXPECT_EQ("3 records, 3 matches", Status());
    Search("gross");
    EXPECT_EQ(std::vector<std::string>{"Gro\xE1\xBA\x9E"}, RowTitles());
}

// Where folding changes lengths, the row still shows the record's own text, and opening it
// selects the match the row names; F3 goes on with the same folding.
TEST_F(FindAllTest, AFullyFoldedMatchIsShownAndSelectedAsItStands) {
    WriteDataFile(g_app.dataPath, {"Title\r\n\xC3\x84rger mit der Stra\xC3\x9F"
                                   "e und STRASSE",
                                   "Lone\nline\rbreaks strasse"});
    StartProgram();
    Open();
    Search("strasse");
    ASSERT_EQ(2, RowCount());
    EXPECT_EQ("Lone line breaks strasse", RowTitles()[1]);  // a row has one line
    EXPECT_EQ("\xC3\x84rger mit der ", Rows()[0].before);
    EXPECT_EQ(
        "Stra\xC3\x9F"
        "e",
        Rows()[0].match);
    EXPECT_EQ(" und STRASSE", Rows()[0].after);
    EXPECT_EQ("Title", RowTitles()[0]);
    OpenFirstRow();
    EXPECT_EQ(std::make_pair(20, 26), Selection());  // "Straße"
    Shortcut(kKeyF3);
    EXPECT_EQ(std::make_pair(31, 38), Selection());  // "STRASSE"
    Shortcut(kKeyF2);
    EXPECT_EQ(std::make_pair(20, 26), Selection());
}

TEST_F(FindAllTest, ARowOpensItsRecordAtTheFirstMatchAndF3GoesOn) {
    WriteDataFile(g_app.dataPath, {"First\r\nnothing", "Second\r\nan apple, another apple", "Third apple"});
    StartProgram();
    Type("typed ");  // a pending edit is saved when a row is opened
    Open();
    Search("APPLE");
    ASSERT_EQ(2, RowCount());
    OpenFirstRow();
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("typed First\r\nnothing", Record(0));
    EXPECT_EQ(std::make_pair(10, 15), Selection());
    Shortcut(kKeyF3);
    EXPECT_EQ(std::make_pair(25, 30), Selection());
    // Once the term is edited the rows of the term before are gone, before its search runs:
    // DOWN and RETURN typed at once choose nothing of the old term.
    TypeTestText(kGadgetFindAllTerm, "s");
    EXPECT_EQ(0, RowCount());
    EXPECT_EQ("", Status());
    SendTestKey(kGadgetFindAllTerm, kKeyDown, 0);
    SendTestKey(kGadgetFindAllResults, kKeyEnter, 0);
    Pump();
    EXPECT_EQ(std::make_pair(25, 30), Selection());
}

// TAB from the term through the two options reaches the rows with none chosen yet: RETURN
// there opens the row the list shows as its current one, the first.
TEST_F(FindAllTest, RowsReachedByTabOpenTheFirstWithReturn) {
    WriteDataFile(g_app.dataPath, {"First", "Second apple", "Third apple"});
    StartProgram();
    Open();
    Search("apple");
    ASSERT_EQ(2, RowCount());
    Key(kGadgetFindAllTerm, kKeyTab);
    Key(kGadgetFindAllMatchCase, kKeyTab);
    Key(kGadgetFindAllWholeWord, kKeyTab);
    ASSERT_EQ(kGadgetFindAllResults, FocusedGadget());
    Key(kGadgetFindAllResults, kKeyEnter);
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ(std::make_pair(7, 12), Selection());
}

// Text typed in the record after the window opened is found by the next term.
TEST_F(FindAllTest, EachTermSavesTheRecordFirstAndAltKeysTypeNothing) {
    WriteDataFile(g_app.dataPath, {"First", "Second"});
    StartProgram();
    Open();
    Type("yak ");
    Search("yak");
    EXPECT_EQ("1 record, 1 match", Status());
    EXPECT_EQ("yak First", Record(0));
    EXPECT_EQ(0, g_app.unsavedEdit);
    // ALT with a letter is a command key: the field does not take the letter.
    SendTestKey(kGadgetFindAllTerm, 'U', kModAlt);
    EXPECT_EQ("yak", GadgetText(kGadgetFindAllTerm));
    // The label's letter brings the focus back to the field, its term selected to type over.
    FocusGadget(kGadgetFindAllMatchCase, kFocusByKey);
    Shortcut('N', kModAlt);
    EXPECT_EQ(kGadgetFindAllTerm, FocusedGadget());
    Shortcut(kKeySpace);
    EXPECT_EQ(" ", GadgetText(kGadgetFindAllTerm));
    EXPECT_FALSE(IsChecked(kGadgetFindAllMatchCase));
}

TEST_F(FindAllTest, ANewTermReplacesTheSearchUnderWay) {
    std::vector<std::string> records;
    for (int i = 0; i < 3000; ++i) records.push_back("Record " + std::to_string(i) + (i % 2 ? "\r\nodd" : "\r\neven"));
    WriteDataFile(g_app.dataPath, records);
    StartProgram();
    Open();
    // The second term arrives before any result of the first was shown: none ever is.
    OnFindAllTerm("odd", 0);
    OnFindAllTerm("even", 0);
    ASSERT_TRUE(PumpUntil([this] { return Status().find("Searching") == std::string::npos; }));
    for (const std::string& title : RowTitles()) ASSERT_EQ(0, std::stoi(title.substr(7)) % 2) << title;
    EXPECT_EQ(1500, RowCount());
    SetGadgetText(kGadgetFindAllTerm, "odd");
    ASSERT_TRUE(PumpUntil([this] { return !Status().empty(); }));
    Search("even");
    EXPECT_EQ("1500 records, 1500 matches", Status());
    EXPECT_EQ(1500, RowCount());
    EXPECT_EQ("Record 0", RowTitles()[0]);
    Key(kGadgetFindAllTerm, kKeyEscape);
    EXPECT_FALSE(FindAllWindowExists());
}

// F3 after a row keeps the window's Match Case and Whole Word while the window is open.
TEST_F(FindAllTest, F3AfterARowKeepsTheWindowsOptions) {
    WriteDataFile(g_app.dataPath, {"Fruit\r\nan apple, APPLE, pineapple, \u00ABapple\u00BB"});
    StartProgram();
    Open();
    SetChecked(kGadgetFindAllMatchCase, true);
    SetChecked(kGadgetFindAllWholeWord, true);
    Search("apple");
    ASSERT_EQ(1, RowCount());
    EXPECT_EQ("1 record, 2 matches", Status());
    OnFindAllChosen(0);
    EXPECT_EQ(std::make_pair(9, 14), Selection());
    RunCommand(kCmdFindNext);
    EXPECT_EQ(std::make_pair(35, 40), Selection());  // not APPLE, not pineapple
    EXPECT_TRUE(MessageBoxTexts().empty());
}

// Rows of a list that was read anew since do not open what now has their slots: the search
// runs again.
TEST_F(FindAllTest, RowsOfAnOlderListingSearchAgain) {
    WriteDataFile(g_app.dataPath, {"First", "Second apple"});
    StartProgram();
    Open();
    Search("apple");
    ASSERT_EQ(1, RowCount());
    WriteDataFile(g_app.dataPath, {"Other", "Another", "Third apple"});
    ASSERT_TRUE(ReloadRecords());
    OnFindAllChosen(0);
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    ASSERT_TRUE(PumpUntil([this] { return Status() == "1 record, 1 match" && RowCount() == 1; }));
    EXPECT_EQ(std::vector<std::string>{"Third apple"}, RowTitles());
    OnFindAllChosen(0);
    EXPECT_EQ(2, SelectedEntry(kGadgetSelector));
}

// Once the close has begun, a change of the list (the file read anew while the records are
// made safe) starts no search that nobody would end.
TEST_F(FindAllTest, NoSearchStartsAfterTheClose) {
    WriteDataFile(g_app.dataPath, {"First", "Second apple"});
    StartProgram();
    Open();
    Search("apple");
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    ASSERT_EQ(0, g_app.running);
    ++g_app.listChanges;
    RefreshFindAll();
    EXPECT_FALSE(g_app.findAll.worker.joinable());
}

// The rows follow the list: a record deleted or brought back, a file read anew.
TEST_F(FindAllTest, TheRowsFollowDeletesUndeletesAndReloads) {
    WriteDataFile(g_app.dataPath, {"First apple", "Second apple", "Third"});
    StartProgram();
    Open();
    Search("apple");
    ASSERT_EQ(2, RowCount());
    ArmMessageBoxAnswers({true});
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdDelete});
    ASSERT_TRUE(PumpUntil([this] { return Status() == "1 record, 1 match"; }));
    EXPECT_EQ(std::vector<std::string>{"Second apple"}, RowTitles());
    RequesterAnswer first{};  // the list requester's first item
    first.ok = true;
    ArmRequesterAnswers({first});
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdUndelete});
    ASSERT_TRUE(PumpUntil([this] { return Status() == "2 records, 2 matches"; }));
    WriteDataFile(g_app.dataPath, {"Other apple", "Another"});
    ASSERT_TRUE(PumpUntil([this] { return RowTitles() == std::vector<std::string>{"Other apple"}; }));
    EXPECT_EQ("1 record, 1 match", Status());
    // A save that takes the term out of a record, or puts it in, is searched again too.
    SelectEntry(kGadgetSelector, 1);
    ShowSelectedRecord();
    Type("apple ");
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdAdd});
    ASSERT_TRUE(PumpUntil([this] { return Status() == "2 records, 2 matches"; }));
    EXPECT_EQ((std::vector<std::string>{"Other apple", "apple Another"}), RowTitles());
}

// While the find dialog is open a row opens nothing, and says why.
TEST_F(FindAllTest, ARowWaitsForTheFindDialogToClose) {
    WriteDataFile(g_app.dataPath, {"First", "Second apple"});
    StartProgram();
    Open();
    Search("apple");
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdFind});
    ASSERT_TRUE(PumpUntil([] { return FindDialogExists(); }));
    OnFindAllChosen(0);
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("Close the Find dialog to open a record from here.", Status());
}

}  // namespace
