// The command line: only the first argument counts.
#pragma once

// Whether the first argument, lowered, is "-d".
bool IsDumpSwitch(int argc, const char* const* argv);
