// The steps every run takes before it knows what it is for: the texts, the folder of the
// files, and the single instance; and where the window library is.
#pragma once

#include <string>

// Whether the program file lies in the folder the package installs it to, or in /usr/bin or
// /usr/local/bin (links resolved): only there does it keep its files in the user's data
// folder. A copy anywhere else is portable and never writes into the home folder.
bool IsInstalledCopy(const std::string& programPath, const std::string& installedFolder);
// The program's own path as the system knows it, else argv0.
std::string ProgramPath(const char* argv0);
// Beside the program where it is there (the build, a portable copy, one put into a system
// folder by hand), else in the folder the package installs it to.
std::string WindowLibraryPath(const std::string& programPath);
// The folder of the data file, backup, settings and dump, with a slash at the end (needs the
// unscrambled string table).
std::string FilesFolder(const std::string& programPath, bool installed);
// kRunHandedOver when another instance runs: it was asked to come to the front (only when
// bringToFront) and this run ends. kRunNoLock when the single-instance lock could be set up nowhere: this run ends too,
// since two instances on one data file could lose records. kRunUnsafeDataFolder when the
// installed program's data folder is one another user owns or may write into: they could
// swap the data file for theirs or take it away, so this run ends before touching it.
// What the user is told of kRunUnsafeDataFolder, naming the folder.
std::string UnsafeDataFolderText();
enum RunStart { kRunFirst, kRunHandedOver, kRunNoLock, kRunUnsafeDataFolder };
RunStart BeginRun(const char* argv0, bool bringToFront);
