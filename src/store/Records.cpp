// Save writes the editor's text into the selected entry's slot; Add appends a slot behind
// every other, marked ones included; Delete only marks a slot, or brings back the starter
// records when the last one goes. A failed write is reported and changes no entry.
#include "store/Records.h"

#include "app/AppState.h"
#include "app/Numbers.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "store/DataFile.h"
#include "store/Load.h"
#include "store/Titles.h"

void ReportFileFailure(StringId what) { ShowNotice(g_app.programTitle, Str(what) + LastFileError()); }

bool SaveRecord() {
    int position = SelectedEntry(kGadgetSelector);
    if (position < 0 || g_app.shownRecordUnreadable) return false;
    std::int64_t slot = SelectorEntryAt(kGadgetSelector, position).slot;
    std::string text = EditorText(kGadgetEditor);
    if (text.empty()) {
        text = Str(kStrNewRecordText);
        SetEditorText(kGadgetEditor, text);
    }
    std::string title = SaveTitle(text);
    EncodeText(text, g_app.slotImage);
    if (!WriteSlot(slot)) {
        ReportFileFailure(kStrSaveFailed);
        return false;
    }
    RemoveSelectorEntry(kGadgetSelector, position);
    InsertSelectorEntry(kGadgetSelector, position, SelectorEntry{title, slot});
    SelectEntry(kGadgetSelector, position);
    g_app.unsavedEdit = 0;
    return true;
}

void AddRecord() {
    int position = SelectorCount(kGadgetSelector);
    std::int64_t slot = SlotCount();
    EncodeText(Str(kStrNewRecordText), g_app.slotImage);
    if (!WriteSlot(slot)) {
        ReportFileFailure(kStrAddFailed);
        return;
    }
    InsertSelectorEntry(kGadgetSelector, position, SelectorEntry{Str(kStrNewRecordText), slot});
    SelectEntry(kGadgetSelector, position);
    LoadSelectedRecord();
}

void DeleteRecord() {
    if (!AskYesNo(kWindowMain, g_app.programTitle, Str(kStrDeleteQuestion))) return;
    if (SelectorCount(kGadgetSelector) == 1) {
        ClearSelector(kGadgetSelector);
        LoadRecords(kLoadReset);
        g_app.unsavedEdit = 0;
        g_app.recordsDeleted = 0;
        return;
    }
    int position = SelectedEntry(kGadgetSelector);
    if (!MarkDeleted(SelectorEntryAt(kGadgetSelector, position).slot)) {
        ReportFileFailure(kStrDeleteFailed);
        return;
    }
    RemoveSelectorEntry(kGadgetSelector, position);
    g_app.recordsDeleted = 1;
    SelectEntry(kGadgetSelector, position == 0 ? 0 : position - 1);
    LoadSelectedRecord();
}
