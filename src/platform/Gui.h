// The window system as the rest of the program sees it: windows and gadgets by number, an
// event queue, synchronous notifications, message boxes and the shell. Texts are UTF-8;
// editor text is record bytes with CR LF line breaks. Everything here runs on the UI thread
// unless it says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Keys.h"
#include "platform/Rect.h"
#include "platform/TextEncoding.h"
#include "platform/Types.h"

enum EventKind { kEventNone, kEventGadget, kEventMenu, kEventClose, kEventSize, kEventTimer };

struct Event {
    EventKind kind;
    int window;
    int number;
};
// The number of a close event when the session ends (a logout, a shutdown): the process may
// be ended right after, so the close cannot wait for anything.
constexpr int kCloseEndingSession = 1;

// Notifications that must be acted on before the toolkit's own handling; they reach the
// window's message callback at once.
enum MessageKind {
    kMessageLinkReleased,     // text: the link
    kMessageSelectorChanged,  // by the user, whatever the route: list, key, wheel, letters
    kMessageSelectorDropping,
    kMessageSelectorClosed,
    kMessageEditorFocused,
    kMessageMovingOrSizing,
    kMessageSystemTool,    // number: the command
    kMessageWindowMenu,    // a right-click on the background or a button asks for the program's own window menu
    kMessagePlacementKey,  // while grabbed for placement: number, a PlacementKey, with kPlaceFine where CTRL was held
    kMessageFileChanged,   // a watched file, or the folder that holds it, changed
    kMessageTextEdited,    // number: the text field, changed by the user or by SetGadgetText
};

struct Message {
    MessageKind kind;
    int number;
    std::string text;
};

// The most bytes a save stores of an editor's text; the editor takes no input beyond it.
constexpr std::size_t kEditorStoredLimit = 32000;

// What reaches the editor procedure before the editor acts on it.
// kInputRefused: input that the record cannot hold was turned away, whole or in part.
enum EditorInputKind {
    kInputCharacter,
    kInputChanged,
    kInputContextMenu,  // the right button, the menu key or SHIFT+F10
    kInputZoom,         // x: a ZoomKey; y: for kZoomWheel, the CTRL+wheel's delta (120 a notch)
    kInputRefused
};

// CTRL+PLUS, CTRL+MINUS, CTRL+0 and CTRL+wheel: the editor leaves what they do to its procedure.
enum ZoomKey { kZoomIn, kZoomOut, kZoomReset, kZoomWheel };

struct EditorInput {
    EditorInputKind kind;
    int x;  // kInputContextMenu: where the menu opens on the screen (the pointer, or the caret)
    int y;
};

enum WindowStyle : unsigned {
    kStyleSizable = 1,      // sizing border, minimise and maximise boxes
    kStyleCloseBox = 2,     // window menu with a close box
    kStyleTitleOnly = 4,    // title bar only: no close box
    kStyleOwnedByMain = 8,  // a dialog of the main window, kept above it
    kStyleDialogKeys = 16,  // TAB, SHIFT+TAB and ALT+letter move between the gadgets, as in a dialog
    kStyleMain = 32,        // the main window: the others are owned by it, open beside it, follow its On Top
};

// How a gadget gets the focus. A key's move shows where the focus went (a focus frame, the
// underlined letters); the program's own moves leave that to the keys the user pressed last.
enum FocusRoute { kFocusByProgram, kFocusByKey, kFocusBackByKey };

struct MenuItem {
    int command;  // 0: separator; -1: starts a sub-menu named label; -2: ends it
    std::string label;
    bool enabled = true;
};

// Application and events
bool StartGui(int argc, char** argv);
Event WaitWindowEvent();
bool PollWindowEvent(Event* event);
void PostWindowEvent(Event event);
// With a dispatcher, buttons, shortcuts and menu commands are dispatched at once, before any
// input that came after them (keys typed right after ALT+A belong to the new record);
// without one, they are queued like every other event.
void SetEventDispatcher(bool (*dispatch)(const Event& event));
// From any thread: wakes WaitWindowEvent with an event of no window.
void PostWakeEvent();
// From any thread: runs step on the UI thread, in the order of the calls; on the UI thread
// it runs at once.
void RunOnUiThread(std::function<void()> step);
// SIGTERM, SIGHUP and SIGINT (a logout, a shutdown, CTRL+C in the terminal that started it)
// close the window as the user would, so that what was typed is saved: a close event with
// kCloseEndingSession, delivered at once, even while a message box, a menu or a requester is
// open (on Windows, the end of the session).
void CloseOnTermination(int window);
// Whether a box, a menu, a requester or the system's move and size loop runs its own loop of
// events below the caller: the work that opened it is still under way.
bool IsInModalLoop();
// Runs the steps handed over so far, on the UI thread.
void RunPendingUiSteps();
// A one-shot timer of a window: milliseconds after its last start, the event {kEventTimer,
// window, timer} joins the event queue (it waits there while a box or a menu is open).
// Starting a running timer starts it anew.
void StartTimer(int window, int timer, int milliseconds);
void StopTimer(int window, int timer);
// For tests, in place of the wait: a running timer expires now. False when it was not running.
bool ExpireTimer(int window, int timer);
// Tells the window's message callback whenever the file, or the folder that holds it, changes
// (inotify on Linux): a rename over it, a rewrite in place, a file of that name appearing.
void WatchFile(int window, const std::string& path);

// Windows. OpenWindow takes the outer position and the client size; the window stays hidden
// until shown or placed.
void OpenWindow(int window, Rect placement, const std::string& title, unsigned style);
void CloseWindow(int window);
bool WindowExists(int window);
void ShowWindow(int window);
void HideWindow(int window);
void SetWindowTitle(int window, const std::string& title);
void SetMinimumClientSize(int window, int width, int height);
void ClientSize(int window, int* width, int* height);
// Sets the outer (frame) rectangle; the minimum client size still applies.
void PlaceWindow(int window, Rect outer);
// The outer rectangle, or false while the window is minimised or maximised.
bool NormalOuterRect(int window, Rect* outer);
// The outer rectangle as it is on screen, maximised or not.
bool OuterRectOnScreen(int window, Rect* outer);
void RestoreAndRaise(int window);
void RaiseWindow(int window);
void EnableWindow(int window, bool enabled);
void SetOnTop(int window, bool onTop);
enum WindowShow { kShownNormal, kShownMinimised, kShownMaximised };
WindowShow ShownAs(int window);
void ShowAs(int window, WindowShow how);
void SetMessageCallback(int window, void (*callback)(const Message&));
Rect ScreenWorkArea();

// Gadgets
void CreateButton(int window, int gadget, Rect r, const std::string& label);
void CreateCheckbox(int window, int gadget, Rect r, const std::string& label);
void CreateSelector(int window, int gadget, Rect r);
// Without a link detector the editor shows no links. The rules must outlive the editor.
void CreateEditor(int window, int gadget, Rect r, LinkDetector detector, const EditorTextRules& rules);
void SetGadgetRect(int gadget, Rect r);
void SetToolTip(int gadget, const std::string& text);
void SetToolTipsActive(int window, bool active);
void DisableGadget(int gadget, bool disabled);
bool IsGadgetEnabled(int gadget);
void FocusGadget(int gadget, FocusRoute route = kFocusByProgram);
// The name a screen reader says for a gadget whose label does not name it (a list, an editor).
void NameGadget(int gadget, const std::string& name);
// The focused gadget of the program, or 0.
int FocusedGadget();
void PressGadget(int gadget);
bool IsChecked(int gadget);
void SetChecked(int gadget, bool checked);

// Record selector: one line of text per entry, shown as given.
void ClearSelector(int gadget);
void ReserveSelector(int gadget, int count);
void AddSelectorTitles(int gadget, std::vector<std::string>&& titles);
void InsertSelectorTitle(int gadget, int position, const std::string& title);
void RemoveSelectorEntry(int gadget, int position);
int SelectorCount(int gadget);
int SelectedEntry(int gadget);
void SelectEntry(int gadget, int position);
void SetSelectorTitle(int gadget, int position, const std::string& title);
// From the drop-down notice: the list stays closed this time.
void KeepSelectorClosed(int gadget);
std::string SelectorTitle(int gadget, int position);

// Text fields, labels, radio buttons and result lists. A text field reports each change of its
// text to its window's message callback as kMessageTextEdited; limit counts UTF-16 units.
void CreateTextField(int window, int gadget, Rect r, int limit);
void SetGadgetText(int gadget, const std::string& text);  // a field's text (selected) or a label's
std::string GadgetText(int gadget);
// With a buddy, the label's underlined letter focuses that gadget and names it for screen
// readers; without one it is a plain line of text, shown as written.
void CreateLabel(int window, int gadget, Rect r, const std::string& text, int buddy = 0);
// The radio buttons created one after another from one that starts a group are one TAB stop,
// entered at the chosen one; the arrow keys choose within it. IsChecked and SetChecked serve
// them; a click is a gadget event.
void CreateRadioButton(int window, int gadget, Rect r, const std::string& label, bool startsGroup);
// A row of a result list: a title in bold, then a line with its match marked.
struct ResultRow {
    std::string title;
    std::string before;
    std::string match;
    std::string after;
};
// A double-click on a row is a gadget event; DOWN in the field (if any) moves to the first row.
void CreateResultList(int window, int gadget, Rect r, int field);
void AddResultRows(int gadget, const std::vector<ResultRow>& rows);
void ClearResultRows(int gadget);
int SelectedResultRow(int gadget);  // -1: none
void SelectResultRow(int gadget, int row);

// Editor
void SetEditorProcedure(int gadget, void (*procedure)(const EditorInput&));
// Record bytes in, UTF-8 or Windows-1252; never reported as an edit. Everything that enters
// the editor later (typing, paste, drop, input methods) is refused beyond what a save can
// store in 32,000 bytes, counted by the editor's rules in the encoding the text was set in.
void SetEditorText(int gadget, const std::string& bytes);
// The bytes a save writes, uncut, and their encoding.
std::string EditorText(int gadget, TextEncoding* encoding = nullptr);
// Whether the text differs from what SetEditorText put there.
bool IsEditorTextChanged(int gadget);
// A short note at the editor's caret.
void ShowEditorTip(int gadget, const std::string& text);
void SetEditorReadOnly(int gadget, bool readOnly);
bool IsEditorReadOnly(int gadget);
// Character positions, counted as the editor counts them; -1, -1 removes the selection.
void SetEditorSelection(int gadget, int start, int end);
void EditorSelection(int gadget, int* start, int* end);
// The text with a line break as one character (LF): an index into it is a character position.
std::u16string EditorPlainText(int gadget);
enum EditorAction { kEditSelectAll, kEditCut, kEditCopy, kEditPaste, kEditUndo, kEditRedo };
void EditorCommand(int gadget, EditorAction action);
// The toolkit's part of whether an action would do anything now: text to paste, a step to undo
// or redo; true for the others, which the program decides by the selection and Read Only.
bool EditorCanRun(int gadget, EditorAction action);
void SetEditorWrap(int gadget, bool wrap);
void SetEditorFont(int gadget, const std::string& face, int points, int style);
void SetEditorColours(int gadget, std::int32_t background, std::int32_t text);
void SetEditorMargins(int gadget, int left, int right);
// Zoom in percent, from 10 to 500; false when the editor does not support the ratio.
bool SetEditorZoom(int gadget, int percent);
int EditorZoom(int gadget);

// Keyboard shortcuts and menus
void AddShortcut(int window, const Shortcut& shortcut);
void SetShortcutEnabled(int window, int command, bool enabled);
// Shows the menu at a screen position, or where the pointer is for kAtPointer, kAtPointer; a
// chosen item arrives as a menu event of window.
constexpr int kAtPointer = -32768;
void ShowContextMenu(int window, const std::vector<MenuItem>& items, int x, int y);
// Adds the tools to the window menu the system gives the window (Windows). False where there
// is none the program can extend (Qt): the window sends kMessageWindowMenu instead, and the
// program shows its own.
bool SetWindowMenuTools(int window, const std::vector<MenuItem>& tools);

// Move and Size by keyboard where the program runs them itself. While a window is grabbed,
// every key and click of the program reaches it as kMessagePlacementKey and no shortcut acts;
// a click, or the window losing the focus, is kPlaceKeep.
enum PlacementKey { kPlaceLeft, kPlaceRight, kPlaceUp, kPlaceDown, kPlaceKeep, kPlaceRestore, kPlaceOther };
constexpr int kPlaceFine = 16;
enum PlacementEdge : unsigned { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
void GrabForPlacement(int window, bool grab);
// The pointer where a mouse would take the window, its shape the way the edges picked move.
void ShowPlacementPointer(int x, int y, unsigned edges);

// Requesters: modal, in front of every window of the program; false when cancelled.
struct FontChoice {
    std::string face;
    int points;  // 0: no size preselected
    int style;   // 256 bold, 512 italic, 4 underline, 8 strikeout
    std::int32_t colour;
};
bool ChooseFont(FontChoice* choice);
// The 16 custom colours persist for the run; the first is set to the preselected colour.
bool ChooseColour(std::int32_t* colour);
// Filter: label and pattern pairs separated by "|". No overwrite question, no extension added.
bool ChooseSaveFile(const std::string& title, const std::string& folder, const std::string& name,
                    const std::string& filter, std::string* path);

void Beep();

// Message boxes: notices have no owner; questions are owned by a window, No preselected.
void ShowNotice(const std::string& caption, const std::string& text);
bool AskYesNo(int owner, const std::string& caption, const std::string& text);

// Shell: programs start detached with an argument list, never through a shell.
void OpenWithShell(const std::string& target);
bool StartProgram(const std::vector<std::string>& argv, const std::string& folder);

// The texts a backend shows of its own accord, from the program's string table above: the
// font requester, the buttons of a requester the toolkit has no stock one
// for. Handed down once, before the first window opens; a backend reads them when it shows them.
struct ToolkitTexts {
    std::string fontTitle, fontFace, fontStyle, fontSize, fontColour, fontUnderline, fontStrikeout;
    std::string fontCustomColour, fontSample;
    std::vector<std::string> fontStyles;   // regular, italic, bold, bold italic
    std::vector<std::string> colourNames;  // the 16 colours of the classic font requester, in its order
    std::string buttonOk, buttonCancel;
};
void SetToolkitTexts(const ToolkitTexts& texts);
const ToolkitTexts& ToolkitText();
