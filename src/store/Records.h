// The current record's save, and the Add and Delete commands.
#pragma once

#include "app/StringTable.h"

// Writes the editor's text into the shown record's slot and refreshes its title. False when
// the text is not stored (no record, a text too long to store or a failed write; the last two
// are reported). An unreadable record is never written, and has nothing typed to store.
bool SaveRecord();
// After the user picked another entry by any route: the record left is saved into its own
// slot first; when that fails it stays selected and shown.
void ShowSelectedRecord();
// Tells the user what failed and the system's reason.
void ReportFileFailure(StringId what);
void AddRecord();
void DeleteRecord();
