// "Find in All Records": a search of every listed record on a worker thread as the user types,
// results streaming into the window, a row opening its record at the first match.
#pragma once

#include <string>

#include "platform/Gui.h"

// A pause in typing this long searches for the term.
constexpr int kFindAllTypingPauseMs = 250;

// Window 105: the term field, Match Case, Whole Word, the result rows and a status line.
void OpenFindAllWindow();
bool FindAllWindowExists();
void SetFindAllStatus(const std::string& text);
void HandleFindAllWindow(const Event& event);

// Match Case and Whole Word of the window, for F2 and F3 on its term while it is open.
int FindAllOptionsFor(const std::string& term);
void OnFindAllTerm(const std::string& term, int flags);
// The term is being edited: the rows of the term before go at once, so that no key or click
// chooses a result of a term no longer shown.
void ForgetFindAllRows();
void OnFindAllChosen(int row);
// Searches again when the list of records changed since the rows were found.
void RefreshFindAll();
// Ends the search under way, if any; the window closing, a new term and the close call it.
void StopFindAll();
