// "Find in All Records": a search of every listed record on a worker thread as the user types,
// results streaming into the window, a row opening its record at the first match.
#pragma once

#include "platform/Gui.h"

void OpenFindAll();
void OnFindAllTerm(const Message& message);
void OnFindAllChosen(int row);
// Ends the search under way, if any; the window closing, a new term and the close call it.
void StopFindAll();
