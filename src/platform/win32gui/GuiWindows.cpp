// Windows and gadgets by number: the program's window class and its procedure, which turns
// close boxes, sizes and commands into events and passes gadget notifications on; buttons,
// checkboxes and the one tooltip control; the accelerator table of each window, built from
// its shortcuts; context menus and the tools in the system menu.
#include <algorithm>
#include <iterator>
#include <map>

#include "platform/Placement.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr wchar_t kWindowClass[] = L"JotcrateWindow";
constexpr UINT kDestroyLater = WM_APP + 2;
constexpr UINT kTakeLeastSize = WM_APP + 3;
constexpr UINT kToolBase = 0x1100;  // system menu ids keep their low four bits clear
constexpr int kSelectorListHeight = 320;

struct Accelerator {
    ACCEL accel;
    bool enabled;
};

struct WindowState {
    DWORD style = 0;
    DWORD exStyle = 0;
    SIZE minimum = {0, 0};  // client, at 96 dots per inch
    std::vector<Accelerator> shortcuts;
    HACCEL table = nullptr;
    std::vector<MenuItem> tools;
    HWND lastFocus = nullptr;
    bool placing = false;            // the program is moving the window
    bool sizingLoop = false;         // the system's modal move and size loop is running
    RECT lastNormal = {0, 0, 0, 0};  // where the program or the user left it, neither minimised nor maximised
};

std::map<int, WindowState> s_states;
std::map<int, Rect> s_gadgetRects;  // at 96 dots per inch, for a change of monitor
HWND s_tooltip = nullptr;

WindowState* State(int window) {
    auto it = s_states.find(window);
    return it == s_states.end() ? nullptr : &it->second;
}

int Unscaled(HWND hwnd, int pixels) {
    UINT dpi = GetDpiForWindow(hwnd);
    return MulDiv(pixels, 96, dpi ? static_cast<int>(dpi) : 96);
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t found[32];
    return GetClassNameW(hwnd, found, 32) && lstrcmpiW(found, name) == 0;
}

// A drop-down list's height includes the list that drops down. Its closed box is as tall as the
// font makes its field unless the field is told otherwise: it is made the height laid out.
void MoveGadget(HWND hwnd, Rect r) {
    int height = Scaled(hwnd, r.height);
    bool selector = IsClass(hwnd, WC_COMBOBOXW);
    SetWindowPos(hwnd, nullptr, Scaled(hwnd, r.x), Scaled(hwnd, r.y), Scaled(hwnd, r.width),
                 selector ? height + Scaled(hwnd, kSelectorListHeight) : height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The box's border around the field differs between systems, and Wine gives back a field
    // height 2 more than it was told: the height told is corrected by what the box became.
    if (!selector) return;
    LRESULT field = SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    RECT closed;
    for (int tries = 0; tries < 3 && GetWindowRect(hwnd, &closed); ++tries) {
        int off = height - (closed.bottom - closed.top);
        if (off == 0 || field + off <= 0) return;
        field += off;
        SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

// Moves and sizes the user made are reported, however they came (the system's sizing loop, a
// window manager under Wine, snapping); placement by the program, maximising, minimising and
// restoring to the earlier rectangle are not.
void NotePlacement(HWND hwnd, int window, WindowState* state) {
    RECT now;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || IsZoomed(hwnd) || !GetWindowRect(hwnd, &now)) return;
    bool moved = !EqualRect(&now, &state->lastNormal) && !IsRectEmpty(&state->lastNormal);
    state->lastNormal = now;
    if (moved && !state->placing) DeliverMessage(window, Message{kMessageMovingOrSizing, 0, std::string()});
}

// The program's own moves, remembered as the place to compare the user's with.
void PlaceBy(HWND hwnd, WindowState* state, HWND after, int x, int y, int width, int height, UINT flags) {
    state->placing = true;
    SetWindowPos(hwnd, after, x, y, width, height, flags);
    state->placing = false;
    if (IsWindowVisible(hwnd) && !IsIconic(hwnd) && !IsZoomed(hwnd)) GetWindowRect(hwnd, &state->lastNormal);
}

SIZE OuterSize(HWND hwnd, const WindowState& state, int clientWidth, int clientHeight) {
    RECT r = {0, 0, Scaled(hwnd, clientWidth), Scaled(hwnd, clientHeight)};
    AdjustWindowRectExForDpi(&r, state.style, FALSE, state.exStyle, GetDpiForWindow(hwnd));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The least outer size, no more than the screen holds: at a high DPI the program's least size,
// scaled, can be more, and a window held larger than its screen hides its right and lower parts.
SIZE LeastOuterSize(HWND hwnd, const WindowState& state) {
    SIZE least = OuterSize(hwnd, state, state.minimum.cx, state.minimum.cy);
    Rect area = WorkAreaNear(hwnd);
    return SIZE{std::min<LONG>(least.cx, area.width), std::min<LONG>(least.cy, area.height)};
}

// A shortcut's command may enable or disable shortcuts while the table that found it is
// still in use: old tables go once no translation is under way.
std::vector<HACCEL> s_retiredTables;
int s_translating = 0;

void RetireTable(HACCEL table) {
    if (table) s_retiredTables.push_back(table);
}

void RebuildAccelerators(WindowState* state) {
    RetireTable(state->table);
    state->table = nullptr;
    std::vector<ACCEL> accels;
    for (const Accelerator& shortcut : state->shortcuts)
        if (shortcut.enabled) accels.push_back(shortcut.accel);
    if (!accels.empty()) state->table = CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
}

// The virtual key of a shortcut's key: both ENTER keys are VK_RETURN, and PLUS is the key
// that EQUAL is on, where plus needs SHIFT.
WORD VirtualKey(int key) {
    static const WORD named[] = {VK_RETURN, VK_RETURN, VK_ESCAPE,   VK_TAB,       VK_BACK,    VK_DELETE, VK_INSERT,
                                 VK_SPACE,  VK_LEFT,   VK_RIGHT,    VK_UP,        VK_DOWN,    VK_HOME,   VK_END,
                                 VK_PRIOR,  VK_NEXT,   VK_OEM_PLUS, VK_OEM_MINUS, VK_OEM_PLUS};
    static_assert(std::size(named) == kNamedF1 - kNamedReturn, "one virtual key for each name before F1");
    if (key >= kNamedReturn && key < kNamedF1) return named[key - kNamedReturn];
    if (key >= kNamedF1 && key <= kNamedF12) return static_cast<WORD>(VK_F1 + key - kNamedF1);
    return static_cast<WORD>(key);  // letters and digits are their own virtual keys
}

ACCEL AccelOf(const Shortcut& shortcut) {
    BYTE flags = FVIRTKEY | FNOINVERT;
    if (shortcut.modifiers & kWithCtrl) flags |= FCONTROL;
    if (shortcut.modifiers & kWithShift) flags |= FSHIFT;
    if (shortcut.modifiers & kWithAlt) flags |= FALT;
    return ACCEL{flags, VirtualKey(shortcut.key), static_cast<WORD>(shortcut.command)};
}

bool MatchesShortcut(const WindowState& state, WPARAM key) {
    BYTE held = FVIRTKEY | FNOINVERT;
    if (GetKeyState(VK_CONTROL) < 0) held |= FCONTROL;
    if (GetKeyState(VK_SHIFT) < 0) held |= FSHIFT;
    if (GetKeyState(VK_MENU) < 0) held |= FALT;
    for (const Accelerator& shortcut : state.shortcuts)
        if (shortcut.enabled && shortcut.accel.key == key && shortcut.accel.fVirt == held) return true;
    return false;
}

HMENU BuildMenu(const std::vector<MenuItem>& items) {
    HMENU top = CreatePopupMenu();
    HMENU current = top;
    HMENU sub = nullptr;
    std::wstring subLabel;
    for (const MenuItem& item : items) {
        if (item.command == 0) {
            AppendMenuW(current, MF_SEPARATOR, 0, nullptr);
        } else if (item.command == -1) {
            sub = CreatePopupMenu();
            subLabel = Widen(item.label);
            current = sub;
        } else if (item.command == -2) {
            if (sub) AppendMenuW(top, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), subLabel.c_str());
            sub = nullptr;
            current = top;
        } else {
            AppendMenuW(current, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                        static_cast<UINT_PTR>(item.command), Widen(item.label).c_str());
        }
    }
    if (sub) AppendMenuW(top, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), subLabel.c_str());
    return top;
}

// A new monitor's dots per inch: gadgets and their font follow, then the window takes the
// size the system suggests.
void FollowDpi(HWND hwnd, WindowState* state, const RECT* suggested) {
    for (const auto& [gadget, rect] : s_gadgetRects) {
        HWND control = GadgetHandle(gadget);
        if (!control || GetParent(control) != hwnd) continue;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GadgetFont(hwnd)), TRUE);
        MoveGadget(control, rect);
    }
    PlaceBy(hwnd, state, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool OnCommand(int window, WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    int code = HIWORD(wParam), id = LOWORD(wParam);
    if (!control) {
        if (code == 1 && window) DeliverWindowEvent(Event{kEventMenu, window, id});
        return true;
    }
    if (OnSelectorCommand(window, control, code) || OnEditorCommand(window, control, code)) return true;
    if (code == BN_CLICKED && window && GadgetNumberOf(control) == id)
        DeliverWindowEvent(Event{kEventGadget, window, id});
    return true;
}

// The system menu where the pointer is, its items enabled as the system enables them; the
// chosen one goes the way of the system's own (Move and Size in their keyboard mode).
void ShowWindowMenuAt(HWND hwnd, LPARAM at) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    POINT p = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (p.x == -1 && p.y == -1) {  // from the keyboard
        RECT r;
        GetWindowRect(hwnd, &r);
        p = POINT{r.left, r.top};
    }
    bool normal = !IsZoomed(hwnd) && !IsIconic(hwnd);
    for (UINT item : {SC_MOVE, SC_SIZE, SC_MAXIMIZE})
        EnableMenuItem(menu, item, MF_BYCOMMAND | (normal ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | (normal ? MF_GRAYED : MF_ENABLED));
    SetForegroundWindow(hwnd);
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd, nullptr);
    if (chosen) PostMessageW(hwnd, WM_SYSCOMMAND, chosen, 0);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    int window = WindowNumberOf(hwnd);
    LRESULT result = 0;
    if (RunWindowMessageHook(hwnd, message, wParam, lParam, &result)) return result;
    if (OnSessionEnd(window, message, wParam, &result)) return result;
    WindowState* state = State(window);
    switch (message) {
        case kDestroyLater:
            DestroyWindow(hwnd);
            return 0;
        case WM_CLOSE:
            // The program decides what a close means.
            if (window) PostWindowEvent(Event{kEventClose, window, 0});
            return 0;
        case WM_SIZE:
            // Inside the system's sizing loop the main loop waits until the mouse is released:
            // the gadgets follow the frame at once only if the size is handled here.
            if (window && wParam != SIZE_MINIMIZED) {
                if (state && state->sizingLoop) DeliverWindowEvent(Event{kEventSize, window, 0});
                else PostWindowEvent(Event{kEventSize, window, 0});
            }
            return 0;
        case WM_ENTERSIZEMOVE:
        case WM_EXITSIZEMOVE:
            if (state) state->sizingLoop = message == WM_ENTERSIZEMOVE;
            message == WM_ENTERSIZEMOVE ? EnterModalLoop() : LeaveModalLoop();
            break;
        case WM_ENTERMENULOOP:
            EnterModalLoop();
            break;
        case WM_EXITMENULOOP:
            LeaveModalLoop();
            break;
        case WM_MOVING:
        case WM_SIZING:
            if (window) DeliverMessage(window, Message{kMessageMovingOrSizing, 0, std::string()});
            break;
        case WM_WINDOWPOSCHANGED:
            if (state) NotePlacement(hwnd, window, state);
            break;
        case WM_WINDOWPOSCHANGING: {
            // Wine's window manager path sizes the window without asking WM_GETMINMAXINFO.
            WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            bool bounded = state && (state->minimum.cx > 0 || state->minimum.cy > 0);
            SIZE least = bounded ? LeastOuterSize(hwnd, *state) : SIZE{0, 0};
            if (!(pos->flags & SWP_NOSIZE) && !IsIconic(hwnd) && !IsZoomed(hwnd) &&
                (pos->cx < least.cx || pos->cy < least.cy)) {
                pos->cx = std::max(pos->cx, static_cast<int>(least.cx));
                pos->cy = std::max(pos->cy, static_cast<int>(least.cy));
                PostMessageW(hwnd, kTakeLeastSize, 0, 0);
            }
            break;
        }
        case kTakeLeastSize: {
            // Wine leaves the X window at the window manager's smaller size until the window
            // changes size again: a pixel more and back tells it the size kept.
            RECT r;
            if (!GetWindowRect(hwnd, &r)) return 0;
            for (int more : {1, 0})
                SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left + more, r.bottom - r.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_GETMINMAXINFO:
            if (state && (state->minimum.cx > 0 || state->minimum.cy > 0)) {
                SIZE outer = LeastOuterSize(hwnd, *state);
                MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize.x = outer.cx;
                info->ptMinTrackSize.y = outer.cy;
                return 0;
            }
            break;
        case WM_COMMAND:
            if (OnCommand(window, wParam, lParam)) return 0;
            break;
        case WM_NOTIFY:
            if (OnEditorNotify(window, reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
            break;
        case WM_CONTEXTMENU:
            // A right-click on the window's background or a button: the window menu at the pointer.
            if (state && !state->tools.empty()) {
                ShowWindowMenuAt(hwnd, lParam);
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if (state) {
                UINT id = static_cast<UINT>(wParam & 0xFFF0);
                for (std::size_t i = 0; i < state->tools.size(); ++i)
                    if (id == kToolBase + 16 * i) {
                        DeliverMessage(window, Message{kMessageSystemTool, state->tools[i].command, std::string()});
                        return 0;
                    }
            }
            break;
        case WM_ACTIVATE:
            // The focus comes back to the gadget that had it, not to the window itself.
            if (state && LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) state->lastFocus = focus;
            } else if (state && !HIWORD(wParam) && state->lastFocus && IsChild(hwnd, state->lastFocus)) {
                SetFocus(state->lastFocus);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            if (state && state->lastFocus && IsChild(hwnd, state->lastFocus)) {
                SetFocus(state->lastFocus);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            if (!state) break;
            FollowDpi(hwnd, state, reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterWindowClass() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ProgramInstance();
    wc.hIcon =
        static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                      GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    wc.hIconSm =
        static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
}

void CreateButtonOfStyle(int window, int gadget, Rect r, const std::string& label, DWORD style) {
    if (MakeControl(window, gadget, 0, WC_BUTTONW, Widen(label), WS_TABSTOP | style)) SetGadgetRect(gadget, r);
}

}  // namespace

HWND MakeControl(int window, int gadget, DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style) {
    HWND parent = WindowHandle(window);
    if (!parent) return nullptr;
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(gadget)), ProgramInstance(), nullptr);
    if (!hwnd) return nullptr;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GadgetFont(parent)), FALSE);
    RegisterGadget(window, gadget, hwnd);
    return hwnd;
}

bool TranslateWindowShortcut(MSG* msg) {
    if (s_translating == 0) {
        for (HACCEL table : s_retiredTables) DestroyAcceleratorTable(table);
        s_retiredTables.clear();
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
    HWND top = GetAncestor(msg->hwnd, GA_ROOT);
    int window = WindowNumberOf(top);
    WindowState* state = State(window);
    // ALT+MINUS opens the window menu too, as where the desktop keeps ALT+SPACE.
    if (state && !state->tools.empty() && msg->message == WM_SYSKEYDOWN && msg->wParam == VK_OEM_MINUS) {
        PostMessageW(top, WM_SYSCOMMAND, SC_KEYMENU, L' ');
        return true;
    }
    if (!state || !state->table) return false;
    // A shortcut held down acts once, as the Qt ones do.
    if ((msg->lParam & (1L << 30)) && MatchesShortcut(*state, msg->wParam)) return true;
    ++s_translating;
    bool taken = TranslateAcceleratorW(top, state->table, msg) != 0;
    --s_translating;
    return taken;
}

void OpenWindow(int window, Rect placement, const std::string& title, unsigned style) {
    RegisterWindowClass();
    if (style & kStyleMain) NoteMainWindow(window);
    WindowState state;
    state.style = WS_CLIPCHILDREN | WS_CAPTION;
    if (style & kStyleSizable) state.style |= WS_OVERLAPPEDWINDOW;
    if (style & kStyleCloseBox) state.style |= WS_SYSMENU;
    HWND owner = nullptr;
    if (style & kStyleOwnedByMain) {
        owner = WindowHandle(MainWindowNumber());
        state.exStyle |= WS_EX_DLGMODALFRAME;
    }
    HWND hwnd = CreateWindowExW(state.exStyle, kWindowClass, Widen(title).c_str(), state.style, placement.x,
                                placement.y, 0, 0, owner, nullptr, ProgramInstance(), nullptr);
    if (!hwnd) return;
    // Without a system menu the icon is not drawn, but the taskbar still takes it.
    s_states[window] = state;
    RegisterWindow(window, hwnd);
    if (style & kStyleDialogKeys) AddModelessDialog(hwnd);
    SIZE outer = OuterSize(hwnd, state, placement.width, placement.height);
    if (style & kStyleMain) {
        SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // The others open within the work area of the main window's monitor, smaller if need be.
    Rect area = WorkAreaNear(WindowHandle(MainWindowNumber()));
    PlaceOuter(hwnd, FitIntoArea(Rect{placement.x, placement.y, outer.cx, outer.cy}, area));
    KeepAboveMainWindow(hwnd);
}

void CloseWindow(int window) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    for (auto it = s_gadgetRects.begin(); it != s_gadgetRects.end();) {
        if (GadgetWindow(it->first) != window) {
            ++it;
            continue;
        }
        if (s_tooltip && GadgetHandle(it->first)) {
            TOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.hwnd = hwnd;
            tool.uId = reinterpret_cast<UINT_PTR>(GadgetHandle(it->first));
            SendMessageW(s_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        it = s_gadgetRects.erase(it);
    }
    if (WindowState* state = State(window)) RetireTable(state->table);
    RemoveModelessDialog(hwnd);
    s_states.erase(window);
    ForgetWindow(window);
    if (hwnd == GetParent(s_tooltip)) s_tooltip = nullptr;
    // The close may come from a button of the window itself, which is still in its handler.
    ::ShowWindow(hwnd, SW_HIDE);
    PostMessageW(hwnd, kDestroyLater, 0, 0);
}

bool WindowExists(int window) { return WindowHandle(window) != nullptr; }

void ShowWindow(int window) {
    if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_SHOW);
}

void HideWindow(int window) {
    if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_HIDE);
}

void SetWindowTitle(int window, const std::string& title) {
    if (HWND hwnd = WindowHandle(window)) SetWindowTextW(hwnd, Widen(title).c_str());
}

// A window smaller than its new minimum grows to it at once.
void SetMinimumClientSize(int window, int width, int height) {
    HWND hwnd = WindowHandle(window);
    WindowState* state = State(window);
    if (!hwnd || !state) return;
    state->minimum = SIZE{width, height};
    RECT client, outer;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    if (client.right >= Scaled(hwnd, width) && client.bottom >= Scaled(hwnd, height)) return;
    SIZE least = LeastOuterSize(hwnd, *state);
    PlaceBy(hwnd, state, nullptr, 0, 0, std::max(least.cx, outer.right - outer.left),
            std::max(least.cy, outer.bottom - outer.top), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClientSize(int window, int* width, int* height) {
    HWND hwnd = WindowHandle(window);
    RECT r = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &r);
    *width = hwnd ? Unscaled(hwnd, r.right) : 0;
    *height = hwnd ? Unscaled(hwnd, r.bottom) : 0;
}

void PlaceWindow(int window, Rect outer) {
    HWND hwnd = WindowHandle(window);
    WindowState* state = State(window);
    if (!hwnd || !state) return;
    if (IsIconic(hwnd) || IsZoomed(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    SIZE least = OuterSize(hwnd, *state, state->minimum.cx, state->minimum.cy);
    int width = outer.width > least.cx ? outer.width : least.cx;
    int height = outer.height > least.cy ? outer.height : least.cy;
    PlaceBy(hwnd, state, nullptr, outer.x, outer.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!IsWindowVisible(hwnd)) {
        state->placing = true;
        ::ShowWindow(hwnd, SW_SHOW);
        state->placing = false;
        GetWindowRect(hwnd, &state->lastNormal);
    }
}

bool NormalOuterRect(int window, Rect* outer) {
    HWND hwnd = WindowHandle(window);
    RECT r;
    if (!hwnd || IsIconic(hwnd) || IsZoomed(hwnd) || !GetWindowRect(hwnd, &r)) return false;
    *outer = Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    return true;
}

bool OuterRectOnScreen(int window, Rect* outer) {
    HWND hwnd = WindowHandle(window);
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return false;
    *outer = Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    return true;
}

void RaiseWindow(int window) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    // Windows gives the foreground only to the program that has it; sharing the input of the
    // one that has it lets a request from a second instance through.
    DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD own = GetCurrentThreadId();
    bool attached = foreground && foreground != own && AttachThreadInput(own, foreground, TRUE);
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
    if (attached) AttachThreadInput(own, foreground, FALSE);
}

void RestoreAndRaise(int window) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    if (IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    else if (!IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOW);
    RaiseWindow(window);
}

void EnableWindow(int window, bool enabled) {
    if (HWND hwnd = WindowHandle(window)) ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

void CreateButton(int window, int gadget, Rect r, const std::string& label) {
    CreateButtonOfStyle(window, gadget, r, label, BS_PUSHBUTTON);
}

void CreateCheckbox(int window, int gadget, Rect r, const std::string& label) {
    CreateButtonOfStyle(window, gadget, r, label, BS_AUTOCHECKBOX);
}

void SetGadgetRect(int gadget, Rect r) {
    s_gadgetRects[gadget] = r;
    if (HWND hwnd = GadgetHandle(gadget)) MoveGadget(hwnd, r);
}

// One tooltip control serves the program, made with the first tip: topmost, shown over an
// inactive window too, with the gadgets subclassed so that their mouse moves reach it.
namespace {

// Wine measures some tips a few pixels short of what it then draws, which cut off their last
// character ("(Alt+A" for "(Alt+A)"): each tip is made wider by an average character.
LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_WINDOWPOSCHANGING) {
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOSIZE) && pos->cx > 0) {
            HDC dc = GetDC(hwnd);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics;
            if (GetTextMetricsW(dc, &metrics)) pos->cx += metrics.tmAveCharWidth;
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void SetToolTip(int gadget, const std::string& text) {
    HWND control = GadgetHandle(gadget);
    HWND parent = control ? GetParent(control) : nullptr;
    if (!parent) return;
    if (!s_tooltip) {
        s_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                                    ProgramInstance(), nullptr);
        SendMessageW(s_tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(parent, 400));
        SetWindowSubclass(s_tooltip, ToolTipProc, 0, 0);
    }
    std::wstring wide = Widen(text);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = &wide[0];
    SendMessageW(s_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(s_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PopToolTip() {
    if (s_tooltip) SendMessageW(s_tooltip, TTM_POP, 0, 0);
}

void SetToolTipsActive(int window, bool active) {
    (void)window;
    if (s_tooltip) SendMessageW(s_tooltip, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

void DisableGadget(int gadget, bool disabled) {
    if (HWND hwnd = GadgetHandle(gadget)) ::EnableWindow(hwnd, disabled ? FALSE : TRUE);
}

bool IsGadgetEnabled(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    return hwnd && IsWindowEnabled(hwnd);
}

// As with the Qt toolkit, a gadget of a window that is not active gets the focus when the
// window is next activated; the window is not activated for it.
void FocusGadget(int gadget, FocusRoute route) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd) return;
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (route != kFocusByProgram) ShowKeyboardCues(top);
    if (WindowState* state = State(WindowNumberOf(top))) state->lastFocus = hwnd;
    if (GetActiveWindow() == top) SetFocus(hwnd);
}

int FocusedGadget() { return GadgetNumberOf(GetFocus()); }

// For a control whose text is not its name (a list shows its entry, an editor its text), the
// name is set through the accessibility property service; where a system has none, the
// control stays unnamed.
void NameControl(HWND hwnd, const std::wstring& name) {
    static const GUID kPropertyServices = {
        0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
    static const GUID kPropertyServicesInterface = {
        0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
    static const GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    IAccPropServices* services = nullptr;
    if (!hwnd || FAILED(CoCreateInstance(kPropertyServices, nullptr, CLSCTX_INPROC_SERVER, kPropertyServicesInterface,
                                         reinterpret_cast<void**>(&services))))
        return;
    services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNameProperty, name.c_str());
    services->Release();
}

void NameGadget(int gadget, const std::string& name) { NameControl(GadgetHandle(gadget), Widen(name)); }

void PressGadget(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    if (!hwnd || !IsWindowEnabled(hwnd) || !IsClass(hwnd, WC_BUTTONW)) return;
    if ((GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
        SendMessageW(hwnd, BM_SETCHECK,
                     SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    DeliverWindowEvent(Event{kEventGadget, GadgetWindow(gadget), gadget});
}

bool IsChecked(int gadget) {
    HWND hwnd = GadgetHandle(gadget);
    return hwnd && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(int gadget, bool checked) {
    if (HWND hwnd = GadgetHandle(gadget)) SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void AddShortcut(int window, const Shortcut& shortcut) {
    WindowState* state = State(window);
    if (!state) return;
    state->shortcuts.push_back(Accelerator{AccelOf(shortcut), true});
    RebuildAccelerators(state);
}

void SetShortcutEnabled(int window, int command, bool enabled) {
    WindowState* state = State(window);
    if (!state) return;
    bool changed = false;
    for (Accelerator& shortcut : state->shortcuts)
        if (shortcut.accel.cmd == command && shortcut.enabled != enabled) {
            shortcut.enabled = enabled;
            changed = true;
        }
    if (changed) RebuildAccelerators(state);
}

void ShowContextMenu(int window, const std::vector<MenuItem>& items, int x, int y) {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return;
    HMENU popup = BuildMenu(items);
    SetForegroundWindow(hwnd);
    POINT pointer{x, y};
    if (x == kAtPointer && y == kAtPointer) GetCursorPos(&pointer);
    ModalLoop loop;
    int chosen =
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pointer.x, pointer.y, 0, hwnd, nullptr);
    DestroyMenu(popup);
    if (chosen > 0) DeliverWindowEvent(Event{kEventMenu, window, chosen});
}

bool SetWindowMenuTools(int window, const std::vector<MenuItem>& tools) {
    HWND hwnd = WindowHandle(window);
    WindowState* state = State(window);
    if (!hwnd || !state) return true;
    state->tools = tools;
    GetSystemMenu(hwnd, TRUE);
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu || tools.empty()) return true;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (std::size_t i = 0; i < tools.size(); ++i)
        AppendMenuW(menu, MF_STRING, kToolBase + 16 * i, Widen(tools[i].label).c_str());
    return true;
}

WindowShow ShownAs(int window) {
    HWND hwnd = WindowHandle(window);
    return hwnd && IsIconic(hwnd) ? kShownMinimised : hwnd && IsZoomed(hwnd) ? kShownMaximised : kShownNormal;
}

void ShowAs(int window, WindowShow how) {
    if (HWND hwnd = WindowHandle(window))
        ::ShowWindow(hwnd, how == kShownMinimised ? SW_MINIMIZE : how == kShownMaximised ? SW_MAXIMIZE : SW_RESTORE);
}

// The system's window menu runs its own Move and Size.
void GrabForPlacement(int, bool) {}
void ShowPlacementPointer(int, int, unsigned) {}
