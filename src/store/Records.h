// The current record's save, and the Add and Delete commands.
#pragma once

// Writes the editor's text into the shown record's slot and refreshes its title. False when
// nothing was written (no record, an unreadable record, or a failed write, which is reported).
bool SaveRecord();
void AddRecord();
void DeleteRecord();
