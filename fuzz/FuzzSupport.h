// Shared by the fuzz targets: the string table prepared once, and a check that stops the run.
#pragma once

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/AppState.h"
#include "base/StringTable.h"

inline void PrepareOnce() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
}

// A folder of the run's own that the program's paths point into, made once.
inline const std::string& FuzzFolder() {
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/jotcrate-fuzz-XXXXXX";
        folder = std::string(mkdtemp(pattern)) + "/";
        ResolvePaths(folder + "jotcrate");
    }
    return folder;
}

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
