// The help window: the manual, read-only, beside the main window.
#pragma once

#include <string>

// Opens the help window, or brings the open one to the top.
void ShowHelp();
// The manual with its placeholder replaced by the program title.
std::string HelpText();
