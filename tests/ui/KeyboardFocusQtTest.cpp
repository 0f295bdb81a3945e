// The keyboard alone in every window: the order in which TAB, SHIFT+TAB, CTRL+TAB and
// CTRL+SHIFT+TAB visit the controls, the focus frame the style draws where a key moved the
// focus, the ALT letters of the dialogs, and the names a screen reader says.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <set>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

class KeyboardFocusTest : public GuiTest {
protected:
    // What a screen reader says for the control that has the focus.
    static std::string FocusName() {
        QWidget* focus = QApplication::focusWidget();
        QAccessibleInterface* accessible = focus ? QAccessible::queryAccessibleInterface(focus) : nullptr;
        return accessible ? accessible->text(QAccessible::Name).toStdString() : "<no focus>";
    }
    // The names met while the key is pressed count times.
    std::vector<std::string> Walk(int key, unsigned modifiers, int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            Shortcut(key, modifiers);
            names.push_back(FocusName());
        }
        return names;
    }
    QImage Look(int gadget) { return Widget(gadget)->grab().toImage(); }
    void OpenOptions() {
        Shortcut('O', kModAlt);
        ASSERT_TRUE(WindowExists(kWindowOptions));
        QApplication::setActiveWindow(WindowWidget(kWindowOptions));
        Pump();
    }
};

TEST_F(KeyboardFocusTest, CtrlTabRingsTheMainWindowBothWaysAndTabStaysInTheEditor) {
    StartProgram();
    // A screen reader on Linux names a list by its entry, and says its tooltip after it.
    const std::vector<std::string> ring = {"Add", "Delete", "Options", "Help", "Record 1", "Record text"};
    EXPECT_EQ(ring, Walk(kKeyTab, kModCtrl, 6));
    EXPECT_EQ((std::vector<std::string>{"Record 1", "Help", "Options", "Delete", "Add", "Record text", "Record 1"}),
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

TEST_F(KeyboardFocusTest, AKeysMoveDrawsTheFocusFrameAndTheProgramsOwnDoesNot) {
    StartProgram();
    QImage plain = Look(kGadgetDelete);
    FocusGadget(kGadgetDelete);
    ASSERT_EQ(kGadgetDelete, FocusedGadget());
    EXPECT_EQ(plain, Look(kGadgetDelete)) << "the program's own move showed a frame";
    Shortcut('E', kModAlt);
    Shortcut(kKeyTab, kModCtrl);
    Shortcut(kKeyTab, kModCtrl);
    ASSERT_EQ(kGadgetDelete, FocusedGadget());
    EXPECT_NE(plain, Look(kGadgetDelete)) << "CTRL+TAB reached Delete without a frame";
    QImage list = Look(kGadgetSelector);
    Shortcut('R', kModAlt);
    ASSERT_EQ(kGadgetSelector, FocusedGadget());
    EXPECT_NE(list, Look(kGadgetSelector)) << "ALT+R reached the record list without a frame";
}

TEST_F(KeyboardFocusTest, TabWalksTheOptionsDialogInOrderBothWays) {
    StartProgram();
    OpenOptions();
    EXPECT_EQ("Apply", FocusName());
    const std::vector<std::string> forward = {"Cancel",      "Wordwrap",         "On Top", "Read Only", "Hide Tooltips",
                                              "Auto Backup", "Desktop Shortcut", "Font",   "Color",     "Export",
                                              "Apply"};
    EXPECT_EQ(forward, Walk(kKeyTab, 0, 11));
    std::vector<std::string> backward(forward.rbegin() + 1, forward.rend());
    backward.push_back("Apply");
    EXPECT_EQ(backward, Walk(kKeyTab, kModShift, 11));
    // CTRL+TAB and CTRL+SHIFT+TAB take the same ring.
    EXPECT_EQ(std::vector<std::string>{"Cancel"}, Walk(kKeyTab, kModCtrl, 1));
    EXPECT_EQ(std::vector<std::string>{"Apply"}, Walk(kKeyTab, kModCtrl | kModShift, 1));
    // A box reached by TAB shows its frame and SPACE turns it; the dialog still applies nothing.
    FocusGadget(kGadgetWordwrap);
    QImage plain = Look(kGadgetOnTop);
    Shortcut(kKeyTab);
    ASSERT_EQ(kGadgetOnTop, FocusedGadget());
    EXPECT_NE(plain, Look(kGadgetOnTop));
    Shortcut(kKeySpace);
    EXPECT_TRUE(IsChecked(kGadgetOnTop));
    Shortcut(kKeyEscape);
    EXPECT_EQ(0, g_app.options.onTop);
}

TEST_F(KeyboardFocusTest, EveryOptionsControlHasItsOwnAltLetter) {
    StartProgram();
    OpenOptions();
    std::set<int> letters;
    for (QAbstractButton* button : WindowWidget(kWindowOptions)->findChildren<QAbstractButton*>()) {
        if (button == Widget(kGadgetCancel)) continue;  // ESC is Cancel's key
        QKeySequence letter = QKeySequence::mnemonic(button->text());
        ASSERT_FALSE(letter.isEmpty()) << button->text().toStdString();
        EXPECT_TRUE(letters.insert(letter[0].toCombined()).second)
            << "letter used twice: " << button->text().toStdString();
    }
    EXPECT_EQ(10u, letters.size());
    // ALT+R turns Read Only wherever the focus is, and the mnemonic shows in no name.
    Shortcut('R', kModAlt);
    EXPECT_TRUE(PumpUntil([] { return IsChecked(kGadgetReadOnly); }));
    EXPECT_EQ("Read Only", FocusName());
    Shortcut('A', kModAlt);
    EXPECT_TRUE(PumpUntil([] { return !WindowExists(kWindowOptions); }));
    EXPECT_EQ(1, g_app.options.readOnly);
}

TEST_F(KeyboardFocusTest, MainWindowLettersStayTheCommandsKeys) {
    StartProgram();
    // The buttons underline the letters of their commands; ALT+D still asks before it deletes.
    EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_D),
              QKeySequence::mnemonic(static_cast<QAbstractButton*>(Widget(kGadgetDelete))->text()));
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
    QWidget* find = QApplication::focusWidget()->window();
    QApplication::setActiveWindow(find);
    EXPECT_EQ("Find what:", FocusName());
    // The two directions are one stop, entered at the one chosen; the arrows choose within it.
    EXPECT_EQ(
        (std::vector<std::string>{"Match whole word only", "Match case", "Down", "Find Next", "Cancel", "Find what:"}),
        Walk(kKeyTab, 0, 6));
    EXPECT_EQ((std::vector<std::string>{"Cancel", "Find Next", "Down", "Match case"}), Walk(kKeyTab, kModShift, 4));
    Shortcut(kKeyTab);
    Shortcut(kKeyLeft);
    EXPECT_EQ("Up", FocusName());
    EXPECT_EQ(std::vector<std::string>{"Find Next"}, Walk(kKeyTab, 0, 1));
    EXPECT_EQ(std::vector<std::string>{"Up"}, Walk(kKeyTab, kModShift, 1));
    Shortcut(kKeyEscape);
    ASSERT_TRUE(PumpUntil([] { return !FindDialogExists(); }));
    QApplication::setActiveWindow(MainWindow());
    FocusGadget(kGadgetEditor);
    Pump();

    Shortcut('F', kModCtrl | kModShift);
    ASSERT_TRUE(FindAllWindowExists());
    QApplication::setActiveWindow(QApplication::focusWidget()->window());
    EXPECT_EQ("Find:", FocusName());
    EXPECT_EQ((std::vector<std::string>{"Match case", "Whole word", "Results", "Find:"}), Walk(kKeyTab, 0, 4));
    EXPECT_EQ(std::vector<std::string>{"Results"}, Walk(kKeyTab, kModShift, 1));
}

// Both ENTER keys are the program's ENTER: the keypad's, which comes with a modifier of its
// own, presses the focused button of the main window and takes the row of the Undelete window.
TEST_F(KeyboardFocusTest, TheKeypadsEnterPressesAsTheMainKeyboardsDoes) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Bravo"});
    StartProgram();
    auto keypadEnter = [this] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        Pump();
    };
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
