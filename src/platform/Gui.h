// The window system as the rest of the program sees it. Texts are UTF-8.
#pragma once

#include <string>

bool HasDisplay();
// An information box with an OK button, modal for the whole program; without a display the
// text goes to standard error. Before the main loop runs it goes to standard error as well.
void ShowNotice(const std::string& caption, const std::string& text);
int RunMainLoop(int argc, char** argv);
