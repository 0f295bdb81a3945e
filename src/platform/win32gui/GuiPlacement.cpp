// Where the program's windows go on Windows: within the work area of the monitor they open
// on and above an On Top main window. The window menu's Move and Size need nothing here: the
// system menu's own keyboard mode (SC_MOVE, SC_SIZE) does them.
#include "platform/Placement.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

bool IsTopmost(HWND hwnd) { return hwnd && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST); }

// Owned windows stay above their owner by themselves; a window of its own follows On Top.
BOOL CALLBACK FollowOnTop(HWND hwnd, LPARAM onTop) {
    if (hwnd != WindowHandle(MainWindowNumber()) && WindowNumberOf(hwnd) && !GetWindow(hwnd, GW_OWNER))
        SetWindowPos(hwnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

}  // namespace

Rect WorkAreaNear(HWND hwnd) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (hwnd && GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return ToRect(monitor.rcWork);
    return ScreenWorkArea();
}

void PlaceOuter(HWND hwnd, Rect outer) {
    SetWindowPos(hwnd, nullptr, outer.x, outer.y, outer.width, outer.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepAboveMainWindow(HWND hwnd) {
    if (IsTopmost(WindowHandle(MainWindowNumber())) && !GetWindow(hwnd, GW_OWNER)) FollowOnTop(hwnd, TRUE);
}

void SetOnTop(int window, bool onTop) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    SetWindowPos(hwnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (window == MainWindowNumber()) EnumThreadWindows(GetCurrentThreadId(), FollowOnTop, onTop);
}
