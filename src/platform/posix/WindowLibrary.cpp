// Loading the window library. Bound at load, so a missing symbol is reported at the start
// rather than as a crash later.
#include "platform/WindowLibrary.h"

#include <dlfcn.h>

bool FindWindowEntries(const std::string& path, WindowEntries* entries, std::string* reason) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library) {
        entries->run = reinterpret_cast<int (*)(int, char**)>(dlsym(library, "JotcrateRunWindow"));
        entries->showNotice =
            reinterpret_cast<void (*)(const char*, const char*)>(dlsym(library, "JotcrateShowNotice"));
        if (entries->run && entries->showNotice) return true;
    }
    *reason = dlerror();
    return false;
}
