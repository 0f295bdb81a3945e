// Single instance with real processes: who becomes the first, what a second one sends, and
// that neither a killed instance nor a silent peer blocks the next.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "TestSupport.h"
#include "platform/Instance.h"

namespace {

const std::string kName = "jotcrate-test-instance";

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder();
        runtime = folder.path + "run";
        mkdir(runtime.c_str(), 0700);
        cache = folder.path + "cache";
        env = TestEnvironment({"XDG_RUNTIME_DIR=" + runtime, "XDG_CACHE_HOME=" + cache});
    }
    void TearDown() override {
        for (int pid : running) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        RemoveTestFolder(folder);
    }
    // Starts a probe whose standard output goes to folder/<label>.
    int StartProbe(const std::string& label, const std::string& name = kName, int listenDelay = 0,
                   const std::string& filesFolder = std::string()) {
        int pid = StartProcess({INSTANCE_PROBE, name, std::to_string(listenDelay), "20000", filesFolder}, env,
                               std::string(), folder.path + label);
        running.push_back(pid);
        return pid;
    }
    std::string Output(const std::string& label) { return ReadFileBytes(folder.path + label); }

    TestFolder folder;
    std::string runtime, cache;
    std::vector<std::string> env;
    std::vector<int> running;
};

TEST_F(InstanceTest, OfTwoStartedTogetherExactlyOneIsFirst) {
    for (int round = 0; round < 10; ++round) {
        std::string a = "a" + std::to_string(round), b = "b" + std::to_string(round);
        int pidA = StartProbe(a);
        int pidB = StartProbe(b);
        int exitA, exitB;
        WaitForOneOfTwo(pidA, pidB, 3000, &exitA, &exitB);
        EXPECT_TRUE((exitA == 0 && exitB == -2) || (exitA == -2 && exitB == 0))
            << round << ": " << exitA << " " << exitB;
        std::string outputs = Output(a) + Output(b);
        std::size_t firsts = 0;
        for (std::size_t p = outputs.find("first"); p != std::string::npos; p = outputs.find("first", p + 1)) ++firsts;
        EXPECT_EQ(1u, firsts) << outputs;
        for (int pid : running) kill(pid, SIGKILL);
        for (int pid : running) waitpid(pid, nullptr, 0);
        running.clear();
    }
}

TEST_F(InstanceTest, SecondInstanceSendsTheMessageAndExits) {
    StartProbe("first");
    ASSERT_TRUE(WaitForText(folder.path + "first", "listening", 5000));
    ProcessResult second = RunProcess({INSTANCE_PROBE, kName}, env, 5000);
    EXPECT_EQ(0, second.exitCode);
    EXPECT_TRUE(WaitForText(folder.path + "first", "message " + std::to_string(RegisterMessage(kName)), 5000))
        << Output("first");
    struct stat st;
    ASSERT_EQ(0, stat((runtime + "/" + kName + ".sock").c_str(), &st));
    EXPECT_EQ(0u, st.st_mode & 077);
    ASSERT_EQ(0, stat((runtime + "/" + kName + ".lock").c_str(), &st));
    EXPECT_EQ(0u, st.st_mode & 077);
}

TEST_F(InstanceTest, SecondExitsEvenBeforeTheFirstListens) {
    StartProbe("first", kName, 10000);
    ASSERT_TRUE(WaitForText(folder.path + "first", "first", 5000));
    ProcessResult second = RunProcess({INSTANCE_PROBE, kName}, env, 2000);
    EXPECT_EQ(0, second.exitCode);
}

TEST_F(InstanceTest, KilledInstanceBlocksNothing) {
    int first = StartProbe("killed");
    ASSERT_TRUE(WaitForText(folder.path + "killed", "listening", 5000));
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    running.clear();
    StartProbe("next");
    ASSERT_TRUE(WaitForText(folder.path + "next", "listening", 5000)) << Output("next");
    EXPECT_EQ(0, RunProcess({INSTANCE_PROBE, kName}, env, 5000).exitCode);
    EXPECT_TRUE(WaitForText(folder.path + "next", "message", 5000));
}

TEST_F(InstanceTest, SilentPeerDoesNotStallTheListener) {
    StartProbe("first");
    ASSERT_TRUE(WaitForText(folder.path + "first", "listening", 5000));
    int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = runtime + "/" + kName + ".sock";
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(0, connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address));
    EXPECT_EQ(0, RunProcess({INSTANCE_PROBE, kName}, env, 5000).exitCode);
    EXPECT_TRUE(WaitForText(folder.path + "first", "message", 5000));
    close(silent);
}

// Where the runtime folder is open to others or missing, the lock moves to the user's cache;
// where a folder there is not the user's alone, beside the files. Each time a second start
// finds the first, and where no folder can be had the program does not run unlocked.
TEST_F(InstanceTest, AFolderOthersCanUseNeverLeavesTheInstanceUnlocked) {
    auto firstAndSecond = [&](const std::string& label, const std::string& lockFolder, const std::string& files) {
        StartProbe(label, kName, 0, files);
        ASSERT_TRUE(WaitForText(folder.path + label, "listening", 5000)) << label << Output(label);
        struct stat st;
        ASSERT_EQ(0, lstat((lockFolder + "/" + kName + ".lock").c_str(), &st)) << label;
        ASSERT_EQ(0, lstat(lockFolder.c_str(), &st)) << label;
        EXPECT_EQ(0u, st.st_mode & 077) << label;
        int second = StartProcess({INSTANCE_PROBE, kName, "0", "0", files}, env, std::string(), folder.path + "second");
        EXPECT_EQ(0, WaitProcess(second, 5000)) << label;
        EXPECT_EQ("second 1\n", Output("second")) << label;
        for (int pid : running) kill(pid, SIGKILL);
        for (int pid : running) waitpid(pid, nullptr, 0);
        running.clear();
    };
    chmod(runtime.c_str(), 0777);
    firstAndSecond("open runtime", cache + "/" + kName, "");
    EXPECT_FALSE(PathExists(runtime + "/" + kName + ".lock"));
    env = TestEnvironment({"XDG_RUNTIME_DIR=", "XDG_CACHE_HOME=" + cache});
    firstAndSecond("no runtime", cache + "/" + kName, "");
    // Another user's squat (or any folder others may enter) in the cache.
    chmod((cache + "/" + kName).c_str(), 0755);
    std::string files = folder.path + "files";
    mkdir(files.c_str(), 0700);
    firstAndSecond("squatted cache", files, files + "/");
    struct stat st;
    ASSERT_EQ(0, stat((cache + "/" + kName).c_str(), &st));
    EXPECT_EQ(0755u, st.st_mode & 0777);
    int none = StartProcess({INSTANCE_PROBE, kName, "0", "0", ""}, env, std::string(), folder.path + "none");
    EXPECT_EQ(4, WaitProcess(none, 5000));
    EXPECT_EQ("no lock\n", Output("none"));
}

// Two starts on the same files never both run: not with different runtime folders (another
// environment), not after the first's lock file was removed.
TEST_F(InstanceTest, AnotherEnvironmentOrARemovedLockFileStillFindsTheFirst) {
    std::string files = folder.path + "files/";
    mkdir(files.c_str(), 0700);
    StartProbe("first", kName, 0, files);
    ASSERT_TRUE(WaitForText(folder.path + "first", "listening", 5000));
    std::string other = folder.path + "other-run";
    mkdir(other.c_str(), 0700);
    auto start = [&](const std::vector<std::string>& environment, const std::string& label) {
        int pid =
            StartProcess({INSTANCE_PROBE, kName, "0", "0", files}, environment, std::string(), folder.path + label);
        EXPECT_EQ(0, WaitProcess(pid, 5000)) << label;
        return Output(label);
    };
    EXPECT_EQ(0u,
              start(TestEnvironment({"XDG_RUNTIME_DIR=" + other, "XDG_CACHE_HOME=" + cache}), "other").find("second"));
    ASSERT_EQ(0, unlink((runtime + "/" + kName + ".lock").c_str()));
    EXPECT_EQ(0u, start(env, "removed").find("second"));
    // Other files are another matter for the folder, though not for the user's lock.
    std::string elsewhere = folder.path + "elsewhere/";
    mkdir(elsewhere.c_str(), 0700);
    int pid = StartProcess({INSTANCE_PROBE, kName, "0", "0", elsewhere},
                           TestEnvironment({"XDG_RUNTIME_DIR=" + other, "XDG_CACHE_HOME=" + cache}), std::string(),
                           folder.path + "elsewhere-run");
    EXPECT_TRUE(WaitForText(folder.path + "elsewhere-run", "first", 5000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A lock file another user made (where the lock falls back to a shared folder of the files) could
// be held by them for ever: it is no lock, and the start says so instead of handing over.
TEST_F(InstanceTest, ALockFileOfAnotherUserIsNoLock) {
    env = TestEnvironment({"XDG_RUNTIME_DIR=", "XDG_CACHE_HOME=" + folder.path + "no-cache-here/x", "HOME="});
    std::string files = folder.path + "files";
    mkdir(files.c_str(), 01777);
    chmod(files.c_str(), 01777);
    int squat = open((files + "/" + kName + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(squat, 0);
    if (fchown(squat, 65534, 65534) != 0) GTEST_SKIP() << "giving a file another owner needs root";
    WriteFileBytes(folder.path + "no-cache-here", "a file, so no folder can be made under it");
    int pid = StartProcess({INSTANCE_PROBE, kName, "0", "0", files + "/"}, env, std::string(), folder.path + "probe");
    EXPECT_EQ(4, WaitProcess(pid, 5000));
    EXPECT_EQ("no lock\n", Output("probe"));
    close(squat);
}

// The real program: -d while the window runs dumps the data file as saved and leaves the window
// be; an unknown option is refused with the usage, before anything else.
TEST_F(InstanceTest, DumpWhileTheWindowRunsLeavesTheWindowBe) {
    StartProbe("first", "jotcrate-instance");
    ASSERT_TRUE(WaitForText(folder.path + "first", "listening", 5000));
    std::string program = InstallProgramCopy(folder.path);
    WriteDataFile(folder.path + "Jotcrate.jcd", {"A", "B"});
    std::vector<std::string> env = TestEnvironment({"XDG_RUNTIME_DIR=" + runtime, "DISPLAY="});
    ProcessResult dump = RunProcess({program, "-d"}, env);
    EXPECT_EQ(0, dump.exitCode) << dump.standardError;
    EXPECT_EQ("\r\nA\r\n\r\n" + std::string(76, '-') + "\r\n\r\nB\r\n", ReadFileBytes(folder.path + "record-dump.txt"));
    for (const char* option : {"-x", "--nonsense", "-"}) {
        ProcessResult wrong = RunProcess({program, option}, env);
        EXPECT_EQ(2, wrong.exitCode) << option;
        EXPECT_NE(std::string::npos, wrong.standardError.find(std::string("unknown option: ") + option))
            << wrong.standardError;
        EXPECT_NE(std::string::npos, wrong.standardError.find("Usage: jotcrate")) << wrong.standardError;
    }
    EXPECT_EQ(std::string::npos, ReadFileBytes(folder.path + "first").find("message")) << "brought to the front";
}

// --help and --version answer even while an instance runs, with no display and no window
// library, and say where this copy keeps its files.
TEST_F(InstanceTest, HelpAndVersionAnswerWithoutDisplayOrHandingOver) {
    StartProbe("first", "jotcrate-instance");
    ASSERT_TRUE(WaitForText(folder.path + "first", "listening", 5000));
    std::string program = InstallProgramCopy(folder.path, false);
    std::vector<std::string> env = TestEnvironment({"XDG_RUNTIME_DIR=" + runtime, "DISPLAY=", "WAYLAND_DISPLAY="});
    std::string out = folder.path + "out";
    for (const char* word : {"--help", "--version"}) {
        int pid = StartProcess({program, word}, env, folder.path + "err", out);
        EXPECT_EQ(0, WaitProcess(pid, 20000)) << word << ReadFileBytes(folder.path + "err");
        std::string printed = ReadFileBytes(out);
        if (std::string(word) == "--help") {
            EXPECT_EQ(0u, printed.find("Usage: jotcrate [-d | --help | --version]\n")) << printed;
            EXPECT_NE(std::string::npos, printed.find("This copy's folder: " + folder.path + "\n")) << printed;
        } else {
            EXPECT_TRUE(printed.rfind("Jotcrate 0.", 0) == 0 && printed.back() == '\n') << printed;
        }
    }
    EXPECT_FALSE(PathExists(folder.path + "Jotcrate.jcd"));
    EXPECT_EQ(std::string::npos, ReadFileBytes(folder.path + "first").find("message")) << "handed over";
}

TEST_F(InstanceTest, OfTwoProgramsStartedTogetherOneRunsAndOneExits) {
    std::string program = InstallProgramCopy(folder.path);
    std::vector<std::string> gui =
        TestEnvironment({"XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=offscreen", "HOME=" + folder.path});
    int a = StartProcess({program}, gui);
    int b = StartProcess({program}, gui);
    running = {a, b};
    int exitA, exitB;
    WaitForOneOfTwo(a, b, 5000, &exitA, &exitB);
    EXPECT_TRUE((exitA == 0 && exitB == -2) || (exitA == -2 && exitB == 0)) << exitA << " " << exitB;
}

}  // namespace
