// The find dialog (the system's modeless one, owned by the main window, its registered message
// taken from the main window's procedure), the search of the editor's text, and the case
// folding and word test that this search shares with find in all records.
#include <algorithm>
#include <vector>

#include "platform/win32gui/GuiPrivate.h"

namespace {

constexpr int kTermField = 0x480;  // the dialog's text field (edt1)

FINDREPLACEW s_request;
wchar_t s_term[kFindTermLimit + 1];
HWND s_dialog = nullptr;
UINT s_findMessage = 0;

bool OnFindMessage(HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    if (reinterpret_cast<FINDREPLACEW*>(lParam) != &s_request) return false;
    *result = 0;
    DWORD flags = s_request.Flags;
    std::string term = Narrow(s_term);
    if (flags & FR_DIALOGTERM) {
        RemoveModelessDialog(s_dialog);
        DeliverMessage(MainWindowNumber(), Message{kMessageFindReport, kFindClosing, term});
        s_dialog = nullptr;
        return true;
    }
    if (flags & FR_FINDNEXT) {
        int reported = kFindNextFlag | (flags & FR_DOWN ? kFindDown : 0) | (flags & FR_WHOLEWORD ? kFindWholeWord : 0) |
                       (flags & FR_MATCHCASE ? kFindMatchCase : 0);
        DeliverMessage(MainWindowNumber(), Message{kMessageFindReport, reported, term});
    }
    return true;
}

// At most the term limit, never half a surrogate pair.
std::wstring LimitedTerm(const std::string& term) {
    std::wstring text = Widen(term);
    if (text.size() > static_cast<std::size_t>(kFindTermLimit)) {
        std::size_t keep = kFindTermLimit;
        if (IS_HIGH_SURROGATE(text[keep - 1])) --keep;
        text.resize(keep);
    }
    return text;
}

// Characters whose case folding is not their lowercase, as lowercase gives them.
char16_t FoldLowered(char16_t c) {
    switch (c) {
    case 0x00B5: return 0x03BC;
    case 0x017F: return 0x0073;
    case 0x0345: return 0x03B9;
    case 0x03C2: return 0x03C3;
    case 0x03D0: return 0x03B2;
    case 0x03D1: return 0x03B8;
    case 0x03D5: return 0x03C6;
    case 0x03D6: return 0x03C0;
    case 0x03F0: return 0x03BA;
    case 0x03F1: return 0x03C1;
    case 0x03F5: return 0x03B5;
    case 0x1C80: return 0x0432;
    case 0x1C81: return 0x0434;
    case 0x1C82: return 0x043E;
    case 0x1C83: return 0x0441;
    case 0x1C84: return 0x0442;
    case 0x1C85: return 0x0442;
    case 0x1C86: return 0x044A;
    case 0x1C87: return 0x0463;
    case 0x1C88: return 0xA64B;
    case 0x1E9B: return 0x1E61;
    case 0x1E9E: return 0x00DF;
    case 0x1FBE: return 0x03B9;
    // Letterlike symbols that not every system lowers (Wine does not).
    case 0x2126: return 0x03C9;
    case 0x212A: return 0x006B;
    case 0x212B: return 0x00E5;
    default: break;
    }
    // Cherokee folds to its capitals.
    if (c >= 0xAB70 && c <= 0xABBF) return static_cast<char16_t>(c - 0xAB70 + 0x13A0);
    if (c >= 0x13F8 && c <= 0x13FD) return static_cast<char16_t>(c - 8);
    return c;
}

// Beyond the first plane the system does not lower reliably: the scripts with case there.
char32_t FoldAstral(char32_t c) {
    struct Span {
        char32_t first, last;
        int shift;
    };
    static const Span kSpans[] = {
        {0x10400, 0x10427, 40}, {0x104B0, 0x104D3, 40}, {0x10570, 0x1057A, 39}, {0x1057C, 0x1058A, 39},
        {0x1058C, 0x10592, 39}, {0x10594, 0x10595, 39}, {0x10C80, 0x10CB2, 64}, {0x118A0, 0x118BF, 32},
        {0x16E40, 0x16E5F, 32}, {0x1E900, 0x1E921, 34},
    };
    for (const Span& span : kSpans)
        if (c >= span.first && c <= span.last) return c + static_cast<char32_t>(span.shift);
    return c;
}

// Lowercase of the invariant locale, one to one, then the folds that lowercase lacks: what
// the Linux build's simple folding gives, the dotted capital I kept as it is. ß and ẞ become
// "ss"; sources, where asked for, tells for each folded character the text's character it
// came from.
std::u16string FoldFully(std::u16string_view text, std::vector<std::size_t>* sources) {
    std::u16string folded;
    if (sources) sources->clear();
    if (text.empty()) return folded;
    int length = static_cast<int>(text.size());
    std::u16string lowered(text.size(), u'\0');
    const wchar_t* from = reinterpret_cast<const wchar_t*>(text.data());
    wchar_t* to = reinterpret_cast<wchar_t*>(&lowered[0]);
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, from, length, to, length, nullptr, nullptr, 0) != length) {
        lowered.assign(text);
        for (char16_t& c : lowered)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    folded.reserve(text.size() + 8);
    if (sources) sources->reserve(text.size() + 8);
    for (std::size_t k = 0; k < text.size(); ++k) {
        char16_t c = text[k];
        if (IS_HIGH_SURROGATE(c) && k + 1 < text.size() && IS_LOW_SURROGATE(text[k + 1])) {
            char32_t point = FoldAstral(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[k + 1] - 0xDC00));
            folded.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
            folded.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
            if (sources) sources->insert(sources->end(), {k, k + 1});
            ++k;
            continue;
        }
        char16_t f = c == 0x0130 ? c : FoldLowered(lowered[k]);
        bool sharpS = f == 0x00DF;
        folded.append(sharpS ? u"ss" : std::u16string(1, f));
        if (sources) sources->insert(sources->end(), sharpS ? 2 : 1, k);
    }
    return folded;
}

bool IsWholeWordAt(std::u16string_view text, std::size_t at, std::size_t length) {
    return (at == 0 || !IsWordPart(text[at - 1])) && (at + length == text.size() || !IsWordPart(text[at + length]));
}

}  // namespace

void OpenFindDialog(const std::string& term) {
    std::wstring text = LimitedTerm(term);
    if (!s_dialog || !IsWindow(s_dialog)) {
        if (!s_findMessage) {
            s_findMessage = RegisterWindowMessageW(FINDMSGSTRINGW);
            AddWindowMessageHook(s_findMessage, OnFindMessage);
        }
        std::fill(std::begin(s_term), std::end(s_term), L'\0');
        text.copy(s_term, text.size());
        s_request = FINDREPLACEW{};
        s_request.lStructSize = sizeof s_request;
        s_request.hwndOwner = WindowHandle(MainWindowNumber());
        s_request.Flags = FR_DOWN;
        s_request.lpstrFindWhat = s_term;
        s_request.wFindWhatLen = sizeof s_term;
        s_dialog = FindTextW(&s_request);
        if (!s_dialog) return;
        AddModelessDialog(s_dialog);
        // The buffer length is in bytes, which some versions take for characters: the field's
        // own limit keeps the copy inside the buffer either way.
        SendDlgItemMessageW(s_dialog, kTermField, EM_LIMITTEXT, kFindTermLimit, 0);
        PlaceBesideMainWindow(s_dialog);
    } else {
        SetDlgItemTextW(s_dialog, kTermField, text.c_str());
    }
    ::ShowWindow(s_dialog, SW_SHOW);
    SetForegroundWindow(s_dialog);
    SetActiveWindow(s_dialog);
    HWND field = GetDlgItem(s_dialog, kTermField);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

// Open until closed, even while hidden with its minimised owner.
bool FindDialogExists() { return s_dialog && IsWindow(s_dialog); }

std::string FindDialogTerm() {
    if (!s_dialog || !IsWindow(s_dialog)) return std::string();
    wchar_t text[kFindTermLimit + 1] = {};
    GetDlgItemTextW(s_dialog, kTermField, text, kFindTermLimit + 1);
    return Narrow(text);
}

// A term of several lines is searched for in the whole text, where a line break is one
// character as it is in the editor. Backward, only matches that end at or before the
// selection's start count, so a term that overlaps itself ("aa" in "aaaa") steps by whole
// occurrences.
int FindInEditor(int gadget, const std::string& term, int from, int flags, int* length) {
    std::wstring wide = Widen(term);
    std::u16string needle(wide.begin(), wide.end());
    for (std::size_t at = needle.find(u"\r\n"); at != std::u16string::npos; at = needle.find(u"\r\n", at))
        needle.erase(at, 1);
    if (!GadgetHandle(gadget) || needle.empty()) return -1;
    const std::u16string text = EditorPlainText(gadget);
    // Without Match Case both sides are folded fully, as find in all records folds them, so a
    // match it listed ("strasse" in "Straße") is found here too; sources lead back to the text.
    bool folding = !(flags & kFindMatchCase);
    std::vector<std::size_t> sources;
    const std::u16string searched = folding ? FoldFully(text, &sources) : text;
    if (folding) needle = FoldFully(needle, nullptr);
    auto source = [&](std::size_t k) { return folding ? sources[k] : k; };
    auto folded = [&](long long position) {
        if (!folding || position <= 0) return position;
        return static_cast<long long>(std::lower_bound(sources.begin(), sources.end(), static_cast<std::size_t>(position)) -
                                      sources.begin());
    };
    bool down = flags & kFindDown;
    long long size = static_cast<long long>(searched.size()), span = static_cast<long long>(needle.size());
    long long at = down ? folded(from) : folded(from) - span;
    while (at >= 0 && at <= size) {
        std::size_t found = down ? searched.find(needle, static_cast<std::size_t>(at))
                                 : searched.rfind(needle, static_cast<std::size_t>(at));
        if (found == std::u16string::npos) break;
        std::size_t start = source(found), end = source(found + needle.size() - 1) + 1;
        if (!(flags & kFindWholeWord) || IsWholeWordAt(text, start, end - start)) {
            *length = static_cast<int>(end - start);
            return static_cast<int>(start);
        }
        at = static_cast<long long>(found) + (down ? 1 : -1);
    }
    return -1;
}

std::u16string FoldCase(std::u16string_view text) { return FoldFully(text, nullptr); }

// Letters and digits of any script, by the system's character types, and the underscore.
bool IsWordPart(char16_t c) {
    if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    if (IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) return false;
    WORD type = 0;
    wchar_t character = static_cast<wchar_t>(c);
    return GetStringTypeW(CT_CTYPE1, &character, 1, &type) && (type & (C1_ALPHA | C1_DIGIT));
}
