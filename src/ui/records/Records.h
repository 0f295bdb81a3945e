// The current record's save, and the Add and Delete commands.
#pragma once

#include <string>

#include "base/StringTable.h"

// Writes the editor's text into the shown record's slot and refreshes its title. False when
// the text is not stored (no record, a text too long to store or a failed write; the last two
// are reported). An unreadable record is never written, and has nothing typed to store.
bool SaveRecord();
// The shown record's title in the list as its unsaved text gives it, so the list follows typing.
void ShowTypedTitle();
// After the user picked another entry by any route: the record left is saved into its own
// slot first; when that fails it stays selected and shown.
void ShowSelectedRecord();
// Text that could not be saved, to a recovery file; false when even that failed.
bool KeepUnsavedText(std::string* path);
// Another program changed the data file: nothing was written into it; the typed text goes
// to a recovery file and the records are read again from the new file.
void TakeChangedDataFile();
// The watcher saw the data file or its folder change: a new version, from another program,
// is taken at once; a file not whole yet is waited for.
void OnDataFileChanged();
void AddRecord();
void DeleteRecord();
// Offers the records deleted in this run (UndeleteWindow); the one chosen comes back.
void UndeleteRecord();
void UndeleteChosen(int row);
