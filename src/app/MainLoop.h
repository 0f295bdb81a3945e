// The main loop: build the main window, start the load, hand every event to its window's
// handler until the running flag drops.
#pragma once

#include "platform/Gui.h"

int RunMainLoop(int argc, char** argv);
// Hands one event to its window's handler; returns whether the program goes on.
bool Dispatch(const Event& event);
