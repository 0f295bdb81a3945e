// The settings file: the option set and the main window's placement between runs.
#pragma once

#include "base/AppState.h"

// Reads both groups into g_app.options and resets a window rectangle that does not fit the
// work area. False when the file could not be opened (the options keep their values) or is
// damaged by its size (what it held is used as far as the limit).
bool LoadSettings(const Rect& workArea);
// Writes the option set; the window's outer rectangle only when given (not when the window
// is maximised or minimised). With fresh, the file is first created empty.
bool SaveSettings(bool fresh, const Rect* windowRect);
// Whether start-up must write a fresh file: missing, empty or a folder.
bool SettingsFileNeedsFresh();
