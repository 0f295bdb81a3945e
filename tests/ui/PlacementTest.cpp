// Windows that fit the desktop on Qt: Move and Size from the window menu by keys, On Top for every window and box of the program, and a record list
// that scrolls and is as wide as its titles.
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"
#include "ui/records/RecordList.h"

namespace {

class PlacementGuiTest : public GuiTest {
protected:
    // Opens the window menu by ALT+MINUS and picks the item of the letter.
    void PickFromWindowMenu(Qt::Key letter) {
        MainWindow()->activateWindow();
        ASSERT_TRUE(PumpUntil([this] { return MainWindow()->isActiveWindow(); }));
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            chooser.stop();
            QTest::keyClick(menu, letter);
        });
        chooser.start(1);
        Shortcut(kKeyMinus, kModAlt);
        EXPECT_FALSE(chooser.isActive());
    }
    void Press(int key, unsigned modifiers = 0) { Shortcut(key, modifiers); }
};

TEST_F(PlacementGuiTest, WindowMenuMoveAndSizeFollowTheArrowKeys) {
    StartProgram();
    QWidget* window = MainWindow();
    const QRect start = window->frameGeometry();
    g_app.settingsChanged = 0;
    PickFromWindowMenu(Qt::Key_M);
    Press(kKeyRight);
    Press(kKeyRight);
    Press(kKeyDown, kModCtrl);
    EXPECT_EQ(start.topLeft() + QPoint(16, 1), window->frameGeometry().topLeft());
    // No command key acts while the mode runs: ALT+A adds no record.
    int records = SelectorCount(kGadgetSelector);
    Press('A', kModAlt);
    EXPECT_EQ(records, SelectorCount(kGadgetSelector));
    Press(kKeyEnter);
    const QRect kept = window->frameGeometry();
    EXPECT_EQ(start.topLeft() + QPoint(16, 1), kept.topLeft());
    EXPECT_EQ(1, g_app.settingsChanged);  // kept at exit, as a move by the mouse
    Press(kKeyRight);                     // the mode is over: the editor has the key
    EXPECT_EQ(kept, window->frameGeometry());

    // ESC puts the window back.
    PickFromWindowMenu(Qt::Key_M);
    Press(kKeyLeft);
    Press(kKeyUp);
    EXPECT_NE(kept, window->frameGeometry());
    Press(kKeyEscape);
    EXPECT_EQ(kept, window->frameGeometry());

    // Size: the first arrow picks the right edge, the next move it; a click keeps the size.
    PickFromWindowMenu(Qt::Key_S);
    Press(kKeyRight);
    Press(kKeyRight);
    Press(kKeyRight);
    Press(kKeyDown);
    Press(kKeyDown);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    Pump();
    EXPECT_EQ(kept.size() + QSize(16, 8), window->frameGeometry().size());
    EXPECT_EQ(kept.topLeft(), window->frameGeometry().topLeft());
    Press(kKeyDown);
    EXPECT_EQ(kept.size() + QSize(16, 8), window->frameGeometry().size());
}

QWidget* TopLevelTitled(const QString& title) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowTitle() == title && top->isVisible()) return top;
    return nullptr;
}

bool StaysOnTop(const QWidget* window) { return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

TEST_F(PlacementGuiTest, OnTopKeepsTheProgramsOwnWindowsAndBoxesAboveTheMainWindow) {
    StartProgram();
    Shortcut(kKeyF1);
    ASSERT_TRUE(WindowExists(kWindowHelp));
    EXPECT_FALSE(StaysOnTop(WindowWidget(kWindowHelp)));
    SetOnTop(kWindowMain, true);
    Pump();
    EXPECT_TRUE(StaysOnTop(MainWindow()));
    EXPECT_TRUE(StaysOnTop(WindowWidget(kWindowHelp)));  // open already: it follows
    EXPECT_TRUE(WindowWidget(kWindowHelp)->isVisible());
    MainWindow()->activateWindow();
    Pump();
    OpenFindAllWindow();
    Pump();
    EXPECT_TRUE(StaysOnTop(TopLevelTitled(QStringLiteral("Find in All Records"))));
    OpenFind(kFindWithDialog);
    Pump();
    EXPECT_TRUE(StaysOnTop(TopLevelTitled(QStringLiteral("Find"))));
    // A notice and a question, as shown.
    std::vector<bool> onTop;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        onTop.push_back(StaysOnTop(box));
        box->reject();
    });
    closer.start(1);
    SetUnattended(false);
    ShowNotice("Caption", "A notice");
    AskYesNo(kWindowMain, "Caption", "A question?");
    SetUnattended(true);
    closer.stop();
    EXPECT_EQ((std::vector<bool>{true, true}), onTop);
    // Off again: every window follows.
    SetOnTop(kWindowMain, false);
    Pump();
    EXPECT_FALSE(StaysOnTop(WindowWidget(kWindowHelp)));
    EXPECT_FALSE(StaysOnTop(TopLevelTitled(QStringLiteral("Find in All Records"))));
    EXPECT_FALSE(StaysOnTop(TopLevelTitled(QStringLiteral("Find"))));
}

TEST_F(PlacementGuiTest, TheFindToolsOpenBesideTheMainWindowWithinTheScreen) {
    StartProgram();
    PlaceWindow(kWindowMain, Rect{0, 0, 474, 300});
    Pump();
    const QRect main = MainWindow()->frameGeometry(), area = MainWindow()->screen()->availableGeometry();
    OpenFind(kFindWithDialog);
    Pump();
    QWidget* find = TopLevelTitled(QStringLiteral("Find"));
    ASSERT_TRUE(find);
    EXPECT_FALSE(main.intersects(find->frameGeometry()));
    EXPECT_TRUE(area.contains(find->frameGeometry()));
    // Too large to go beside it on this screen: over it, but within the screen.
    OpenFindAllWindow();
    Pump();
    QWidget* findAll = TopLevelTitled(QStringLiteral("Find in All Records"));
    ASSERT_TRUE(findAll);
    EXPECT_TRUE(area.contains(findAll->frameGeometry()));
}

TEST_F(PlacementGuiTest, TheRecordListScrollsAndIsAsWideAsItsTitles) {
    StartProgram();
    auto* selector = static_cast<JcSelector*>(Widget(kGadgetSelector));
    const int first = SelectorCount(kGadgetSelector);  // after the starter records
    std::vector<SelectorEntry> entries;
    for (int i = 0; i < 3000; ++i) entries.push_back(SelectorEntry{"Entry " + std::to_string(i), 100 + i});
    const std::string longTitle = "A title long enough to be cut by the narrow field";
    entries[1500].title = longTitle;
    AddListEntries(std::move(entries));
    selector->showPopup();
    Pump();
    QAbstractItemView* view = selector->view();
    ASSERT_TRUE(view->isVisible());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    QRect list = view->window()->geometry(), area = selector->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(list));
    EXPECT_GT(list.width(), selector->width());
    EXPECT_GE(view->viewport()->width(), view->fontMetrics().horizontalAdvance(QString::fromStdString(longTitle)));
    selector->hidePopup();
    Pump();
    // Letters typed on the field pick a title.
    SelectEntry(kGadgetSelector, 0);
    QTest::keyClicks(selector, "A");
    EXPECT_EQ(first + 1500, SelectedEntry(kGadgetSelector));
    // A title made longer since: the list widens for it.
    const std::string longer(48, 'W');
    SetSelectorTitle(kGadgetSelector, first + 2999, longer);
    selector->showPopup();
    Pump();
    EXPECT_GE(view->viewport()->width(), view->fontMetrics().horizontalAdvance(QString::fromStdString(longer)));
    selector->hidePopup();
    Pump();
    // Titles wider than the screen: the list is as wide as the screen, no wider.
    QFont large = selector->font();
    large.setPixelSize(60);
    selector->setFont(large);
    view->setFont(large);
    selector->showPopup();
    Pump();
    // (The offscreen platform's frame shifts a popup by its margin: only the extent counts.)
    list = view->window()->geometry();
    EXPECT_EQ(area.width(), list.width());
    EXPECT_TRUE(list.top() >= area.top() && list.bottom() <= area.bottom()) << list.top() << " " << list.bottom();
    selector->hidePopup();
    Pump();
}

}  // namespace
