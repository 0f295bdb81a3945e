#include "app/CommandLine.h"

#include "store/RecordText.h"

bool IsDumpSwitch(int argc, const char* const* argv) { return argc >= 2 && argv[1] && SameIgnoringCase(argv[1], "-d"); }
