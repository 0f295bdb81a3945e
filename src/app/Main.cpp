// Program entry: the start-up steps in order, then one of three ways out: a second instance
// hands over to the first, -d writes the record dump, anything else runs the main loop.
#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/MainLoop.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "platform/Instance.h"
#include "store/DataFile.h"
#include "store/RecordDump.h"

namespace {

int RunRecordDump() {
    switch (WriteRecordDump()) {
        case kDumpWritten:
            return 0;
        case kDumpDataFileError:
            ShowNotice(g_app.programTitle, DataFileErrorText());
            return 1;
        case kDumpDamaged:
            ShowNotice(g_app.programTitle, DamagedDataFileText(DataFileSize(g_app.dataPath)) + Str(kStrDumpedWholeRecords));
            return 1;
        case kDumpFailed:
            ShowNotice(g_app.programTitle, Str(kStrDumpFailed) + "\n" + LastFileError());
            return 1;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    UnscrambleStrings();
    g_app.bringToFrontMessage = RegisterMessage(Str(kStrBringToFrontName));
    ResetAppState();
    std::string programPath = ExecutablePath();
    ResolvePaths(programPath.empty() ? argv[0] : programPath);
    if (!ClaimSingleInstance(Str(kStrInstanceName))) {
        SendToFirstInstance(Str(kStrInstanceName), g_app.bringToFrontMessage);
        return 0;
    }
    RemoveStaleTemporaries();
    if (IsDumpSwitch(argc, argv)) return RunRecordDump();
    return RunMainLoop(argc, argv);
}
