#include "platform/SystemNames.h"

bool HasInstalledPlace() { return false; }
const char* DefaultFontName() { return "Courier New"; }
const char* CalculatorPrograms() { return "calc.exe"; }
const char* FileManagerProgram() { return "explorer.exe"; }
const char* TerminalProgram() { return "cmd.exe"; }
bool DisplayNamed() { return true; }
