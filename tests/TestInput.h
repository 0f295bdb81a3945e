// For tests only: input as the user gives it, through each backend's own path for keys, so
// that the window tests drive either backend the same way. On Qt the key events go to the
// widget as the window system's would, shortcuts first; on Win32 they are posted to the
// control and run through the program's message loop (shortcut table, dialog keys). Gadget 0
// means whatever has the keyboard focus (else the active window).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Gui.h"
#include "platform/Rect.h"

// Letters and digits are their upper-case ASCII code ('A', '7'); other keys are these.
enum TestKey : int {
    kKeyEnter = 0x100,
    kKeyEscape,
    kKeyTab,
    kKeyBackspace,
    kKeyDelete,
    kKeyInsert,
    kKeySpace,
    kKeyLeft,
    kKeyRight,
    kKeyUp,
    kKeyDown,
    kKeyHome,
    kKeyEnd,
    kKeyPageUp,
    kKeyPageDown,
    kKeyF1,
    kKeyF2,
    kKeyF3,
    kKeyPlus,  // the main keyboard's
    kKeyMinus,
    kKeyEqual,
    kKeyF10,
    kKeyMenu,      // the context menu's key
    kKeyPadEnter,  // the keypad's ENTER
};
enum TestModifier : unsigned { kModShift = 1, kModCtrl = 2, kModAlt = 4 };

// One press and release of a key with modifiers held.
void SendTestKey(int gadget, int key, unsigned modifiers);
// Characters as typed on the keyboard, one after another.
void TypeTestText(int gadget, const std::string& utf8);
// Runs what the toolkit has queued (input, paints, posted calls) without waiting.
void ProcessWindowEvents();
// Waits up to the time for the toolkit to have something to do, then runs it.
void WaitForWindowEvents(int milliseconds);
// Makes the window the active one, as a click on its title would, and which window is.
void ActivateTestWindow(int window);
int ActiveTestWindow();
// The window that holds the focused gadget, or the active window, or 0.
int FocusedWindow();
// A left click on the middle of a gadget; a right click there (a context menu's request).
void ClickTestGadget(int gadget);
void RightClickTestGadget(int gadget);
// One notch of the mouse wheel over a gadget, down when notches is negative.
void WheelTestGadget(int gadget, int notches, unsigned modifiers);
// A part of a notch or several, in 120ths of a notch (a touchpad's small steps).
void WheelTestGadgetBy(int gadget, int delta, unsigned modifiers);
// The clipboard holding text, as another program leaves it.
void SetTestClipboardText(const std::string& utf8);
// A left click on the middle of a character of an editor (a character position); the left
// button released alone over it, as at the end of a drag.
void ClickTestEditorCharacter(int gadget, int position);
void ReleaseTestMouseOverEditorCharacter(int gadget, int position);
// Whether the editor shows the character as part of a link.
bool IsTestEditorLinkAt(int gadget, int position);
// The on-screen rectangle of a gadget (in screen pixels), as the user sees it.
Rect TestGadgetRect(int gadget);
// The client area of a window on screen, where its gadgets' rectangles are measured from.
Rect TestClientRect(int window);
// The title bar's text.
std::string TestWindowTitle(int window);
// What the title bar's buttons do: maximise, minimise, restore.
enum TestWindowState { kTestNormal, kTestMaximised, kTestMinimised };
void ShowTestWindowAs(int window, TestWindowState state);
// A window dragged by its title bar by the distance given.
void DragTestWindow(int window, int dx, int dy);
// A window's lower right corner dragged by the distance given, as a window manager sizes it.
void DragTestWindowCorner(int window, int dx, int dy);
// Whether a window is kept above the windows of other programs.
bool IsTestWindowOnTop(int window);
// Whether a window of the program is shown and whether it takes input.
bool IsTestWindowVisible(int window);
bool IsTestWindowEnabled(int window);
// The label of a button or check box as shown, with its & mark for the ALT letter.
std::string TestGadgetLabel(int gadget);
// The rows of a result list as it holds them to show, in order.
std::vector<ResultRow> TestResultRows(int gadget);
// A label's text as it shows it: markup read as markup, an & taken as the ALT letter's mark,
// where the label's toolkit would read them so.
std::string TestGadgetShownText(int gadget);
// Runs step with real boxes allowed; the first message box it puts up is read as it shows its
// text, then answered with its first button. "<no box>" when none came up.
std::string ShownModalText(const std::function<void()>& step);
// Where the box the last ShownModalText read stood on the screen, its frame included.
Rect ShownModalRect();
// Runs step; the first context menu it opens is read (each item's label without its & mark,
// separators left out, and whether it is enabled), then closed with nothing chosen.
struct TestMenuEntry {
    std::string label;
    bool enabled;
};
std::vector<TestMenuEntry> ShownMenuEntries(const std::function<void()>& step);
// Drops the selector's list down, or closes it, as its arrow button does.
void OpenTestSelectorList(int gadget, bool open);
// The note shown at the editor's caret (ShowEditorTip), or empty.
std::string TestEditorTip(int gadget);
// The lines the editor shows its text in, a wrapped line counted as the lines it fills.
int TestEditorLineCount(int gadget);
// The editor's font as it shows its text, before any zoom.
struct TestFont {
    double points;
    bool bold;
};
TestFont TestEditorFont(int gadget);
// Calls changed whenever the editor's text changes, by the program or by input.
void WatchTestEditorText(int gadget, std::function<void()> changed);
// A repeating toolkit timer that counts its expiries, to tell that the window's loop runs.
void StartTestTicks(int milliseconds);
int StopTestTicks();  // the expiries so far
