#include "platform/SystemNames.h"

#include <cstdlib>
#include <initializer_list>

bool HasInstalledPlace() { return true; }

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}
