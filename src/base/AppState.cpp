// Initial values of the application state and the paths beside the program.
#include "base/AppState.h"

#include <cstring>

#include "base/StringTable.h"

AppState g_app;

void SetDefaultOptions(OptionSet* options) {
    options->wordwrap = 1;
    options->onTop = 0;
    options->autoBackup = 0;
    options->readOnly = 0;
    options->hideTooltips = 0;
    options->desktopShortcut = 0;
    options->windowX = 24;
    options->windowY = 24;
    options->windowWidth = 470;
    options->windowHeight = 300;
    options->zoom = 100;
    options->backgroundColour = 0xFFFFFF;
    options->fontSize = 10;
    options->textColour = 0;
    options->fontStyle = 0;
    options->fontName = Str(kStrDefaultFontName);
}

void ResetAppState() {
    g_app.fontChanged = 0;
    g_app.unsavedEdit = 0;
    g_app.recordsDeleted = 0;
    g_app.settingsChanged = 0;
    g_app.running = 1;
    g_app.loadState = kLoadRunning;
    g_app.loaded = false;
    g_app.shownRecordUnreadable = false;
    g_app.shownPosition = -1;
    g_app.listSlots.clear();
    g_app.fullTipShown = false;
    g_app.readOnlyTipShown = false;
    g_app.titleTimerRunning = false;
    g_app.dataWriteFailed = false;
    g_app.closePending = false;
    g_app.settingsUnread = false;
    g_app.deletedSlots.clear();
    g_app.deletedDigests.clear();
    g_app.undelete = UndeleteState{};
    g_app.starterFirst = -1;
    g_app.dataVersion = FileVersion();
    g_app.dataVersionKnown = false;
    g_app.dataChangedElsewhere = false;
    g_app.wroteData = false;
    g_app.shownSlot.clear();
    g_app.reloads = 0;
    g_app.listChanges = 0;
    g_app.journalPauseMs = kJournalPauseMs;
    g_app.journalLongestRunning = false;
    g_app.journalWritten = false;
    g_app.journalBlocked = false;
    g_app.journalTipShown = false;
    g_app.searchTerm.clear();
    g_app.findAll.rowSlots.clear();
    g_app.findAll.records = 0;
    g_app.findAll.matches = 0;
    g_app.findAll.term.clear();
    g_app.findAll.flags = 0;
    g_app.findAll.listing = 0;
    g_app.programTitle = Str(kStrProgramTitle);
    g_app.installedCopy = false;
    g_app.programFolder.clear();
    g_app.settingsPath.clear();
    g_app.dataPath.clear();
    g_app.backupPath.clear();
    g_app.journalPath.clear();
    SetDefaultOptions(&g_app.options);
    std::memset(g_app.slotImage, 0, sizeof g_app.slotImage);
}

void ResolvePaths(const std::string& programPath) {
    std::string path = programPath.rfind("\\\\?\\", 0) == 0 ? programPath.substr(4) : programPath;
    std::size_t cut = path.find_last_of("\\/");
    g_app.programFolder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    g_app.settingsPath = g_app.programFolder + Str(kStrSettingsFileName);
    g_app.dataPath = g_app.programFolder + Str(kStrDataFileName);
    g_app.backupPath = g_app.programFolder + Str(kStrBackupFileName);
    g_app.journalPath = g_app.programFolder + Str(kStrJournalFileName);
}
