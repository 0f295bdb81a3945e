// Window 101. Only the checkboxes are pending until Apply; the requesters store their result
// at once, and a font chosen with OK makes the next Apply reset the zoom.
#include "ui/options/OptionsDialog.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/MainWindow.h"
#include "ui/StandIns.h"
#include "ui/editor/Editor.h"
#include "ui/options/ApplyOptions.h"
#include "ui/records/Load.h"

namespace {

constexpr int kDialogWidth = 214;
constexpr int kDialogHeight = 224;

struct Box {
    int gadget;
    int y;
    StringId label;
    std::int8_t OptionSet::*option;
};

const Box kBoxes[] = {
    {kGadgetWordwrap, 13, kStrWordwrapLabel, &OptionSet::wordwrap},
    {kGadgetOnTop, 38, kStrOnTopLabel, &OptionSet::onTop},
    {kGadgetReadOnly, 63, kStrReadOnlyLabel, &OptionSet::readOnly},
    {kGadgetHideTooltips, 88, kStrHideTooltipsLabel, &OptionSet::hideTooltips},
    {kGadgetAutoBackup, 113, kStrAutoBackupLabel, &OptionSet::autoBackup},
    {kGadgetDesktopShortcut, 138, kStrDesktopShortcutLabel, &OptionSet::desktopShortcut},
};

struct Button {
    int gadget;
    Rect rect;
    StringId label;
};

const Button kButtons[] = {
    {kGadgetFont, {142, 14, 60, 26}, kStrFontLabel},      {kGadgetColour, {142, 54, 60, 26}, kStrColourLabel},
    {kGadgetExport, {142, 94, 60, 26}, kStrExportLabel},  {kGadgetApply, {70, 186, 60, 26}, kStrApplyLabel},
    {kGadgetCancel, {142, 186, 60, 26}, kStrCancelLabel},
};

}  // namespace

void OpenOptionsDialog() {
    EnableWindow(kWindowMain, false);
    OpenWindow(kWindowOptions, CentredOverMainWindow(kDialogWidth, kDialogHeight), Str(kStrOptionsTitle),
               kStyleTitleOnly | kStyleOwnedByMain | kStyleDialogKeys);
    CentreOverMainWindow(kWindowOptions);
    for (const Box& box : kBoxes) {
        // Wider than 112 pixels, so that "Desktop Shortcut" shows whole in the default font.
        CreateCheckbox(kWindowOptions, box.gadget, Rect{12, box.y, 128, 22}, Str(box.label));
        SetChecked(box.gadget, g_app.options.*box.option != 0);
    }
    for (const Button& button : kButtons) CreateButton(kWindowOptions, button.gadget, button.rect, Str(button.label));
    AddShortcut(kWindowOptions, Shortcut{kNamedTab, kWithCtrl, kCmdNextControl});
    AddShortcut(kWindowOptions, Shortcut{kNamedTab, kWithCtrl | kWithShift, kCmdPreviousControl});
    AddDialogShortcuts(kWindowOptions);
    ShowWindow(kWindowOptions);
    RaiseWindow(kWindowOptions);
    // Shown with its focus frame: the dialog is as much the keyboard's as the mouse's.
    FocusGadget(kGadgetApply, kFocusByKey);
}

void CloseOptionsDialog() {
    CloseWindow(kWindowOptions);
    EnableWindow(kWindowMain, true);
    RaiseWindow(kWindowMain);
    FocusEditor();
    // A close of the main window waited for the dialog.
    if (g_app.closePending) PostWindowEvent(Event{kEventClose, kWindowMain, 0});
}

void ApplyOptionsDialog() {
    g_app.settingsChanged = 1;
    for (const Box& box : kBoxes) g_app.options.*box.option = IsChecked(box.gadget) ? 1 : 0;
    ApplyOptions(true);
    if (g_app.fontChanged) {
        g_app.fontChanged = 0;
        ResetZoom();
    }
    LoadSelectedRecord();
    CloseOptionsDialog();
}

void ChooseEditorFont() {
    const OptionSet& o = g_app.options;
    FontChoice choice{o.fontName, o.fontSize, o.fontStyle, o.textColour};
    if (!PickFont(&choice)) return;
    g_app.fontChanged = 1;
    g_app.options.fontName = choice.face;
    g_app.options.fontSize = choice.points;
    g_app.options.fontStyle = choice.style & (256 | 512 | 4 | 8);
    g_app.options.textColour = choice.colour;
}

void ChooseBackgroundColour() {
    std::int32_t colour = g_app.options.backgroundColour < 0 ? 0 : g_app.options.backgroundColour;
    if (PickColour(&colour)) g_app.options.backgroundColour = colour;
}
