// The journal of unsaved typing as the window uses it (its file: store/JournalFile.h): each
// edit restarts a pause, the pause's end writes the shown record's text, and the record's save,
// or its text kept in a recovery file, removes it. A start that finds one offers its text back.
#pragma once

// On every edit: only restarts the pause, so a key costs the same in a full record.
void NoteEditForJournal();
// The pause after the last edit ended: the shown record's text goes to the journal.
void WriteJournalAtPause();
// The pause ended, or typing went on for the longest wait: the journal is written.
void OnJournalTimer(int timer);
// The edit was saved, kept in a recovery file or given up: this run's journal goes.
void ForgetJournal();
// At start, once the records are shown: the text of a journal that a run ended without
// saving is put back into its record (a new record where that one changed since) or, with No
// or when that fails, kept in a recovery file; never simply dropped.
void OfferJournal();
