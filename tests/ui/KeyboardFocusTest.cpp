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
    std::vector<std::string> Walk(int key, Qt::KeyboardModifiers modifiers, int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            Shortcut(key, modifiers);
            names.push_back(FocusName());
        }
        return names;
    }
    QImage Look(int gadget) { return Widget(gadget)->grab().toImage(); }
    void OpenOptions() {
        Shortcut(Qt::Key_O, Qt::AltModifier);
        ASSERT_TRUE(WindowExists(kWindowOptions));
        QApplication::setActiveWindow(WindowWidget(kWindowOptions));
        Pump();
    }
};

TEST_F(KeyboardFocusTest, CtrlTabRingsTheMainWindowBothWaysAndTabStaysInTheEditor) {
    StartProgram();
    // A screen reader on Linux names a list by its entry, and says its tooltip after it.
    const std::vector<std::string> ring = {"Add", "Delete", "Options", "Help", "Record 1", "Record text"};
    EXPECT_EQ(ring, Walk(Qt::Key_Tab, Qt::ControlModifier, 6));
    EXPECT_EQ((std::vector<std::string>{"Record 1", "Help", "Options", "Delete", "Add", "Record text", "Record 1"}),
              Walk(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 7));
    // Neither TAB nor SHIFT+TAB leaves a button of the main window: TAB is the editor's key.
    FocusGadget(kGadgetOptions);
    Shortcut(Qt::Key_Tab);
    Shortcut(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(kGadgetOptions, FocusedGadget());
    Shortcut(Qt::Key_E, Qt::AltModifier);
    Shortcut(Qt::Key_Tab);
    EXPECT_EQ(kGadgetEditor, FocusedGadget());
    EXPECT_EQ("\tRecord 1\r\n", EditorText(kGadgetEditor));
}

TEST_F(KeyboardFocusTest, AKeysMoveDrawsTheFocusFrameAndTheProgramsOwnDoesNot) {
    StartProgram();
    QImage plain = Look(kGadgetDelete);
    FocusGadget(kGadgetDelete);
    ASSERT_EQ(kGadgetDelete, FocusedGadget());
    EXPECT_EQ(plain, Look(kGadgetDelete)) << "the program's own move showed a frame";
    Shortcut(Qt::Key_E, Qt::AltModifier);
    Shortcut(Qt::Key_Tab, Qt::ControlModifier);
    Shortcut(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(kGadgetDelete, FocusedGadget());
    EXPECT_NE(plain, Look(kGadgetDelete)) << "CTRL+TAB reached Delete without a frame";
    QImage list = Look(kGadgetSelector);
    Shortcut(Qt::Key_R, Qt::AltModifier);
    ASSERT_EQ(kGadgetSelector, FocusedGadget());
    EXPECT_NE(list, Look(kGadgetSelector)) << "ALT+R reached the record list without a frame";
}

TEST_F(KeyboardFocusTest, TabWalksTheOptionsDialogInOrderBothWays) {
    StartProgram();
    OpenOptions();
    EXPECT_EQ("Apply", FocusName());
    const std::vector<std::string> forward = {"Cancel",       "Wordwrap",         "On Top", "Read Only", "Hide Tooltips",
                                              "Auto Backup", "Desktop Shortcut", "Font",   "Color",     "Export",
                                              "Apply"};
    EXPECT_EQ(forward, Walk(Qt::Key_Tab, Qt::NoModifier, 11));
    std::vector<std::string> backward(forward.rbegin() + 1, forward.rend());
    backward.push_back("Apply");
    EXPECT_EQ(backward, Walk(Qt::Key_Backtab, Qt::ShiftModifier, 11));
    // CTRL+TAB and CTRL+SHIFT+TAB take the same ring.
    EXPECT_EQ(std::vector<std::string>{"Cancel"}, Walk(Qt::Key_Tab, Qt::ControlModifier, 1));
    EXPECT_EQ(std::vector<std::string>{"Apply"}, Walk(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 1));
    // A box reached by TAB shows its frame and SPACE turns it; the dialog still applies nothing.
    FocusGadget(kGadgetWordwrap);
    QImage plain = Look(kGadgetOnTop);
    Shortcut(Qt::Key_Tab);
    ASSERT_EQ(kGadgetOnTop, FocusedGadget());
    EXPECT_NE(plain, Look(kGadgetOnTop));
    Shortcut(Qt::Key_Space);
    EXPECT_TRUE(IsChecked(kGadgetOnTop));
    Shortcut(Qt::Key_Escape);
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
        EXPECT_TRUE(letters.insert(letter[0].toCombined()).second) << "letter used twice: " << button->text().toStdString();
    }
    EXPECT_EQ(10u, letters.size());
    // ALT+R turns Read Only wherever the focus is, and the mnemonic shows in no name.
    Shortcut(Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(PumpUntil([] { return IsChecked(kGadgetReadOnly); }));
    EXPECT_EQ("Read Only", FocusName());
    Shortcut(Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(PumpUntil([] { return !WindowExists(kWindowOptions); }));
    EXPECT_EQ(1, g_app.options.readOnly);
}

TEST_F(KeyboardFocusTest, MainWindowLettersStayTheCommandsKeys) {
    StartProgram();
    // The buttons underline the letters of their commands; ALT+D still asks before it deletes.
    EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_D), QKeySequence::mnemonic(static_cast<QAbstractButton*>(Widget(kGadgetDelete))->text()));
    ArmMessageBoxAnswers({false});
    Shortcut(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(1u, MessageBoxTexts().size());
    Shortcut(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(10, SelectorCount(kGadgetSelector));
}

TEST_F(KeyboardFocusTest, TabWalksTheFindDialogAndFindInAllRecords) {
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, 6);
    Shortcut(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(FindDialogExists());
    QWidget* find = QApplication::focusWidget()->window();
    QApplication::setActiveWindow(find);
    EXPECT_EQ("Find what:", FocusName());
    // The two directions are one stop, entered at the one chosen; the arrows choose within it.
    EXPECT_EQ((std::vector<std::string>{"Match whole word only", "Match case", "Down", "Find Next", "Cancel", "Find what:"}),
              Walk(Qt::Key_Tab, Qt::NoModifier, 6));
    EXPECT_EQ((std::vector<std::string>{"Cancel", "Find Next", "Down", "Match case"}), Walk(Qt::Key_Backtab, Qt::ShiftModifier, 4));
    Shortcut(Qt::Key_Tab);
    Shortcut(Qt::Key_Left);
    EXPECT_EQ("Up", FocusName());
    EXPECT_EQ(std::vector<std::string>{"Find Next"}, Walk(Qt::Key_Tab, Qt::NoModifier, 1));
    EXPECT_EQ(std::vector<std::string>{"Up"}, Walk(Qt::Key_Backtab, Qt::ShiftModifier, 1));
    Shortcut(Qt::Key_Escape);
    ASSERT_TRUE(PumpUntil([] { return !FindDialogExists(); }));
    QApplication::setActiveWindow(MainWindow());
    FocusGadget(kGadgetEditor);
    Pump();

    Shortcut(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(FindAllWindowExists());
    QApplication::setActiveWindow(QApplication::focusWidget()->window());
    EXPECT_EQ("Find:", FocusName());
    EXPECT_EQ((std::vector<std::string>{"Match case", "Whole word", "Results", "Find:"}), Walk(Qt::Key_Tab, Qt::NoModifier, 4));
    EXPECT_EQ(std::vector<std::string>{"Results"}, Walk(Qt::Key_Backtab, Qt::ShiftModifier, 1));
}

}  // namespace
