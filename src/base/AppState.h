// The application state g_app: flags, paths, the option set and the slot image, shared by
// every part of the program. Who may touch what (TESTING.md has the threads): the UI thread
// owns every field unless its group says otherwise. The paths and the title are set before
// any other thread starts and only read after; the load worker writes loadState alone and
// hands what it learnt of the data file over through the load's result (ui/records/Load.cpp);
// the find-all worker gets copies when it starts and touches only the search index.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/Numbers.h"
#include "platform/Files.h"
#include "platform/Rect.h"

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
// UI thread; the worker shares only the stop flag (and gets copies of the term and listing).
struct FindAllState {
    std::thread worker;                       // started and joined by the UI thread
    std::shared_ptr<std::atomic<bool>> stop;  // the running search's: set by the UI thread
    std::uint32_t search;                     // which search the rows shown belong to
    std::vector<std::int64_t> rowSlots;       // the record of each row
    int records;
    int matches;
    std::string term;
    int flags;
    std::uint32_t listing;  // g_app.listChanges when the search began: the rows are of that list
};

// The Undelete window while it stands: the deleted records it lists, in its order, and how
// often the records had been listed when it opened (a later listing makes its rows stale).
struct UndeleteState {
    std::vector<std::int64_t> offered;
    std::uint32_t reloads;
};

struct AppState {
    // Set before any other thread starts; read on any thread after.
    std::uint32_t bringToFrontMessage;  // the instance listener compares what it hears with it
    std::string programTitle;
    bool installedCopy;         // run from where it was installed: files in the user's data folder
    std::string programFolder;  // where the files live: beside the program, or that data folder
    std::string settingsPath;
    std::string dataPath;
    std::string backupPath;
    std::string journalPath;

    // Crossing threads, so atomic.
    std::atomic<std::uint8_t> running;    // UI thread writes; read at exit() on whichever thread calls it
    std::atomic<std::uint8_t> loadState;  // the load worker writes kLoadSucceeded or kLoadFailed; the UI thread reads
    std::thread loadWorker;               // UI thread: started and joined there (WaitForLoadWorker)

    // UI thread alone, from here on.
    std::uint8_t fontChanged;
    std::uint8_t unsavedEdit;
    std::uint8_t recordsDeleted;
    std::uint8_t settingsChanged;
    bool loaded;                          // the records are listed and shown: the load's result is taken
    bool shownRecordUnreadable;           // the editor's record failed to read: never saved over
    int shownPosition;                    // the selector entry whose record the editor holds, or -1
    std::vector<std::int64_t> listSlots;  // the slot of each selector entry, in the list's order
    bool fullTipShown;                    // the record-full tip goes up once a run
    bool readOnlyTipShown;                // so does the Read Only tip
    bool titleTimerRunning;               // the list's title follows typing when it ends
    int zoomWheelParts;                   // of a CTRL+wheel notch, from touchpads and smooth wheels
    bool closePending;                    // the window was closed while the options dialog was open
    bool settingsUnread;                  // the settings file exists but could not be read
    // The data file as this run knows it (core/store and ui/records). The load worker never
    // writes these: its version and slot image reach them when the UI thread takes the load's
    // result; a find-all search copies the version when it starts.
    FileVersion dataVersion;  // the data file as this program last read or wrote it
    bool dataVersionKnown;
    bool dataChangedElsewhere;                             // a write found another program's data file in its place
    bool wroteData;                                        // this run wrote into the data file since it last read it
    bool dataWriteFailed;                                  // the last write to the data file failed: no backup of it
    std::vector<unsigned char> shownSlot;                  // the shown record's slot as last read or written
    std::vector<std::int64_t> deletedSlots;                // sorted: the slots this run marked, which compaction drops
    std::map<std::int64_t, std::uint64_t> deletedDigests;  // each of those slots' bytes as marked
    std::int64_t starterFirst;  // the first starter record that came in this run as the list emptied, or -1
    std::uint32_t reloads;      // how often the records were listed anew (a changed file, a reset)
    std::uint32_t listChanges;  // how often the list changed: those, records added, deleted, brought back, saved
    unsigned char slotImage[kSlotSize];  // the slot operations' buffer; other threads read into their own
    // The journal of unsaved typing. journalPauseMs is the pause in typing before it is written
    // (0: no journal); journalWritten, that the journal file is this run's to remove;
    // journalBlocked, that a journal found at start could be neither applied nor kept, so this
    // run writes none over it; journalTipShown, that a failed write was told (once a run).
    int journalPauseMs;
    bool journalWritten;
    bool journalBlocked;
    bool journalTipShown;
    bool journalLongestRunning;  // the longest wait of steady typing is timed
    std::string searchTerm;
    FindAllState findAll;
    UndeleteState undelete;
    OptionSet options;  // read from the settings before the load worker starts
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
