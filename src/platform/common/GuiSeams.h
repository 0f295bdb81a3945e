// Shared by both window backends: the queue of window events, the main window's number, and
// what they do alike with their gadgets' text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Gui.h"

// The window opened with kStyleMain, or 0 before it opens.
int MainWindowNumber();
void NoteMainWindow(int window);

// A command from a button, shortcut or menu: dispatched at once where a dispatcher is set.
void DeliverWindowEvent(Event event);

// How much of text a field of limit UTF-16 units keeps: a character of two units across the
// limit is left out whole, not cut in half.
std::size_t UnitsWithinLimit(std::u16string_view text, std::size_t limit);
// A character position put within text and, where it falls between the halves of a character,
// before it: the next input there would split it.
int WholeCharacterPosition(std::u16string_view text, int position);
// What a screen reader says for a row of a result list: the title, then ": " and the line.
std::string SpokenResultRow(const ResultRow& row);
