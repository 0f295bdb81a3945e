// Loading the window library: looked for beside the executable, where the build and a
// portable copy keep it. Bound at load, so a missing symbol is reported at the start rather
// than as a crash later.
#include "platform/WindowLibrary.h"

#include <dlfcn.h>

#include "platform/Files.h"

bool FindWindowEntries(WindowEntries* entries, std::string* reason) {
    std::string program = ExecutablePath();
    std::string path = program.substr(0, program.rfind('/') + 1) + JOTCRATE_WINDOW_LIBRARY;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library) {
        entries->run = reinterpret_cast<int (*)(int, char**)>(dlsym(library, "JotcrateRunWindow"));
        entries->showNotice = reinterpret_cast<void (*)(const char*, const char*)>(dlsym(library, "JotcrateShowNotice"));
        if (entries->run && entries->showNotice) return true;
    }
    *reason = dlerror();
    return false;
}
