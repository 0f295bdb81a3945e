// The current record's save, and the Add and Delete commands.
#pragma once

#include "app/StringTable.h"

// Writes the editor's text into the shown record's slot and refreshes its title. False when
// nothing was written (no record, an unreadable record, or a failed write, which is reported).
bool SaveRecord();
// Tells the user what failed and the system's reason.
void ReportFileFailure(StringId what);
void AddRecord();
void DeleteRecord();
