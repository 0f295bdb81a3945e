// Shared by the fuzz targets: the string table prepared once, and a check that stops the run.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "app/AppState.h"
#include "app/StringTable.h"

inline void PrepareOnce() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    UnscrambleStrings();
    ResetAppState();
}

#define FUZZ_CHECK(condition)                                                     \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)
