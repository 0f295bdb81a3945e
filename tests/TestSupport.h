// Shared test helpers: a private temporary folder that g_app's paths point into, data files
// built from texts, running real processes, and the file fault plan (FileFaults.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FileFaults.h"

struct TestFolder {
    std::string path;  // with a trailing '/'
};

// Creates a fresh folder and points the program folder and every path of g_app into it.
TestFolder MakeTestFolder();
void RemoveTestFolder(const TestFolder& folder);

// A test with a fresh program folder of its own.
class FolderTest : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTestFolder(); }
    void TearDown() override { RemoveTestFolder(folder); }
    TestFolder folder;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& folder);
bool MakeFolder(const std::string& path);
bool IsFolder(const std::string& path);  // a link to a folder is not one
// Sets a variable of the test's own environment; an empty value removes it.
void SetEnvironment(const std::string& name, const std::string& value);
// A symbolic link; false where the system or the user's rights allow none (Windows).
bool MakeLink(const std::string& target, const std::string& link);
bool IsLink(const std::string& path);
// The paths of the files this process holds open that lie under folder (empty where the
// system does not tell).
std::vector<std::string> OpenFilesUnder(const std::string& folder);
// The file's permission bits (0 where files have none), its read-only state, its size.
unsigned FileMode(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);
bool ResizeFile(const std::string& path, std::int64_t size);
bool RemovePath(const std::string& path);  // a file or an empty folder
// Holds the file as another program holds it while it writes (flock; on Windows a handle with
// write access, which the program's share modes shut out): the
// program's own writers wait for it or give up. Released by ReleaseFileLock.
int HoldFileLock(const std::string& path);
// Gives a file (or the link itself) to the user nobody; false where that takes rights the test
// lacks, or where files have no such owner (Windows).
bool GiveToAnotherUser(const std::string& path, bool link = false);
void ReleaseFileLock(int lock);
// Whether files carry owner, group and other permission bits (not on Windows, where a new
// file takes its folder's access rules).
bool FilesHaveModes();

// A data file image: one slot per text, negation-coded; marked slots carry deleted mark 1.
std::string SlotBytes(const std::string& text, bool deleted = false);
void WriteDataFile(const std::string& path, const std::vector<std::string>& texts);

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal or timed out
    std::string standardError;
};

// Environment entries "NAME=value" replace or add to the test's own; "NAME=" removes NAME.
std::vector<std::string> TestEnvironment(const std::vector<std::string>& changes);
int StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& standardErrorPath = std::string(),
                 const std::string& standardOutputPath = std::string());
// Waits up to timeoutMs for the file to contain text.
bool WaitForText(const std::string& path, const std::string& text, int timeoutMs);
// Waits up to timeoutMs; returns the exit code, -1 for a signal, -2 when still running.
int WaitProcess(int pid, int timeoutMs);
// Waits until one of two processes has exited (at most timeoutMs), then gives the other a
// moment; each code as WaitProcess returns it.
void WaitForOneOfTwo(int a, int b, int timeoutMs, int* exitA, int* exitB);
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         int timeoutMs = 20000);
// Copies the built program (and the window library it loads from beside itself) into folder,
// so that its program folder is that folder.
std::string InstallProgramCopy(const std::string& folder, bool withWindowLibrary = true);
