// Commands that touch the record store wait for the load to end: until then they are
// ignored, as the buttons are disabled.
#include "ui/Commands.h"

#include <sstream>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Files.h"
#include "ui/HelpWindow.h"
#include "ui/HtmlExport.h"
#include "ui/MainWindow.h"
#include "ui/Shutdown.h"
#include "ui/StandIns.h"
#include "ui/WindowMenu.h"
#include "ui/editor/Editor.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"
#include "ui/editor/Journal.h"
#include "ui/editor/Lookup.h"
#include "ui/options/OptionsDialog.h"
#include "ui/records/Records.h"
#include "ui/records/UndeleteWindow.h"

namespace {

bool RunsBeforeLoad(int command) { return command == kGadgetHelp || command == kCmdHelp || command == kCmdFocusEditor; }

void AddAndFocus() {
    if (g_app.options.readOnly) return;
    AddRecord();
    FocusEditor();
}

void DeleteAndFocus() {
    if (g_app.options.readOnly) return;
    DeleteRecord();
    FocusEditor();
}

void UndeleteAndFocus() {
    if (g_app.options.readOnly) return;
    UndeleteRecord();
    // Else the focus goes to the editor once the Undelete window closes.
    if (!UndeleteWindowExists()) FocusEditor();
}

// The next (or previous) enabled gadget in number order, wrapping round: from the editor to
// Add (to Options with Read Only on, where Add and Delete are disabled).
int NextFocusTarget(int focused, int first, int last, bool backward) {
    int step = backward ? -1 : 1;
    int next = focused >= first && focused <= last ? focused + step : (backward ? last : first);
    for (int tries = 0; tries <= last - first + 1; ++tries, next += step) {
        if (next < first) next = last;
        if (next > last) next = first;
        if (IsGadgetEnabled(next)) return next;
    }
    return 0;
}

}  // namespace

void RunCommand(int command) {
    if (FindDialogOpen() && command != kCmdHelp) return;
    if (!g_app.loaded && !RunsBeforeLoad(command)) return;
    // A failed save stops the command, so that nothing replaces the text it could not store.
    if (g_app.unsavedEdit && !SaveRecord()) return;
    switch (command) {
        case kGadgetAdd:
        case kCmdAdd:
            AddAndFocus();
            break;
        case kGadgetDelete:
        case kCmdDelete:
            DeleteAndFocus();
            break;
        case kGadgetOptions:
        case kCmdOptions:
            OpenOptionsDialog();
            break;
        case kGadgetHelp:
        case kCmdHelp:
            ShowHelp();
            break;
        case kCmdFocusSelector:
            FocusGadget(kGadgetSelector, kFocusByKey);
            break;
        case kCmdFocusEditor:
            FocusEditor();
            break;
        case kCmdFind:
            OpenFind(kFindWithDialog);
            break;
        case kCmdFindPrevious:
            OpenFind(kFindSelectionBackward);
            break;
        case kCmdFindNext:
            OpenFind(kFindSelectionForward);
            break;
        case kCmdUndelete:
            UndeleteAndFocus();
            break;
        case kCmdFindAll:
            OpenFindAllWindow();
            break;
    }
}

void CycleFocus(int window, bool backward) {
    FocusRoute route = backward ? kFocusBackByKey : kFocusByKey;
    if (window == kWindowOptions) {
        int next = NextFocusTarget(FocusedGadget(), kGadgetWordwrap, kGadgetCancel, backward);
        if (next) FocusGadget(next, route);
        return;
    }
    int next = NextFocusTarget(FocusedGadget(), kGadgetAdd, kGadgetEditor, backward);
    if (next == 0) return;
    SetShortcutEnabled(kWindowMain, kCmdPressFocused, next != kGadgetEditor);
    FocusGadget(next, route);
}

void PressFocused() { PressGadget(FocusedGadget()); }

void OpenSystemTool(int command) {
    std::string home = HomeFolder();
    if (command == kCmdFileManager) {
        LaunchProgram({Str(kStrFileManagerProgram), home}, std::string());
    } else if (command == kCmdTerminal) {
        LaunchProgram({Str(kStrTerminalProgram)}, home);
    } else if (command == kCmdCalculator) {
        std::istringstream names(Str(kStrCalculatorPrograms));
        std::string name, path;
        while (path.empty() && names >> name) path = FindProgram(name);
        if (!path.empty()) LaunchProgram({path}, home);
    }
}

void HandleMainWindow(const Event& event) {
    switch (event.kind) {
        case kEventGadget:
            if (event.number >= kGadgetAdd && event.number <= kGadgetHelp) RunCommand(event.number);
            break;
        case kEventMenu:
            switch (event.number) {
                case kCmdSelectAll:
                case kCmdCut:
                case kCmdCopy:
                case kCmdPaste:
                case kCmdUndo:
                case kCmdRedo:
                    RunEditorCommand(event.number);
                    break;
                case kCmdLookupFirst:
                case kCmdLookupFirst + 1:
                case kCmdLookupFirst + 2:
                case kCmdLookupLast:
                    Lookup(event.number);
                    break;
                case kCmdFind:
                case kCmdAdd:
                case kCmdDelete:
                case kCmdOptions:
                case kCmdHelp:
                case kCmdFocusSelector:
                case kCmdFocusEditor:
                case kCmdFindPrevious:
                case kCmdFindNext:
                case kCmdUndelete:
                case kCmdFindAll:
                    RunCommand(event.number);
                    break;
                case kCmdNextControl:
                case kCmdPreviousControl:
                    CycleFocus(kWindowMain, event.number == kCmdPreviousControl);
                    break;
                case kCmdPressFocused:
                    PressFocused();
                    break;
                case kCmdCalculator:
                case kCmdFileManager:
                case kCmdTerminal:
                case kCmdWindowMenu:
                case kCmdWindowRestore:
                case kCmdWindowMove:
                case kCmdWindowSize:
                case kCmdWindowMinimise:
                case kCmdWindowMaximise:
                case kCmdWindowClose:
                    RunWindowMenuCommand(kWindowMain, event.number);
                    break;
            }
            break;
        case kEventClose:
            CloseMainWindow(event.number == kCloseEndingSession);
            break;
        case kEventSize:
            LayoutMainWindow();
            break;
        case kEventTimer:
            if (event.number == kTimerJournal || event.number == kTimerJournalLongest) OnJournalTimer(event.number);
            if (event.number == kTimerTitle) OnTitleTimer();
            break;
        case kEventNone:
            break;
    }
    // The results of Find in All Records follow the list, whatever changed it.
    RefreshFindAll();
}

void HandleOptionsWindow(const Event& event) {
    switch (event.kind) {
        case kEventGadget:
            switch (event.number) {
                case kGadgetFont:
                    ChooseEditorFont();
                    break;
                case kGadgetColour:
                    ChooseBackgroundColour();
                    break;
                case kGadgetExport:
                    ExportHtml();
                    break;
                case kGadgetApply:
                    ApplyOptionsDialog();
                    break;
                case kGadgetCancel:
                    CloseOptionsDialog();
                    break;
            }
            break;
        case kEventMenu:
            switch (event.number) {
                case kCmdNextControl:
                case kCmdPreviousControl:
                    CycleFocus(kWindowOptions, event.number == kCmdPreviousControl);
                    break;
                case kCmdPressFocused:
                    PressFocused();
                    break;
                case kCmdCloseDialog:
                    CloseOptionsDialog();
                    break;
            }
            break;
        case kEventClose:  // a close box that the window manager draws anyway acts as Cancel
            CloseOptionsDialog();
            break;
        case kEventSize:
        case kEventTimer:
        case kEventNone:
            break;
    }
}

void HandleHelpWindow(const Event& event) {
    if (event.kind == kEventClose) CloseWindow(kWindowHelp);
}
