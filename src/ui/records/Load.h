// Loading the record selector from the data file: at start-up on the load worker, or on the
// UI thread when the last record was deleted and the caller wrote the starter records.
#pragma once

#include <cstdint>

enum LoadMode { kLoadReset = 0, kLoadStartup = 1 };

constexpr int kLargeLoad = 101;

void LoadRecords(int mode);
// On the UI thread: the records read again from a data file that another program changed,
// the record of the same title shown where there is one. False when the file is no whole
// number of slots yet (another program still writing it): nothing changes.
bool ReloadRecords();
// The load worker may start before the main window exists; its control changes wait until
// the window's build has called MainWindowBuilt().
void StartLoadWorker();
void MainWindowBuilt();
// A question the worker asks while this waits gets No, since the UI thread that would answer it
// is waiting here.
void WaitForLoadWorker();
// Reads the selected entry's slot into the editor and applies the zoom; never marks the
// record edited.
void LoadSelectedRecord();
