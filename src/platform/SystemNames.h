// Names that differ between the systems the program runs on.
#pragma once

// Whether a copy in the system's program folders is the installed program, which keeps its
// files in the user's data folder (Linux); on Windows every copy is portable.
bool HasInstalledPlace();
// A fixed-pitch face that every desktop of the system has.
const char* DefaultFontName();
// Calculators in order of preference, separated by spaces: the first found on the PATH starts.
const char* CalculatorPrograms();
// Started with the home folder as its argument.
const char* FileManagerProgram();
// Started in the home folder.
const char* TerminalProgram();
// Whether the environment names a display (X11, Wayland, or a platform chosen for the
// toolkit); on Windows a window station is always there.
bool DisplayNamed();
