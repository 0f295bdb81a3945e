// Closing the main window: the only way a running program ends, bar a fatal data-file error.
#pragma once

void CloseMainWindow();
