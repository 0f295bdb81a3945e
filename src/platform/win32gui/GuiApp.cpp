// The start of the window system, the registry of windows and gadgets by number, the event
// queue over the message loop, hand-over from other threads through a message-only window,
// the end of a session, the data file's watcher, message boxes and the shell.
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "platform/Placement.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr UINT kStepsWaiting = WM_APP + 1;

struct WindowEntry {
    HWND hwnd = nullptr;
    void (*callback)(const Message&) = nullptr;
};

struct GadgetEntry {
    int window;
    HWND hwnd;
};

std::map<int, WindowEntry> s_windows;
std::map<int, GadgetEntry> s_gadgets;
std::vector<HWND> s_dialogs;
std::map<UINT, WindowMessageHook> s_hooks;
std::map<UINT, HFONT> s_fonts;

DWORD s_uiThread = 0;
std::atomic<HWND> s_stepWindow{nullptr};
std::mutex s_stepLock;
std::deque<std::function<void()>> s_steps;
int s_terminationWindow = 0;

bool IsUiThread() { return s_uiThread != 0 && GetCurrentThreadId() == s_uiThread; }

// One at a time, outside the lock: a step may hand over another, or open a message box.
void RunQueuedSteps() {
    for (;;) {
        std::function<void()> step;
        {
            std::lock_guard<std::mutex> hold(s_stepLock);
            if (s_steps.empty()) return;
            step = std::move(s_steps.front());
            s_steps.pop_front();
        }
        step();
    }
}

// UI thread: the program's timers run on the step window, their ids made of window and number.
std::set<UINT_PTR> s_runningTimers;

UINT_PTR TimerId(int window, int timer) {
    return static_cast<UINT_PTR>(window) << 16 | static_cast<UINT_PTR>(timer & 0xffff);
}

void TimerExpired(UINT_PTR id) {
    KillTimer(s_stepWindow, id);
    s_runningTimers.erase(id);
    PostWindowEvent(Event{kEventTimer, static_cast<int>(id >> 16), static_cast<int>(id & 0xffff)});
}

LRESULT CALLBACK StepWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStepsWaiting) {
        RunQueuedSteps();
        return 0;
    }
    if (message == WM_TIMER && s_runningTimers.count(wParam)) {
        TimerExpired(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CreateStepWindow() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StepWindowProc;
    wc.hInstance = ProgramInstance();
    wc.lpszClassName = L"JotcrateSteps";
    RegisterClassExW(&wc);
    s_stepWindow =
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ProgramInstance(), nullptr);
}

void RouteMessage(MSG* msg) {
    if (TranslateWindowShortcut(msg)) return;
    std::vector<HWND> dialogs = s_dialogs;
    bool cueKey = (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) || msg->message == WM_SYSKEYDOWN;
    for (HWND dialog : dialogs) {
        if (!IsWindow(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) continue;
        // Not every version of the dialog manager shows the cues at TAB and ALT itself.
        if (cueKey) ShowKeyboardCues(dialog);
        if (msg->message == WM_SYSCHAR && FocusBuddyOfLetter(dialog, static_cast<wchar_t>(msg->wParam))) return;
        if (IsDialogMessageW(dialog, msg)) return;
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
}

// Wine centres a message box on the screen: it goes over its owner, as the Qt one does.
HWND s_boxOwner = nullptr;

LRESULT CALLBACK CentreBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t name[8] = L"";
    RECT over, own;
    if (code == HCBT_ACTIVATE && s_boxOwner && GetClassNameW(box, name, 8) && lstrcmpW(name, L"#32770") == 0 &&
        GetWindowRect(s_boxOwner, &over) && GetWindowRect(box, &own)) {
        int width = own.right - own.left, height = own.bottom - own.top;
        Rect centred{(over.left + over.right - width) / 2, (over.top + over.bottom - height) / 2, width, height};
        PlaceOuter(box, FitIntoArea(centred, WorkAreaNear(s_boxOwner)));
        s_boxOwner = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A message box keeps every window of the program from input while it stands, as the Qt
// one does: the commands of a window would otherwise be dispatched inside the box's loop.
int ShowModalBox(HWND owner, const std::string& caption, const std::string& text, UINT type) {
    HWND active = GetActiveWindow();
    std::vector<HWND> disabled;
    for (const auto& entry : s_windows) {
        HWND hwnd = entry.second.hwnd;
        if (hwnd != owner && IsWindow(hwnd) && IsWindowEnabled(hwnd)) {
            ::EnableWindow(hwnd, FALSE);
            disabled.push_back(hwnd);
        }
    }
    ModalLoop loop;
    s_boxOwner = owner;
    HHOOK centring = owner ? SetWindowsHookExW(WH_CBT, CentreBox, nullptr, GetCurrentThreadId()) : nullptr;
    int answer = MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
    if (centring) UnhookWindowsHookEx(centring);
    s_boxOwner = nullptr;
    for (HWND hwnd : disabled) ::EnableWindow(hwnd, TRUE);
    if (active && IsWindow(active)) SetActiveWindow(active);
    return answer;
}

// Arguments as the C runtime splits a command line: quotes around any with a blank or a
// quote, backslashes doubled only before a quote.
void AppendQuoted(std::wstring* line, const std::wstring& argument) {
    if (!line->empty()) line->push_back(L' ');
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line->append(argument);
        return;
    }
    line->push_back(L'"');
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line->append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line->push_back(c);
    }
    line->append(backslashes * 2, L'\\');
    line->push_back(L'"');
}

// ReadDirectoryChangesW on the folder: the file itself by any change, other entries only as
// they come and go, as a folder watch reports on Linux.
void WatchFolder(int window, std::wstring folder, std::wstring name) {
    HANDLE handle =
        CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    alignas(DWORD) static thread_local BYTE buffer[16384];
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                         FILE_NOTIFY_CHANGE_SIZE;
    for (;;) {
        DWORD bytes = 0;
        if (!ReadDirectoryChangesW(handle, buffer, sizeof buffer, FALSE, filter, &bytes, nullptr, nullptr)) break;
        bool changed = bytes == 0;  // too many to list
        for (DWORD offset = 0; !changed && bytes > 0;) {
            const FILE_NOTIFY_INFORMATION* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
            std::wstring entry(info->FileName, info->FileNameLength / sizeof(WCHAR));
            changed = info->Action != FILE_ACTION_MODIFIED ||
                      CompareStringOrdinal(entry.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
            if (info->NextEntryOffset == 0) break;
            offset += info->NextEntryOffset;
        }
        if (changed)
            RunOnUiThread([window] { DeliverMessage(window, Message{kMessageFileChanged, 0, std::string()}); });
    }
    CloseHandle(handle);
}

}  // namespace

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

HWND WindowHandle(int window) {
    auto it = s_windows.find(window);
    return it != s_windows.end() && IsWindow(it->second.hwnd) ? it->second.hwnd : nullptr;
}

HWND GadgetHandle(int gadget) {
    auto it = s_gadgets.find(gadget);
    return it != s_gadgets.end() && IsWindow(it->second.hwnd) ? it->second.hwnd : nullptr;
}

int WindowNumberOf(HWND hwnd) {
    for (const auto& entry : s_windows)
        if (entry.second.hwnd == hwnd) return entry.first;
    return 0;
}

int GadgetNumberOf(HWND hwnd) {
    for (; hwnd; hwnd = GetParent(hwnd)) {
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return 0;
        for (const auto& entry : s_gadgets)
            if (entry.second.hwnd == hwnd) return entry.first;
    }
    return 0;
}

int GadgetWindow(int gadget) {
    auto it = s_gadgets.find(gadget);
    return it == s_gadgets.end() ? 0 : it->second.window;
}

void RegisterWindow(int window, HWND hwnd) { s_windows[window].hwnd = hwnd; }

void RegisterGadget(int window, int gadget, HWND hwnd) { s_gadgets[gadget] = GadgetEntry{window, hwnd}; }

void ForgetWindow(int window) {
    s_windows.erase(window);
    for (auto it = s_gadgets.begin(); it != s_gadgets.end();)
        it = it->second.window == window ? s_gadgets.erase(it) : std::next(it);
}

void SetMessageCallback(int window, void (*callback)(const Message&)) { s_windows[window].callback = callback; }

void DeliverMessage(int window, const Message& message) {
    auto it = s_windows.find(window);
    if (it != s_windows.end() && it->second.callback) it->second.callback(message);
}

void ShowKeyboardCues(HWND hwnd) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (top) SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

void AddModelessDialog(HWND dialog) { s_dialogs.push_back(dialog); }

void RemoveModelessDialog(HWND dialog) {
    for (auto it = s_dialogs.begin(); it != s_dialogs.end();) it = *it == dialog ? s_dialogs.erase(it) : std::next(it);
}

void AddWindowMessageHook(UINT message, WindowMessageHook hook) { s_hooks[message] = hook; }

bool RunWindowMessageHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto it = s_hooks.find(message);
    return it != s_hooks.end() && it->second(hwnd, wParam, lParam, result);
}

int Scaled(HWND hwnd, int pixels) {
    UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    return MulDiv(pixels, dpi ? static_cast<int>(dpi) : 96, 96);
}

HFONT GadgetFont(HWND hwnd) {
    UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    if (dpi == 0) dpi = 96;
    HFONT& font = s_fonts[dpi];
    if (font) return font;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font;
}

bool StartGui(int, char**) {
    s_uiThread = GetCurrentThreadId();
    // Without the manifest's word (a copy renamed, a loader that drops it) the windows are
    // still sharp on every monitor.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"Msftedit.dll");
    // The editor's drag and drop and the shell's verbs need the apartment.
    OleInitialize(nullptr);
    CreateStepWindow();
    // Steps handed over before the window stood.
    std::lock_guard<std::mutex> hold(s_stepLock);
    if (!s_steps.empty()) PostMessageW(s_stepWindow, kStepsWaiting, 0, 0);
    return s_stepWindow != nullptr;
}

Event WaitWindowEvent() {
    Event event;
    while (!PollWindowEvent(&event)) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // Nothing of the program posts WM_QUIT: whoever did wants the program gone.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return Event{kEventClose, s_terminationWindow, kCloseEndingSession};
        }
        RouteMessage(&msg);
    }
    return event;
}

void RunOnUiThread(std::function<void()> step) {
    if (IsUiThread()) {
        step();
        return;
    }
    std::lock_guard<std::mutex> hold(s_stepLock);
    s_steps.push_back(std::move(step));
    if (HWND window = s_stepWindow) PostMessageW(window, kStepsWaiting, 0, 0);
}

void RunPendingUiSteps() {
    RunQueuedSteps();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        RouteMessage(&msg);
    }
}

void CloseOnTermination(int window) { s_terminationWindow = window; }

void StartTimer(int window, int timer, int milliseconds) {
    UINT_PTR id = TimerId(window, timer);
    // The same id again starts the running timer anew; without the step window, a timer of no
    // window would get an id of the system's choosing.
    if (s_stepWindow && SetTimer(s_stepWindow, id, static_cast<UINT>(milliseconds), nullptr))
        s_runningTimers.insert(id);
}

void StopTimer(int window, int timer) {
    UINT_PTR id = TimerId(window, timer);
    KillTimer(s_stepWindow, id);
    s_runningTimers.erase(id);
}

bool ExpireTimer(int window, int timer) {
    UINT_PTR id = TimerId(window, timer);
    if (!s_runningTimers.count(id)) return false;
    TimerExpired(id);
    return true;
}

namespace {

int s_modalLoops = 0;  // UI thread

}  // namespace

void EnterModalLoop() { ++s_modalLoops; }
void LeaveModalLoop() { --s_modalLoops; }
bool IsInModalLoop() { return s_modalLoops > 0; }

// The process ends as soon as WM_ENDSESSION returns, so the window is closed inside it, as
// the close box would: what was typed is saved first.
bool OnSessionEnd(int window, UINT message, WPARAM wParam, LRESULT* result) {
    if (window == 0 || window != s_terminationWindow) return false;
    if (message == WM_QUERYENDSESSION) {
        *result = TRUE;
        return true;
    }
    if (message != WM_ENDSESSION) return false;
    *result = 0;
    if (!wParam) return true;
    DeliverWindowEvent(Event{kEventClose, window, kCloseEndingSession});
    return true;
}

void WatchFile(int window, const std::string& path) {
    static std::set<std::wstring> s_watched;
    std::wstring file = Widen(path);
    wchar_t full[MAX_PATH * 4];
    wchar_t* name = nullptr;
    DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH * 4, full, &name);
    if (length == 0 || length >= MAX_PATH * 4 || !name) return;
    std::wstring leaf = name;
    std::wstring folder(full, static_cast<std::size_t>(name - full));
    if (!s_watched.insert(folder + L"|" + leaf).second) return;
    std::thread(WatchFolder, window, folder, leaf).detach();
}

Rect ScreenWorkArea() {
    RECT area;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return Rect{0, 0, 1024, 768};
    return Rect{area.left, area.top, area.right - area.left, area.bottom - area.top};
}

void ShowNotice(const std::string& caption, const std::string& text) {
    ShowModalBox(nullptr, caption, text, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

bool AskYesNo(int owner, const std::string& caption, const std::string& text) {
    return ShowModalBox(WindowHandle(owner), caption, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool StartProgram(const std::vector<std::string>& argv, const std::string& folder) {
    if (argv.empty()) return false;
    std::wstring line;
    for (const std::string& argument : argv) AppendQuoted(&line, Widen(argument));
    std::wstring where = Widen(folder);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A console program (a terminal's shell) gets a console of its own; a windowed one ignores it.
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT,
                        nullptr, where.empty() ? nullptr : where.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void OpenWithShell(const std::string& target) {
    ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Beep() { MessageBeep(MB_OK); }
