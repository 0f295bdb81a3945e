// Window 106, owned by the main window and modal for the program as a requester would be: the
// other windows take no input while it stands. It is a window of the one event loop rather
// than a loop of its own, so its choice arrives as an event and Undelete goes on from there;
// the records may be listed anew meanwhile, which the choice then finds (UndeleteChosen).
// Two records may have the same title: the choice is a row, never a text.
#include "ui/records/UndeleteWindow.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/MainWindow.h"
#include "ui/StandIns.h"
#include "ui/records/Records.h"

namespace {

constexpr int kWidth = 340, kHeight = 260;

struct Button {
    int gadget;
    Rect rect;
    StringId label;
};

const Button kButtons[] = {{kGadgetUndeleteOk, {166, 226, 80, 26}, kStrOkLabel},
                           {kGadgetUndeleteCancel, {252, 226, 80, 26}, kStrCancelLabel}};

// The windows a requester would keep from input.
const int kKeptBack[] = {kWindowMain, kWindowFind, kWindowFindAll, kWindowHelp};

void KeepOtherWindowsBack(bool back) {
    for (int window : kKeptBack)
        if (WindowExists(window)) EnableWindow(window, !back);
}

// The other windows take input again before this one goes, so that the system hands the
// activation back to the main window rather than to another program's; the record comes back
// into a main window that takes input, and the editor has the focus either way, as after
// every command of the list.
void Finish(int row) {
    KeepOtherWindowsBack(false);
    CloseWindow(kWindowUndelete);
    RaiseWindow(kWindowMain);
    if (row >= 0) UndeleteChosen(row);
    FocusEditor();
}

void Choose() {
    int row = SelectedResultRow(kGadgetUndeleteList);
    if (row >= 0) Finish(row);
}

}  // namespace

void OpenUndeleteWindow(const std::vector<std::string>& titles) {
    RequesterAnswer answer;
    if (TakeArmedRequesterAnswer(&answer)) {
        if (answer.ok) UndeleteChosen(answer.item);
        return;
    }
    KeepOtherWindowsBack(true);
    OpenWindow(kWindowUndelete, CentredOverMainWindow(kWidth, kHeight), g_app.programTitle,
               kStyleCloseBox | kStyleOwnedByMain | kStyleDialogKeys);
    CentreOverMainWindow(kWindowUndelete);
    CreateLabel(kWindowUndelete, kGadgetUndeletePrompt, Rect{8, 8, kWidth - 16, 36}, Str(kStrUndeletePrompt));
    CreateResultList(kWindowUndelete, kGadgetUndeleteList, Rect{8, 48, kWidth - 16, 170}, 0);
    NameGadget(kGadgetUndeleteList, Str(kStrUndeleteListName));
    std::vector<ResultRow> rows;
    for (const std::string& title : titles) rows.push_back(ResultRow{title, "", "", ""});
    AddResultRows(kGadgetUndeleteList, rows);
    SelectResultRow(kGadgetUndeleteList, 0);
    for (const Button& button : kButtons) CreateButton(kWindowUndelete, button.gadget, button.rect, Str(button.label));
    AddDialogShortcuts(kWindowUndelete);
    ShowWindow(kWindowUndelete);
    RaiseWindow(kWindowUndelete);
    FocusGadget(kGadgetUndeleteList);
}

bool UndeleteWindowExists() { return WindowExists(kWindowUndelete); }

void CloseUndeleteWindow() {
    if (UndeleteWindowExists()) Finish(-1);
}

void HandleUndeleteWindow(const Event& event) {
    if (!UndeleteWindowExists()) return;  // an event queued before it closed
    switch (event.kind) {
        case kEventGadget:
            // A double-click on a row chooses it, as OK does.
            if (event.number == kGadgetUndeleteOk || event.number == kGadgetUndeleteList) Choose();
            if (event.number == kGadgetUndeleteCancel) Finish(-1);
            break;
        case kEventMenu:
            if (event.number == kCmdCloseDialog) Finish(-1);
            if (event.number == kCmdPressFocused) FocusedGadget() == kGadgetUndeleteCancel ? Finish(-1) : Choose();
            break;
        case kEventClose:
            Finish(-1);
            break;
        default:
            break;
    }
}
