// Each option applies its own test: Wordwrap acts on 0 and 1 only, Hide Tooltips on exactly
// 1, colours only when the background is not negative.
#include "ui/options/ApplyOptions.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/settings/DesktopShortcut.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/StandIns.h"

namespace {

// Desktops that keep a trust mark (GNOME's file manager) start a new launcher on its first
// double-click only with the mark set; the tool is given its arguments as a list, never a shell.
void TrustLauncher(const std::string& path) {
    std::string gio = FindProgram("gio");
    if (!gio.empty()) LaunchProgram({gio, "set", path, "metadata::trusted", "true"}, std::string());
}

}  // namespace

void SetControlsDisabled(int first, int last, int disabled) {
    for (int gadget = first; gadget <= last; ++gadget) {
        bool readOnlyGadget = gadget == kGadgetAdd || gadget == kGadgetDelete;
        DisableGadget(gadget, disabled == 0 && readOnlyGadget ? g_app.options.readOnly != 0 : disabled != 0);
    }
}

void UpdateEditorReadOnly() {
    SetEditorReadOnly(kGadgetEditor, !g_app.loaded || g_app.options.readOnly != 0 || g_app.shownRecordUnreadable);
    // The title says so, since greyed buttons alone do not tell why typing does nothing.
    SetWindowTitle(kWindowMain,
                   g_app.options.readOnly != 0 ? g_app.programTitle + Str(kStrReadOnlyTitle) : g_app.programTitle);
}

void ApplyOptions(bool withReadOnly) {
    const OptionSet& o = g_app.options;
    std::string launcher = SyncDesktopShortcut();
    if (!launcher.empty()) TrustLauncher(launcher);
    SetToolTipsActive(kWindowMain, o.hideTooltips != 1);
    if (o.wordwrap == 0 || o.wordwrap == 1) SetEditorWrap(kGadgetEditor, o.wordwrap == 1);
    if (withReadOnly) {
        UpdateEditorReadOnly();
        SetControlsDisabled(kGadgetAdd, kGadgetDelete, o.readOnly);
    }
    SetEditorFont(kGadgetEditor, o.fontName, o.fontSize, o.fontStyle);
    if (o.backgroundColour >= 0) SetEditorColours(kGadgetEditor, o.backgroundColour, o.textColour);
    SetOnTop(kWindowMain, o.onTop != 0);
}
