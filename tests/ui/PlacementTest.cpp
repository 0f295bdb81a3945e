// Windows that fit the desktop: the placement rules on rectangles, Move and Size from the
// window menu by keys, On Top for every window and box of the program, and a record list
// that scrolls and is as wide as its titles.
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/Placement.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

bool Same(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::string Show(const Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

#define EXPECT_RECT(expected, actual) EXPECT_TRUE(Same(expected, actual)) << Show(actual)

const Rect kArea{0, 30, 640, 370};  // a 640 x 400 screen less a panel at the top

TEST(Placement, WindowsFitTheWorkArea) {
    EXPECT_RECT((Rect{10, 40, 200, 100}), FitIntoArea(Rect{10, 40, 200, 100}, kArea));  // inside: as it was
    EXPECT_RECT((Rect{440, 30, 200, 100}), FitIntoArea(Rect{600, -50, 200, 100}, kArea));
    // Larger than the area (the help window at twice the scale): shrunk to it.
    EXPECT_RECT((Rect{0, 30, 640, 370}), FitIntoArea(Rect{24, 24, 1264, 856}, kArea));
    EXPECT_RECT((Rect{0, 100, 640, 100}), FitIntoArea(Rect{-300, 100, 900, 100}, kArea));
    // An area of no size (no screen known) leaves the window alone.
    EXPECT_RECT((Rect{5, 6, 7, 8}), FitIntoArea(Rect{5, 6, 7, 8}, Rect{0, 0, 0, 0}));
}

TEST(Placement, BesideTheOwnerWhereThereIsRoomElseOverIt) {
    const Rect area{0, 0, 1280, 800};
    EXPECT_RECT((Rect{500, 50, 300, 200}), PlaceBeside(Rect{20, 50, 480, 300}, 300, 200, area));     // right
    EXPECT_RECT((Rect{20, 350, 300, 200}), PlaceBeside(Rect{20, 50, 1100, 300}, 300, 200, area));    // below
    EXPECT_RECT((Rect{200, 500, 300, 200}), PlaceBeside(Rect{500, 500, 780, 300}, 300, 200, area));  // left
    EXPECT_RECT((Rect{0, 300, 300, 200}), PlaceBeside(Rect{0, 500, 1280, 300}, 300, 200, area));     // above
    // Beside, but never past the area's bottom edge.
    EXPECT_RECT((Rect{500, 600, 300, 200}), PlaceBeside(Rect{20, 700, 480, 100}, 300, 200, area));
    // No room anywhere: centred over the owner; a window larger than the area is shrunk.
    EXPECT_RECT((Rect{490, 300, 300, 200}), PlaceBeside(Rect{0, 0, 1280, 800}, 300, 200, area));
    EXPECT_RECT((Rect{0, 30, 640, 370}), PlaceBeside(Rect{0, 30, 640, 370}, 1120, 760, kArea));
    EXPECT_RECT((Rect{0, 30, 214, 224}), CentreOver(Rect{-400, -100, 470, 300}, 214, 224, kArea));
}

TEST(Placement, TheLongestEntriesInOrder) {
    const std::vector<std::string> titles = {"a", "abcd", "ab", "abcd", "", "abc"};
    EXPECT_EQ((std::vector<std::size_t>{1, 3}), LongestEntries(titles, 2));
    EXPECT_EQ((std::vector<std::size_t>{1, 3, 5, 2, 0, 4}), LongestEntries(titles, 10));
    EXPECT_TRUE(LongestEntries(titles, 0).empty());
    EXPECT_TRUE(LongestEntries({}, 3).empty());
}

TEST(Placement, MoveByKeysStepsKeepsOrRestores) {
    PlacementByKeys p = StartPlacementByKeys(Rect{100, 100, 300, 200}, false, 200, 100, kArea);
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceRight, false));
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceDown, true));
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceOther, false));
    EXPECT_RECT((Rect{108, 101, 300, 200}), p.current);
    int x, y;
    PlacementPointer(p, &x, &y);
    EXPECT_EQ(258, x);
    EXPECT_EQ(201, y);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceKeep, false));
    EXPECT_RECT((Rect{108, 101, 300, 200}), p.current);
    p = StartPlacementByKeys(Rect{100, 100, 300, 200}, false, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceRestore, false));
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
    // The title bar stays in the work area: up stops at its top, left and right keep a grip.
    p = StartPlacementByKeys(Rect{0, 34, 300, 200}, false, 200, 100, kArea);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceUp, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_RECT((Rect{-236, 30, 300, 200}), p.current);
    for (int i = 0; i < 200; ++i) StepPlacementByKeys(&p, kPlaceRight, false);
    for (int i = 0; i < 200; ++i) StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{576, 368, 300, 200}), p.current);
    // A window already past a bound is not pulled back by a step that way.
    p = StartPlacementByKeys(Rect{0, 10, 300, 200}, false, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceUp, false);
    EXPECT_EQ(10, p.current.y);
}

TEST(Placement, SizeByKeysPicksAnEdgeThenMovesIt) {
    PlacementByKeys p = StartPlacementByKeys(Rect{100, 100, 300, 200}, true, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceLeft, false);  // picks the left edge only
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
    EXPECT_EQ(unsigned(kEdgeLeft), p.edges);
    StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_RECT((Rect{92, 100, 308, 200}), p.current);
    StepPlacementByKeys(&p, kPlaceRight, true);  // the picked edge goes back, one pixel
    EXPECT_RECT((Rect{93, 100, 307, 200}), p.current);
    StepPlacementByKeys(&p, kPlaceDown, false);  // crosswise: the bottom edge too, a corner
    EXPECT_EQ(unsigned(kEdgeLeft | kEdgeBottom), p.edges);
    StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{93, 100, 307, 208}), p.current);
    int x, y;
    PlacementPointer(p, &x, &y);
    EXPECT_EQ(93, x);
    EXPECT_EQ(307, y);
    // The minimum size holds, and the edges stop at the work area.
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceRight, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceUp, false);
    EXPECT_RECT((Rect{200, 100, 200, 100}), p.current);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceLeft, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{0, 100, 400, 300}), p.current);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceRestore, false));
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
}

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
    Press(kKeyRight);  // the mode is over: the editor has the key
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
    AddSelectorEntries(kGadgetSelector, std::move(entries));
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
