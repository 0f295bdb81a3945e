// The editor: a rich edit control in plain text mode, subclassed so that the editor procedure
// hears of typing, pasting, the right button, the zoom keys and CTRL+wheel before the control
// acts; the zoom the procedure sets; links the control detects, reported as the program's detector
// reads them; and the refusal, by every route, of text that a save could not store in 32,000
// bytes. The control keeps a line break as one CR; outside this file it is one LF, so that a
// character position means the same on both sides.
#include <algorithm>
#include <map>

#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipMilliseconds = 10000;  // as long as a Qt tip stays

struct EditorState {
    int window = 0;
    HWND hwnd = nullptr;
    LinkDetector detector = nullptr;
    const EditorTextRules* rules = nullptr;
    void (*procedure)(const EditorInput&) = nullptr;
    int settingText = 0;                    // changes made by the program are no edits
    TextEncoding encoding = kEncodingUtf8;  // of the text as it was set
    std::wstring face = L"Segoe UI";
    int points = 10;
    int style = 0;
    int zoom = 100;
    int margin = 0;  // around the text, at 96 dots per inch
    std::size_t lastStored = 0;
    bool dropLowSurrogate = false;  // the first half of a refused character went already
};

std::map<int, EditorState> s_editors;  // by gadget
HWND s_tip = nullptr;

EditorState* Editor(int gadget) {
    auto it = s_editors.find(gadget);
    return it != s_editors.end() && GadgetHandle(gadget) == it->second.hwnd ? &it->second : nullptr;
}

void Tell(const EditorState* state, EditorInputKind kind, int x = 0, int y = 0) {
    if (state->procedure) state->procedure(EditorInput{kind, x, y});
}

bool IsReadOnly(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) != 0; }

// The control's text, line breaks as LF.
std::u16string ControlText(HWND hwnd) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT count = SendMessageW(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (count <= 0) return std::u16string();
    std::wstring text(static_cast<std::size_t>(count) + 1, L'\0');
    GETTEXTEX get = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&text[0]));
    std::u16string result(text.begin(), text.begin() + (got > 0 ? got : 0));
    for (char16_t& c : result)
        if (c == u'\r') c = u'\n';
    return result;
}

std::wstring ForControl(std::u16string_view text) {
    std::wstring wide(text.begin(), text.end());
    for (wchar_t& c : wide)
        if (c == L'\n') c = L'\r';
    return wide;
}

CHARRANGE Selection(HWND hwnd) {
    CHARRANGE range = {0, 0};
    SendMessageW(hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

// What of an insertion fits beside the text that stays, counted as a save would store the
// result; cut so that no character is split.
// Whether the text with added more units surely fits, by its length alone: no unit stores to
// more than 3 bytes (a line break to 2, a surrogate pair to 4). Spares a copy of the whole
// text at each key in all but the longest records.
bool SurelyFits(HWND hwnd, std::size_t added) {
    auto length = static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    return (length + added) * 3 <= kEditorStoredLimit;
}

std::u16string Fitting(const EditorState* state, const std::u16string& insertion) {
    if (SurelyFits(state->hwnd, insertion.size())) return insertion;
    std::u16string all = ControlText(state->hwnd);
    CHARRANGE range = Selection(state->hwnd);
    std::size_t start = std::min(static_cast<std::size_t>(range.cpMin), all.size());
    std::size_t end = std::min(std::max(static_cast<std::size_t>(range.cpMax), start), all.size());
    return insertion.substr(0, state->rules->fitting(all, start, end, insertion, state->encoding, kEditorStoredLimit));
}

void InsertText(HWND hwnd, std::u16string_view text) {
    std::wstring wide = ForControl(text);
    SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

// Typed, pasted or composed text: cleaned as every text that enters the editor, and cut to
// what the record can hold.
void InsertFitted(EditorState* state, const std::u16string& text) {
    if (IsReadOnly(state->hwnd)) return;
    std::u16string clean = state->rules->clean(text);
    std::u16string fitted = Fitting(state, clean);
    if (fitted.size() < clean.size()) Tell(state, kInputRefused);
    if (!fitted.empty()) InsertText(state->hwnd, fitted);
}

void PasteFitted(EditorState* state) {
    if (IsReadOnly(state->hwnd) || !OpenClipboard(state->hwnd)) return;
    std::u16string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const char16_t* locked = static_cast<const char16_t*>(GlobalLock(data))) {
            text = locked;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!text.empty()) InsertFitted(state, text);
}

void ApplyFont(EditorState* state) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
    format.yHeight = state->points * 20;
    format.bCharSet = DEFAULT_CHARSET;
    if (state->style & 256) format.dwEffects |= CFE_BOLD;
    if (state->style & 512) format.dwEffects |= CFE_ITALIC;
    if (state->style & 4) format.dwEffects |= CFE_UNDERLINE;
    if (state->style & 8) format.dwEffects |= CFE_STRIKEOUT;
    lstrcpynW(format.szFaceName, state->face.c_str(), LF_FACESIZE);
    ++state->settingText;
    SendMessageW(state->hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(state->hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    --state->settingText;
}

// 100 is sent as the ratio 100/100, not as the 0/0 that turns zoom off: Wine takes 0/0 without
// laying the text out again, so the text stayed enlarged until the next record. Wine measures
// text with the fonts of the zoom its format was set at: the format is set anew at each zoom.
bool ApplyZoom(EditorState* state, int percent) {
    if (percent <= 0 || !SendMessageW(state->hwnd, EM_SETZOOM, static_cast<WPARAM>(percent), 100)) return false;
    state->zoom = percent;
    ApplyFont(state);
    return true;
}

// CTRL+PLUS is CTRL+= (VK_OEM_PLUS) where plus needs SHIFT.
bool ZoomByKey(EditorState* state, WPARAM key) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    if (key == VK_OEM_PLUS || key == VK_ADD) Tell(state, kInputZoom, kZoomIn);
    else if (key == VK_OEM_MINUS || key == VK_SUBTRACT) Tell(state, kInputZoom, kZoomOut);
    else if (key == '0' || key == VK_NUMPAD0) Tell(state, kInputZoom, kZoomReset);
    else return false;
    return true;
}

// With CTRL the control knows keys that would format the whole text in plain text mode
// (alignment, bold, line spacing, lists, font size); only the editing ones get through.
bool IsEditingControlKey(WPARAM key) {
    switch (key) {
        case 'A':
        case 'C':
        case 'X':
        case 'Z':
        case 'Y':
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_BACK:
        case VK_DELETE:
        case VK_INSERT:
        case VK_RETURN:
        case VK_CONTROL:
        case VK_SHIFT:
        case VK_MENU:
            return true;
    }
    return false;
}

// The tool goes with the tip, so that a note taken down is not read as shown.
void HideTip(HWND editor) {
    KillTimer(editor, kTipTimer);
    if (!s_tip) return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = editor;
    tool.uId = 1;
    SendMessageW(s_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(s_tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool OnKeyDown(EditorState* state, WPARAM key) {
    if (ZoomByKey(state, key)) return true;
    bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (key == VK_RETURN && !alt) {
        // One line break whatever the modifiers: SHIFT+ENTER would make a soft one, and the
        // control breaks the line at the key, before its character comes.
        Tell(state, kInputCharacter);
        InsertFitted(state, u"\n");
        return true;
    }
    if ((control && !alt && !shift && key == 'V') || (shift && !control && !alt && key == VK_INSERT)) {
        PasteFitted(state);
        return true;
    }
    return control && !alt && !IsEditingControlKey(key);
}

// The control may step by UTF-16 unit (Wine's does): BACKSPACE and DELETE beside a pair take
// both halves, and an arrow that stops between them goes on over the second, so that no half
// is ever left alone to be saved as a replacement character.
// Whether a position falls between the halves of a pair: only the two units around it are
// read, not the whole text at every key.
bool SplitsPair(HWND hwnd, LONG at) {
    if (at <= 0) return false;
    wchar_t units[3] = {};
    TEXTRANGEW range{{at - 1, at + 1}, units};
    return SendMessageW(hwnd, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) == 2 &&
           IS_HIGH_SURROGATE(units[0]) && IS_LOW_SURROGATE(units[1]);
}

void TakeWholePairs(HWND hwnd, WPARAM key) {
    CHARRANGE r = Selection(hwnd);
    if (r.cpMin != r.cpMax || GetKeyState(VK_CONTROL) < 0) return;
    if (key == VK_BACK && SplitsPair(hwnd, r.cpMin - 1)) r.cpMin -= 2;
    else if (key == VK_DELETE && SplitsPair(hwnd, r.cpMax + 1)) r.cpMax += 2;
    else return;
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

void StepOverPairs(HWND hwnd, WPARAM key) {
    CHARRANGE r = Selection(hwnd);
    CHARRANGE whole = r;
    if (SplitsPair(hwnd, r.cpMin)) --whole.cpMin;
    if (SplitsPair(hwnd, r.cpMax)) ++whole.cpMax;
    if (r.cpMin == r.cpMax) whole.cpMin = whole.cpMax = key == VK_RIGHT ? whole.cpMax : whole.cpMin;
    if (whole.cpMin != r.cpMin || whole.cpMax != r.cpMax)
        SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&whole));
}

// Every character key is told; the control characters of CTRL+letter stop there (CTRL+I's
// TAB too), as the control would take some of them for formatting.
bool OnCharacter(EditorState* state, wchar_t c) {
    bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (low && state->dropLowSurrogate) {
        state->dropLowSurrogate = false;
        return true;
    }
    // ENTER was taken at its key.
    if (c == L'\r' || c == L'\n') return true;
    Tell(state, kInputCharacter);
    if (IsReadOnly(state->hwnd)) return false;
    // BACKSPACE takes away: it is never refused, not even in a record over the limit.
    if (c == L'\b') return false;
    if ((c < 0x20 && (c != L'\t' || GetKeyState(VK_CONTROL) < 0)) || c == 0x7F) return true;
    if (low) return false;
    bool high = c >= 0xD800 && c <= 0xDBFF;
    std::u16string typed =
        high ? std::u16string{static_cast<char16_t>(c), u'\xDC00'} : std::u16string(1, static_cast<char16_t>(c));
    std::u16string clean = state->rules->clean(typed);
    if (Fitting(state, clean).size() < clean.size()) {
        state->dropLowSurrogate = high;
        Tell(state, kInputRefused);
        return true;
    }
    if (!high && clean != typed) {
        InsertText(state->hwnd, clean);
        return true;
    }
    return false;
}

// The text's rectangle inside the control, set anew at each size: the rich edit control under
// Wine takes EM_SETMARGINS without moving the text.
void ApplyMargin(EditorState* state) {
    RECT r;
    if (!GetClientRect(state->hwnd, &r)) return;
    int margin = Scaled(state->hwnd, state->margin);
    r.left += margin;
    r.top += margin;
    r.right = std::max(r.left, r.right - margin);
    r.bottom = std::max(r.top, r.bottom - margin);
    SendMessageW(state->hwnd, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

// On the screen, just below the line of the caret's end of the selection.
POINT BelowCaret(const EditorState* state) {
    POINTL caret = {0, 0};
    SendMessageW(state->hwnd, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), Selection(state->hwnd).cpMax);
    POINT at = {caret.x, caret.y + Scaled(state->hwnd, state->points * 96 / 72 * state->zoom / 100 + 6)};
    ClientToScreen(state->hwnd, &at);
    return at;
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    int gadget = static_cast<int>(id);
    EditorState* state = Editor(gadget);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, EditorProc, id);
        auto it = s_editors.find(gadget);
        if (it != s_editors.end() && it->second.hwnd == hwnd) s_editors.erase(it);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (!state) return DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_SETFOCUS: {
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            DeliverMessage(state->window, Message{kMessageEditorFocused, 0, std::string()});
            return result;
        }
        case WM_SIZE: {
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            ApplyMargin(state);
            return result;
        }
        case WM_KEYDOWN: {
            if (OnKeyDown(state, wParam)) return 0;
            if (wParam != VK_LEFT && wParam != VK_RIGHT) {
                TakeWholePairs(hwnd, wParam);
                break;
            }
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            StepOverPairs(hwnd, wParam);
            return result;
        }
        case WM_CHAR:
            if (OnCharacter(state, static_cast<wchar_t>(wParam))) return 0;
            break;
        case WM_PASTE:
            PasteFitted(state);
            return 0;
        case WM_MOUSEWHEEL: {
            HideTip(hwnd);
            WORD keys = GET_KEYSTATE_WPARAM(wParam);
            if (keys == MK_CONTROL) {
                Tell(state, kInputZoom, kZoomWheel, GET_WHEEL_DELTA_WPARAM(wParam));
                return 0;
            }
            // Other combinations scroll; the control's own CTRL zoom must not act on them.
            if (keys & MK_CONTROL) wParam = MAKEWPARAM(keys & ~MK_CONTROL, HIWORD(wParam));
            break;
        }
        case WM_RBUTTONDOWN: {
            HideTip(hwnd);
            POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(hwnd, &at);
            Tell(state, kInputContextMenu, at.x, at.y);
            return 0;
        }
        case WM_CONTEXTMENU:
            // From the keyboard (the menu key, SHIFT+F10) the position is -1, -1: the menu opens
            // at the caret. The right button's menu opened at its press.
            if (lParam == -1) {
                POINT at = BelowCaret(state);
                Tell(state, kInputContextMenu, at.x, at.y);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTipTimer) {
                HideTip(hwnd);
                return 0;
            }
            break;
        // The note stays while the user types, as the Qt one does, and goes at a click or
        // when the focus leaves.
        case WM_KILLFOCUS:
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
            HideTip(hwnd);
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A change the program did not make: kept only while the text still fits, which catches
// the routes not checked beforehand (drops, input methods).
void OnChange(EditorState* state) {
    // Below the bound the text is within the limit, and none of it counts against a change
    // that takes it past.
    std::size_t stored =
        SurelyFits(state->hwnd, 0) ? 0 : state->rules->storedSize(ControlText(state->hwnd), state->encoding);
    if (state->settingText) {
        state->lastStored = stored;
        return;
    }
    if (stored > kEditorStoredLimit && stored > state->lastStored) {
        ++state->settingText;
        SendMessageW(state->hwnd, EM_UNDO, 0, 0);
        --state->settingText;
        state->lastStored = state->rules->storedSize(ControlText(state->hwnd), state->encoding);
        Tell(state, kInputRefused);
        return;
    }
    state->lastStored = stored;
    Tell(state, kInputChanged);
}

// The link under a released click, as the program's detector reads its line.
std::string LinkAt(const EditorState* state, LONG position) {
    std::u16string text = ControlText(state->hwnd);
    std::size_t at = std::min(static_cast<std::size_t>(position), text.size());
    std::size_t lineStart = text.rfind(u'\n', at == 0 ? 0 : at - 1);
    lineStart = (lineStart == std::u16string::npos || at == 0) ? 0 : lineStart + 1;
    std::size_t lineEnd = text.find(u'\n', lineStart);
    if (lineEnd == std::u16string::npos) lineEnd = text.size();
    std::u16string_view line = std::u16string_view(text).substr(lineStart, lineEnd - lineStart);
    int column = static_cast<int>(at - lineStart);
    for (const LinkSpan& span : state->detector(line))
        if (column >= span.start && column < span.start + span.length)
            return Narrow(std::wstring(line.begin() + span.start, line.begin() + span.start + span.length));
    return std::string();
}

}  // namespace

bool OnEditorCommand(int window, HWND control, int code) {
    (void)window;
    EditorState* state = Editor(GetDlgCtrlID(control));
    if (!state || state->hwnd != control) return false;
    if (code == EN_CHANGE) OnChange(state);
    return true;
}

bool OnEditorNotify(int window, const NMHDR* header, LRESULT* result) {
    EditorState* state = Editor(static_cast<int>(header->idFrom));
    if (!state || state->hwnd != header->hwndFrom || header->code != EN_LINK || !state->detector) return false;
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    *result = 0;
    if (link->msg == WM_LBUTTONUP) {
        std::string text = LinkAt(state, link->chrg.cpMin);
        if (!text.empty()) DeliverMessage(window, Message{kMessageLinkReleased, 0, text});
    }
    return true;
}

std::u16string EditorPlainText(int gadget) {
    EditorState* state = Editor(gadget);
    return state ? ControlText(state->hwnd) : std::u16string();
}

void CreateEditor(int window, int gadget, Rect r, LinkDetector detector, const EditorTextRules& rules) {
    // Not made as the other gadgets are: a font given before the text mode would keep the
    // control from taking plain text, which can be chosen only while it holds nothing at all.
    HWND parent = WindowHandle(window);
    if (!parent) return;
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
                                0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(gadget)),
                                ProgramInstance(), nullptr);
    if (!hwnd) return;
    SendMessageW(hwnd, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    // The byte limit is the program's; the control's own counts characters.
    SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 16 * 1024 * 1024);
    SendMessageW(hwnd, EM_SETEVENTMASK, 0, ENM_CHANGE | (detector ? ENM_LINK : 0));
    if (detector) SendMessageW(hwnd, EM_AUTOURLDETECT, AURL_ENABLEURL, 0);
    EditorState& state = s_editors[gadget];
    state = EditorState();
    state.window = window;
    state.hwnd = hwnd;
    state.detector = detector;
    state.rules = &rules;
    SetWindowSubclass(hwnd, EditorProc, static_cast<UINT_PTR>(gadget), 0);
    RegisterGadget(window, gadget, hwnd);
    ApplyFont(&state);
    SetGadgetRect(gadget, r);
}

void SetEditorProcedure(int gadget, void (*procedure)(const EditorInput&)) {
    if (EditorState* state = Editor(gadget)) state->procedure = procedure;
}

void SetEditorText(int gadget, const std::string& bytes) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    state->encoding = state->rules->encodingOf(bytes);
    std::wstring text = ForControl(state->rules->decode(bytes));
    SETTEXTEX set = {ST_DEFAULT, 1200};
    ++state->settingText;
    SendMessageW(state->hwnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.c_str()));
    if (state->zoom != 100) ApplyFont(state);  // as at a zoom
    SendMessageW(state->hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(state->hwnd, EM_SETMODIFY, FALSE, 0);
    // The caret at the start, where the Qt editor puts it with new text.
    CHARRANGE start = {0, 0};
    SendMessageW(state->hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    --state->settingText;
    state->lastStored = state->rules->storedSize(ControlText(state->hwnd), state->encoding);
}

std::string EditorText(int gadget, TextEncoding* encoding) {
    EditorState* state = Editor(gadget);
    std::string bytes;
    TextEncoding written =
        state ? state->rules->encode(ControlText(state->hwnd), state->encoding, &bytes) : kEncodingUtf8;
    if (encoding) *encoding = written;
    return bytes;
}

bool IsEditorTextChanged(int gadget) {
    EditorState* state = Editor(gadget);
    return state && SendMessageW(state->hwnd, EM_GETMODIFY, 0, 0) != 0;
}

// A tracking tip below the caret, gone after a few seconds, at a click or with the focus.
void ShowEditorTip(int gadget, const std::string& text) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    // The tip goes with the window that owns it: a main window opened anew needs a new one.
    if (!s_tip || !IsWindow(s_tip))
        s_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                GetAncestor(state->hwnd, GA_ROOT), nullptr, ProgramInstance(), nullptr);
    if (!s_tip) return;
    std::wstring wide = Widen(text);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = state->hwnd;
    tool.uId = 1;
    tool.lpszText = &wide[0];
    SendMessageW(s_tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(s_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT at = BelowCaret(state);
    SendMessageW(s_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(s_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(state->hwnd, kTipTimer, kTipMilliseconds, nullptr);
}

void SetEditorReadOnly(int gadget, bool readOnly) {
    if (EditorState* state = Editor(gadget)) SendMessageW(state->hwnd, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

bool IsEditorReadOnly(int gadget) {
    EditorState* state = Editor(gadget);
    return !state || IsReadOnly(state->hwnd);
}

void SetEditorSelection(int gadget, int start, int end) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    CHARRANGE range = {-1, 0};
    if (start >= 0) {
        std::u16string text = ControlText(state->hwnd);
        range.cpMin = WholeCharacterPosition(text, start);
        range.cpMax = WholeCharacterPosition(text, end < 0 ? static_cast<int>(text.size()) : end);
    }
    SendMessageW(state->hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (start >= 0) SendMessageW(state->hwnd, EM_SCROLLCARET, 0, 0);
}

void EditorSelection(int gadget, int* start, int* end) {
    EditorState* state = Editor(gadget);
    CHARRANGE range = state ? Selection(state->hwnd) : CHARRANGE{0, 0};
    *start = range.cpMin;
    *end = range.cpMax;
}

void EditorCommand(int gadget, EditorAction command) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    switch (command) {
        case kEditSelectAll: {
            CHARRANGE all = {0, -1};
            SendMessageW(state->hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
            break;
        }
        case kEditCut:
            if (!IsReadOnly(state->hwnd)) SendMessageW(state->hwnd, WM_CUT, 0, 0);
            break;
        case kEditCopy:
            SendMessageW(state->hwnd, WM_COPY, 0, 0);
            break;
        case kEditPaste:
            PasteFitted(state);
            break;
        case kEditUndo:
            if (!IsReadOnly(state->hwnd)) SendMessageW(state->hwnd, EM_UNDO, 0, 0);
            break;
        case kEditRedo:
            if (!IsReadOnly(state->hwnd)) SendMessageW(state->hwnd, EM_REDO, 0, 0);
            break;
    }
}

bool EditorCanRun(int gadget, EditorAction command) {
    EditorState* state = Editor(gadget);
    if (!state) return false;
    switch (command) {
        case kEditPaste:
            return IsClipboardFormatAvailable(CF_UNICODETEXT);
        case kEditUndo:
            return SendMessageW(state->hwnd, EM_CANUNDO, 0, 0) != 0;
        case kEditRedo:
            return SendMessageW(state->hwnd, EM_CANREDO, 0, 0) != 0;
        default:
            return true;
    }
}

void SetEditorWrap(int gadget, bool wrap) {
    if (EditorState* state = Editor(gadget)) SendMessageW(state->hwnd, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
}

void SetEditorFont(int gadget, const std::string& face, int points, int style) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    state->face = Widen(face);
    state->points = points > 0 ? points : 10;
    state->style = style;
    ApplyFont(state);
}

void SetEditorColours(int gadget, std::int32_t background, std::int32_t text) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = static_cast<COLORREF>(text) & 0xFFFFFF;
    ++state->settingText;
    SendMessageW(state->hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(background & 0xFFFFFF));
    SendMessageW(state->hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(state->hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    --state->settingText;
}

// On every side, as the Qt editor's document margin.
void SetEditorMargins(int gadget, int left, int right) {
    EditorState* state = Editor(gadget);
    if (!state) return;
    state->margin = std::max(left, right);
    ApplyMargin(state);
}

bool SetEditorZoom(int gadget, int percent) {
    EditorState* state = Editor(gadget);
    return state && ApplyZoom(state, percent);
}

int EditorZoom(int gadget) {
    EditorState* state = Editor(gadget);
    return state ? state->zoom : 100;
}
