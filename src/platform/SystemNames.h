// Names that differ between the systems the program runs on.
#pragma once

// A fixed-pitch face that every desktop of the system has.
const char* DefaultFontName();
// Calculators in order of preference, separated by spaces: the first found on the PATH starts.
const char* CalculatorPrograms();
// Started with the home folder as its argument.
const char* FileManagerProgram();
// Started in the home folder.
const char* TerminalProgram();
