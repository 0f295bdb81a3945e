// The editor procedure sees typing, cutting, pasting, undo and redo before the editor acts,
// so even a key that changes nothing (CTRL+C) marks the record edited.
#include "ui/editor/Editor.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/RecordText.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/links/Links.h"
#include "ui/StandIns.h"
#include "ui/editor/Journal.h"
#include "ui/editor/Zoom.h"
#include "ui/records/Records.h"

namespace {

// The editor's action for one of the commands kCmdSelectAll to kCmdRedo.
EditorAction ActionOf(int command) {
    switch (command) {
        case kCmdCut:
            return kEditCut;
        case kCmdCopy:
            return kEditCopy;
        case kCmdPaste:
            return kEditPaste;
        case kCmdUndo:
            return kEditUndo;
        case kCmdRedo:
            return kEditRedo;
        default:
            return kEditSelectAll;
    }
}

// Typing under Read Only is not silently lost: a beep each time, and the first time a word of
// where to turn it off.
void NoteReadOnly() {
    BeepAtUser();
    if (g_app.readOnlyTipShown) return;
    g_app.readOnlyTipShown = true;
    ShowEditorTip(kGadgetEditor, Str(kStrReadOnlyTip));
}

void MarkEdited() {
    // A read-only editor (Read Only, the load, an unreadable record) changes nothing.
    if (g_app.options.readOnly != 0 && g_app.loaded) NoteReadOnly();
    if (g_app.options.readOnly != 0 || IsEditorReadOnly(kGadgetEditor)) return;
    g_app.unsavedEdit = 1;
    NoteEditForJournal();
}

std::vector<MenuItem> EditorMenuItems() {
    return {{kCmdCopy, Str(kStrMenuCopy)},
            {kCmdCut, Str(kStrMenuCut)},
            {kCmdPaste, Str(kStrMenuPaste)},
            {0, ""},
            {kCmdSelectAll, Str(kStrMenuSelectAll)},
            {0, ""},
            {kCmdUndo, Str(kStrMenuUndo)},
            {kCmdRedo, Str(kStrMenuRedo)},
            {0, ""},
            {kCmdFind, Str(kStrMenuFind)},
            {0, ""},
            {-1, Str(kStrMenuOpen)},
            {kCmdLookupFirst, Str(kStrMenuSearch)},
            {kCmdLookupFirst + 1, Str(kStrMenuDictionary)},
            {kCmdLookupFirst + 2, Str(kStrMenuThesaurus)},
            {kCmdLookupLast, Str(kStrMenuEncyclopedia)},
            {-2, ""}};
}

// The editing entries are greyed when they would do nothing, as in other editors' menus; the
// look-ups stay enabled, since without a selection they say why.
void ShowEditorMenu(int x, int y) {
    if (FindDialogOpen()) return;
    int start = 0, end = 0;
    EditorSelection(kGadgetEditor, &start, &end);
    bool selection = start != end, editable = !IsEditorReadOnly(kGadgetEditor);
    std::vector<MenuItem> items = EditorMenuItems();
    for (MenuItem& item : items) {
        int command = item.command;
        if (command == kCmdSelectAll) item.enabled = !EditorPlainText(kGadgetEditor).empty();
        if (command == kCmdCut) item.enabled = selection && editable;
        if (command == kCmdCopy) item.enabled = selection;
        if (command == kCmdPaste || command == kCmdUndo || command == kCmdRedo)
            item.enabled = editable && EditorCanRun(kGadgetEditor, ActionOf(command));
    }
    RaiseWindow(kWindowMain);
    ShowContextMenu(kWindowMain, items, x - 1, y - 1);
}

// Refused input is noticed: a beep each time, and the first time in a run a word of why.
void NoteRecordFull() {
    BeepAtUser();
    if (g_app.fullTipShown) return;
    g_app.fullTipShown = true;
    ShowEditorTip(kGadgetEditor, Str(kStrRecordFull));
}

// The list's title follows typing a moment later: the timer is not restarted by each key, so
// it also shows while the typing goes on.
constexpr int kTitlePauseMs = 250;

void FollowTitle() {
    if (!g_app.unsavedEdit || g_app.titleTimerRunning) return;
    g_app.titleTimerRunning = true;
    StartTimer(kWindowMain, kTimerTitle, kTitlePauseMs);
}

void ZoomBy(const EditorInput& input) {
    int zoom = EditorZoom(kGadgetEditor);
    int next = input.x == kZoomWheel ? ZoomAfterWheel(zoom, input.y, &g_app.zoomWheelParts)
                                     : ZoomAfterKey(zoom, static_cast<ZoomKey>(input.x));
    if (next == zoom || !SetEditorZoom(kGadgetEditor, next)) return;
    CaptureZoom();
    g_app.settingsChanged = 1;
}

}  // namespace

void RunEditorCommand(int command) {
    EditorAction action = ActionOf(command);
    if (action != kEditSelectAll && action != kEditCopy) MarkEdited();
    EditorCommand(kGadgetEditor, action);
}

void EditorProcedure(const EditorInput& input) {
    switch (input.kind) {
        case kInputCharacter:
            MarkEdited();
            break;
        case kInputChanged:
            MarkEdited();
            FollowTitle();
            break;
        case kInputContextMenu:
            ShowEditorMenu(input.x, input.y);
            break;
        case kInputZoom:
            ZoomBy(input);
            break;
        case kInputRefused:
            NoteRecordFull();
            break;
    }
}

void OnTitleTimer() {
    g_app.titleTimerRunning = false;
    ShowTypedTitle();
}

bool FindDialogOpen() { return WindowExists(kWindowFind); }

std::string SelectedText(std::size_t limit) {
    int start = 0, end = 0;
    EditorSelection(kGadgetEditor, &start, &end);
    std::u16string text = EditorPlainText(kGadgetEditor);
    std::size_t from = std::min(static_cast<std::size_t>(std::max(start, 0)), text.size());
    std::size_t to = std::min(static_cast<std::size_t>(std::max(end, 0)), text.size());
    std::string selection;
    if (to > from) EncodeRecordText(std::u16string_view(text).substr(from, to - from), kEncodingUtf8, &selection);
    return std::string(CutToCharacters(Trim(selection), limit));
}

void OnLinkReleased(const std::string& link) {
    if (SelectedText(1).empty()) LaunchTarget(LinkTarget(link));
}

void ApplyZoom() {
    if (IsZoomInRange(g_app.options.zoom)) SetEditorZoom(kGadgetEditor, g_app.options.zoom);
}

void ResetZoom() {
    SetEditorZoom(kGadgetEditor, 100);
    g_app.options.zoom = 100;
}

void CaptureZoom() { g_app.options.zoom = EditorZoom(kGadgetEditor); }
