// The window handlers, the command routine that buttons and shortcuts pass, and focus
// cycling with CTRL+TAB and CTRL+SHIFT+TAB.
#pragma once

#include "platform/Gui.h"

void HandleMainWindow(const Event& event);
void HandleOptionsWindow(const Event& event);
void HandleHelpWindow(const Event& event);
void RunCommand(int command);
void CycleFocus(int window, bool backward);
void PressFocused();
void OpenSystemTool(int command);
