// The command line: only the first argument counts.
#pragma once

// Whether the first argument, lowered, is "-d".
bool IsDumpSwitch(int argc, const char* const* argv);
// Whether the first argument is exactly word ("--help", "--version").
bool IsFirstArgument(int argc, const char* const* argv, const char* word);
// Whether the first argument looks like an option ("-x", "--what") that is none of ours.
bool IsUnknownOption(int argc, const char* const* argv);
