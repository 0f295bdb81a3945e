// Each option applies its own test: Wordwrap acts on 0 and 1 only, Hide Tooltips on exactly
// 1, colours only when the background is not negative.
#include "options/ApplyOptions.h"

#include "app/AppState.h"
#include "app/Numbers.h"
#include "options/DesktopShortcut.h"
#include "platform/Gui.h"

void SetControlsDisabled(int first, int last, int disabled) {
    for (int gadget = first; gadget <= last; ++gadget) {
        bool readOnlyGadget = gadget == kGadgetAdd || gadget == kGadgetDelete;
        DisableGadget(gadget, disabled == 0 && readOnlyGadget ? g_app.options.readOnly != 0 : disabled != 0);
    }
}

void UpdateEditorReadOnly() {
    SetEditorReadOnly(kGadgetEditor, !g_app.loaded || g_app.options.readOnly != 0 || g_app.shownRecordUnreadable);
}

void ApplyOptions(bool withReadOnly) {
    const OptionSet& o = g_app.options;
    SyncDesktopShortcut();
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
