// The Win32 gadgets on the real controls under Wine: the editor at the record limit and
// across the encodings (what a save stores is what the Linux editor would store for the same
// keys), the record selector at the record limit, and the keys of the message loop: TAB, SHIFT+TAB
// and ALT letters in a window with dialog keys, the focus shown after them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextCoding.h"
#include "platform/Gui.h"
#include "platform/win32gui/GuiPrivate.h"
#include "ui/editor/FindText.h"

namespace {

constexpr int kWindow = 1;
constexpr int kEditor = 2;
constexpr int kSelector = 3;

std::vector<EditorInputKind> s_told;
void Record(const EditorInput& input) { s_told.push_back(input.kind); }
std::vector<MessageKind> s_messages;
void RecordMessage(const Message& message) { s_messages.push_back(message.kind); }

class Win32GadgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StartGui(0, nullptr);
        OpenWindow(kWindow, Rect{0, 0, 400, 300}, "Jotcrate test", kStyleSizable);
        CreateEditor(kWindow, kEditor, Rect{0, 40, 400, 260}, nullptr, kRecordTextRules);
        CreateSelector(kWindow, kSelector, Rect{0, 0, 400, 30});
        SetMessageCallback(kWindow, RecordMessage);
        SetEditorProcedure(kEditor, Record);
        ShowWindow(kWindow);
    }
    void SetUp() override {
        SetEditorText(kEditor, std::string());
        s_told.clear();
    }
    // As a key press arrives: BACKSPACE acts at its key, a character at its WM_CHAR.
    void Type(std::u16string keys) {
        HWND editor = GadgetHandle(kEditor);
        for (char16_t c : keys) {
            if (c == u'\b') SendMessageW(editor, WM_KEYDOWN, VK_BACK, 1);
            SendMessageW(editor, WM_CHAR, c, 1);
            if (c == u'\b') SendMessageW(editor, WM_KEYUP, VK_BACK, 1);
        }
    }
    // What a save would store, told briefly where it differs.
    static std::string Brief(const std::string& bytes) {
        return std::to_string(bytes.size()) + " bytes ending \"" +
               bytes.substr(bytes.size() < 8 ? 0 : bytes.size() - 8) + "\"";
    }
    void ToEnd() {
        int length = static_cast<int>(SendMessageW(GadgetHandle(kEditor), WM_GETTEXTLENGTH, 0, 0));
        SetEditorSelection(kEditor, length, length);
    }
    bool Told(EditorInputKind kind) {
        for (EditorInputKind told : s_told)
            if (told == kind) return true;
        return false;
    }
};

// A timer's expiry comes through the message loop into the event queue, once; a restart while
// it runs keeps one timer, and a stopped one expires no more.
TEST_F(Win32GadgetTest, ATimerExpiresOnceIntoTheEventQueue) {
    constexpr int kTimer = 7;
    Event event;
    while (PollWindowEvent(&event)) {}
    StartTimer(kWindow, kTimer, 10);
    int arrived = 0;
    for (DWORD end = GetTickCount() + 20000; arrived == 0 && GetTickCount() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        RunPendingUiSteps();
        while (PollWindowEvent(&event))
            arrived += event.kind == kEventTimer && event.window == kWindow && event.number == kTimer;
    }
    EXPECT_EQ(1, arrived);
    EXPECT_FALSE(ExpireTimer(kWindow, kTimer));
    StartTimer(kWindow, kTimer, 60 * 1000);
    StartTimer(kWindow, kTimer, 60 * 1000);
    EXPECT_TRUE(ExpireTimer(kWindow, kTimer));
    EXPECT_FALSE(ExpireTimer(kWindow, kTimer));
    ASSERT_TRUE(PollWindowEvent(&event));
    EXPECT_EQ(kEventTimer, event.kind);
    EXPECT_FALSE(PollWindowEvent(&event));
    StartTimer(kWindow, kTimer, 60 * 1000);
    StopTimer(kWindow, kTimer);
    EXPECT_FALSE(ExpireTimer(kWindow, kTimer));
}

TEST_F(Win32GadgetTest, TextSetFromCodeComesBackAsItWasAndIsNoEdit) {
    const std::vector<std::string> records = {"a\r\nb", "\r\nline\r\n\r\n", "Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 1252",
                                              "tab\there"};
    for (const std::string& bytes : records) {
        SetEditorText(kEditor, bytes);
        EXPECT_FALSE(IsEditorTextChanged(kEditor)) << bytes;
        EXPECT_EQ(bytes, EditorText(kEditor)) << bytes;
    }
    EXPECT_FALSE(Told(kInputChanged));
}

TEST_F(Win32GadgetTest, TypingKeepsTheRecordsEncoding) {
    SetEditorText(kEditor, "Caf\xE9");
    ToEnd();
    Type(u" ok");
    TextEncoding encoding;
    EXPECT_EQ("Caf\xE9 ok", EditorText(kEditor, &encoding));
    EXPECT_EQ(kEncodingWindows1252, encoding);
    EXPECT_TRUE(IsEditorTextChanged(kEditor));
}

TEST_F(Win32GadgetTest, AFullRecordRefusesMoreButNotBackspace) {
    SetEditorText(kEditor, std::string(32000, 'x'));
    ToEnd();
    Type(u"a");
    EXPECT_EQ(Brief(std::string(32000, 'x')), Brief(EditorText(kEditor)));
    EXPECT_TRUE(Told(kInputRefused));
    // Its character alone, where the control takes the key at the character.
    s_told.clear();
    SendMessageW(GadgetHandle(kEditor), WM_CHAR, u'\b', 1);
    EXPECT_FALSE(Told(kInputRefused));
    SetEditorText(kEditor, std::string(32000, 'x'));
    ToEnd();
    Type(u"\b\b");
    EXPECT_FALSE(Told(kInputRefused));
    EXPECT_EQ(Brief(std::string(31998, 'x')), Brief(EditorText(kEditor)));
    Type(u"yz!");
    EXPECT_EQ(Brief(std::string(31998, 'x') + "yz"), Brief(EditorText(kEditor)));
}

// A text that a save would store longer than it was read (lone LFs become CR LF) takes no
// more, but gives up characters.
TEST_F(Win32GadgetTest, ARecordOverTheLimitStillShrinks) {
    SetEditorText(kEditor, std::string(15000, 'x') + std::string(2000, '\n') + std::string(15000, 'y'));
    ToEnd();
    Type(u"a");
    EXPECT_TRUE(Told(kInputRefused));
    Type(u"\b");
    std::string breaks;
    for (int i = 0; i < 2000; ++i) breaks += "\r\n";
    EXPECT_EQ(Brief(std::string(15000, 'x') + breaks + std::string(14999, 'y')), Brief(EditorText(kEditor)));
}

TEST_F(Win32GadgetTest, TypingUpToTheLimitStopsAtItInEitherEncoding) {
    struct Case {
        std::string start;
        std::u16string typed;
        std::string stored;
    } cases[] = {
        {std::string(31995, 'x'), u"0123456789", std::string(31995, 'x') + "01234"},
        {std::string(31990, '\xE9'), u"abcdefghijklmnop", std::string(31990, '\xE9') + "abcdefghij"},
        // A character the record's code page lacks would turn it into UTF-8, twice as long.
        {std::string(31990, '\xE9'), u"\u65E5", std::string(31990, '\xE9')},
        {std::string(31998, 'x'), u"\u20AC", std::string(31998, 'x')},
    };
    for (const Case& c : cases) {
        SetEditorText(kEditor, c.start);
        ToEnd();
        Type(c.typed);
        EXPECT_EQ(Brief(c.stored), Brief(EditorText(kEditor)));
    }
}

// The list holds every record a data file can, gives back each title and slot as given, and
// reports only the user's changes of the selection.
// The gadgets of the find windows on the real controls: a term typed in Greek or Chinese
// comes back whole (the common find dialog lost what the ANSI code page lacks) and the search
// of the editor finds it; the radio buttons keep one chosen and one TAB stop; DOWN in the
// field leads into the result rows.
TEST_F(Win32GadgetTest, FindGadgetsTakeAnyScriptAndTheSearchFindsIt) {
    constexpr int kField = 20, kUp = 21, kDown = 22, kRows = 23;
    CreateTextField(kWindow, kField, Rect{0, 0, 200, 23}, 79);
    HWND field = GadgetHandle(kField);
    ASSERT_NE(nullptr, field);
    s_messages.clear();
    for (char16_t c : std::u16string(u"\u03B1\u03B2\u03B3 \u4E2D\u6587")) SendMessageW(field, WM_CHAR, c, 1);
    EXPECT_EQ("\xCE\xB1\xCE\xB2\xCE\xB3 \xE4\xB8\xAD\xE6\x96\x87", GadgetText(kField));
    ASSERT_EQ(6u, s_messages.size());
    EXPECT_EQ(kMessageTextEdited, s_messages.back());
    SetGadgetText(kField, std::string(100, 'x'));
    EXPECT_EQ(std::string(79, 'x'), GadgetText(kField));

    SetEditorText(kEditor, "alpha \xCE\x91\xCE\x92\xCE\x93 \xCE\xB1\xCE\xB2\xCE\xB3\r\n\xE4\xB8\xAD\xE6\x96\x87");
    int length = 0;
    EXPECT_EQ(6, FindInEditor(kEditor, "\xCE\xB1\xCE\xB2\xCE\xB3", 0, kFindDown, &length));
    EXPECT_EQ(10, FindInEditor(kEditor, "\xCE\xB1\xCE\xB2\xCE\xB3", 0, kFindDown | kFindMatchCase, &length));
    EXPECT_EQ(14, FindInEditor(kEditor, "\xE4\xB8\xAD\xE6\x96\x87", 0, kFindDown, &length));
    EXPECT_EQ(2, length);
    EXPECT_EQ(10, FindInEditor(kEditor, "\xCE\xB1\xCE\xB2\xCE\xB3\r\n\xE4\xB8\xAD", 16, 0, &length));

    CreateRadioButton(kWindow, kUp, Rect{0, 30, 60, 22}, "&Up", true);
    CreateRadioButton(kWindow, kDown, Rect{60, 30, 60, 22}, "&Down", false);
    SetChecked(kDown, true);
    auto tabStop = [](int gadget) { return (GetWindowLongW(GadgetHandle(gadget), GWL_STYLE) & WS_TABSTOP) != 0; };
    EXPECT_FALSE(IsChecked(kUp));
    EXPECT_TRUE(tabStop(kDown) && !tabStop(kUp));
    SendMessageW(GadgetHandle(kDown), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(IsChecked(kUp) && !IsChecked(kDown));
    EXPECT_TRUE(tabStop(kUp) && !tabStop(kDown));

    CreateResultList(kWindow, kRows, Rect{0, 60, 200, 100}, kField);
    AddResultRows(kRows, {{"\xCE\xA4\xCE\xAF\xCF\x84\xCE\xBB\xCE\xBF\xCF\x82", "a ", "\xCE\xB1\xCE\xB2\xCE\xB3", " b"},
                          {"Two", "", "x", ""}});
    EXPECT_EQ(-1, SelectedResultRow(kRows));
    SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(0, SelectedResultRow(kRows));
    ClearResultRows(kRows);
    EXPECT_EQ(-1, SelectedResultRow(kRows));
}

// Where a character of the editor is drawn, in the control's pixels.
POINTL CharacterAt(int position) {
    POINTL at = {0, 0};
    SendMessageW(GadgetHandle(kEditor), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
    return at;
}

// The text stands 8 pixels in from every edge, after a new size too, as in the Qt editor.
TEST_F(Win32GadgetTest, TheTextKeepsItsMarginsThroughASize) {
    HWND editor = GadgetHandle(kEditor);
    SetEditorText(kEditor, "margin");
    POINTL before = CharacterAt(0);
    SetEditorMargins(kEditor, 8, 8);
    POINTL at = CharacterAt(0);
    EXPECT_GE(at.x, before.x + Scaled(editor, 8) - 2);
    EXPECT_GE(at.y, before.y + Scaled(editor, 8) - 2);
    SetGadgetRect(kEditor, Rect{0, 40, 300, 200});
    POINTL sized = CharacterAt(0);
    EXPECT_EQ(at.x, sized.x);
    EXPECT_EQ(at.y, sized.y);
    SetGadgetRect(kEditor, Rect{0, 40, 400, 260});
    SetEditorMargins(kEditor, 0, 0);
}

// CTRL+0 goes to the editor procedure, and a zoom back to 100 % lays the text out at once: the
// second line goes back where it was, not only the stored zoom.
TEST_F(Win32GadgetTest, CtrlZeroPutsTheTextBackAtOnce) {
    SetEditorText(kEditor, "one\r\ntwo");
    LONG plain = CharacterAt(4).y;
    ASSERT_TRUE(SetEditorZoom(kEditor, 300));
    EXPECT_GT(CharacterAt(4).y, plain);
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE control = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(GadgetHandle(kEditor), WM_KEYDOWN, '0', 1);
    keys[VK_CONTROL] = control;
    SetKeyboardState(keys);
    EXPECT_TRUE(Told(kInputZoom));
    ASSERT_TRUE(SetEditorZoom(kEditor, 100));
    EXPECT_EQ(100, EditorZoom(kEditor));
    EXPECT_EQ(plain, CharacterAt(4).y);
}

TEST_F(Win32GadgetTest, TheSelectorHoldsEveryRecordAsGiven) {
    std::vector<std::string> titles;
    for (int i = 0; i < 32767; ++i) titles.push_back("Record " + std::to_string(i));
    titles[7] = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
    ClearSelector(kSelector);
    ReserveSelector(kSelector, 32767);
    AddSelectorTitles(kSelector, std::move(titles));
    ASSERT_EQ(32767, SelectorCount(kSelector));
    EXPECT_EQ("Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", SelectorTitle(kSelector, 7));
    EXPECT_EQ("Record 32766", SelectorTitle(kSelector, 32766));
    s_messages.clear();
    SelectEntry(kSelector, 32766);
    EXPECT_EQ(32766, SelectedEntry(kSelector));
    InsertSelectorTitle(kSelector, 1, "Inserted");
    RemoveSelectorEntry(kSelector, 0);
    SetSelectorTitle(kSelector, 2, "Retitled");
    EXPECT_EQ("Inserted", SelectorTitle(kSelector, 0));
    EXPECT_EQ("Record 1", SelectorTitle(kSelector, 1));
    EXPECT_EQ("Retitled", SelectorTitle(kSelector, 2));
    EXPECT_EQ(32767, SelectorCount(kSelector));
    for (MessageKind kind : s_messages) EXPECT_NE(kMessageSelectorChanged, kind);
}

// What the open list points at is no choice until it closes on it: a record shown at each
// letter would take the list's focus and send the next letters into the editor.
TEST_F(Win32GadgetTest, TheOpenListReportsAChoiceOnlyWhenItCloses) {
    std::vector<std::string> titles;
    for (int i = 0; i < 50; ++i) titles.push_back("Item " + std::to_string(i));
    ClearSelector(kSelector);
    AddSelectorTitles(kSelector, std::move(titles));
    SelectEntry(kSelector, 0);
    HWND list = GadgetHandle(kSelector);
    auto selChange = [list] {
        SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };
    for (bool moved : {true, false}) {
        s_messages.clear();
        SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
        ASSERT_TRUE(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0));
        if (moved) {
            SendMessageW(list, CB_SETCURSEL, 7, 0);
            selChange();
        }
        EXPECT_EQ(std::vector<MessageKind>{kMessageSelectorDropping}, s_messages) << moved;
        SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
        std::vector<MessageKind> closed = {kMessageSelectorDropping, kMessageSelectorChanged, kMessageSelectorClosed};
        if (!moved) closed.erase(closed.begin() + 1);
        EXPECT_EQ(closed, s_messages) << moved;
    }
    // Letters typed into the open list keep the focus in the list when it closes.
    s_messages.clear();
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(list, WM_CHAR, 'I', 1);
    SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    for (MessageKind kind : s_messages) EXPECT_NE(kMessageSelectorClosed, kind);
    // On the closed field each change is a choice at once.
    s_messages.clear();
    SendMessageW(list, CB_SETCURSEL, 9, 0);
    selChange();
    EXPECT_EQ(std::vector<MessageKind>{kMessageSelectorChanged}, s_messages);
}

// Keys through the program's own message loop: a window with dialog keys walks its gadgets on
// TAB and SHIFT+TAB and takes ALT letters, with the focus shown; another keeps TAB for itself.
class Win32KeyboardTest : public ::testing::Test {
protected:
    static constexpr int kDialog = 20, kWordwrap = 21, kOnTop = 22, kApply = 23, kCancel = 24;
    static constexpr int kPlain = 30, kAdd = 31, kDelete = 32;
    static void SetUpTestSuite() {
        StartGui(0, nullptr);
        s_hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteCues, nullptr, GetCurrentThreadId());
        OpenWindow(kPlain, Rect{420, 0, 200, 60}, "Jotcrate plain", kStyleCloseBox);
        CreateButton(kPlain, kAdd, Rect{6, 6, 60, 26}, "&Add");
        CreateButton(kPlain, kDelete, Rect{72, 6, 60, 26}, "&Delete");
        OpenWindow(kDialog, Rect{0, 320, 214, 224}, "Jotcrate dialog", kStyleTitleOnly | kStyleDialogKeys);
        CreateCheckbox(kDialog, kWordwrap, Rect{12, 13, 128, 22}, "&Wordwrap");
        CreateCheckbox(kDialog, kOnTop, Rect{12, 38, 128, 22}, "On &Top");
        CreateButton(kDialog, kApply, Rect{70, 186, 60, 26}, "&Apply");
        CreateButton(kDialog, kCancel, Rect{142, 186, 60, 26}, "Cancel");
        ShowWindow(kPlain);
        ShowWindow(kDialog);
    }
    static void TearDownTestSuite() {
        UnhookWindowsHookEx(s_hook);
        CloseWindow(kDialog);
        CloseWindow(kPlain);
        RunPendingUiSteps();
    }
    void Activate(int window, int gadget) {
        RaiseWindow(window);
        FocusGadget(gadget);
        RunPendingUiSteps();
        ASSERT_EQ(gadget, FocusedGadget());
        s_cuesShown = false;
    }
    // Whether a window was told to show its focus frames: Windows hides them until a key is
    // used (Wine never does, so the telling is what can be seen there).
    static LRESULT CALLBACK NoteCues(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_CHANGEUISTATE && LOWORD(sent->wParam) == UIS_CLEAR &&
            (HIWORD(sent->wParam) & UISF_HIDEFOCUS))
            s_cuesShown = true;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HHOOK s_hook = nullptr;
    static inline bool s_cuesShown = false;
    // A key as the keyboard posts it to the focused control, SHIFT held or not.
    static void Press(WPARAM key, bool shift = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 1 | 3u << 30);
        RunPendingUiSteps();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    static void AltLetter(wchar_t letter) {
        PostMessageW(GetFocus(), WM_SYSCHAR, letter, 1 | 1 << 29);
        RunPendingUiSteps();
    }
    std::vector<int> Walk(bool shift, int count) {
        std::vector<int> met;
        for (int i = 0; i < count; ++i) {
            Press(VK_TAB, shift);
            met.push_back(FocusedGadget());
        }
        return met;
    }
};

TEST_F(Win32KeyboardTest, TabAndShiftTabWalkADialogAndShowTheFocus) {
    Activate(kDialog, kWordwrap);
    EXPECT_EQ((std::vector<int>{kOnTop, kApply, kCancel, kWordwrap}), Walk(false, 4));
    EXPECT_TRUE(s_cuesShown);
    EXPECT_EQ((std::vector<int>{kCancel, kApply}), Walk(true, 2));
    // SPACE turns the box TAB reached, ALT and a letter the box that underlines it.
    Walk(false, 3);
    ASSERT_EQ(kOnTop, FocusedGadget());
    bool was = IsChecked(kOnTop);
    Press(VK_SPACE);
    EXPECT_NE(was, IsChecked(kOnTop));
    was = IsChecked(kWordwrap);
    AltLetter(L'w');
    EXPECT_NE(was, IsChecked(kWordwrap));
}

TEST_F(Win32KeyboardTest, AWindowWithoutDialogKeysKeepsTabAndShowsTheProgramsKeyMoves) {
    Activate(kPlain, kAdd);
    Press(VK_TAB);
    Press(VK_TAB, true);
    EXPECT_EQ(kAdd, FocusedGadget());
    FocusGadget(kDelete);
    EXPECT_FALSE(s_cuesShown);
    FocusGadget(kAdd, kFocusByKey);
    EXPECT_EQ(kAdd, FocusedGadget());
    EXPECT_TRUE(s_cuesShown);
}

}  // namespace
