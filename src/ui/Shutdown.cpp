// Hide at once, then make the records safe: save, compact, back up; then the settings. The
// record-store steps wait for a running load; when the load failed, its error is shown and
// nothing at all is written. The close cannot be cancelled, so text that could not be saved
// goes to a file of its own; and it waits while the options dialog is open, unless the
// session is ending.
#include "ui/Shutdown.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/settings/Settings.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/editor/FindAll.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"
#include "ui/records/UndeleteWindow.h"

void CloseMainWindow(bool endingSession) {
    if (WindowExists(kWindowOptions) && !endingSession) {
        g_app.closePending = true;
        RaiseWindow(kWindowOptions);
        return;
    }
    if (WindowExists(kWindowOptions)) {
        CloseWindow(kWindowOptions);
        EnableWindow(kWindowMain, true);
    }
    g_app.closePending = false;
    // Nothing waits on the Undelete window: closing is its Cancel.
    CloseUndeleteWindow();
    HideWindow(kWindowMain);
    StopFindAll();
    // No change seen while the records are made safe starts another search.
    g_app.findAll.term.clear();
    WaitForLoadWorker();
    if (g_app.loadState == kLoadFailed) {
        RunPendingUiSteps();
        g_app.running = 0;
        return;
    }
    bool hadUnsavedEdit = g_app.loaded && g_app.unsavedEdit;
    // A save that failed leaves the edit pending; one that met another program's data file
    // has kept the text already. Either way the edit is no reason for a backup of the file.
    if (hadUnsavedEdit && !SaveRecord()) {
        std::string kept;
        if (g_app.unsavedEdit && KeepUnsavedText(&kept)) {
            // Kept: no journal written while the notice stands offers the text again.
            g_app.unsavedEdit = 0;
            ShowProgramNotice(Str(kStrKeptUnsavedPrefix) + kept);
        } else if (g_app.unsavedEdit) {
            ShowFailure(kStrLostAtClose);
        }
        hadUnsavedEdit = false;
    }
    // A file another program put in place since is taken as it is: the deletions and edits
    // that would call for a compaction or a backup were of the file that is gone.
    if (g_app.loaded && !IsDataFileAsLeft()) ReloadRecords();
    if (g_app.loaded && !g_app.deletedSlots.empty() && !CompactDataFile()) ShowFailure(kStrCompactFailed);
    if (g_app.loadState == kLoadSucceeded && !RefreshBackup(hadUnsavedEdit)) ShowFailure(kStrBackupFailed);
    // Settings that could not be read at start, or only in part, are not written over; what
    // changed in this run is then lost, and the user is told.
    if (g_app.settingsChanged && !g_app.settingsUnread) {
        Rect outer;
        if (!SaveSettings(false, NormalOuterRect(kWindowMain, &outer) ? &outer : nullptr))
            ShowFailure(kStrSettingsFailed);
    } else if (g_app.settingsChanged) {
        ShowProgramNotice(Str(kStrSettingsFailed) + Str(kStrSettingsUnread) + g_app.settingsPath);
    }
    g_app.running = 0;
}
