// The record selector: a drop-down list combo box whose titles are kept beside it in UTF-8,
// to read back and to measure. The drop-down is announced
// before the list opens (the program may keep it closed), and every change of the selection
// by the user, by list, key, wheel or typed letter, is reported; one made by the program is not.
#include <algorithm>
#include <map>

#include "platform/Placement.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr int kVisibleEntries = 20;

struct SelectorState {
    int window = 0;
    HWND hwnd = nullptr;
    std::vector<std::string> titles;  // UTF-8, as given
    bool keepClosed = false;
    bool announced = false;    // the drop-down on its way was told already
    int droppedAt = -1;        // the selection when the list opened; -1 while it is closed
    bool typedInList = false;  // letters were typed into the open list
};

std::map<int, SelectorState> s_selectors;  // by gadget

SelectorState* Selector(int gadget) {
    auto it = s_selectors.find(gadget);
    return it != s_selectors.end() && GadgetHandle(gadget) == it->second.hwnd ? &it->second : nullptr;
}

// Whether the list may open: the program hears of it first.
bool AnnounceDropDown(SelectorState* state) {
    state->keepClosed = false;
    DeliverMessage(state->window, Message{kMessageSelectorDropping, 0, std::string()});
    state->announced = !state->keepClosed;
    return !state->keepClosed;
}

bool OpensList(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return true;
        case WM_KEYDOWN:
            return wParam == VK_F4;
        case WM_SYSKEYDOWN:
            return wParam == VK_DOWN || wParam == VK_UP;
    }
    return false;
}

// The routes that open the list are asked about before the control acts, so that a list
// kept closed never shows.
LRESULT CALLBACK SelectorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    int gadget = static_cast<int>(id);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SelectorProc, id);
        auto it = s_selectors.find(gadget);
        if (it != s_selectors.end() && it->second.hwnd == hwnd) s_selectors.erase(it);
    } else if (message == WM_CHAR && SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        if (SelectorState* state = Selector(gadget)) state->typedInList = true;
    } else if (OpensList(message, wParam) && !SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        SelectorState* state = Selector(gadget);
        if (state && !AnnounceDropDown(state)) {
            if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) SetFocus(hwnd);
            return 0;
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The widest title is among the longest in bytes: only those are measured, not 32,767.
int TitlesWidth(HWND hwnd, const SelectorState& state) {
    HDC dc = GetDC(hwnd);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (std::size_t row : LongestEntries(state.titles, kMeasuredTitles)) {
        std::wstring shown = Widen(state.titles[row]);
        SIZE extent;
        if (GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent))
            widest = std::max(widest, static_cast<int>(extent.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    // The item's margins, the list's border and its scroll bar.
    return widest + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE) + Scaled(hwnd, 8);
}

// The list as long as its entries, up to twenty, and as the work area has room for below the
// field or above it (the list opens where there is more); as wide as the longest titles, up
// to the work area's width. The control's own sizing varies with the version of the common
// controls.
void FitList(HWND hwnd, const SelectorState& state) {
    RECT field;
    if (!GetWindowRect(hwnd, &field)) return;
    Rect area = WorkAreaNear(hwnd);
    int count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    int item = std::max(1, static_cast<int>(SendMessageW(hwnd, CB_GETITEMHEIGHT, 0, 0)));
    int edges = GetSystemMetrics(SM_CYEDGE) * 2;
    int room = std::max(area.y + area.height - field.bottom, field.top - area.y) - edges;
    int shown = std::max(1, std::min({count, kVisibleEntries, room / item}));
    // A closed drop-down list's window is its field; the height given includes the list.
    SetWindowPos(hwnd, nullptr, 0, 0, field.right - field.left, field.bottom - field.top + item * shown + edges,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::min(TitlesWidth(hwnd, state), area.width)), 0);
}

}  // namespace

bool OnSelectorCommand(int window, HWND control, int code) {
    int gadget = GetDlgCtrlID(control);
    SelectorState* state = Selector(gadget);
    if (!state || state->hwnd != control) return false;
    switch (code) {
        case CBN_DROPDOWN:
            if (!state->announced && !AnnounceDropDown(state)) PostMessageW(control, CB_SHOWDROPDOWN, FALSE, 0);
            state->announced = false;
            PopToolTip();
            FitList(control, *state);
            state->droppedAt = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
            break;
        case CBN_CLOSEUP: {
            // Letters and arrows in the open list only point at an entry; the record changes
            // when the list closes on it, so keys typed meanwhile never reach the editor.
            int droppedAt = state->droppedAt;
            bool typed = state->typedInList;
            state->droppedAt = -1;
            state->typedInList = false;
            if (droppedAt >= 0 && SendMessageW(control, CB_GETCURSEL, 0, 0) != droppedAt)
                DeliverMessage(window, Message{kMessageSelectorChanged, 0, std::string()});
            // A list that a letter closed (as some systems' lists do) keeps the focus, so the
            // rest of what is typed goes on picking titles instead of landing in the editor.
            if (!typed) DeliverMessage(window, Message{kMessageSelectorClosed, 0, std::string()});
            break;
        }
        case CBN_SELCHANGE:
            if (state->droppedAt < 0) DeliverMessage(window, Message{kMessageSelectorChanged, 0, std::string()});
            break;
    }
    return true;
}

void CreateSelector(int window, int gadget, Rect r) {
    HWND hwnd =
        MakeControl(window, gadget, 0, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS);
    if (!hwnd) return;
    SendMessageW(hwnd, CB_SETMINVISIBLE, kVisibleEntries, 0);
    SelectorState& state = s_selectors[gadget];
    state = SelectorState();
    state.window = window;
    state.hwnd = hwnd;
    SetWindowSubclass(hwnd, SelectorProc, static_cast<UINT_PTR>(gadget), 0);
    SetGadgetRect(gadget, r);
}

void ClearSelector(int gadget) {
    SelectorState* state = Selector(gadget);
    if (!state) return;
    SendMessageW(state->hwnd, CB_RESETCONTENT, 0, 0);
    state->titles.clear();
}

void ReserveSelector(int gadget, int count) {
    SelectorState* state = Selector(gadget);
    if (!state || count <= 0) return;
    SendMessageW(state->hwnd, CB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 64);
    state->titles.reserve(static_cast<std::size_t>(count));
}

// Thousands of entries at once: the control draws once, at the end.
void AddSelectorTitles(int gadget, std::vector<std::string>&& titles) {
    SelectorState* state = Selector(gadget);
    if (!state || titles.empty()) return;
    SendMessageW(state->hwnd, WM_SETREDRAW, FALSE, 0);
    for (std::string& title : titles) {
        if (SendMessageW(state->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(title).c_str())) < 0) break;
        state->titles.push_back(std::move(title));
    }
    SendMessageW(state->hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state->hwnd, nullptr, TRUE);
}

void InsertSelectorTitle(int gadget, int position, const std::string& title) {
    SelectorState* state = Selector(gadget);
    if (!state || position < 0 || position > static_cast<int>(state->titles.size())) return;
    if (SendMessageW(state->hwnd, CB_INSERTSTRING, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(Widen(title).c_str())) < 0)
        return;
    state->titles.insert(state->titles.begin() + position, title);
}

void RemoveSelectorEntry(int gadget, int position) {
    SelectorState* state = Selector(gadget);
    if (!state || position < 0 || position >= static_cast<int>(state->titles.size())) return;
    SendMessageW(state->hwnd, CB_DELETESTRING, static_cast<WPARAM>(position), 0);
    state->titles.erase(state->titles.begin() + position);
}

int SelectorCount(int gadget) {
    SelectorState* state = Selector(gadget);
    return state ? static_cast<int>(state->titles.size()) : 0;
}

int SelectedEntry(int gadget) {
    SelectorState* state = Selector(gadget);
    return state ? static_cast<int>(SendMessageW(state->hwnd, CB_GETCURSEL, 0, 0)) : -1;
}

// CB_SETCURSEL sends no notification: a selection made here is never taken for the user's.
void SelectEntry(int gadget, int position) {
    if (SelectorState* state = Selector(gadget))
        SendMessageW(state->hwnd, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

void SetSelectorTitle(int gadget, int position, const std::string& title) {
    SelectorState* state = Selector(gadget);
    if (!state || position < 0 || position >= static_cast<int>(state->titles.size())) return;
    int selected = SelectedEntry(gadget);
    std::wstring shown = Widen(title);
    SendMessageW(state->hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(state->hwnd, CB_DELETESTRING, static_cast<WPARAM>(position), 0);
    SendMessageW(state->hwnd, CB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(shown.c_str()));
    if (selected == position) SendMessageW(state->hwnd, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageW(state->hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state->hwnd, nullptr, TRUE);
    state->titles[static_cast<std::size_t>(position)] = title;
}

void KeepSelectorClosed(int gadget) {
    if (SelectorState* state = Selector(gadget)) state->keepClosed = true;
}

std::string SelectorTitle(int gadget, int position) {
    SelectorState* state = Selector(gadget);
    if (!state || position < 0 || position >= static_cast<int>(state->titles.size())) return std::string();
    return state->titles[static_cast<std::size_t>(position)];
}
