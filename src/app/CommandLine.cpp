#include "app/CommandLine.h"

#include <cstring>

#include "base/RecordText.h"

bool IsDumpSwitch(int argc, const char* const* argv) { return argc >= 2 && argv[1] && SameIgnoringCase(argv[1], "-d"); }

bool IsFirstArgument(int argc, const char* const* argv, const char* word) {
    return argc >= 2 && argv[1] && std::strcmp(argv[1], word) == 0;
}

bool IsUnknownOption(int argc, const char* const* argv) {
    if (argc < 2 || !argv[1] || argv[1][0] != '-' || IsDumpSwitch(argc, argv)) return false;
    return !IsFirstArgument(argc, argv, "--help") && !IsFirstArgument(argc, argv, "--version");
}
