// Shared by both window backends: what stands in for the user in tests (answers armed for
// message boxes and requesters, the unattended mode) and what tests read back (the texts of
// message boxes, the requesters' presets, beeps, the programs the shell would start).
#pragma once

#include <string>
#include <vector>

#include "platform/Gui.h"

// A message box: its text is kept; true when an armed answer (or, unattended, No) stands in
// for the user, with that answer.
bool TakeArmedAnswer(const std::string& text, bool* answer);
// A requester: true when an armed answer (or, unattended, Cancel) stands in for the user.
bool TakeRequesterAnswer(RequesterAnswer* answer);
RequesterPresets& Presets();
bool IsUnattended();
// Counts the beep; whether it should sound.
bool CountBeep();
// True when the tests record the program instead of starting it.
bool RecordShell(const std::vector<std::string>& argv);
