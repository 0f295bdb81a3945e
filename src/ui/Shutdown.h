// Closing the main window: the only way a running program ends, bar a fatal data-file error.
#pragma once

// A close at the end of the session does not wait for the options dialog: that is cancelled.
void CloseMainWindow(bool endingSession = false);
