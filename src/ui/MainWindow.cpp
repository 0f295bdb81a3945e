// Builds window 100 in the order that lets the settings file record the window as created,
// and answers the notifications that must act before the toolkit does.
#include "ui/MainWindow.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/links/Links.h"
#include "core/settings/Settings.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/Notices.h"
#include "ui/Placement.h"
#include "ui/WindowMenu.h"
#include "ui/editor/Editor.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"
#include "ui/options/ApplyOptions.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"

namespace {

constexpr int kMinimumWidth = 474;
constexpr int kMinimumHeight = 300;

const Shortcut kShortcuts[] = {
    {kNamedTab, kWithCtrl, kCmdNextControl},
    {'A', kWithAlt, kCmdAdd},
    {'D', kWithAlt, kCmdDelete},
    {'O', kWithAlt, kCmdOptions},
    {'H', kWithAlt, kCmdHelp},
    {kNamedF1, 0, kCmdHelp},
    {'R', kWithAlt, kCmdFocusSelector},
    {'E', kWithAlt, kCmdFocusEditor},
    {'F', kWithCtrl, kCmdFind},
    {kNamedF2, 0, kCmdFindPrevious},
    {kNamedF3, 0, kCmdFindNext},
    {kNamedReturn, 0, kCmdPressFocused},
    {kNamedEnter, 0, kCmdPressFocused},
    {'U', kWithAlt, kCmdUndelete},
    {'F', kWithCtrl | kWithShift, kCmdFindAll},
    {kNamedTab, kWithCtrl | kWithShift, kCmdPreviousControl},
};

// Either ENTER presses the focused button, ESC closes.
const Shortcut kDialogShortcuts[] = {
    {kNamedReturn, 0, kCmdPressFocused},
    {kNamedEnter, 0, kCmdPressFocused},
    {kNamedEscape, 0, kCmdCloseDialog},
};

struct Control {
    int gadget;
    Rect rect;
    StringId label;
    StringId tip;
};

const Control kButtons[] = {
    {kGadgetAdd, {6, 6, 60, 26}, kStrAddLabel, kStrAddTip},
    {kGadgetDelete, {72, 6, 60, 26}, kStrDeleteLabel, kStrDeleteTip},
    {kGadgetOptions, {138, 6, 60, 26}, kStrOptionsLabel, kStrOptionsTip},
    {kGadgetHelp, {204, 6, 60, 26}, kStrHelpLabel, kStrHelpTip},
};

// A list opened over a record that could not be saved would only offer to leave it.
void KeepListClosedIfUnsaved() {
    if (g_app.unsavedEdit && !SaveRecord()) KeepSelectorClosed(kGadgetSelector);
}

void MainMessageCallback(const Message& message) {
    switch (message.kind) {
        case kMessageLinkReleased:
            OnLinkReleased(message.text);
            break;
        case kMessageSelectorChanged:
            ShowSelectedRecord();
            break;
        case kMessageSelectorDropping:
            KeepListClosedIfUnsaved();
            break;
        case kMessageSelectorClosed:
            FocusEditor();
            break;
        case kMessageEditorFocused:
            SetShortcutEnabled(kWindowMain, kCmdPressFocused, false);
            break;
        case kMessageSystemTool:
            OpenSystemTool(message.number);
            break;
        case kMessageWindowMenu:
            OpenWindowMenu(kWindowMain, false);
            break;
        case kMessagePlacementKey:
            StepWindowPlacement(kWindowMain, message.number);
            break;
        case kMessageMovingOrSizing:
            g_app.settingsChanged = 1;
            break;
        case kMessageFileChanged:
            OnDataFileChanged();
            break;
        default:
            break;
    }
    // The results of Find in All Records follow the list, whatever changed it.
    RefreshFindAll();
}

void WriteFreshSettingsIfNeeded() {
    if (!SettingsFileNeedsFresh()) return;
    Rect outer{0, 0, kMinimumWidth, kMinimumHeight};
    NormalOuterRect(kWindowMain, &outer);
    SaveSettings(true, &outer);
}

}  // namespace

void BuildMainWindow() {
    HandTextsToToolkit();
    OpenWindow(kWindowMain, Rect{0, 0, 0, 0}, g_app.programTitle, kStyleSizable | kStyleCloseBox | kStyleMain);
    for (const Control& button : kButtons) CreateButton(kWindowMain, button.gadget, button.rect, Str(button.label));
    CreateSelector(kWindowMain, kGadgetSelector, Rect{270, 7, 198, 24});
    g_app.listSlots.clear();  // a new selector has no entries
    CreateEditor(kWindowMain, kGadgetEditor, Rect{6, 38, 462, 256}, FindLinks, kRecordTextRules);
    SetEditorText(kGadgetEditor, std::string());
    SetEditorMargins(kGadgetEditor, 8, 8);
    SetEditorProcedure(kGadgetEditor, EditorProcedure);
    for (const Control& button : kButtons) SetToolTip(button.gadget, Str(button.tip));
    SetToolTip(kGadgetSelector, Str(kStrSelectorTip));
    NameGadget(kGadgetSelector, Str(kStrSelectorName));
    NameGadget(kGadgetEditor, Str(kStrEditorName));
    for (const Shortcut& shortcut : kShortcuts) AddShortcut(kWindowMain, shortcut);
    SetShortcutEnabled(kWindowMain, kCmdPressFocused, false);
    SetMinimumClientSize(kWindowMain, kMinimumWidth, kMinimumHeight);
    SetMessageCallback(kWindowMain, MainMessageCallback);
    WriteFreshSettingsIfNeeded();
    g_app.settingsUnread = !LoadSettings(ScreenWorkArea()) && StatPath(g_app.settingsPath).kind != kFileMissing;
    ApplyOptions(false);
    AddWindowMenu(kWindowMain, kMinimumWidth, kMinimumHeight);
    SetWindowTitle(kWindowMain, g_app.programTitle);
    SetControlsDisabled(kGadgetAdd, kGadgetSelector, 1);
    SetEditorReadOnly(kGadgetEditor, true);
    FocusEditor();
    const OptionSet& o = g_app.options;
    PlaceWindow(kWindowMain, Rect{o.windowX, o.windowY, o.windowWidth, o.windowHeight});
    MainWindowBuilt();
}

Rect CentredOverMainWindow(int width, int height) {
    Rect main{0, 0, width, height};
    OuterRectOnScreen(kWindowMain, &main);
    int x = main.x + (main.width - width) / 2;
    int y = main.y + (main.height - height) / 2;
    return Rect{x < 0 ? 0 : x, y < 0 ? 0 : y, width, height};
}

// Once open, the window's frame is known where the system draws one: it is centred again by its
// outer size. Where the frame is not known yet (Qt before the window manager framed the window)
// it stays where it opened.
void CentreOverMainWindow(int window) {
    Rect main, outer;
    int width = 0, height = 0;
    ClientSize(window, &width, &height);
    if (!OuterRectOnScreen(kWindowMain, &main) || !OuterRectOnScreen(window, &outer)) return;
    if (outer.width == width && outer.height == height) return;
    PlaceWindow(window, CentreOver(main, outer.width, outer.height, ScreenWorkArea()));
}

void AddDialogShortcuts(int window) {
    for (const Shortcut& shortcut : kDialogShortcuts) AddShortcut(window, shortcut);
}

void LayoutMainWindow() {
    int width, height;
    ClientSize(kWindowMain, &width, &height);
    SetGadgetRect(kGadgetSelector, Rect{270, 7, width - 276, 24});
    SetGadgetRect(kGadgetEditor, Rect{6, 38, width - 12, height - 44});
}

void FocusEditor() {
    FocusGadget(kGadgetEditor);
    SetEditorSelection(kGadgetEditor, 0, 0);
}
