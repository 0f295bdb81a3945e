// What the Qt backend shows of the keyboard's walks (KeyboardFocusTest walks them on both
// backends): the names a screen reader says for each control met, read from Qt's
// accessibility tree, and the focus frame the style draws where a key moved the focus.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

class KeyboardFocusQtTest : public GuiTest {
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

TEST_F(KeyboardFocusQtTest, CtrlTabRingsTheMainWindowByTheNamesAScreenReaderSays) {
    StartProgram();
    // A screen reader on Linux names a list by its entry, and says its tooltip after it.
    const std::vector<std::string> ring = {"Add", "Delete", "Options", "Help", "Record 1", "Record text"};
    EXPECT_EQ(ring, Walk(kKeyTab, kModCtrl, 6));
    EXPECT_EQ((std::vector<std::string>{"Record 1", "Help", "Options", "Delete", "Add", "Record text", "Record 1"}),
              Walk(kKeyTab, kModCtrl | kModShift, 7));
}

TEST_F(KeyboardFocusQtTest, AKeysMoveDrawsTheFocusFrameAndTheProgramsOwnDoesNot) {
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

TEST_F(KeyboardFocusQtTest, TabWalksTheOptionsDialogByTheNamesAScreenReaderSays) {
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

TEST_F(KeyboardFocusQtTest, TabWalksTheFindDialogAndFindInAllRecordsByTheirNames) {
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

}  // namespace
