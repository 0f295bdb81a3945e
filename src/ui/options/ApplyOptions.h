// Putting the option set into effect on the main window and its editor.
#pragma once

// With read-only, the Read Only option also locks the editor and the Add and Delete buttons.
void ApplyOptions(bool withReadOnly);
// Enabling a range that holds Add and Delete leaves both disabled while Read Only is on.
void SetControlsDisabled(int first, int last, int disabled);
// The editor is writable only after the load, with Read Only off, for a record that was read.
void UpdateEditorReadOnly();
