// Window 102, the find dialog: modeless, owned by the main window. While it is open the main
// window's buttons and record list are disabled and only the dialog sets the search term;
// ENTER finds the next match from any of its gadgets but Cancel, ESC closes it.
#include "ui/editor/Find.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/MainWindow.h"
#include "ui/Notices.h"
#include "ui/Placement.h"
#include "ui/editor/Editor.h"
#include "ui/editor/FindAll.h"
#include "ui/options/ApplyOptions.h"

namespace {

constexpr std::size_t kSearchLimit = 80;
constexpr int kFindTermLimit = 79;  // the search term's buffer holds 80 bytes with its end

struct Gadget {
    int gadget;
    Rect rect;
    StringId label;
};

// In the order TAB walks them; the label of the term follows its field, which it names.
const Gadget kBoxes[] = {{kGadgetFindWholeWord, {8, 40, 164, 22}, kStrWholeWordOnlyLabel},
                         {kGadgetFindMatchCase, {8, 64, 164, 22}, kStrMatchCaseLabel}};
const Gadget kButtons[] = {{kGadgetFindNext, {270, 8, 84, 26}, kStrFindNextLabel},
                           {kGadgetFindCancel, {270, 40, 84, 26}, kStrCancelLabel}};

void OnFindMessage(const Message& message) {
    if (message.kind == kMessageTextEdited) DisableGadget(kGadgetFindNext, GadgetText(kGadgetFindTerm).empty());
}

void BuildFindDialog() {
    OpenWindow(kWindowFind, Rect{0, 0, 362, 96}, Str(kStrFindTitle),
               kStyleCloseBox | kStyleOwnedByMain | kStyleDialogKeys);
    SetMessageCallback(kWindowFind, OnFindMessage);
    CreateTextField(kWindowFind, kGadgetFindTerm, Rect{86, 10, 176, 23}, kFindTermLimit);
    CreateLabel(kWindowFind, kGadgetFindTermLabel, Rect{8, 13, 76, 20}, Str(kStrFindWhatLabel), kGadgetFindTerm);
    NameGadget(kGadgetFindTerm, WithoutMnemonic(Str(kStrFindWhatLabel)));
    for (const Gadget& box : kBoxes) CreateCheckbox(kWindowFind, box.gadget, box.rect, Str(box.label));
    CreateLabel(kWindowFind, kGadgetFindDirection, Rect{180, 40, 84, 20}, Str(kStrDirectionLabel));
    CreateRadioButton(kWindowFind, kGadgetFindUp, Rect{180, 62, 40, 22}, Str(kStrUpLabel), true);
    CreateRadioButton(kWindowFind, kGadgetFindDown, Rect{222, 62, 58, 22}, Str(kStrDownLabel), false);
    SetChecked(kGadgetFindDown, true);
    for (const Gadget& button : kButtons) CreateButton(kWindowFind, button.gadget, button.rect, Str(button.label));
    AddDialogShortcuts(kWindowFind);
    PlaceBesideMainWindow(kWindowFind);
}

void CloseFindDialog() {
    if (!WindowExists(kWindowFind)) return;
    CloseWindow(kWindowFind);
    // Add and Delete stay disabled while Read Only is on.
    SetControlsDisabled(kGadgetAdd, kGadgetSelector, 0);
    RaiseWindow(kWindowMain);
    // The match stays selected: F3 or typing goes on from where the search left the caret.
    FocusGadget(kGadgetEditor);
}

void FindFromDialog() {
    g_app.searchTerm = GadgetText(kGadgetFindTerm);
    if (g_app.searchTerm.empty()) return;
    FindNext(kFindNextFlag | (IsChecked(kGadgetFindDown) ? kFindDown : 0) |
             (IsChecked(kGadgetFindWholeWord) ? kFindWholeWord : 0) |
             (IsChecked(kGadgetFindMatchCase) ? kFindMatchCase : 0));
}

}  // namespace

void OpenFind(FindMode mode) {
    g_app.searchTerm = SelectedText(kSearchLimit);
    if (mode == kFindWithDialog) {
        SetControlsDisabled(kGadgetAdd, kGadgetSelector, 1);
        if (!WindowExists(kWindowFind)) BuildFindDialog();
        SetGadgetText(kGadgetFindTerm, g_app.searchTerm);
        // Not every toolkit reports a text set to what the field held already.
        DisableGadget(kGadgetFindNext, g_app.searchTerm.empty());
        ShowWindow(kWindowFind);
        RaiseWindow(kWindowFind);
        FocusGadget(kGadgetFindTerm);
        return;
    }
    int flags = kFindNextFlag | (mode == kFindSelectionForward ? kFindDown : 0) | FindAllOptionsFor(g_app.searchTerm);
    if (!g_app.searchTerm.empty()) FindNext(flags);
}

void FindNext(int flags) {
    int start, end, length = 0;
    EditorSelection(kGadgetEditor, &start, &end);
    int found = FindInEditor(kGadgetEditor, g_app.searchTerm, (flags & kFindDown) ? end : start, flags, &length);
    if (found < 0) {
        // Past the last match the user learns that there were others, not that there are none.
        bool elsewhere = FindInEditor(kGadgetEditor, g_app.searchTerm, 0, flags | kFindDown, &length) >= 0;
        bool down = flags & kFindDown;
        ShowProgramNotice(elsewhere
                              ? Str(kStrNoMorePrefix) + g_app.searchTerm + Str(down ? kStrNoMoreBelow : kStrNoMoreAbove)
                              : Str(kStrNotFoundPrefix) + g_app.searchTerm);
        return;
    }
    SetEditorSelection(kGadgetEditor, found, found + length);
}

bool FindDialogExists() { return WindowExists(kWindowFind); }

std::string FindDialogTerm() { return GadgetText(kGadgetFindTerm); }

void HandleFindWindow(const Event& event) {
    switch (event.kind) {
        case kEventGadget:
            if (event.number == kGadgetFindNext) FindFromDialog();
            if (event.number == kGadgetFindCancel) CloseFindDialog();
            break;
        case kEventMenu:
            if (event.number == kCmdCloseDialog) CloseFindDialog();
            if (event.number == kCmdPressFocused)
                FocusedGadget() == kGadgetFindCancel ? CloseFindDialog() : FindFromDialog();
            break;
        case kEventClose:
            CloseFindDialog();
            break;
        default:
            break;
    }
}

std::string WithoutMnemonic(std::string label) {
    label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
    return label;
}

void PlaceBesideMainWindow(int window) {
    Rect main, own;
    if (OuterRectOnScreen(kWindowMain, &main) && OuterRectOnScreen(window, &own))
        PlaceWindow(window, PlaceBeside(main, own.width, own.height, ScreenWorkArea()));
}
