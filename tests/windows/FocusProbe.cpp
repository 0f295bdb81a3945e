// focus_probe.exe PREFIX: waits (up to 15 seconds) until the control that has the keyboard
// focus in the foreground window reads "class:text" starting with PREFIX, ignoring case, the
// text without its "&" marks, as a screen reader says it. Prints what it found; exits 1 when
// the focus never got there. Run under Wine beside the program, by the keyboard walk.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

std::wstring Focused() {
    HWND foreground = GetForegroundWindow();
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) || !info.hwndFocus)
        return L"<no focus>";
    wchar_t name[64] = {}, text[256] = {};
    GetClassNameW(info.hwndFocus, name, 64);
    GetWindowTextW(info.hwndFocus, text, 256);
    std::wstring shown = std::wstring(name) + L":";
    for (const wchar_t* c = text; *c; ++c)
        if (*c != L'&' || c[1] == L'&') shown += *c;
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    wchar_t wide[256] = {};
    if (!MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, wide, 256)) return 2;
    std::wstring prefix = wide, seen;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    do {
        seen = Focused();
        if (seen.size() >= prefix.size() &&
            CompareStringOrdinal(seen.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                 static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL) {
            std::printf("ok   %ls\n", seen.c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a poll, not a wait for time
    } while (std::chrono::steady_clock::now() < deadline);
    std::printf("FAIL expected %ls, the focus is on %ls\n", prefix.c_str(), seen.c_str());
    return 1;
}
