// Windows that fit the desktop, on both backends: On Top carried to the program's other
// windows, and the find tools opened beside the main window within the screen. The window
// menu's Move and Size by keys, the On Top of message boxes and the record list's drop-down are
// read from Qt's widgets: PlacementQtTest.
#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

class PlacementGuiTest : public GuiTest {};

bool Intersect(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool Contains(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST_F(PlacementGuiTest, OnTopKeepsTheProgramsOwnWindowsAboveTheMainWindow) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine sets no WS_EX_TOPMOST on an active window on a screen without a window manager: the "
                    "main window and the find tools opened active stay without it, the help window behind them "
                    "gets it (Win32PlacementTest checks the call on windows not yet activated)";
#endif
    StartProgram();
    Shortcut(kKeyF1);
    ASSERT_TRUE(WindowExists(kWindowHelp));
    EXPECT_FALSE(IsTestWindowOnTop(kWindowHelp));
    SetOnTop(kWindowMain, true);
    Pump();
    EXPECT_TRUE(IsTestWindowOnTop(kWindowMain));
    EXPECT_TRUE(IsTestWindowOnTop(kWindowHelp));  // open already: it follows
    EXPECT_TRUE(IsTestWindowVisible(kWindowHelp));
    Activate(kWindowMain);
    OpenFindAllWindow();
    Pump();
    EXPECT_TRUE(IsTestWindowOnTop(kWindowFindAll));
    OpenFind(kFindWithDialog);
    Pump();
    EXPECT_TRUE(IsTestWindowOnTop(kWindowFind));
    // Off again: every window follows.
    SetOnTop(kWindowMain, false);
    Pump();
    EXPECT_FALSE(IsTestWindowOnTop(kWindowMain));
    EXPECT_FALSE(IsTestWindowOnTop(kWindowHelp));
    EXPECT_FALSE(IsTestWindowOnTop(kWindowFindAll));
    EXPECT_FALSE(IsTestWindowOnTop(kWindowFind));
}

TEST_F(PlacementGuiTest, TheFindToolsOpenBesideTheMainWindowWithinTheScreen) {
    StartProgram();
    PlaceWindow(kWindowMain, Rect{0, 0, 474, 300});
    Pump();
    Rect main, find, findAll;
    const Rect area = ScreenWorkArea();
    ASSERT_TRUE(OuterRectOnScreen(kWindowMain, &main));
    OpenFind(kFindWithDialog);
    Pump();
    ASSERT_TRUE(WindowExists(kWindowFind));
    ASSERT_TRUE(OuterRectOnScreen(kWindowFind, &find));
    EXPECT_FALSE(Intersect(main, find)) << main << " " << find;
    EXPECT_TRUE(Contains(area, find)) << area << " " << find;
    // Too large to go beside it on this screen: over it, but within the screen.
    OpenFindAllWindow();
    Pump();
    ASSERT_TRUE(WindowExists(kWindowFindAll));
    ASSERT_TRUE(OuterRectOnScreen(kWindowFindAll, &findAll));
    EXPECT_TRUE(Contains(area, findAll)) << area << " " << findAll;
}

}  // namespace
