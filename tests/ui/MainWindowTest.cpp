// The main window as built: geometry and resizing, focus cycling with CTRL+TAB and the
// RETURN key, the help window.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/HelpWindow.h"
#include "ui/QtGuiTest.h"
#include "ui/options/ApplyOptions.h"

namespace {

class MainWindowTest : public GuiTest {};

std::vector<std::vector<std::string>> s_started;
void RecordStart(const std::vector<std::string>& argv) { s_started.push_back(argv); }

TEST_F(MainWindowTest, ControlsFollowTheResizeRule) {
    StartProgram();
    QWidget* window = MainWindow();
    EXPECT_EQ(QSize(474, 300), window->size());
    EXPECT_EQ(QRect(270, 7, 198, 24), Widget(kGadgetSelector)->geometry());
    EXPECT_EQ(QRect(6, 38, 462, 256), Widget(kGadgetEditor)->geometry());
    window->resize(574, 350);
    Pump();
    EXPECT_EQ(QRect(270, 7, 298, 24), Widget(kGadgetSelector)->geometry());
    EXPECT_EQ(QRect(6, 38, 562, 306), Widget(kGadgetEditor)->geometry());
    EXPECT_EQ(QRect(6, 6, 60, 26), Widget(kGadgetAdd)->geometry());
    window->resize(100, 100);
    Pump();
    EXPECT_EQ(QSize(474, 300), window->size());
}

TEST_F(MainWindowTest, UserMovesMarkTheSettingsButMaximisingDoesNot) {
    StartProgram();
    QWidget* window = MainWindow();
    window->showMaximized();
    Pump();
    window->showNormal();
    Pump();
    window->showMinimized();
    Pump();
    window->showNormal();
    Pump();
    EXPECT_EQ(0, g_app.settingsChanged);
    window->move(window->pos() + QPoint(30, 20));
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

TEST_F(MainWindowTest, ReadOnlyCyclesOverTheEnabledControlsOnly) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nRead Only=1\r\n");
    StartProgram();
    FocusGadget(kGadgetEditor);
    Shortcut(kKeyTab, kModCtrl);
    EXPECT_EQ(kGadgetOptions, FocusedGadget());
    EXPECT_FALSE(Widget(kGadgetAdd)->isEnabled());
    EXPECT_FALSE(Widget(kGadgetDelete)->isEnabled());
    EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
    Shortcut('A', kModAlt);
    Shortcut('D', kModAlt);
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_TRUE(MessageBoxTexts().empty());
    EXPECT_EQ(kGadgetOptions, FocusedGadget());  // refused commands do not even move the focus
    // The title says why typing does nothing, and typing beeps rather than vanishing.
    EXPECT_EQ("Jotcrate (Read Only)", WindowWidget(kWindowMain)->windowTitle().toStdString());
    int beeps = BeepsSoFar();
    FocusGadget(kGadgetEditor);
    Type("xy");
    EXPECT_EQ(beeps + 2, BeepsSoFar());
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor).substr(0, 10));
    g_app.options.readOnly = 0;
    ApplyOptions(true);
    EXPECT_EQ("Jotcrate", WindowWidget(kWindowMain)->windowTitle().toStdString());
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
    QWidget* help = WindowWidget(kWindowHelp);
    Shortcut('H', kModAlt);
    EXPECT_EQ(help, WindowWidget(kWindowHelp));
    EXPECT_EQ(QSize(632, 428), help->size());
    EXPECT_EQ(0u, EditorText(kGadgetHelpEditor).find("\r\n\r\nJotcrate\r\n\r\n\r\n\r\nJotcrate is a minimal"));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetHelpEditor));
    EXPECT_EQ(std::string::npos, HelpText().find("%PROGRAM%"));
    TypeInto(kGadgetHelpEditor, "zqxj");
    EXPECT_EQ(std::string::npos, EditorText(kGadgetHelpEditor).find("zqxj"));
    PostWindowEvent(Event{kEventClose, kWindowHelp, 0});
    Pump();
    EXPECT_FALSE(WindowExists(kWindowHelp));
}

// Most desktops keep ALT+SPACE for their own window menu: ALT+MINUS and a right-click on the
// window's background or on a button open the program's, with the three tools.
TEST_F(MainWindowTest, TheWindowMenuHasRoutesTheDesktopLeavesFree) {
    StartProgram();
    SetShellRecorder(RecordStart);
    auto rightClick = [](QWidget* widget, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    };
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"ALT+SPACE", [this] { Shortcut(kKeySpace, kModAlt); }},
        {"ALT+MINUS", [this] { Shortcut(kKeyMinus, kModAlt); }},
        {"background", [&] { rightClick(MainWindow(), QPoint(264, 20)); }},
        {"button", [&] { rightClick(Widget(kGadgetAdd), QPoint(5, 5)); }},
    };
    for (const auto& [name, open] : routes) {
        // The menu just closed gives the activation back in its own time.
        MainWindow()->activateWindow();
        ASSERT_TRUE(PumpUntil([this] { return MainWindow()->isActiveWindow(); })) << name;
        s_started.clear();
        QStringList items;
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            chooser.stop();
            for (QAction* action : menu->actions()) items << action->text();
            QTest::keyClick(menu, Qt::Key_E);
        });
        chooser.start(1);
        open();
        Pump();
        EXPECT_FALSE(chooser.isActive()) << name;
        EXPECT_TRUE(items.contains(QStringLiteral("Calc&ulator"))) << name;
        ASSERT_EQ(1u, s_started.size()) << name;
        EXPECT_EQ(folder.path + "home", s_started[0].back()) << name;  // the file manager, at home
    }
    SetShellRecorder(nullptr);
}

}  // namespace
