// A process for the crash tests to kill: runs one file-writing operation over FOLDER.
//   crash_probe FOLDER compact|backup|settings
#include <cstdio>
#include <string>

#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/settings/Settings.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
    ResolvePaths(std::string(argv[1]) + "/jotcrate");
    std::string operation = argv[2];
    bool ok = false;
    if (operation == "compact") {
        // The marked slots count as deleted by this run, which the compaction drops.
        for (std::int64_t slot = 0; slot < SlotCount(); ++slot)
            if (ReadSlot(slot) && g_app.slotImage[0] != 0) {
                g_app.deletedSlots.push_back(slot);
                g_app.deletedDigests[slot] = SlotDigest(g_app.slotImage);
            }
        ok = CompactDataFile();
    }
    if (operation == "backup") {
        g_app.options.autoBackup = 1;
        ok = RefreshBackup(true);
    }
    if (operation == "settings") {
        g_app.options.zoom = 170;
        g_app.options.fontName = std::string(200, 'F');
        Rect window{40, 50, 600, 420};
        ok = SaveSettings(false, &window);
    }
    std::printf(ok ? "done\n" : "failed\n");
    return ok ? 0 : 1;
}
