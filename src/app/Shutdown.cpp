// Hide at once, then make the records safe: save, compact, back up; then the settings. The
// record-store steps wait for a running load and are skipped when the load failed, so a
// damaged data file never reaches the backup.
#include "app/Shutdown.h"

#include "app/AppState.h"
#include "app/Numbers.h"
#include "app/StringTable.h"
#include "options/Settings.h"
#include "platform/Gui.h"
#include "store/Compact.h"
#include "store/DataFile.h"
#include "store/Load.h"
#include "store/Records.h"

void CloseMainWindow() {
    HideWindow(kWindowMain);
    WaitForLoadWorker();
    bool hadUnsavedEdit = g_app.loaded && g_app.unsavedEdit;
    if (hadUnsavedEdit) SaveRecord();
    if (g_app.loaded && g_app.recordsDeleted && !CompactDataFile()) ReportFileFailure(kStrCompactFailed);
    if (g_app.loadState == kLoadSucceeded && !RefreshBackup(hadUnsavedEdit)) ReportFileFailure(kStrBackupFailed);
    if (g_app.settingsChanged) {
        Rect outer;
        SaveSettings(false, NormalOuterRect(kWindowMain, &outer) ? &outer : nullptr);
    }
    g_app.running = 0;
}
