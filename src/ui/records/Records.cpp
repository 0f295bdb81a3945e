// Save writes the editor's text into the selected entry's slot; Add appends a slot behind
// every other, marked ones included; Delete only marks a slot, or brings back the starter
// records when the last one goes. A failed write is reported and changes no entry, and a
// save that failed keeps the record and its text on screen.
#include "ui/records/Records.h"

#include <algorithm>
#include <vector>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "core/store/Titles.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/editor/Journal.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"
#include "ui/records/UndeleteWindow.h"

namespace {

// A write refused because another program changed the data file takes that file in; any
// other failure is told.
void ReportWriteFailure(StringId what) {
    if (g_app.dataChangedElsewhere) TakeChangedDataFile();
    else ShowFailure(what);
}

}  // namespace

bool SaveRecord() {
    int position = g_app.shownPosition;
    if (position < 0 || position >= SelectorCount(kGadgetSelector)) return false;
    // An unreadable record is shown read-only: nothing typed, and nothing ever written over it.
    if (g_app.shownRecordUnreadable) {
        g_app.unsavedEdit = 0;
        ForgetJournal();
        return true;
    }
    std::int64_t slot = SlotAt(position);
    TextEncoding encoding;
    std::string text = EditorText(kGadgetEditor, &encoding);
    if (text.empty()) {
        text = Str(kStrNewRecordText);
        SetEditorText(kGadgetEditor, text);
        encoding = kEncodingUtf8;
    }
    if (text.size() > static_cast<std::size_t>(kTextSize)) {
        // Only a record read with lone CRs or LFs, each stored as CR LF again, grows by itself;
        // untouched, it stays in its slot as it is.
        if (!IsEditorTextChanged(kGadgetEditor)) {
            g_app.unsavedEdit = 0;
            ForgetJournal();
            return true;
        }
        ShowProgramNotice(Str(kStrTooLongPrefix) + std::to_string(text.size()) + Str(kStrTooLongSuffix));
        return false;
    }
    std::string title = SaveTitle(text, encoding);
    EncodeText(text, g_app.slotImage);
    if (!IsSlotAsShown(slot) || !WriteSlot(slot)) {
        ReportWriteFailure(kStrSaveFailed);
        return false;
    }
    SetSelectorTitle(kGadgetSelector, position, title);
    g_app.shownSlot.assign(g_app.slotImage, g_app.slotImage + kSlotSize);
    g_app.unsavedEdit = 0;
    ForgetJournal();
    ++g_app.listChanges;  // results found in the old text are searched for again
    return true;
}

void ShowTypedTitle() {
    int position = g_app.shownPosition;
    // An unreadable record is read-only, so it has no unsaved edit.
    if (!g_app.unsavedEdit || position < 0 || position >= SelectorCount(kGadgetSelector)) return;
    TextEncoding encoding;
    std::string text = EditorText(kGadgetEditor, &encoding);
    // An emptied record is saved as the new record's text, so it keeps that title meanwhile.
    std::string title = text.empty() ? SaveTitle(Str(kStrNewRecordText), kEncodingUtf8) : SaveTitle(text, encoding);
    if (SelectorTitle(kGadgetSelector, position) != title) SetSelectorTitle(kGadgetSelector, position, title);
}

bool KeepUnsavedText(std::string* path) {
    TextEncoding encoding;
    std::string bytes = EditorText(kGadgetEditor, &encoding);
    // The recovery file takes the journal's place, so that the next start offers nothing twice.
    if (!WriteRecoveryFile(RecordBytesToUtf8(bytes, encoding), path)) return false;
    ForgetJournal();
    return true;
}

void TakeChangedDataFile() {
    std::string kept;
    if (g_app.unsavedEdit) {
        // Text that cannot be kept stays on screen, and every save point tries again.
        if (!KeepUnsavedText(&kept)) {
            ShowProgramNotice(Str(kStrChangedElsewhere) + "\n" + Str(kStrKeepFailed) + LastFileError());
            return;
        }
        g_app.unsavedEdit = 0;
    }
    // A file not yet whole (still being written) stays unread until its next change.
    bool wrote = g_app.wroteData;
    bool reloaded = ReloadRecords();
    std::string message = Str(reloaded ? kStrReloadedPrefix : kStrChangedElsewhere);
    if (reloaded && wrote) message += Str(kStrReloadedOwnWrites);
    if (!kept.empty()) message += Str(kStrReloadedKeptPrefix) + kept;
    ShowProgramNotice(message);
}

void OnDataFileChanged() {
    bool toldBefore = g_app.dataChangedElsewhere;  // the look below sets it
    if (!g_app.loaded || !IsWellFormedSize(DataFileSize(g_app.dataPath)) || IsDataFileAsLeft()) return;
    // Another user's file in its place is theirs: nothing is read from it or written into it.
    if (!IsDataFileOwn()) {
        if (!toldBefore) ShowProgramNotice(Str(kStrDataFileNotOwn) + g_app.dataPath);
        return;
    }
    // Another program's new records are shown without a word, unless this run had written into
    // the file they replace: that program may not have kept what was written.
    if (g_app.unsavedEdit || g_app.wroteData) TakeChangedDataFile();
    else ReloadRecords();
}

void ShowSelectedRecord() {
    if (g_app.unsavedEdit && !SaveRecord()) {
        SelectEntry(kGadgetSelector, g_app.shownPosition);
        return;
    }
    LoadSelectedRecord();
}

void AddRecord() {
    int position = SelectorCount(kGadgetSelector);
    std::int64_t slot = SlotCount();
    // The next start lists the first 32,767 slots that the compaction leaves.
    if (slot - static_cast<std::int64_t>(g_app.deletedSlots.size()) >= kRecordLimit) {
        ShowProgramNotice(Str(kStrRecordLimit));
        return;
    }
    EncodeText(Str(kStrNewRecordText), g_app.slotImage);
    if (!WriteSlot(slot)) {
        ReportWriteFailure(kStrAddFailed);
        return;
    }
    InsertListEntry(position, SelectorEntry{Str(kStrNewRecordText), slot});
    ++g_app.listChanges;
    SelectEntry(kGadgetSelector, position);
    LoadSelectedRecord();
}

namespace {

// The starter records come in after the last slot, and the last record goes as any other:
// marked, so that it and those deleted before it can be brought back until the compaction at
// exit, which leaves the starter records. As when the file was made anew, no edit is pending
// and no deletion counts for the backup.
void DeleteLastRecord(std::int64_t slot) {
    std::int64_t first = 0;
    if (!MarkDeleted(slot)) {
        ReportWriteFailure(kStrDeleteFailed);
        return;
    }
    if (!AppendStarterRecords(&first)) {
        std::string reason = LastFileError();
        UnmarkDeleted(slot);
        SetFileError(reason);
        ReportWriteFailure(kStrDeleteFailed);
        return;
    }
    if (g_app.starterFirst < 0) g_app.starterFirst = first;
    ClearList();
    for (int n = 0; n < kStarterRecords; ++n) {
        std::string text = StarterText(n);
        InsertListEntry(n, SelectorEntry{LoadTitle(text, RecordEncoding(text)), first + n});
    }
    ++g_app.listChanges;
    g_app.unsavedEdit = 0;
    ForgetJournal();
    g_app.recordsDeleted = 0;
    SelectEntry(kGadgetSelector, 0);
    LoadSelectedRecord();
}

// Whether the image holds starter record n as it came, marked or not.
bool IsStarterImage(const unsigned char* image) {
    std::vector<unsigned char> starter(kSlotSize);
    for (int n = 0; n < kStarterRecords; ++n) {
        EncodeText(StarterText(n), starter.data());
        if (std::equal(starter.begin() + 1, starter.end(), image + 1)) return true;
    }
    return false;
}

// The starter records that came when the list emptied in this run stood in for the user's
// records; once one of those is back, the starters that are still as they came go again,
// unseen in the list of Undelete. A starter the user changed stays.
void RemoveUnchangedStarters() {
    for (int position = SelectorCount(kGadgetSelector) - 1; g_app.starterFirst >= 0 && position >= 0; --position) {
        std::int64_t slot = SlotAt(position);
        if (slot < g_app.starterFirst || !ReadSlot(slot) || !IsStarterImage(g_app.slotImage)) continue;
        if (!MarkDeleted(slot)) {
            ReportWriteFailure(kStrUndeleteFailed);
            return;
        }
        RemoveListEntry(position);
    }
}

// A deleted starter record that came in this run, as it came: no record of the user's.
bool IsUnchangedStarter(std::int64_t slot) {
    if (g_app.starterFirst < 0 || slot < g_app.starterFirst) return false;
    std::vector<unsigned char> image(kSlotSize);
    FileHandle data;
    bool read =
        OpenFile(g_app.dataPath, kOpenRead, &data) && ReadExactlyAt(data, slot * kSlotSize, image.data(), image.size());
    CloseFile(&data);
    return read && IsStarterImage(image.data());
}

}  // namespace

void DeleteRecord() {
    std::uint32_t reloads = g_app.reloads;
    std::string title = SelectorTitle(kGadgetSelector, SelectedEntry(kGadgetSelector));
    if (!AskProgramQuestion(Str(kStrDeleteQuestionPrefix) + title + Str(kStrDeleteQuestionSuffix))) return;
    // The records read again while the question was open are not the ones it asked about.
    if (g_app.reloads != reloads) return;
    int position = SelectedEntry(kGadgetSelector);
    std::int64_t slot = SlotAt(position);
    if (!IsDataFileAsLeft() || !IsSlotAsShown(slot)) {
        ReportWriteFailure(kStrDeleteFailed);
        return;
    }
    if (SelectorCount(kGadgetSelector) == 1) {
        DeleteLastRecord(slot);
        return;
    }
    if (!MarkDeleted(slot)) {
        ReportWriteFailure(kStrDeleteFailed);
        return;
    }
    RemoveListEntry(position);
    ++g_app.listChanges;
    g_app.recordsDeleted = 1;
    SelectEntry(kGadgetSelector, position == 0 ? 0 : position - 1);
    LoadSelectedRecord();
}

// A record deleted in this run keeps its slot, marked, until the compaction at exit: clearing
// the mark brings it back where it was in the list. Unchanged starter records are no records
// of the user's to bring back.
void UndeleteRecord() {
    std::vector<std::int64_t> slots;
    for (std::int64_t slot : g_app.deletedSlots)
        if (!IsUnchangedStarter(slot)) slots.push_back(slot);
    if (slots.empty()) {
        ShowProgramNotice(Str(kStrNothingDeleted));
        return;
    }
    // As for Add: the next start lists the first 32,767 slots that the compaction leaves.
    if (SlotCount() - static_cast<std::int64_t>(g_app.deletedSlots.size()) >= kRecordLimit) {
        ShowProgramNotice(Str(kStrRecordLimit));
        return;
    }
    g_app.undelete.offered = slots;
    g_app.undelete.reloads = g_app.reloads;
    OpenUndeleteWindow(DeletedRecordTitles(slots));
}

// The rows were of the records as listed when the window opened: after a new listing they are
// of a file that is gone.
void UndeleteChosen(int row) {
    const std::vector<std::int64_t>& slots = g_app.undelete.offered;
    if (g_app.reloads != g_app.undelete.reloads || row < 0 || row >= static_cast<int>(slots.size())) return;
    std::int64_t slot = slots[static_cast<std::size_t>(row)];
    if (!UnmarkDeleted(slot)) {
        ReportWriteFailure(kStrUndeleteFailed);
        return;
    }
    g_app.recordsDeleted = !g_app.deletedSlots.empty();
    // The list is in slot order.
    int position = 0;
    while (position < SelectorCount(kGadgetSelector) && SlotAt(position) < slot) ++position;
    // The title from the slot as just written back, even where the list could not read it.
    std::string text = DecodeText(g_app.slotImage);
    InsertListEntry(position, SelectorEntry{LoadTitle(text, RecordEncoding(text)), slot});
    ++g_app.listChanges;
    RemoveUnchangedStarters();
    SelectEntry(kGadgetSelector, position);
    LoadSelectedRecord();
}
