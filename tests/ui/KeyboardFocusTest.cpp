// The keyboard alone in every window: the order in which TAB, SHIFT+TAB, CTRL+TAB and
// CTRL+SHIFT+TAB visit the controls, the ALT letters of the dialogs, and both ENTER keys. The
// names a screen reader says and the focus frame drawn are Qt's to show: KeyboardFocusQtTest.
#include <set>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

class KeyboardFocusTest : public GuiTest {
protected:
    // The gadgets met while the key is pressed count times.
    std::vector<int> Walk(int key, unsigned modifiers, int count) {
        std::vector<int> met;
        for (int i = 0; i < count; ++i) {
            Shortcut(key, modifiers);
            met.push_back(FocusedGadget());
        }
        return met;
    }
    void OpenOptions() {
        Shortcut('O', kModAlt);
        ASSERT_TRUE(WindowExists(kWindowOptions));
        Activate(kWindowOptions);
    }
    // The letter after the label's & mark, upper case; 0 without one.
    static int Letter(const std::string& label) {
        std::size_t at = label.find('&');
        if (at == std::string::npos || at + 1 >= label.size()) return 0;
        char c = label[at + 1];
        return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    }
};

TEST_F(KeyboardFocusTest, CtrlTabRingsTheMainWindowBothWaysAndTabStaysInTheEditor) {
    StartProgram();
    const std::vector<int> ring = {kGadgetAdd,  kGadgetDelete,   kGadgetOptions,
                                   kGadgetHelp, kGadgetSelector, kGadgetEditor};
    EXPECT_EQ(ring, Walk(kKeyTab, kModCtrl, 6));
    EXPECT_EQ((std::vector<int>{kGadgetSelector, kGadgetHelp, kGadgetOptions, kGadgetDelete, kGadgetAdd, kGadgetEditor,
                                kGadgetSelector}),
              Walk(kKeyTab, kModCtrl | kModShift, 7));
    // Neither TAB nor SHIFT+TAB leaves a button of the main window: TAB is the editor's key.
    FocusGadget(kGadgetOptions);
    Shortcut(kKeyTab);
    Shortcut(kKeyTab, kModShift);
    EXPECT_EQ(kGadgetOptions, FocusedGadget());
    Shortcut('E', kModAlt);
    Shortcut(kKeyTab);
    EXPECT_EQ(kGadgetEditor, FocusedGadget());
    EXPECT_EQ("\tRecord 1\r\n", EditorText(kGadgetEditor));
}

TEST_F(KeyboardFocusTest, TabWalksTheOptionsDialogInOrderBothWays) {
    StartProgram();
    OpenOptions();
    EXPECT_EQ(kGadgetApply, FocusedGadget());
    const std::vector<int> forward = {
        kGadgetCancel,          kGadgetWordwrap, kGadgetOnTop,  kGadgetReadOnly, kGadgetHideTooltips, kGadgetAutoBackup,
        kGadgetDesktopShortcut, kGadgetFont,     kGadgetColour, kGadgetExport,   kGadgetApply};
    EXPECT_EQ(forward, Walk(kKeyTab, 0, 11));
    std::vector<int> backward(forward.rbegin() + 1, forward.rend());
    backward.push_back(kGadgetApply);
    EXPECT_EQ(backward, Walk(kKeyTab, kModShift, 11));
    // CTRL+TAB and CTRL+SHIFT+TAB take the same ring.
    EXPECT_EQ(std::vector<int>{kGadgetCancel}, Walk(kKeyTab, kModCtrl, 1));
    EXPECT_EQ(std::vector<int>{kGadgetApply}, Walk(kKeyTab, kModCtrl | kModShift, 1));
    // SPACE turns a box reached by TAB; the dialog still applies nothing.
    FocusGadget(kGadgetWordwrap);
    Shortcut(kKeyTab);
    ASSERT_EQ(kGadgetOnTop, FocusedGadget());
    Shortcut(kKeySpace);
    EXPECT_TRUE(IsChecked(kGadgetOnTop));
    Shortcut(kKeyEscape);
    EXPECT_EQ(0, g_app.options.onTop);
}

TEST_F(KeyboardFocusTest, EveryOptionsControlHasItsOwnAltLetter) {
    StartProgram();
    OpenOptions();
    std::set<int> letters;
    // Cancel has none: ESC is its key.
    for (int gadget : {kGadgetWordwrap, kGadgetOnTop, kGadgetReadOnly, kGadgetHideTooltips, kGadgetAutoBackup,
                       kGadgetDesktopShortcut, kGadgetFont, kGadgetColour, kGadgetExport, kGadgetApply}) {
        std::string label = TestGadgetLabel(gadget);
        int letter = Letter(label);
        ASSERT_NE(0, letter) << label;
        EXPECT_TRUE(letters.insert(letter).second) << "letter used twice: " << label;
    }
    EXPECT_EQ(10u, letters.size());
    // ALT+R turns Read Only wherever the focus is, and puts the focus there.
    Shortcut('R', kModAlt);
    EXPECT_TRUE(PumpUntil([] { return IsChecked(kGadgetReadOnly); }));
    EXPECT_EQ(kGadgetReadOnly, FocusedGadget());
    Shortcut('A', kModAlt);
    EXPECT_TRUE(PumpUntil([] { return !WindowExists(kWindowOptions); }));
    EXPECT_EQ(1, g_app.options.readOnly);
}

TEST_F(KeyboardFocusTest, MainWindowLettersStayTheCommandsKeys) {
    StartProgram();
    // The buttons underline the letters of their commands; ALT+D still asks before it deletes.
    EXPECT_EQ('D', Letter(TestGadgetLabel(kGadgetDelete)));
    ArmMessageBoxAnswers({false});
    Shortcut('D', kModAlt);
    EXPECT_EQ(1u, MessageBoxTexts().size());
    Shortcut('A', kModAlt);
    EXPECT_EQ(10, SelectorCount(kGadgetSelector));
}

TEST_F(KeyboardFocusTest, TabWalksTheFindDialogAndFindInAllRecords) {
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, 6);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    Activate(kWindowFind);
    EXPECT_EQ(kGadgetFindTerm, FocusedGadget());
    // The two directions are one stop, entered at the one chosen; the arrows choose within it.
    EXPECT_EQ((std::vector<int>{kGadgetFindWholeWord, kGadgetFindMatchCase, kGadgetFindDown, kGadgetFindNext,
                                kGadgetFindCancel, kGadgetFindTerm}),
              Walk(kKeyTab, 0, 6));
    EXPECT_EQ((std::vector<int>{kGadgetFindCancel, kGadgetFindNext, kGadgetFindDown, kGadgetFindMatchCase}),
              Walk(kKeyTab, kModShift, 4));
    Shortcut(kKeyTab);
    Shortcut(kKeyLeft);
    EXPECT_EQ(kGadgetFindUp, FocusedGadget());
    EXPECT_EQ(std::vector<int>{kGadgetFindNext}, Walk(kKeyTab, 0, 1));
    EXPECT_EQ(std::vector<int>{kGadgetFindUp}, Walk(kKeyTab, kModShift, 1));
    Shortcut(kKeyEscape);
    ASSERT_TRUE(PumpUntil([] { return !FindDialogExists(); }));
    Activate(kWindowMain);
    FocusGadget(kGadgetEditor);
    Pump();

    Shortcut('F', kModCtrl | kModShift);
    ASSERT_TRUE(FindAllWindowExists());
    Activate(kWindowFindAll);
    EXPECT_EQ(kGadgetFindAllTerm, FocusedGadget());
    EXPECT_EQ(
        (std::vector<int>{kGadgetFindAllMatchCase, kGadgetFindAllWholeWord, kGadgetFindAllResults, kGadgetFindAllTerm}),
        Walk(kKeyTab, 0, 4));
    EXPECT_EQ(std::vector<int>{kGadgetFindAllResults}, Walk(kKeyTab, kModShift, 1));
}

// Both ENTER keys are the program's ENTER: the keypad's, which comes with a modifier of its
// own, presses the focused button of the main window and takes the row of the Undelete window.
TEST_F(KeyboardFocusTest, TheKeypadsEnterPressesAsTheMainKeyboardsDoes) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo"});
    StartProgram();
    auto keypadEnter = [this] { Shortcut(kKeyPadEnter); };
    Walk(kKeyTab, kModCtrl, 3);
    ASSERT_EQ(kGadgetOptions, FocusedGadget());
    keypadEnter();
    ASSERT_TRUE(WindowExists(kWindowOptions));
    Shortcut(kKeyEscape);
    ASSERT_FALSE(WindowExists(kWindowOptions));
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ASSERT_EQ(std::vector<std::string>{"Bravo"}, Titles());
    ArmRequesterAnswers({});
    SetUnattended(false);
    Shortcut('U', kModAlt);
    SetUnattended(true);
    ASSERT_TRUE(WindowExists(kWindowUndelete));
    keypadEnter();
    EXPECT_FALSE(WindowExists(kWindowUndelete));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Bravo"}), Titles());
}

}  // namespace
