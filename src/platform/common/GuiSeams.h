// Shared by both window backends: the queue of window events and the main window's number.
#pragma once

#include "platform/Gui.h"

// The window opened with kStyleMain, or 0 before it opens.
int MainWindowNumber();
void NoteMainWindow(int window);

// A command from a button, shortcut or menu: dispatched at once where a dispatcher is set.
void DeliverWindowEvent(Event event);
