// The requesters: the system's font requester with its colour box, the colour requester with
// 16 custom colours kept for the run, and the save-file requester. Each one keeps every other
// window of the program from input while it stands, and each gives way to an armed answer in
// tests.
#include "platform/win32gui/GuiPrivate.h"

namespace {

COLORREF s_customColours[16] = {
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
};

// The requester belongs to the program's foreground window (the options dialog for the font),
// so that it stays in front of it, and of the main window when that is On Top; the other
// windows of the program are kept from input, as the requester only disables its owner.
struct ModalScope {
    HWND owner = nullptr;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOther(HWND hwnd, LPARAM context) {
    ModalScope* scope = reinterpret_cast<ModalScope*>(context);
    if (hwnd != scope->owner && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        ::EnableWindow(hwnd, FALSE);
        scope->disabled.push_back(hwnd);
    }
    return TRUE;
}

void BeginModal(ModalScope* scope) {
    HWND active = GetActiveWindow();
    scope->owner = active ? active : WindowHandle(MainWindowNumber());
    EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(scope));
}

void EndModal(const ModalScope& scope) {
    for (HWND hwnd : scope.disabled)
        if (IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
    if (scope.owner && IsWindow(scope.owner)) SetActiveWindow(scope.owner);
}

// The height the font requester takes for a size in points, on this screen.
int CharacterHeight(int points) {
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return -MulDiv(points, pixelsPerInch, 72);
}

}  // namespace

bool ChooseFont(FontChoice* choice) {
    LOGFONTW font = {};
    std::wstring face = Widen(choice->face).substr(0, LF_FACESIZE - 1);
    face.copy(font.lfFaceName, face.size());
    font.lfHeight = choice->points > 0 ? CharacterHeight(choice->points) : 0;
    font.lfWeight = choice->style & 256 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (choice->style & 512) != 0;
    font.lfUnderline = (choice->style & 4) != 0;
    font.lfStrikeOut = (choice->style & 8) != 0;
    font.lfCharSet = DEFAULT_CHARSET;
    ModalScope scope;
    BeginModal(&scope);
    CHOOSEFONTW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = scope.owner;
    request.lpLogFont = &font;
    request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    request.rgbColors = static_cast<COLORREF>(choice->colour) & 0xFFFFFF;
    ModalLoop loop;
    BOOL chosen = ChooseFontW(&request);
    EndModal(scope);
    if (!chosen) return false;
    choice->face = Narrow(font.lfFaceName);
    choice->points = request.iPointSize / 10;
    // Only a weight of exactly bold is the bold style: semibold and black are not.
    choice->style = (font.lfWeight == FW_BOLD ? 256 : 0) | (font.lfItalic ? 512 : 0) | (font.lfUnderline ? 4 : 0) |
                    (font.lfStrikeOut ? 8 : 0);
    choice->colour = static_cast<std::int32_t>(request.rgbColors & 0xFFFFFF);
    return true;
}

namespace {

// "Label|pattern|Label|pattern" as the requester's list of NUL-ended strings.
std::wstring FilterList(const std::string& filter) {
    std::wstring list = Widen(filter);
    for (wchar_t& c : list)
        if (c == L'|') c = L'\0';
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

}  // namespace

bool ChooseColour(std::int32_t* colour) {
    COLORREF preset = *colour < 0 ? 0 : static_cast<COLORREF>(*colour) & 0xFFFFFF;
    s_customColours[0] = preset;
    ModalScope scope;
    BeginModal(&scope);
    CHOOSECOLORW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = scope.owner;
    request.rgbResult = preset;
    request.lpCustColors = s_customColours;
    request.Flags = CC_FULLOPEN | CC_RGBINIT;
    ModalLoop loop;
    BOOL chosen = ChooseColorW(&request);
    EndModal(scope);
    if (!chosen) return false;
    *colour = static_cast<std::int32_t>(request.rgbResult & 0xFFFFFF);
    return true;
}

bool ChooseSaveFile(const std::string& title, const std::string& folder, const std::string& name,
                    const std::string& filter, std::string* path) {
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring proposed = Widen(name).substr(0, file.size() - 1);
    proposed.copy(file.data(), proposed.size());
    std::wstring filters = FilterList(filter), caption = Widen(title), start = Widen(folder);
    ModalScope scope;
    BeginModal(&scope);
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = scope.owner;
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    request.lpstrTitle = caption.c_str();
    request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    ModalLoop loop;
    BOOL chosen = GetSaveFileNameW(&request);
    EndModal(scope);
    if (!chosen) return false;
    *path = Narrow(file.data());
    return true;
}
