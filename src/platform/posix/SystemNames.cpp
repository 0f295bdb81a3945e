#include "platform/SystemNames.h"

#include <cstdlib>
#include <initializer_list>

bool HasInstalledPlace() { return true; }
const char* DefaultFontName() { return "Monospace"; }
const char* CalculatorPrograms() { return "gnome-calculator kcalc mate-calc galculator xcalc"; }
const char* FileManagerProgram() { return "xdg-open"; }
const char* TerminalProgram() { return "x-terminal-emulator"; }

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}
