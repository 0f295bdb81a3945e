// The main window as built: geometry and resizing, focus cycling with CTRL+TAB and the
// RETURN key, the help window. Driven through the test input seam on either window backend;
// the window menu, read while it is open, is in MainWindowQtTest.cpp.
#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/HelpWindow.h"
#include "ui/options/ApplyOptions.h"

namespace {

class MainWindowTest : public GuiTest {
protected:
    std::pair<int, int> Size(int window) {
        int width = 0, height = 0;
        ClientSize(window, &width, &height);
        return {width, height};
    }
};

TEST_F(MainWindowTest, ControlsFollowTheResizeRule) {
    StartProgram();
    EXPECT_EQ(std::make_pair(474, 300), Size(kWindowMain));
    EXPECT_EQ((Rect{270, 7, 198, 24}), GadgetRectIn(kWindowMain, kGadgetSelector));
    EXPECT_EQ((Rect{6, 38, 462, 256}), GadgetRectIn(kWindowMain, kGadgetEditor));
    ResizeClient(kWindowMain, 574, 350);
    EXPECT_EQ(std::make_pair(574, 350), Size(kWindowMain));
    EXPECT_EQ((Rect{270, 7, 298, 24}), GadgetRectIn(kWindowMain, kGadgetSelector));
    EXPECT_EQ((Rect{6, 38, 562, 306}), GadgetRectIn(kWindowMain, kGadgetEditor));
    EXPECT_EQ((Rect{6, 6, 60, 26}), GadgetRectIn(kWindowMain, kGadgetAdd));
    ResizeClient(kWindowMain, 100, 100);
    EXPECT_EQ(std::make_pair(474, 300), Size(kWindowMain));
    // The user's drag of the border stops there too, however the window manager passes it on.
    DragTestWindowCorner(kWindowMain, -300, -200);
    Pump();
    EXPECT_EQ(std::make_pair(474, 300), Size(kWindowMain));
    DragTestWindowCorner(kWindowMain, 50, 20);
    Pump();
    EXPECT_EQ(std::make_pair(524, 320), Size(kWindowMain));
}

TEST_F(MainWindowTest, UserMovesMarkTheSettingsButMaximisingDoesNot) {
    StartProgram();
    for (TestWindowState state : {kTestMaximised, kTestNormal, kTestMinimised, kTestNormal}) {
        ShowTestWindowAs(kWindowMain, state);
        Pump();
    }
    EXPECT_EQ(0, g_app.settingsChanged);
    DragTestWindow(kWindowMain, 30, 20);
    Pump();
    EXPECT_EQ(1, g_app.settingsChanged);
}

TEST_F(MainWindowTest, CtrlTabCyclesAndReturnPressesTheFocusedButton) {
    StartProgram();
    FocusGadget(kGadgetEditor);
    std::vector<int> order;
    for (int i = 0; i < 7; ++i) {
        Shortcut(kKeyTab, kModCtrl);
        order.push_back(FocusedGadget());
    }
    EXPECT_EQ((std::vector<int>{200, 201, 202, 203, 204, 205, 200}), order);
    Shortcut(kKeyTab, kModCtrl);  // Delete
    ArmMessageBoxAnswers({false});
    Shortcut(kKeyEnter);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ("Delete the record \"Record 1\"?\nUntil Jotcrate closes, Undelete (ALT+U) can bring it back.",
              MessageBoxTexts()[0]);
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    // ALT+E puts the focus in the editor, where RETURN is a line break again.
    Shortcut('E', kModAlt);
    Shortcut(kKeyEnter);
    EXPECT_EQ("\r\nRecord 1\r\n", EditorText(kGadgetEditor));
    EXPECT_EQ(1u, MessageBoxTexts().size());
}

// The question stands over the main window, wherever that is, as a question of the window.
TEST_F(MainWindowTest, TheDeleteQuestionStandsOverTheMainWindow) {
    StartProgram();
    Rect area = ScreenWorkArea(), outer;
    ASSERT_TRUE(OuterRectOnScreen(kWindowMain, &outer));
    PlaceWindow(kWindowMain, Rect{area.x + area.width - outer.width, area.y + area.height - outer.height, outer.width,
                                  outer.height});
    Pump();
    ASSERT_TRUE(OuterRectOnScreen(kWindowMain, &outer));
    EXPECT_EQ(0u, ShownModalText([this] { Shortcut('D', kModAlt); }).find("Delete the record"));
    Rect box = ShownModalRect();
    EXPECT_NEAR(outer.x + outer.width / 2, box.x + box.width / 2, 24);
    EXPECT_NEAR(outer.y + outer.height / 2, box.y + box.height / 2, 24);
}

// TAB types a TAB in the editor, with SHIFT too (CTRL+TAB moves the focus); the TAB made by
// CTRL+I is a control character like the others and types nothing. A TAB past the record's
// limit is refused as any typed character.
TEST_F(MainWindowTest, TabTypesATabAndCtrlLettersTypeNothing) {
    StartProgram();
    FocusGadget(kGadgetEditor);
    SetEditorText(kGadgetEditor, "");
    Key(kGadgetEditor, kKeyTab);
    Key(kGadgetEditor, kKeyTab, kModShift);
    Key(kGadgetEditor, 'I', kModCtrl);
    Key(kGadgetEditor, 'B', kModCtrl);
    EXPECT_EQ("\t\t", EditorText(kGadgetEditor));
    EXPECT_EQ(kGadgetEditor, FocusedGadget());
    SetEditorText(kGadgetEditor, std::string(kEditorStoredLimit, 'x'));
    SetEditorSelection(kGadgetEditor, static_cast<int>(kEditorStoredLimit), -1);
    Key(kGadgetEditor, kKeyTab, kModShift);
    EXPECT_EQ(std::string(kEditorStoredLimit, 'x'), EditorText(kGadgetEditor));
    EXPECT_EQ(Str(kStrRecordFull), TestEditorTip(kGadgetEditor));
}

// Text shown at a zoom is laid out as wide as the zoom draws it, whether it came with a record
// or at a change of zoom: it wraps into the lines that applying the options gives it.
TEST_F(MainWindowTest, ZoomedTextWrapsAsWideAsItIsDrawn) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=1\r\n[Window]\r\nZoom=130\r\n");
    StartProgram();
    std::string words;
    for (int i = 0; i < 40; ++i) words += "wide words ";
    SetEditorText(kGadgetEditor, words);
    int zoomed = TestEditorLineCount(kGadgetEditor);
    ApplyOptions(false);
    EXPECT_EQ(zoomed, TestEditorLineCount(kGadgetEditor));
    SetEditorZoom(kGadgetEditor, 100);
    int plain = TestEditorLineCount(kGadgetEditor);
    EXPECT_LT(plain, zoomed);
    ApplyOptions(false);
    EXPECT_EQ(plain, TestEditorLineCount(kGadgetEditor));
    SetEditorZoom(kGadgetEditor, 130);
    EXPECT_EQ(zoomed, TestEditorLineCount(kGadgetEditor));
    // A zoom is no step of undo: CTRL+Z takes back what was typed before it.
    FocusGadget(kGadgetEditor);
    Type("x");
    SetEditorZoom(kGadgetEditor, 100);
    Key(kGadgetEditor, 'Z', kModCtrl);
    EXPECT_EQ(words, EditorText(kGadgetEditor));
    // CTRL+Y redoes on both systems, as the help says.
    Key(kGadgetEditor, 'Y', kModCtrl);
    EXPECT_NE(words, EditorText(kGadgetEditor));
    Key(kGadgetEditor, 'Z', kModCtrl);
    EXPECT_EQ(words, EditorText(kGadgetEditor));
}

TEST_F(MainWindowTest, ReadOnlyCyclesOverTheEnabledControlsOnly) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nRead Only=1\r\n");
    StartProgram();
    FocusGadget(kGadgetEditor);
    Shortcut(kKeyTab, kModCtrl);
    EXPECT_EQ(kGadgetOptions, FocusedGadget());
    EXPECT_FALSE(IsGadgetEnabled(kGadgetAdd));
    EXPECT_FALSE(IsGadgetEnabled(kGadgetDelete));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
    Shortcut('A', kModAlt);
    Shortcut('D', kModAlt);
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_TRUE(MessageBoxTexts().empty());
    EXPECT_EQ(kGadgetOptions, FocusedGadget());  // refused commands do not even move the focus
    // The title says why typing does nothing, and typing beeps rather than vanishing.
    EXPECT_EQ("Jotcrate (Read Only)", TestWindowTitle(kWindowMain));
    int beeps = BeepsSoFar();
    FocusGadget(kGadgetEditor);
    Type("xy");
    EXPECT_EQ(beeps + 2, BeepsSoFar());
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor).substr(0, 10));
    // The word why, shown once in a run, stays while the user goes on typing; it goes when
    // the focus leaves the editor.
    Key(kGadgetEditor, 'Z');
    Key(kGadgetEditor, kKeyBackspace);
    EXPECT_EQ(Str(kStrReadOnlyTip), TestEditorTip(kGadgetEditor));
    Shortcut(kKeyTab, kModCtrl);
    EXPECT_EQ("", TestEditorTip(kGadgetEditor));
    g_app.options.readOnly = 0;
    ApplyOptions(true);
    EXPECT_EQ("Jotcrate", TestWindowTitle(kWindowMain));
}

// The list's title follows what is typed into the first lines before any save, and comes back
// when the typing is undone; the data file is not written meanwhile.
TEST_F(MainWindowTest, TheTitleInTheListFollowsTyping) {
    StartProgram();
    const std::string before = ReadFileBytes(g_app.dataPath);
    Shortcut('A', kModAlt);
    ASSERT_EQ(10, SelectorCount(kGadgetSelector));
    EditorCommand(kGadgetEditor, kEditSelectAll);
    Type("Groceries");
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerTitle));
    Pump();
    EXPECT_EQ("Groceries", Titles()[9]);
    Type(" list");  // typing goes on: the timer was not restarted by each key
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerTitle));
    Pump();
    EXPECT_EQ("Groceries list", Titles()[9]);
    EXPECT_EQ(before.size() + 32001, ReadFileBytes(g_app.dataPath).size());  // only the Add's slot
    EditorCommand(kGadgetEditor, kEditSelectAll);
    Key(kGadgetEditor, kKeyDelete);
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerTitle));
    Pump();
    EXPECT_EQ("New record", Titles()[9]);
    EXPECT_EQ("Record 1", Titles()[0]);
    // Saved before the moment is up: the save gave the title, and the timer leaves it.
    Type("Saved");
    Shortcut('R', kModAlt);
    ASSERT_TRUE(ExpireTimer(kWindowMain, kTimerTitle));
    Pump();
    EXPECT_EQ("Saved", Titles()[9]);
}

TEST_F(MainWindowTest, AltRStepsThroughTheRecords) {
    StartProgram();
    Shortcut('R', kModAlt);
    EXPECT_EQ(kGadgetSelector, FocusedGadget());
    Key(kGadgetSelector, kKeyDown);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ(2, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("Record 3\r\n", EditorText(kGadgetEditor));
    Key(kGadgetSelector, kKeyUp);
    EXPECT_EQ("Record 2\r\n", EditorText(kGadgetEditor));
}

TEST_F(MainWindowTest, HelpOpensOnceAndStartsWithTheTitle) {
    StartProgram();
    Shortcut(kKeyF1);
    ASSERT_TRUE(WindowExists(kWindowHelp));
    // The window open already comes to the front as it was: the place the user read to stays.
    SetEditorSelection(kGadgetHelpEditor, 20, 25);
    Shortcut('H', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowHelp));
    int start = 0, end = 0;
    EditorSelection(kGadgetHelpEditor, &start, &end);
    EXPECT_EQ(std::make_pair(20, 25), std::make_pair(start, end));
    EXPECT_EQ(std::make_pair(632, 428), Size(kWindowHelp));
    EXPECT_EQ(0u, EditorText(kGadgetHelpEditor).find("\r\n\r\nJotcrate\r\n\r\n\r\n\r\nJotcrate is a minimal"));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetHelpEditor));
    EXPECT_EQ(std::string::npos, HelpText().find("%PROGRAM%"));
    TypeInto(kGadgetHelpEditor, "zqxj");
    EXPECT_EQ(std::string::npos, EditorText(kGadgetHelpEditor).find("zqxj"));
    PostWindowEvent(Event{kEventClose, kWindowHelp, 0});
    Pump();
    EXPECT_FALSE(WindowExists(kWindowHelp));
}

}  // namespace
