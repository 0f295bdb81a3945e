// The gadgets of the find windows on Win32: text fields (EDIT), labels (STATIC), radio buttons
// that keep their group exclusive and a single TAB stop themselves, and result lists drawn by
// the program (an owner-drawn LISTBOX holding each row's parts). Their notifications reach
// the window procedure's hooks here before the common handling of buttons.
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "platform/win32gui/GuiPrivate.h"

namespace {

struct Row {
    std::wstring title;
    std::wstring before;
    std::wstring match;
    std::wstring after;
};

std::set<int> s_fields;
std::map<int, std::vector<Row>> s_lists;   // rows by list gadget
std::map<int, std::vector<int>> s_groups;  // radio buttons by the gadget that starts the group
std::map<int, int> s_groupOf;              // radio button to the gadget that starts its group
std::map<int, int> s_buddies;              // label to the gadget its letter focuses
int s_lastGroup = 0;

int RowHeight(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, GadgetFont(hwnd));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight + Scaled(hwnd, 4);
}

COLORREF Mix(COLORREF a, COLORREF b, int percentOfA) {
    auto part = [percentOfA](int x, int y) { return (x * percentOfA + y * (100 - percentOfA)) / 100; };
    return RGB(part(GetRValue(a), GetRValue(b)), part(GetGValue(a), GetGValue(b)), part(GetBValue(a), GetBValue(b)));
}

// The title in bold, then the line with the match on a light selection colour.
void DrawRow(const DRAWITEMSTRUCT* item, const std::vector<Row>& rows) {
    HDC dc = item->hDC;
    RECT box = item->rcItem;
    bool selected = item->itemState & ODS_SELECTED;
    FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item->itemID < rows.size()) {
        const Row& row = rows[item->itemID];
        HFONT plain = GadgetFont(item->hwndItem);
        LOGFONTW boldFace = {};
        GetObjectW(plain, sizeof boldFace, &boldFace);
        boldFace.lfWeight = FW_BOLD;
        HFONT bold = CreateFontIndirectW(&boldFace);
        COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        RECT r = box;
        r.left += Scaled(item->hwndItem, 4);
        r.right -= Scaled(item->hwndItem, 4);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, plain);
        auto draw = [&](const std::wstring& part, HFONT font, bool marked) {
            if (r.left >= r.right || part.empty()) return;
            SelectObject(dc, font);
            SIZE size = {};
            GetTextExtentPoint32W(dc, part.c_str(), static_cast<int>(part.size()), &size);
            int width = std::min<int>(size.cx, r.right - r.left);
            if (marked) {
                RECT mark = {r.left, r.top + 1, r.left + width, r.bottom - 1};
                HBRUSH brush =
                    CreateSolidBrush(Mix(GetSysColor(COLOR_HIGHLIGHT), RGB(255, 255, 255), selected ? 70 : 35));
                FillRect(dc, &mark, brush);
                DeleteObject(brush);
            }
            SetTextColor(dc, marked && !selected ? GetSysColor(COLOR_WINDOWTEXT) : text);
            RECT place = r;
            DrawTextW(dc, part.c_str(), static_cast<int>(part.size()), &place,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            r.left += width;
        };
        draw(row.title + L"   ", bold ? bold : plain, false);
        draw(row.before, plain, false);
        draw(row.match, plain, true);
        draw(row.after, plain, false);
        SelectObject(dc, old);
        if (bold) DeleteObject(bold);
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &box);
}

// A radio button's change of state: the others of its group are cleared and the chosen one
// is the group's TAB stop.
void Choose(int gadget) {
    for (int other : s_groups[s_groupOf[gadget]]) {
        HWND hwnd = GadgetHandle(other);
        if (!hwnd) continue;
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, other == gadget ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        if (other != gadget) SendMessageW(hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

// The arrow keys choose within the group, as the dialog manager would in a group it knows.
LRESULT CALLBACK RadioProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    int gadget = GadgetNumberOf(hwnd);
    if (message == WM_GETDLGCODE) return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTARROWS;
    if (message == BM_SETCHECK && wParam == BST_CHECKED && gadget) Choose(gadget);
    if (message == WM_KEYDOWN && gadget &&
        (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN)) {
        const std::vector<int>& group = s_groups[s_groupOf[gadget]];
        auto at = std::find(group.begin(), group.end(), gadget) - group.begin();
        int step = wParam == VK_LEFT || wParam == VK_UP ? -1 : 1;
        int next = group[static_cast<std::size_t>((at + step + static_cast<long>(group.size())) %
                                                  static_cast<long>(group.size()))];
        if (HWND target = GadgetHandle(next)) {
            SetFocus(target);
            SendMessageW(target, BM_SETCHECK, BST_CHECKED, 0);
            DeliverWindowEvent(Event{kEventGadget, GadgetWindow(next), next});
        }
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, RadioProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// DOWN in a field that leads a result list moves to its first row.
LRESULT CALLBACK LeaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR list) {
    HWND rows = GadgetHandle(static_cast<int>(list));
    if (message == WM_KEYDOWN && wParam == VK_DOWN && rows && SendMessageW(rows, LB_GETCOUNT, 0, 0) > 0) {
        SetFocus(rows);
        if (SendMessageW(rows, LB_GETCURSEL, 0, 0) < 0) SendMessageW(rows, LB_SETCURSEL, 0, 0);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, LeaderProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool OnCommandHook(HWND, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    int gadget = GadgetNumberOf(reinterpret_cast<HWND>(lParam)), code = HIWORD(wParam);
    *result = 0;
    if (s_fields.count(gadget)) {
        if (code == EN_CHANGE) DeliverMessage(GadgetWindow(gadget), Message{kMessageTextEdited, gadget, std::string()});
        return true;
    }
    if (s_lists.count(gadget)) {
        if (code == LBN_DBLCLK) DeliverWindowEvent(Event{kEventGadget, GadgetWindow(gadget), gadget});
        // A list reached with none of its rows chosen chooses the one its focus frame is on, as
        // Qt's does: RETURN after TAB opens it. A click then chooses its own row.
        auto list = reinterpret_cast<HWND>(lParam);
        if (code == LBN_SETFOCUS && SendMessageW(list, LB_GETCURSEL, 0, 0) < 0 &&
            SendMessageW(list, LB_GETCOUNT, 0, 0) > 0)
            SendMessageW(list, LB_SETCURSEL, SendMessageW(list, LB_GETCARETINDEX, 0, 0), 0);
        return true;
    }
    // A click (or its letter) chooses the radio button; the common handling reports it.
    if (s_groupOf.count(gadget) && code == BN_CLICKED)
        SendMessageW(reinterpret_cast<HWND>(lParam), BM_SETCHECK, BST_CHECKED, 0);
    return false;
}

bool OnMeasureHook(HWND hwnd, WPARAM, LPARAM lParam, LRESULT* result) {
    MEASUREITEMSTRUCT* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_LISTBOX || !s_lists.count(static_cast<int>(item->CtlID))) return false;
    item->itemHeight = static_cast<UINT>(RowHeight(hwnd));
    *result = TRUE;
    return true;
}

bool OnDrawHook(HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    auto list = s_lists.find(static_cast<int>(item->CtlID));
    if (item->CtlType != ODT_LISTBOX || list == s_lists.end()) return false;
    DrawRow(item, list->second);
    *result = TRUE;
    return true;
}

void AddHooks() {
    static bool added = false;
    if (added) return;
    added = true;
    AddWindowMessageHook(WM_COMMAND, OnCommandHook);
    AddWindowMessageHook(WM_MEASUREITEM, OnMeasureHook);
    AddWindowMessageHook(WM_DRAWITEM, OnDrawHook);
}

}  // namespace

void CreateTextField(int window, int gadget, Rect r, int limit) {
    AddHooks();
    s_fields.insert(gadget);
    HWND hwnd = MakeControl(window, gadget, WS_EX_CLIENTEDGE, WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP);
    if (!hwnd) return;
    SendMessageW(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    SetGadgetRect(gadget, r);
}

void SetGadgetText(int gadget, const std::string& text) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    std::wstring wide = Widen(text);
    // The field's limit holds for the program's text too, as it does on Qt.
    if (s_fields.count(gadget))
        wide.resize(UnitsWithinLimit(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
                                     static_cast<std::size_t>(SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0))));
    SetWindowTextW(hwnd, wide.c_str());
    if (s_fields.count(gadget)) SendMessageW(hwnd, EM_SETSEL, 0, -1);
}

std::string GadgetText(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return std::string();
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return Narrow(text);
}

// The dialog manager gives a label's letter to the TAB stop that follows it, so a label goes
// right before its buddy in the order of the window's controls.
void CreateLabel(int window, int gadget, Rect r, const std::string& text, int buddy) {
    HWND hwnd =
        MakeControl(window, gadget, 0, WC_STATICW, Widen(text), buddy ? SS_LEFT : SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    if (!hwnd) return;
    s_buddies.erase(gadget);
    if (buddy) s_buddies[gadget] = buddy;
    if (HWND follower = buddy ? GadgetHandle(buddy) : nullptr) {
        HWND before = GetWindow(follower, GW_HWNDPREV);
        SetWindowPos(hwnd, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetGadgetRect(gadget, r);
}

// The dialog manager passes a label's letter on by WM_NEXTDLGCTL, which only a dialog's own
// procedure answers: the program's windows are no dialogs, so the letter is taken here. The
// field's text is selected, as after TAB.
bool FocusBuddyOfLetter(HWND dialog, wchar_t letter) {
    auto upper = [](wchar_t c) {
        return reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c))));
    };
    int window = WindowNumberOf(dialog);
    for (const auto& [label, buddy] : s_buddies) {
        HWND target = GadgetHandle(buddy);
        if (GadgetWindow(label) != window || !target || !IsWindowEnabled(target) || !IsWindowVisible(target)) continue;
        std::wstring text = Widen(GadgetText(label));
        std::size_t mark = 0;
        while ((mark = text.find(L'&', mark)) != std::wstring::npos && mark + 1 < text.size() && text[mark + 1] == L'&')
            mark += 2;
        if (mark == std::wstring::npos || mark + 1 >= text.size() || upper(text[mark + 1]) != upper(letter)) continue;
        FocusGadget(buddy, kFocusByKey);
        if (s_fields.count(buddy)) SendMessageW(target, EM_SETSEL, 0, -1);
        return true;
    }
    return false;
}

void CreateRadioButton(int window, int gadget, Rect r, const std::string& label, bool startsGroup) {
    AddHooks();
    if (startsGroup || !s_lastGroup) s_lastGroup = gadget;
    std::vector<int>& group = s_groups[s_lastGroup];
    if (startsGroup) group.clear();
    group.push_back(gadget);
    s_groupOf[gadget] = s_lastGroup;
    HWND hwnd = MakeControl(window, gadget, 0, WC_BUTTONW, Widen(label),
                            BS_RADIOBUTTON | (startsGroup ? WS_TABSTOP | WS_GROUP : 0));
    if (!hwnd) return;
    SetWindowSubclass(hwnd, RadioProc, 0, 0);
    SetGadgetRect(gadget, r);
}

void CreateResultList(int window, int gadget, Rect r, int field) {
    AddHooks();
    s_lists[gadget].clear();
    HWND hwnd =
        MakeControl(window, gadget, WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP);
    if (!hwnd) return;
    SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, RowHeight(hwnd));
    if (HWND leader = field ? GadgetHandle(field) : nullptr)
        SetWindowSubclass(leader, LeaderProc, 0, static_cast<DWORD_PTR>(gadget));
    SetGadgetRect(gadget, r);
}

void AddResultRows(int gadget, const std::vector<ResultRow>& rows) {
    HWND list = GadgetHandle(gadget);
    if (!list || rows.empty()) return;
    std::vector<Row>& kept = s_lists[gadget];
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, rows.size(), 0);
    for (const ResultRow& row : rows) {
        kept.push_back(Row{Widen(row.title), Widen(row.before), Widen(row.match), Widen(row.after)});
        // The text is for screen readers and for typing a title's first letters.
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(SpokenResultRow(row)).c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void SelectResultRow(int gadget, int row) {
    if (HWND list = GadgetHandle(gadget)) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void ClearResultRows(int gadget) {
    auto rows = s_lists.find(gadget);
    if (rows != s_lists.end()) rows->second.clear();
    if (HWND list = GadgetHandle(gadget)) SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

int SelectedResultRow(int gadget) {
    HWND list = GadgetHandle(gadget);
    return list ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
}

ResultRow ShownResultRow(int gadget, int row) {
    auto rows = s_lists.find(gadget);
    if (rows == s_lists.end() || row < 0 || row >= static_cast<int>(rows->second.size())) return ResultRow{};
    const Row& shown = rows->second[static_cast<std::size_t>(row)];
    return ResultRow{Narrow(shown.title), Narrow(shown.before), Narrow(shown.match), Narrow(shown.after)};
}
