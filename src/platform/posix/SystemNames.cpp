#include "platform/SystemNames.h"

bool HasInstalledPlace() { return true; }
const char* DefaultFontName() { return "Monospace"; }
const char* CalculatorPrograms() { return "gnome-calculator kcalc mate-calc galculator xcalc"; }
const char* FileManagerProgram() { return "xdg-open"; }
const char* TerminalProgram() { return "x-terminal-emulator"; }
