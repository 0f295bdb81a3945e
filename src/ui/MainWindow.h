// The main window: its controls, layout, shortcuts, menus and message callback.
#pragma once

#include "platform/Rect.h"

void BuildMainWindow();
void LayoutMainWindow();
// Keyboard focus to the editor, caret at the start, nothing selected.
void FocusEditor();
// A dialog's place: centred over the main window, never beyond the screen's top or left edge.
Rect CentredOverMainWindow(int width, int height);
// An open window centred over the main window by its outer size, frame and all.
void CentreOverMainWindow(int window);
// The keys every dialog of the main window answers: ENTER and ESC.
void AddDialogShortcuts(int window);
