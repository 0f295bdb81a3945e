// Shared inside the Win32 window backend only: the registry of windows and gadgets by number,
// the delivery of events and messages, and the modeless dialogs the message loop serves.
#pragma once

#include <string>

#include "platform/Gui.h"
#include "platform/common/GuiSeams.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

HINSTANCE ProgramInstance();
HWND WindowHandle(int window);  // nullptr when the window is not open
HWND GadgetHandle(int gadget);
int WindowNumberOf(HWND hwnd);  // 0 for a window not of the program
void RegisterWindow(int window, HWND hwnd);
void RegisterGadget(int window, int gadget, HWND hwnd);
// A visible child control of the window as gadget, in the gadgets' font and registered.
HWND MakeControl(int window, int gadget, DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style);
// To the window's message callback, at once.
void DeliverMessage(int window, const Message& message);
// Modeless dialogs (the find dialog, the Find in All Records window, windows with dialog keys)
// get their keys through IsDialogMessage in the message loop.
void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);
// Focus frames and underlined letters shown in the window from now on, as after a key.
void ShowKeyboardCues(HWND hwnd);
// GuiWindows.cpp: the name a screen reader says for a control its text does not name.
void NameControl(HWND hwnd, const std::wstring& name);
// Pixels at 96 dots per inch to the window's pixels.
int Scaled(HWND hwnd, int pixels);

// Added with the window procedure, which passes the notifications of gadgets on to the files
// that own them.
int GadgetNumberOf(HWND hwnd);  // the gadget that is hwnd or holds it, or 0
int GadgetWindow(int gadget);   // the window a gadget belongs to, or 0
void ForgetWindow(int window);  // drops the window and its gadgets from the registry
// The message font, at the window's dots per inch, for gadgets and dialogs.
HFONT GadgetFont(HWND hwnd);
// GuiWindows.cpp: the keyboard shortcuts of the window msg is for; true when one was taken.
bool TranslateWindowShortcut(MSG* msg);
// GuiApp.cpp: the end of the session closes the window named by CloseOnTermination.
bool OnSessionEnd(int window, UINT message, WPARAM wParam, LRESULT* result);
// Every box, menu and requester is counted while it runs its own loop (IsInModalLoop).
void EnterModalLoop();
void LeaveModalLoop();
struct ModalLoop {
    ModalLoop() { EnterModalLoop(); }
    ~ModalLoop() { LeaveModalLoop(); }
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;
};
// GuiSelector.cpp and GuiEditor.cpp: their gadgets' WM_COMMAND and WM_NOTIFY.
bool OnSelectorCommand(int window, HWND control, int code);
bool OnEditorCommand(int window, HWND control, int code);
bool OnEditorNotify(int window, const NMHDR* header, LRESULT* result);
// Messages a program window passes to another part of the backend first, such as the find
// dialog's registered message, which goes to its owner: the hook returns true when it
// answered, with the result.
using WindowMessageHook = bool (*)(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT* result);
void AddWindowMessageHook(UINT message, WindowMessageHook hook);
bool RunWindowMessageHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Takes down a tip on show, as a list drops down over it.
void PopToolTip();
// GuiFields.cpp: the parts a result list's row draws (for the window tests, which read them).
ResultRow ShownResultRow(int gadget, int row);
// GuiFields.cpp: ALT and a label's letter in a dialog focus the label's buddy; false if none.
bool FocusBuddyOfLetter(HWND dialog, wchar_t letter);
// GuiPlacement.cpp. The work area of the monitor nearest the window.
Rect WorkAreaNear(HWND hwnd);
void PlaceOuter(HWND hwnd, Rect outer);
// A window of its own (not owned) over an On Top main window is on top too.
void KeepAboveMainWindow(HWND hwnd);
