// The test input seam on Win32: key messages posted to the focused control with the keyboard
// state set to the modifiers held, then run through the program's own message loop
// (RunPendingUiSteps), so that the shortcut table, the dialog manager and the controls see
// them as they see the keyboard's. Linked into the window tests only, never into the program.
#include <cstring>

#include "TestInput.h"
#include "platform/win32gui/GuiPrivate.h"
#include "ui/StandIns.h"

namespace {

UINT VirtualKey(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return static_cast<UINT>(key);
    switch (key) {
        case kKeyEnter:
            return VK_RETURN;
        case kKeyEscape:
            return VK_ESCAPE;
        case kKeyTab:
            return VK_TAB;
        case kKeyBackspace:
            return VK_BACK;
        case kKeyDelete:
            return VK_DELETE;
        case kKeyInsert:
            return VK_INSERT;
        case kKeySpace:
            return VK_SPACE;
        case kKeyLeft:
            return VK_LEFT;
        case kKeyRight:
            return VK_RIGHT;
        case kKeyUp:
            return VK_UP;
        case kKeyDown:
            return VK_DOWN;
        case kKeyHome:
            return VK_HOME;
        case kKeyEnd:
            return VK_END;
        case kKeyPageUp:
            return VK_PRIOR;
        case kKeyPageDown:
            return VK_NEXT;
        case kKeyF1:
            return VK_F1;
        case kKeyF2:
            return VK_F2;
        case kKeyF3:
            return VK_F3;
        case kKeyPlus:
            return VK_OEM_PLUS;
        case kKeyMinus:
            return VK_OEM_MINUS;
        case kKeyEqual:
            return VK_OEM_PLUS;
        case kKeyF10:
            return VK_F10;
        case kKeyMenu:
            return VK_APPS;
        case kKeyPadEnter:
            return VK_RETURN;
        default:
            return 0;
    }
}

bool Extended(UINT vk) {
    switch (vk) {
        case VK_DELETE:
        case VK_INSERT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_APPS:
            return true;
        default:
            return false;
    }
}

HWND Target(int gadget) {
    if (gadget) return GadgetHandle(gadget);
    if (HWND focus = GetFocus()) return focus;
    return GetActiveWindow();
}

// The modifiers held down in the thread's keyboard state while the posted keys are handled,
// as GetKeyState (the shortcut table, the controls) reads them.
void HoldModifiers(unsigned modifiers) {
    BYTE state[256];
    GetKeyboardState(state);
    auto set = [&state](int vk, bool down) { state[vk] = down ? 0x80 : 0; };
    set(VK_SHIFT, modifiers & kModShift);
    set(VK_LSHIFT, modifiers & kModShift);
    set(VK_CONTROL, modifiers & kModCtrl);
    set(VK_LCONTROL, modifiers & kModCtrl);
    set(VK_MENU, modifiers & kModAlt);
    set(VK_LMENU, modifiers & kModAlt);
    SetKeyboardState(state);
}

// The keypad's ENTER is the main one's key with the extended bit.
void PostKey(HWND hwnd, UINT vk, unsigned modifiers, bool keypad = false) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (Extended(vk) || keypad ? 1 << 24 : 0);
    // Keys with ALT (and without CTRL) come as system keys, with the context bit; so does F10,
    // the key of the menu bar.
    bool system = ((modifiers & kModAlt) && !(modifiers & kModCtrl)) || vk == VK_F10;
    if (modifiers & kModAlt) down |= 1 << 29;
    LPARAM up = down | (1u << 30) | (1u << 31);
    PostMessageW(hwnd, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down);
    PostMessageW(hwnd, system ? WM_SYSKEYUP : WM_KEYUP, vk, up);
}

int RootNumber(HWND hwnd) { return hwnd ? WindowNumberOf(GetAncestor(hwnd, GA_ROOT)) : 0; }

void PostMouse(HWND hwnd, UINT down, UINT up, WPARAM buttons) {
    RECT client;
    GetClientRect(hwnd, &client);
    LPARAM at = MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    PostMessageW(hwnd, down, buttons, at);
    PostMessageW(hwnd, up, 0, at);
}

}  // namespace

void SendTestKey(int gadget, int key, unsigned modifiers) {
    HWND target = Target(gadget);
    UINT vk = VirtualKey(key);
    if (!target || !vk) return;
    HoldModifiers(modifiers);
    PostKey(target, vk, modifiers, key == kKeyPadEnter);
    RunPendingUiSteps();
    HoldModifiers(0);
}

void TypeTestText(int gadget, const std::string& utf8) {
    HWND target = Target(gadget);
    if (!target) return;
    HoldModifiers(0);
    // ENTER and TAB as their keys; every other character as the keyboard layout delivers it.
    for (wchar_t c : Widen(utf8)) {
        if (c == L'\n') {
            PostKey(target, VK_RETURN, 0);
        } else if (c == L'\t') {
            PostKey(target, VK_TAB, 0);
        } else {
            PostMessageW(target, WM_CHAR, c, 1);
        }
        RunPendingUiSteps();
    }
}

void ProcessWindowEvents() { RunPendingUiSteps(); }

void WaitForWindowEvents(int milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
    RunPendingUiSteps();
}

void ActivateTestWindow(int window) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    RunPendingUiSteps();
}

int ActiveTestWindow() { return WindowNumberOf(GetActiveWindow()); }

int FocusedWindow() {
    if (int number = RootNumber(GetFocus())) return number;
    return ActiveTestWindow();
}

void ClickTestGadget(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    wchar_t name[32] = L"";
    GetClassNameW(hwnd, name, 32);
    if (lstrcmpiW(name, L"Button") == 0) {
        SendMessageW(hwnd, BM_CLICK, 0, 0);
    } else {
        PostMouse(hwnd, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    }
    RunPendingUiSteps();
}

void RightClickTestGadget(int gadget) {
    if (HWND hwnd = GadgetHandle(gadget)) PostMouse(hwnd, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
    RunPendingUiSteps();
}

void WheelTestGadget(int gadget, int notches, unsigned modifiers) {
    WheelTestGadgetBy(gadget, WHEEL_DELTA * notches, modifiers);
}

void WheelTestGadgetBy(int gadget, int delta, unsigned modifiers) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    WORD keys = ((modifiers & kModCtrl) ? MK_CONTROL : 0) | ((modifiers & kModShift) ? MK_SHIFT : 0);
    HoldModifiers(modifiers);
    PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))),
                 MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    RunPendingUiSteps();
    HoldModifiers(0);
}

void SetTestClipboardText(const std::string& utf8) {
    std::wstring text = Widen(utf8);
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

namespace {

// A few pixels into the character, halfway down a line of the smallest font the editor shows.
LPARAM CharacterPoint(HWND editor, int position) {
    POINTL at = {0, 0};
    SendMessageW(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
    return MAKELPARAM(at.x + 3, at.y + 4);
}

}  // namespace

void ClickTestEditorCharacter(int gadget, int position) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    LPARAM at = CharacterPoint(hwnd, position);
    HoldModifiers(0);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    RunPendingUiSteps();
}

void ReleaseTestMouseOverEditorCharacter(int gadget, int position) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    PostMessageW(hwnd, WM_LBUTTONUP, 0, CharacterPoint(hwnd, position));
    RunPendingUiSteps();
}

// The rich edit control marks a link with the link effect of its character format.
bool IsTestEditorLinkAt(int gadget, int position) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return false;
    CHARRANGE kept;
    SendMessageW(hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    CHARRANGE one = {position, position + 1};
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(hwnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    return (format.dwMask & CFM_LINK) && (format.dwEffects & CFE_LINK);
}

Rect TestGadgetRect(int gadget) {
    RECT r = {};
    if (HWND hwnd = GadgetHandle(gadget)) GetWindowRect(hwnd, &r);
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect TestClientRect(int window) {
    HWND hwnd = WindowHandle(window);
    RECT r = {};
    if (hwnd) GetClientRect(hwnd, &r);
    POINT origin = {0, 0};
    if (hwnd) ClientToScreen(hwnd, &origin);
    return Rect{origin.x, origin.y, r.right - r.left, r.bottom - r.top};
}

std::string TestWindowTitle(int window) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return std::string();
    wchar_t text[512] = L"";
    GetWindowTextW(hwnd, text, 512);
    return Narrow(text);
}

// The title bar's buttons send these commands to the window.
void ShowTestWindowAs(int window, TestWindowState state) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    WPARAM command = state == kTestMaximised ? SC_MAXIMIZE : state == kTestMinimised ? SC_MINIMIZE : SC_RESTORE;
    SendMessageW(hwnd, WM_SYSCOMMAND, command, 0);
    RunPendingUiSteps();
}

// The messages the system's move loop sends around a drag of the title bar, in its order.
void DragTestWindow(int window, int dx, int dy) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, dx, dy);
    SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SendMessageW(hwnd, WM_MOVING, WMSZ_TOP, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(hwnd, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
    RunPendingUiSteps();
}

// Under Wine the window manager's size arrives as a SetWindowPos, not through the sizing loop.
void DragTestWindowCorner(int window, int dx, int dy) {
    HWND hwnd = WindowHandle(window);
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return;
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RunPendingUiSteps();
}

bool IsTestWindowOnTop(int window) {
    HWND hwnd = WindowHandle(window);
    return hwnd && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

bool IsTestWindowVisible(int window) {
    HWND hwnd = WindowHandle(window);
    return hwnd && IsWindowVisible(hwnd);
}

bool IsTestWindowEnabled(int window) {
    HWND hwnd = WindowHandle(window);
    return hwnd && IsWindowEnabled(hwnd);
}

std::string TestGadgetLabel(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return std::string();
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return Narrow(text);
}

std::vector<ResultRow> TestResultRows(int gadget) {
    std::vector<ResultRow> rows;
    HWND list = GadgetHandle(gadget);
    int count = list ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) rows.push_back(ShownResultRow(gadget, i));
    return rows;
}

namespace {

std::string WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return Narrow(text);
}

// A static control takes an & as the mark of the letter after it unless it has SS_NOPREFIX.
std::string StaticShownText(HWND hwnd) {
    std::string text = WindowText(hwnd);
    if (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOPREFIX) return text;
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

std::string s_modalText;
Rect s_modalRect;
bool s_modalSeen = false;

BOOL CALLBACK FirstButton(HWND hwnd, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(hwnd, name, 32);
    if (lstrcmpiW(name, L"Button") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// A message box is a dialog of the thread whose text is its static control 0xFFFF.
BOOL CALLBACK ReadBox(HWND hwnd, LPARAM) {
    wchar_t name[16] = L"";
    GetClassNameW(hwnd, name, 16);
    HWND text = GetDlgItem(hwnd, 0xFFFF);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd) || !text) return TRUE;
    s_modalSeen = true;
    s_modalText = StaticShownText(text);
    RECT r;
    if (GetWindowRect(hwnd, &r)) s_modalRect = Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    HWND button = nullptr;
    EnumChildWindows(hwnd, FirstButton, reinterpret_cast<LPARAM>(&button));
    if (button)
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return FALSE;
}

// A thread timer's expiry runs inside the box's own message loop.
void CALLBACK LookForBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (s_modalSeen) return;
    EnumThreadWindows(GetCurrentThreadId(), ReadBox, 0);
    if (s_modalSeen) KillTimer(nullptr, timer);
}

}  // namespace

std::string TestGadgetShownText(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    return hwnd ? StaticShownText(hwnd) : std::string("<no label>");
}

std::string ShownModalText(const std::function<void()>& step) {
    s_modalSeen = false;
    s_modalText = "<no box>";
    UINT_PTR timer = SetTimer(nullptr, 0, 10, LookForBox);
    SetUnattended(false);
    step();
    SetUnattended(true);
    KillTimer(nullptr, timer);
    return s_modalText;
}

Rect ShownModalRect() { return s_modalRect; }

namespace {

std::vector<TestMenuEntry> s_menuEntries;
bool s_menuSeen = false;

// A thread timer's expiry runs inside the menu's own loop, which dispatches it: the open
// menu is the popup window of its class, which gives its handle.
void CALLBACK LookForMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    if (s_menuSeen) return;
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (!menu) return;
    s_menuSeen = true;
    KillTimer(nullptr, timer);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = L"";
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item) || (item.fType & MFT_SEPARATOR)) continue;
        std::wstring label;
        for (const wchar_t* c = text; *c; ++c)
            if (*c != L'&') label += *c;
        s_menuEntries.push_back(TestMenuEntry{Narrow(label), !(item.fState & MFS_DISABLED)});
    }
    EndMenu();
}

}  // namespace

std::vector<TestMenuEntry> ShownMenuEntries(const std::function<void()>& step) {
    s_menuSeen = false;
    s_menuEntries.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 10, LookForMenu);
    step();
    KillTimer(nullptr, timer);
    return s_menuEntries;
}

void OpenTestSelectorList(int gadget, bool open) {
    if (HWND hwnd = GadgetHandle(gadget)) SendMessageW(hwnd, CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
    RunPendingUiSteps();
}

namespace {

struct TipSearch {
    HWND editor;
    std::string text;
};

BOOL CALLBACK FindTip(HWND hwnd, LPARAM data) {
    TipSearch* search = reinterpret_cast<TipSearch*>(data);
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    // Wine shows a tracking tip without marking it visible: the editor's tool is the note (the
    // backend removes it when it takes the note down).
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
    int count = static_cast<int>(SendMessageW(hwnd, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        if (!SendMessageW(hwnd, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)) || tool.hwnd != search->editor)
            continue;
        wchar_t text[1024] = L"";
        tool.lpszText = text;
        SendMessageW(hwnd, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
        search->text = Narrow(text);
        return FALSE;
    }
    return TRUE;
}

std::function<void()> s_editorChanged;

LRESULT CALLBACK WatchEditor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    bool changing = message == WM_SETTEXT || message == EM_SETTEXTEX || message == WM_CHAR ||
                    message == EM_REPLACESEL || message == WM_KEYDOWN || message == WM_CUT || message == WM_PASTE ||
                    message == WM_UNDO || message == EM_UNDO || message == EM_REDO;
    if (changing && s_editorChanged) s_editorChanged();
    return result;
}

HWND s_ticker = nullptr;
int s_ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++s_ticks; }

}  // namespace

std::string TestEditorTip(int gadget) {
    TipSearch search = {GadgetHandle(gadget), std::string()};
    if (search.editor) EnumThreadWindows(GetCurrentThreadId(), FindTip, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

// The rich edit control counts the lines it wraps as lines.
int TestEditorLineCount(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    return hwnd ? static_cast<int>(SendMessageW(hwnd, EM_GETLINECOUNT, 0, 0)) : 0;
}

TestFont TestEditorFont(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return TestFont{0, false};
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(hwnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return TestFont{format.yHeight / 20.0, (format.dwEffects & CFE_BOLD) != 0};
}

// Every message that may change the text tells; the test keeps only the texts that differ.
void WatchTestEditorText(int gadget, std::function<void()> changed) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    s_editorChanged = std::move(changed);
    SetWindowSubclass(hwnd, WatchEditor, 0x7e57, 0);
}

void StartTestTicks(int milliseconds) {
    s_ticks = 0;
    if (!s_ticker)
        s_ticker = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ProgramInstance(), nullptr);
    SetTimer(s_ticker, 1, static_cast<UINT>(milliseconds), Tick);
}

int StopTestTicks() {
    if (s_ticker) KillTimer(s_ticker, 1);
    return s_ticks;
}
