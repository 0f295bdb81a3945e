// What the editor does beyond plain editing: marking the record edited, the context menu,
// zoom, link clicks, and reading the selection.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Gui.h"

void EditorProcedure(const EditorInput& input);
// One of the commands kCmdSelectAll to kCmdRedo from the context menu; those that change the
// text mark the record edited.
void RunEditorCommand(int command);
void OnLinkReleased(const std::string& link);
// A moment after typing changed the text: the list shows the title the text now gives.
void OnTitleTimer();
// The selection less trim-set characters at both ends, cut to limit characters.
std::string SelectedText(std::size_t limit);
void ApplyZoom();
void ResetZoom();
void CaptureZoom();
bool FindDialogOpen();
