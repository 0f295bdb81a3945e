// Windows that fit the desktop, on the real Win32 windows under Wine: On Top carried to the
// program's other windows, windows opened within the work area, and a record list that is as
// wide as its titles and no taller than the screen has room for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr int kOther = kWindowHelp;
constexpr int kList = 9001;

bool IsTopmost(HWND hwnd) { return GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST; }

bool Within(const RECT& r, const Rect& area) {
    return r.left >= area.x && r.top >= area.y && r.right <= area.x + area.width && r.bottom <= area.y + area.height;
}

class Win32PlacementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StartGui(0, nullptr);
        OpenWindow(kWindowMain, Rect{0, 0, 400, 300}, "Jotcrate placement",
                   kStyleSizable | kStyleCloseBox | kStyleMain);
        PlaceWindow(kWindowMain, Rect{100, 100, 480, 360});
    }
    static void TearDownTestSuite() {
        CloseWindow(kOther);
        CloseWindow(kWindowMain);
        RunPendingUiSteps();
    }
    void TearDown() override {
        SetOnTop(kWindowMain, false);
        CloseWindow(kOther);
        RunPendingUiSteps();
    }
};

TEST_F(Win32PlacementTest, OnTopCarriesOverToTheProgramsOtherWindows) {
    OpenWindow(kOther, Rect{24, 24, 300, 200}, "Jotcrate other", kStyleCloseBox);
    ShowWindow(kOther);
    SetOnTop(kWindowMain, true);
    EXPECT_TRUE(IsTopmost(WindowHandle(kWindowMain)));
    EXPECT_TRUE(IsTopmost(WindowHandle(kOther)));  // open already: it follows
    CloseWindow(kOther);
    OpenWindow(kOther, Rect{24, 24, 300, 200}, "Jotcrate other", kStyleCloseBox);
    EXPECT_TRUE(IsTopmost(WindowHandle(kOther)));  // opened while On Top
    SetOnTop(kWindowMain, false);
    EXPECT_FALSE(IsTopmost(WindowHandle(kWindowMain)));
    EXPECT_FALSE(IsTopmost(WindowHandle(kOther)));
}

TEST_F(Win32PlacementTest, AWindowLargerThanTheWorkAreaOpensWithinIt) {
    OpenWindow(kOther, Rect{200, 300, 4000, 3000}, "Jotcrate other", kStyleCloseBox);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(WindowHandle(kOther), &outer));
    EXPECT_TRUE(Within(outer, ScreenWorkArea()))
        << outer.left << "," << outer.top << " " << outer.right << "," << outer.bottom;
    int width, height;
    ClientSize(kOther, &width, &height);
    EXPECT_LT(width, 4000);
    EXPECT_LT(height, 3000);
    EXPECT_GT(width, 0);
}

TEST_F(Win32PlacementTest, TheRecordListIsAsWideAsItsTitlesWithinTheScreen) {
    CreateSelector(kWindowMain, kList, Rect{6, 6, 120, 24});
    std::vector<std::string> titles;
    for (int i = 0; i < 3000; ++i) titles.push_back("Record " + std::to_string(i));
    titles[1234] = "A title long enough to be cut by the narrow field";
    AddSelectorTitles(kList, std::move(titles));
    ShowWindow(kWindowMain);
    HWND combo = GadgetHandle(kList);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    RunPendingUiSteps();
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT field, list;
    GetWindowRect(combo, &field);
    GetWindowRect(info.hwndList, &list);
    int dropped = static_cast<int>(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0));
    EXPECT_GT(dropped, field.right - field.left);
    EXPECT_LE(dropped, ScreenWorkArea().width);
    EXPECT_TRUE(GetWindowLongW(info.hwndList, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(Within(list, ScreenWorkArea()))
        << list.left << "," << list.top << " " << list.right << "," << list.bottom;
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    RunPendingUiSteps();
}

}  // namespace
