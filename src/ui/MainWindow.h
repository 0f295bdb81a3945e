// The main window: its controls, layout, shortcuts, menus and message callback.
#pragma once

void BuildMainWindow();
void LayoutMainWindow();
// Keyboard focus to the editor, caret at the start, nothing selected.
void FocusEditor();
