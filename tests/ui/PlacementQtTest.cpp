// Windows that fit the desktop, read from Qt's widgets: Move and Size from the program's own
// window menu by keys (on Windows the system's menu and its own move loop do them), On Top for
// the program's message boxes, and a record list that scrolls and is as wide as its titles
// (GuiWin32Test measures the Win32 one). The rest runs on both backends: PlacementTest.
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

class PlacementQtTest : public GuiTest {
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

TEST_F(PlacementQtTest, WindowMenuMoveAndSizeFollowTheArrowKeys) {
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

bool StaysOnTop(const QWidget* window) { return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// The program's other windows follow it on both backends (PlacementTest); a box is read here as
// Qt shows it.
TEST_F(PlacementQtTest, OnTopKeepsTheProgramsBoxesAboveTheMainWindow) {
    StartProgram();
    SetOnTop(kWindowMain, true);
    Pump();
    ASSERT_TRUE(StaysOnTop(MainWindow()));
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
}

TEST_F(PlacementQtTest, TheRecordListScrollsAndIsAsWideAsItsTitles) {
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
