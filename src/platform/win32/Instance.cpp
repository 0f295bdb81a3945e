// One instance per user session on Windows: a named mutex that the system releases when the
// process ends, however it ends, and a registered window message that a second instance
// broadcasts. The first hears it in a hidden top-level window on a thread of its own
// (broadcasts reach top-level windows only).
#include "platform/Instance.h"

#include <thread>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

namespace {

void (*s_onMessage)(std::uint32_t) = nullptr;

// Every registered message goes on: the caller knows which one is its own.
LRESULT CALLBACK ListenerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= 0xC000 && message <= 0xFFFF && s_onMessage) s_onMessage(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

void Listen(std::wstring className) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), className.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

}  // namespace

std::uint32_t RegisterMessage(const std::string& name) { return RegisterWindowMessageW(Widen(name).c_str()); }

InstanceClaim ClaimSingleInstance(const std::string& name, const std::string&) {
    // Held until the process ends. A name of the session's own: another user's object of that
    // name (which we may not open) is a lock that failed, not a first instance.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    if (!mutex) return kInstanceLockFailed;
    return GetLastError() == ERROR_ALREADY_EXISTS ? kInstanceSecond : kInstanceFirst;
}

bool SendToFirstInstance(const std::string&, std::uint32_t message) {
    // Only the process the user just started may hand the foreground on.
    AllowSetForegroundWindow(ASFW_ANY);
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 2000, &ignored) != 0;
}

bool StartInstanceListener(const std::string& name, void (*onMessage)(std::uint32_t message)) {
    s_onMessage = onMessage;
    std::wstring className = Widen(name) + L".listener";
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ListenerProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    std::thread(Listen, className).detach();
    return true;
}
