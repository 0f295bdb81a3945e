// Find in the current record: the find dialog, and F2/F3 on the selection. No wrap-around.
#pragma once

#include <string>

#include "platform/Gui.h"
#include "ui/editor/FindText.h"

enum FindMode { kFindWithDialog, kFindSelectionBackward, kFindSelectionForward };

// Every mode takes the current selection as the search term, or forgets the old one.
void OpenFind(FindMode mode);
void FindNext(int flags);
bool FindDialogExists();
std::string FindDialogTerm();
void HandleFindWindow(const Event& event);
// Beside the main window where the screen has room, so that the find tools cover no match.
void PlaceBesideMainWindow(int window);
// A label's text as a screen reader says it, without the mark of its underlined letter.
std::string WithoutMnemonic(std::string label);
