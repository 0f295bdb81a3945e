// The options dialog: six on/off options, the Font and Color requesters, Export, Apply and
// Cancel. The main window is disabled while it is open.
#pragma once

void OpenOptionsDialog();
// Drops the pending checkbox states; the font and colour chosen stay in the option set.
void CloseOptionsDialog();
void ApplyOptionsDialog();
void ChooseEditorFont();
void ChooseBackgroundColour();
