// What the Windows suites share of the process helpers: Windows does not tell a process's
// open files by path, and its files have no permission bits.
#include "TestSupport.h"

std::vector<std::string> OpenFilesUnder(const std::string&) { return {}; }

bool FilesHaveModes() { return false; }
