// Running real processes in tests (Linux): spawned with a chosen environment, waited for
// with timeouts, and copies of the built program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "TestSupport.h"

extern char** environ;

std::vector<std::string> TestEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    for (const std::string& change : changes) {
        std::string name = change.substr(0, change.find('=') + 1);
        for (auto it = env.begin(); it != env.end();) it = it->rfind(name, 0) == 0 ? env.erase(it) : it + 1;
        if (change.size() > name.size()) env.push_back(change);
    }
    return env;
}

int StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& standardErrorPath, const std::string& standardOutputPath) {
    std::vector<char*> args, env;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!standardErrorPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, standardErrorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!standardOutputPath.empty())
        posix_spawn_file_actions_addopen(&actions, 1, standardOutputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitProcess(int pid, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() > deadline) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool WaitForText(const std::string& path, const std::string& text, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ReadFileBytes(path).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void WaitForOneOfTwo(int a, int b, int timeoutMs, int* exitA, int* exitB) {
    *exitA = *exitB = -2;
    for (int waited = 0; *exitA == -2 && *exitB == -2 && waited < timeoutMs; waited += 5) {
        *exitA = WaitProcess(a, 0);
        *exitB = WaitProcess(b, 5);
    }
    if (*exitA == -2) *exitA = WaitProcess(a, 200);
    if (*exitB == -2) *exitB = WaitProcess(b, 200);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         int timeoutMs) {
    char errorPath[] = "/tmp/jotcrate-stderr-XXXXXX";
    int fd = mkstemp(errorPath);
    if (fd >= 0) close(fd);
    ProcessResult result;
    int pid = StartProcess(argv, environment, errorPath);
    if (pid > 0) {
        result.exitCode = WaitProcess(pid, timeoutMs);
        if (result.exitCode == -2) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            result.exitCode = -1;
        }
    }
    result.standardError = ReadFileBytes(errorPath);
    unlink(errorPath);
    return result;
}

std::string InstallProgramCopy(const std::string& folder, bool withWindowLibrary) {
    std::string target = folder + "jotcrate";
    WriteFileBytes(target, ReadFileBytes(JOTCRATE_BINARY));
    chmod(target.c_str(), 0755);
    if (withWindowLibrary) {
        std::string library = JOTCRATE_WINDOW_LIBRARY;
        WriteFileBytes(folder + library.substr(library.rfind('/') + 1), ReadFileBytes(library));
    }
    return target;
}

std::vector<std::string> OpenFilesUnder(const std::string& folder) {
    std::vector<std::string> paths;
    for (const std::string& fd : FolderEntries("/proc/self/fd/")) {
        std::vector<char> target(4096);
        ssize_t n = readlink(("/proc/self/fd/" + fd).c_str(), target.data(), target.size() - 1);
        std::string path(target.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n > 0 && path.compare(0, folder.size(), folder) == 0) paths.push_back(path);
    }
    return paths;
}

bool FilesHaveModes() { return true; }

int HoldFileLock(const std::string& path) {
    int lock = open(path.c_str(), O_RDONLY);
    if (lock >= 0) flock(lock, LOCK_EX);
    return lock;
}

void ReleaseFileLock(int lock) {
    if (lock >= 0) close(lock);
}

bool GiveToAnotherUser(const std::string& path, bool link) {
    return (link ? lchown(path.c_str(), 65534, 65534) : chown(path.c_str(), 65534, 65534)) == 0;
}
