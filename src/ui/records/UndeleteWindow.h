// Window 106, the Undelete window: the records deleted in this run, by title, one to bring back.
#pragma once

#include <string>
#include <vector>

#include "platform/Gui.h"

// Lists the titles, the first chosen, and keeps the program's other windows from input until
// it closes. The row the user takes goes to UndeleteChosen; an armed answer in tests takes it
// (or cancels) at once, with no window.
void OpenUndeleteWindow(const std::vector<std::string>& titles);
bool UndeleteWindowExists();
// As Cancel.
void CloseUndeleteWindow();
void HandleUndeleteWindow(const Event& event);
