// The window half of the program. On Linux a library of its own that the executable loads
// only for a window, so that -d starts without the toolkit, exporting only these two entries
// (JC_EXPORT comes from that build); on Windows linked into the program.
#include "app/MainLoop.h"
#include "app/Startup.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/StandIns.h"

#ifndef JC_EXPORT
#define JC_EXPORT extern "C"
#endif

JC_EXPORT int JotcrateRunWindow(int argc, char** argv) {
    switch (BeginRun(argv[0], true)) {
        case kRunFirst:
            return RunMainLoop(argc, argv);
        case kRunHandedOver:
            return 0;
        case kRunNoLock:
            TellUser(Str(kStrProgramTitle), Str(kStrNoInstanceLock));
            return 1;
        case kRunUnsafeDataFolder:
            TellUser(Str(kStrProgramTitle), UnsafeDataFolderText());
            return 1;
    }
    return 1;
}

JC_EXPORT void JotcrateShowNotice(const char* caption, const char* text) { ShowNotice(caption, text); }
