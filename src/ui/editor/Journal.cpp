// The journal is written once above the platform: the toolkit only supplies the timer whose
// expiry (kTimerJournal) comes back as an event of the main window.
#include "ui/editor/Journal.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/store/DataFile.h"
#include "core/store/JournalFile.h"
#include "core/store/Titles.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"
#include "ui/records/Records.h"

void NoteEditForJournal() {
    if (g_app.journalPauseMs <= 0) return;
    StartTimer(kWindowMain, kTimerJournal, g_app.journalPauseMs);
    // The pause restarts with each key; this one does not, so steady typing is kept too.
    if (g_app.journalLongestRunning) return;
    g_app.journalLongestRunning = true;
    StartTimer(kWindowMain, kTimerJournalLongest, std::max(g_app.journalPauseMs, kJournalLongestWaitMs));
}

void OnJournalTimer(int timer) {
    g_app.journalLongestRunning = false;
    if (timer == kTimerJournal) StopTimer(kWindowMain, kTimerJournalLongest);
    WriteJournalAtPause();
}

void WriteJournalAtPause() {
    if (!g_app.unsavedEdit || !g_app.loaded || g_app.journalBlocked || g_app.shownRecordUnreadable) return;
    int position = g_app.shownPosition;
    if (position < 0 || position >= SelectorCount(kGadgetSelector) ||
        g_app.shownSlot.size() != static_cast<std::size_t>(kSlotSize))
        return;
    Journal journal;
    journal.slot = SlotAt(position);
    journal.slotDigest = SlotDigest(g_app.shownSlot.data());
    journal.text = EditorText(kGadgetEditor);
    // Only a record of lone line ends grows past a record by itself; its save refuses it too.
    if (journal.text.size() > static_cast<std::size_t>(kTextSize)) return;
    // A key that changed nothing (CTRL+C), or typing undone back to the stored text: nothing
    // to offer back, and an older journal would offer what the user took back.
    if (journal.text == DecodeText(g_app.shownSlot.data())) {
        ForgetJournal();
        return;
    }
    if (WriteJournal(g_app.journalPath, journal)) {
        g_app.journalWritten = true;
        return;
    }
    // The text is still on screen and still saved at the next save point: a word, not a box.
    if (g_app.journalTipShown) return;
    g_app.journalTipShown = true;
    ShowEditorTip(kGadgetEditor, Str(kStrJournalWriteFailed) + LastFileError());
}

void ForgetJournal() {
    // One that cannot be removed is tried again at the next chance; left at exit, the next
    // start offers a text already saved or kept once more, which loses nothing.
    if (g_app.journalWritten && DeleteFile(g_app.journalPath)) g_app.journalWritten = false;
}

namespace {

// The text back where it was typed, or in a new record: false only when there was no record
// to put it in (the Add failed, and said why). A save that fails leaves it on screen, pending.
bool PutJournalBack(const Journal& journal) {
    int count = SelectorCount(kGadgetSelector), position = 0;
    while (position < count && SlotAt(position) != journal.slot) ++position;
    bool unchanged = false;
    if (position < count) {
        SelectEntry(kGadgetSelector, position);
        LoadSelectedRecord();
        unchanged = !g_app.shownRecordUnreadable && g_app.shownSlot.size() == static_cast<std::size_t>(kSlotSize) &&
                    SlotDigest(g_app.shownSlot.data()) == journal.slotDigest;
    }
    if (!unchanged) {
        AddRecord();
        if (SelectorCount(kGadgetSelector) == count) return false;
    }
    SetEditorText(kGadgetEditor, journal.text);
    g_app.unsavedEdit = 1;
    SaveRecord();
    return true;
}

}  // namespace

void OfferJournal() {
    Journal journal;
    switch (ReadJournal(g_app.journalPath, &journal)) {
        case kJournalNone:
            return;
        case kJournalLeftAlone:
            g_app.journalBlocked = true;
            ShowFailure(kStrJournalLeftAlone);
            return;
        case kJournalDamaged: {
            std::string keptAs = FreshName(g_app.programFolder, kStrDamagedJournalPrefix, kStrDamagedJournalSuffix);
            if (RenameFile(g_app.journalPath, keptAs)) {
                ShowProgramNotice(Str(kStrJournalDamagedPrefix) + keptAs);
            } else {
                g_app.journalBlocked = true;
                ShowFailure(kStrJournalLeftAlone);
            }
            return;
        }
        case kJournalRead:
            break;
    }
    // From here the file is this run's: the save of its text, or its recovery file, removes it.
    g_app.journalWritten = true;
    std::string begins = LoadTitle(journal.text, RecordEncoding(journal.text));
    if (AskProgramQuestion(Str(kStrJournalQuestionPrefix) + begins + Str(kStrJournalQuestionSuffix)) &&
        PutJournalBack(journal))
        return;
    std::string kept;
    if (WriteRecoveryFile(RecordBytesToUtf8(journal.text, RecordEncoding(journal.text)), &kept)) {
        ForgetJournal();
        ShowProgramNotice(Str(kStrKeptUnsavedPrefix) + kept);
        return;
    }
    // The journal is the text's only copy: no save of this run removes it, nor writes over it.
    g_app.journalWritten = false;
    g_app.journalBlocked = true;
    ShowFailure(kStrJournalNotKept, g_app.journalPath + "\n");
}
