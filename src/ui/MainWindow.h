// The main window: its controls, layout, shortcuts, menus and message callback.
#pragma once

void BuildMainWindow();
void LayoutMainWindow();
// Keyboard focus to the editor, caret at the start, nothing selected.
void FocusEditor();
// The keys every dialog of the main window answers: ENTER and ESC.
void AddDialogShortcuts(int window);
