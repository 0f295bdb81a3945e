// Shared by both window backends: the queue of window events, what stands in for the user in
// tests (answers armed for message boxes and requesters, the unattended mode) and what tests
// read back (the texts of message boxes, the requesters' presets, beeps, the programs the
// shell would start).
#pragma once

#include <string>
#include <vector>

#include "platform/Gui.h"

// The window opened with kStyleMain, or 0 before it opens.
int MainWindowNumber();
void NoteMainWindow(int window);

// A command from a button, shortcut or menu: dispatched at once where a dispatcher is set.
void DeliverWindowEvent(Event event);

// For tests: true where an armed answer (or, unattended, Cancel) stands in for the requester,
// which then returns *ok; the presets are kept either way.
bool AnsweredFont(FontChoice* choice, bool* ok);
bool AnsweredColour(std::int32_t* colour, bool* ok);
bool AnsweredSaveFile(const std::string& preset, std::string* path, bool* ok);

// A message box: its text is kept; true when an armed answer (or, unattended, No) stands in
// for the user, with that answer.
bool TakeArmedAnswer(const std::string& text, bool* answer);
bool IsUnattended();
// Counts the beep; whether it should sound.
bool CountBeep();
// True when the tests record the program instead of starting it.
bool RecordShell(const std::vector<std::string>& argv);
