// The "Find in All Records" window: modeless, owned by the main window, forgotten when closed.
// A pause in typing (or a changed box) reports the term; ENTER or a double-click on a row, the
// row. Each row is drawn from its parts kept here: the title in bold and the matching line with
// the match marked.
#include <algorithm>

#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr wchar_t kClass[] = L"JotcrateFindAll";
constexpr UINT_PTR kPauseTimer = 1;
constexpr int kLabelId = 10, kTermId = 11, kMatchCaseId = 12, kWholeWordId = 13, kRowsId = 14, kStatusId = 15;
// At 96 dots per inch: the window's client size and the gaps between its gadgets.
constexpr int kWidth = 560, kHeight = 360, kMinWidth = 360, kMinHeight = 200;
constexpr int kGap = 8, kFieldHeight = 23, kBoxWidth = 100, kLabelWidth = 38, kStatusHeight = 18;

struct Row {
    std::wstring title;
    std::wstring before;
    std::wstring match;
    std::wstring after;
};

HWND s_window = nullptr;
HWND s_lastFocus = nullptr;
HFONT s_bold = nullptr;
std::vector<Row> s_rows;

HWND Item(int id) { return GetDlgItem(s_window, id); }

int Flags() {
    return (IsDlgButtonChecked(s_window, kMatchCaseId) == BST_CHECKED ? kFindMatchCase : 0) |
           (IsDlgButtonChecked(s_window, kWholeWordId) == BST_CHECKED ? kFindWholeWord : 0);
}

void ReportTerm() {
    KillTimer(s_window, kPauseTimer);
    HWND field = Item(kTermId);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(field, &text[0], static_cast<int>(text.size()))));
    DeliverMessage(MainWindowNumber(), Message{kMessageFindAllTerm, Flags(), Narrow(text)});
}

void ChooseRow() {
    int row = static_cast<int>(SendMessageW(Item(kRowsId), LB_GETCURSEL, 0, 0));
    if (row >= 0) DeliverMessage(MainWindowNumber(), Message{kMessageFindAllChosen, row, std::string()});
}

int RowHeight(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, GadgetFont(hwnd));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight + Scaled(hwnd, 4);
}

// The gadget font at the window's dots per inch, and its bold for the titles.
void ApplyFonts(HWND hwnd) {
    HFONT font = GadgetFont(hwnd);
    for (int id = kLabelId; id <= kStatusId; ++id) SendMessageW(GetDlgItem(hwnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    LOGFONTW bold = {};
    GetObjectW(font, sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    if (s_bold) DeleteObject(s_bold);
    s_bold = CreateFontIndirectW(&bold);
    SendMessageW(GetDlgItem(hwnd, kRowsId), LB_SETITEMHEIGHT, 0, RowHeight(hwnd));
}

void Layout(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    auto s = [hwnd](int pixels) { return Scaled(hwnd, pixels); };
    int width = client.right, height = client.bottom, gap = s(kGap), field = s(kFieldHeight);
    int boxes = 2 * s(kBoxWidth), label = s(kLabelWidth);
    int termWidth = std::max(s(40), width - 2 * gap - label - boxes - gap);
    int x = gap;
    auto place = [hwnd](int id, int left, int top, int w, int h) {
        SetWindowPos(GetDlgItem(hwnd, id), nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kLabelId, x, gap + s(4), label, field - s(4));
    place(kTermId, x += label, gap, termWidth, field);
    place(kMatchCaseId, x += termWidth + gap, gap, s(kBoxWidth), field);
    place(kWholeWordId, x + s(kBoxWidth), gap, s(kBoxWidth), field);
    int rowsTop = 2 * gap + field, status = s(kStatusHeight);
    place(kRowsId, gap, rowsTop, width - 2 * gap, std::max(0, height - rowsTop - gap - status - gap / 2));
    place(kStatusId, gap, height - gap / 2 - status, width - 2 * gap, status);
}

// DOWN leaves the field for the first result.
LRESULT CALLBACK TermProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_DOWN) {
        HWND rows = Item(kRowsId);
        if (SendMessageW(rows, LB_GETCOUNT, 0, 0) > 0) {
            SetFocus(rows);
            if (SendMessageW(rows, LB_GETCURSEL, 0, 0) < 0) SendMessageW(rows, LB_SETCURSEL, 0, 0);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, TermProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

COLORREF Mix(COLORREF a, COLORREF b, int percentOfA) {
    auto part = [percentOfA](int x, int y) { return (x * percentOfA + y * (100 - percentOfA)) / 100; };
    return RGB(part(GetRValue(a), GetRValue(b)), part(GetGValue(a), GetGValue(b)), part(GetBValue(a), GetBValue(b)));
}

void DrawRow(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT box = item->rcItem;
    bool selected = item->itemState & ODS_SELECTED;
    FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item->itemID < s_rows.size()) {
        const Row& row = s_rows[item->itemID];
        COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), white = RGB(255, 255, 255);
        COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        RECT r = box;
        r.left += Scaled(item->hwndItem, 4);
        r.right -= Scaled(item->hwndItem, 4);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, GadgetFont(item->hwndItem));
        auto draw = [&](const std::wstring& part, HFONT font, bool marked) {
            if (r.left >= r.right || part.empty()) return;
            SelectObject(dc, font);
            SIZE size = {};
            GetTextExtentPoint32W(dc, part.c_str(), static_cast<int>(part.size()), &size);
            int width = std::min<int>(size.cx, r.right - r.left);
            if (marked) {
                RECT mark = {r.left, r.top + 1, r.left + width, r.bottom - 1};
                HBRUSH brush = CreateSolidBrush(Mix(highlight, white, selected ? 70 : 35));
                FillRect(dc, &mark, brush);
                DeleteObject(brush);
            }
            SetTextColor(dc, marked && !selected ? GetSysColor(COLOR_WINDOWTEXT) : text);
            RECT place = r;
            DrawTextW(dc, part.c_str(), static_cast<int>(part.size()), &place,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            r.left += width;
        };
        HFONT plain = GadgetFont(item->hwndItem);
        draw(row.title + L"   ", s_bold ? s_bold : plain, false);
        draw(row.before, plain, false);
        draw(row.match, plain, true);
        draw(row.after, plain, false);
        SelectObject(dc, old);
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &box);
}

void CreateGadgets(HWND hwnd) {
    HINSTANCE instance = ProgramInstance();
    auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    make(0, WC_STATICW, L"Fi&nd:", SS_LEFT, kLabelId);
    HWND term = make(WS_EX_CLIENTEDGE, WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP, kTermId);
    SetWindowSubclass(term, TermProc, 0, 0);
    make(0, WC_BUTTONW, L"Match &case", BS_AUTOCHECKBOX | WS_TABSTOP, kMatchCaseId);
    make(0, WC_BUTTONW, L"&Whole word", BS_AUTOCHECKBOX | WS_TABSTOP, kWholeWordId);
    make(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
         LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, kRowsId);
    NameControl(GetDlgItem(hwnd, kRowsId), L"Results");
    make(0, WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kStatusId);
    ApplyFonts(hwnd);
}

void Close(HWND hwnd) {
    KillTimer(hwnd, kPauseTimer);
    DeliverMessage(MainWindowNumber(), Message{kMessageFindAllClosed, 0, std::string()});
    DestroyWindow(hwnd);
}

LRESULT CALLBACK FindAllProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        s_window = hwnd;
        CreateGadgets(hwnd);
        return 0;
    case WM_SIZE:
        Layout(hwnd);
        return 0;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = Scaled(hwnd, kMinWidth);
        limits->ptMinTrackSize.y = Scaled(hwnd, kMinHeight);
        return 0;
    }
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ApplyFonts(hwnd);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    // Not a dialog, so the focus is kept here across a switch to another window.
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) s_lastFocus = focus;
        } else {
            SetFocus(s_lastFocus && IsWindow(s_lastFocus) ? s_lastFocus : Item(kTermId));
        }
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(RowHeight(hwnd));
        return TRUE;
    case WM_DRAWITEM:
        DrawRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kPauseTimer) ReportTerm();
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == kTermId && code == EN_CHANGE) {
            SetTimer(hwnd, kPauseTimer, kFindAllTypingPauseMs, nullptr);
            DeliverMessage(MainWindowNumber(), Message{kMessageFindAllEdited, 0, std::string()});
        }
        else if ((id == kMatchCaseId || id == kWholeWordId) && code == BN_CLICKED) ReportTerm();
        else if (id == kRowsId && code == LBN_DBLCLK) ChooseRow();
        else if (id == IDCANCEL) Close(hwnd);
        else if (id == IDOK && GetFocus() == Item(kRowsId)) ChooseRow();
        return 0;
    }
    case WM_CLOSE:
        Close(hwnd);
        return 0;
    case WM_DESTROY:
        RemoveModelessDialog(hwnd);
        KillTimer(hwnd, kPauseTimer);
        s_window = nullptr;
        s_lastFocus = nullptr;
        s_rows.clear();
        if (s_bold) DeleteObject(s_bold);
        s_bold = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterFindAllClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FindAllProc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(WindowHandle(MainWindowNumber()), GCLP_HICON));
    wc.lpszClassName = kClass;
    registered = RegisterClassExW(&wc) != 0;
    return registered;
}

}  // namespace

void OpenFindAllWindow() {
    if (!s_window) {
        HWND main = WindowHandle(MainWindowNumber());
        if (!RegisterFindAllClass()) return;
        DWORD style = WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        HWND hwnd = CreateWindowExW(0, kClass, L"Find in All Records", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                    kWidth, kHeight, main, nullptr, ProgramInstance(), nullptr);
        if (!hwnd) return;
        RECT outer = {0, 0, Scaled(hwnd, kWidth), Scaled(hwnd, kHeight)};
        AdjustWindowRectExForDpi(&outer, style, FALSE, 0, GetDpiForWindow(hwnd));
        SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Owned windows stay above their owner: over the main window it would hide the record
        // that a chosen row shows.
        PlaceBesideMainWindow(hwnd);
        AddModelessDialog(hwnd);
    }
    if (IsIconic(s_window)) ::ShowWindow(s_window, SW_RESTORE);
    ::ShowWindow(s_window, SW_SHOW);
    SetForegroundWindow(s_window);
    SetActiveWindow(s_window);
    HWND term = Item(kTermId);
    SetFocus(term);
    SendMessageW(term, EM_SETSEL, 0, -1);
}

// Open until closed, even while hidden with its minimised owner.
bool FindAllWindowExists() { return s_window != nullptr; }

void AddFindAllRows(const std::vector<FindAllRow>& rows) {
    if (!s_window || rows.empty()) return;
    HWND list = Item(kRowsId);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, rows.size(), 0);
    for (const FindAllRow& row : rows) {
        s_rows.push_back(Row{Widen(row.title), Widen(row.before), Widen(row.match), Widen(row.after)});
        // The text is for screen readers and for typing a title's first letters.
        const Row& added = s_rows.back();
        std::wstring text = added.title + L": " + added.before + added.match + added.after;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ClearFindAllRows() {
    if (!s_window) return;
    s_rows.clear();
    SendMessageW(Item(kRowsId), LB_RESETCONTENT, 0, 0);
}

void SetFindAllStatus(const std::string& text) {
    if (s_window) SetWindowTextW(Item(kStatusId), Widen(text).c_str());
}
