// The start shared by the record dump and the window, in the order both rely on: paths
// before the instance lock (the lock is named for nothing else), stale temporaries removed
// only by the instance that holds it.
#include "app/Startup.h"

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "platform/Instance.h"
#include "store/DataFile.h"

bool BeginRun(const char* argv0) {
    UnscrambleStrings();
    g_app.bringToFrontMessage = RegisterMessage(Str(kStrBringToFrontName));
    ResetAppState();
    std::string programPath = ExecutablePath();
    ResolvePaths(programPath.empty() ? argv0 : programPath);
    if (!ClaimSingleInstance(Str(kStrInstanceName))) {
        SendToFirstInstance(Str(kStrInstanceName), g_app.bringToFrontMessage);
        return false;
    }
    RemoveStaleTemporaries();
    return true;
}
