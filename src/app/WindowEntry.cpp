// The window half of the program, built as a library of its own that the executable loads
// only for a window, so that -d starts without the toolkit. Its two entries are the only
// names it exports.
#include "app/MainLoop.h"
#include "app/Startup.h"
#include "platform/Gui.h"

#define JC_EXPORT extern "C" __attribute__((visibility("default")))

JC_EXPORT int JotcrateRunWindow(int argc, char** argv) {
    if (!BeginRun(argv[0])) return 0;
    return RunMainLoop(argc, argv);
}

JC_EXPORT void JotcrateShowNotice(const char* caption, const char* text) { ShowNotice(caption, text); }
