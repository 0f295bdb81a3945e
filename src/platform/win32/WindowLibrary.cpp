// On Windows the window half is linked into the program: no library to load.
#include "platform/WindowLibrary.h"

extern "C" int JotcrateRunWindow(int argc, char** argv);
extern "C" void JotcrateShowNotice(const char* caption, const char* text);

bool FindWindowEntries(const std::string&, WindowEntries* entries, std::string*) {
    entries->run = JotcrateRunWindow;
    entries->showNotice = JotcrateShowNotice;
    return true;
}
