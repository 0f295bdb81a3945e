// The executable's way to the window half of the program, a library of its own.
#pragma once

#include <string>

struct WindowEntries {
    int (*run)(int argc, char** argv);
    void (*showNotice)(const char* caption, const char* text);
};

// Loads the library; false with the loader's reason when it or an entry is missing.
bool FindWindowEntries(const std::string& path, WindowEntries* entries, std::string* reason);
