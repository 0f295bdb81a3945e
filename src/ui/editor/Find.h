// Find in the current record: the find dialog, and F2/F3 on the selection. No wrap-around.
#pragma once

#include "platform/Gui.h"

// Mode 0 opens the find dialog, 1 finds the previous and 2 the next occurrence of the
// selection.
void OpenFind(int mode);
void FindNext(int flags);
void OnFindReport(const Message& message);
