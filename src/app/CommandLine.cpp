#include "app/CommandLine.h"

#include <string>

bool IsDumpSwitch(int argc, const char* const* argv) {
    if (argc < 2 || !argv[1]) return false;
    std::string first = argv[1];
    for (char& c : first)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return first == "-d";
}
