// Window 105, "Find in All Records": modeless, owned by the main window, its term and rows
// forgotten when it closes. A pause in typing or a changed box searches for the term; ENTER
// on a row or a double-click opens the row's record; ESC closes the window.
#include <algorithm>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/MainWindow.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"

namespace {

// At 96 dots per inch: the client size, its least size and the parts of the layout.
constexpr int kWidth = 560, kHeight = 360, kMinWidth = 360, kMinHeight = 200;
constexpr int kGap = 8, kFieldHeight = 23, kBoxWidth = 100, kLabelWidth = 38, kStatusHeight = 18;

void Layout() {
    int width = 0, height = 0;
    ClientSize(kWindowFindAll, &width, &height);
    int field = std::max(40, width - 3 * kGap - kLabelWidth - 2 * kBoxWidth);
    SetGadgetRect(kGadgetFindAllTermLabel, Rect{kGap, kGap + 4, kLabelWidth, kFieldHeight - 4});
    SetGadgetRect(kGadgetFindAllTerm, Rect{kGap + kLabelWidth, kGap, field, kFieldHeight});
    int boxes = 2 * kGap + kLabelWidth + field;
    SetGadgetRect(kGadgetFindAllMatchCase, Rect{boxes, kGap, kBoxWidth, kFieldHeight});
    SetGadgetRect(kGadgetFindAllWholeWord, Rect{boxes + kBoxWidth, kGap, kBoxWidth, kFieldHeight});
    int top = 2 * kGap + kFieldHeight, status = height - kGap / 2 - kStatusHeight;
    SetGadgetRect(kGadgetFindAllResults, Rect{kGap, top, width - 2 * kGap, std::max(0, status - kGap / 2 - top)});
    SetGadgetRect(kGadgetFindAllStatus, Rect{kGap, status, width - 2 * kGap, kStatusHeight});
}

void SearchForTerm() {
    StopTimer(kWindowFindAll, kTimerFindAllPause);
    int flags = (IsChecked(kGadgetFindAllMatchCase) ? kFindMatchCase : 0) |
                (IsChecked(kGadgetFindAllWholeWord) ? kFindWholeWord : 0);
    OnFindAllTerm(GadgetText(kGadgetFindAllTerm), flags);
}

void ChooseRow() {
    int row = SelectedResultRow(kGadgetFindAllResults);
    if (row >= 0) OnFindAllChosen(row);
}

void OnFindAllMessage(const Message& message) {
    if (message.kind != kMessageTextEdited) return;
    ForgetFindAllRows();
    StartTimer(kWindowFindAll, kTimerFindAllPause, kFindAllTypingPauseMs);
}

void CloseFindAllWindow() {
    StopTimer(kWindowFindAll, kTimerFindAllPause);
    ForgetFindAllRows();
    g_app.findAll.term.clear();
    CloseWindow(kWindowFindAll);
    RaiseWindow(kWindowMain);
    // The chosen match stays selected and in view.
    FocusGadget(kGadgetEditor);
}

void BuildFindAllWindow() {
    OpenWindow(kWindowFindAll, Rect{0, 0, kWidth, kHeight}, Str(kStrFindAllTitle),
               kStyleSizable | kStyleCloseBox | kStyleOwnedByMain | kStyleDialogKeys);
    SetMinimumClientSize(kWindowFindAll, kMinWidth, kMinHeight);
    SetMessageCallback(kWindowFindAll, OnFindAllMessage);
    Rect none{0, 0, 0, 0};
    CreateTextField(kWindowFindAll, kGadgetFindAllTerm, none, 32767);
    CreateLabel(kWindowFindAll, kGadgetFindAllTermLabel, none, Str(kStrFindAllLabel), kGadgetFindAllTerm);
    NameGadget(kGadgetFindAllTerm, WithoutMnemonic(Str(kStrFindAllLabel)));
    CreateCheckbox(kWindowFindAll, kGadgetFindAllMatchCase, none, Str(kStrMatchCaseLabel));
    CreateCheckbox(kWindowFindAll, kGadgetFindAllWholeWord, none, Str(kStrWholeWordLabel));
    CreateResultList(kWindowFindAll, kGadgetFindAllResults, none, kGadgetFindAllTerm);
    NameGadget(kGadgetFindAllResults, Str(kStrResultsName));
    CreateLabel(kWindowFindAll, kGadgetFindAllStatus, none, std::string());
    AddDialogShortcuts(kWindowFindAll);
    Layout();
    // Beside the main window, so that it never hides the record a row opens.
    PlaceBesideMainWindow(kWindowFindAll);
}

}  // namespace

void OpenFindAllWindow() {
    if (!WindowExists(kWindowFindAll)) BuildFindAllWindow();
    RestoreAndRaise(kWindowFindAll);
    FocusGadget(kGadgetFindAllTerm);
}

bool FindAllWindowExists() { return WindowExists(kWindowFindAll); }

void SetFindAllStatus(const std::string& text) { SetGadgetText(kGadgetFindAllStatus, text); }

void HandleFindAllWindow(const Event& event) {
    switch (event.kind) {
        case kEventGadget:
            if (event.number == kGadgetFindAllMatchCase || event.number == kGadgetFindAllWholeWord) SearchForTerm();
            if (event.number == kGadgetFindAllResults) ChooseRow();
            break;
        case kEventMenu:
            if (event.number == kCmdCloseDialog) CloseFindAllWindow();
            if (event.number == kCmdPressFocused && FocusedGadget() == kGadgetFindAllResults) ChooseRow();
            break;
        case kEventTimer:
            if (event.number == kTimerFindAllPause) SearchForTerm();
            break;
        case kEventClose:
            CloseFindAllWindow();
            break;
        case kEventSize:
            Layout();
            break;
        default:
            break;
    }
}
