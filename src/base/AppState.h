// The application state g_app: flags, paths, the option set and the slot image, shared by
// every part of the program and by the load worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Rect.h"
#include "base/Numbers.h"
#include "platform/Files.h"

struct OptionSet {
    std::int8_t wordwrap;
    std::int8_t onTop;
    std::int8_t autoBackup;
    std::int8_t readOnly;
    std::int8_t hideTooltips;
    std::int8_t desktopShortcut;
    std::int32_t windowX;
    std::int32_t windowY;
    std::int32_t windowWidth;
    std::int32_t windowHeight;
    std::int32_t zoom;
    std::int32_t backgroundColour;
    std::int32_t fontSize;
    std::int32_t textColour;
    std::int32_t fontStyle;
    std::string fontName;
};

// The search of "Find in All Records": its worker, and the records of the rows it has shown.
struct FindAllState {
    std::thread worker;
    std::shared_ptr<std::atomic<bool>> stop;
    std::uint32_t search;             // which search the rows shown belong to
    std::vector<std::int64_t> rowSlots;  // the record of each row
    int records;
    int matches;
    std::string term;
    int flags;
    std::uint32_t listing;  // g_app.listChanges when the search began: the rows are of that list
};

struct AppState {
    std::uint32_t bringToFrontMessage;
    std::uint8_t fontChanged;
    std::uint8_t unsavedEdit;
    std::uint8_t recordsDeleted;
    std::uint8_t settingsChanged;
    std::atomic<std::uint8_t> running;
    std::thread loadWorker;
    std::atomic<std::uint8_t> loadState;  // kLoadRunning, kLoadSucceeded or kLoadFailed
    bool loaded;                          // UI thread: the records are listed and shown
    bool shownRecordUnreadable;           // the editor's record failed to read: never saved over
    int shownPosition;                    // the selector entry whose record the editor holds, or -1
    bool fullTipShown;                    // the record-full tip goes up once a run
    bool readOnlyTipShown;                // so does the Read Only tip
    bool titleTimerRunning;               // UI thread: the list's title follows typing when it ends
    bool dataWriteFailed;                 // the last write to the data file failed: no backup of it
    bool closePending;                    // the window was closed while the options dialog was open
    bool settingsUnread;                  // the settings file exists but could not be read
    std::vector<std::int64_t> deletedSlots;  // sorted: the slots this run marked, which compaction drops
    std::map<std::int64_t, std::uint64_t> deletedDigests;  // each of those slots' bytes as marked
    std::int64_t starterFirst;            // the first starter record that came in this run as the list emptied, or -1
    FileVersion dataVersion;              // the data file as this program last read or wrote it
    bool dataVersionKnown;
    bool dataChangedElsewhere;            // a write found another program's data file in its place
    bool wroteData;                       // this run wrote into the data file since it last read it
    std::vector<unsigned char> shownSlot;  // the shown record's slot as last read or written
    std::uint32_t reloads;                // how often the records were listed anew (a changed file, a reset)
    std::uint32_t listChanges;            // how often the list changed: those, records added, deleted, brought back, saved
    // UI thread: the journal of unsaved typing. journalPauseMs is the pause in typing before it
    // is written (0: no journal); journalWritten, that the journal file is this run's to remove;
    // journalBlocked, that a journal found at start could be neither applied nor kept, so this
    // run writes none over it; journalTipShown, that a failed write was told (once a run).
    int journalPauseMs;
    bool journalWritten;
    bool journalBlocked;
    bool journalTipShown;
    bool journalLongestRunning;  // the longest wait of steady typing is timed
    std::string searchTerm;
    FindAllState findAll;
    std::string programTitle;
    bool installedCopy;                   // run from where it was installed: files in the user's data folder
    std::string programFolder;            // where the files live: beside the program, or that data folder
    std::string settingsPath;
    std::string dataPath;
    std::string backupPath;
    std::string journalPath;
    OptionSet options;
    unsigned char slotImage[kSlotSize];
};

enum LoadState : std::uint8_t { kLoadRunning, kLoadSucceeded, kLoadFailed };

extern AppState g_app;

constexpr std::size_t kFontNameLimit = 255;

// Zeroes the state, then writes the option defaults and the initial flags (needs the
// unscrambled string table). The bring-to-front message, registered before, is kept.
void ResetAppState();
void SetDefaultOptions(OptionSet* options);
// The program folder is the program file's path cut after its last separator.
void ResolvePaths(const std::string& programPath);
