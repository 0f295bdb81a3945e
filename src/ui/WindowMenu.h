// The main window's window menu with the three tools: the system's own where the program can
// extend it (Windows), else one of the program's (Qt, where desktops keep ALT+SPACE for their
// own menu), opened by ALT+SPACE, ALT+MINUS or a right-click on the background or a button,
// with its Move and Size from the keyboard.
#pragma once

#include "platform/Gui.h"

void AddWindowMenu(int window, int minimumWidth, int minimumHeight);
// fromKeyboard: at the window's corner, else at the pointer.
void OpenWindowMenu(int window, bool fromKeyboard);
void RunWindowMenuCommand(int window, int command);
// A key, or the click that ends the mode, while the window is grabbed for Move or Size.
void StepWindowPlacement(int window, int key);
