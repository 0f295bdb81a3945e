// The program killed with SIGKILL at many points of the compaction, the backup refresh and the
// settings save: every start afterwards lists every live record with its text, from a
// well-formed data file, and each file is whole, old or new.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/store/DataFile.h"

namespace {

constexpr int kRecords = 3000;  // 96 MB: long enough to be killed in the middle
constexpr int kKillPoints = 20;

std::string Text(int i) { return "Record " + std::to_string(i) + "\r\n" + std::string(100 + i % 900, 'a' + i % 26); }

class CrashSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder();
        pristine = folder.path + "pristine/";
        mkdir(pristine.c_str(), 0700);
        program = InstallProgramCopy(folder.path);
        std::string runtime = folder.path + "run";
        mkdir(runtime.c_str(), 0700);
        env = TestEnvironment({"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + runtime});
        std::string bytes;
        for (int i = 0; i < kRecords; ++i) {
            bytes += SlotBytes(Text(i), i % 10 == 5);
            all += (i ? "\r\n\r\n" + std::string(76, '-') + "\r\n\r\n" : "\r\n") + Trimmed(i);
            if (i % 10 != 5) live.push_back(i);
        }
        all += "\r\n";
        WriteFileBytes(pristine + "Jotcrate.jcd", bytes);
    }
    void TearDown() override { RemoveTestFolder(folder); }
    static std::string Trimmed(int i) { return Text(i); }

    // The dump the program writes at its next start, as the check of what a start lists.
    std::string DumpAtNextStart() {
        ProcessResult run = RunProcess({program, "-d"}, env);
        EXPECT_EQ(0, run.exitCode) << run.standardError;
        return ReadFileBytes(folder.path + "record-dump.txt");
    }
    std::string Expected(const std::vector<int>& records) {
        std::string dump;
        for (std::size_t k = 0; k < records.size(); ++k) {
            if (k == 0) dump += "\r\n";
            dump += Trimmed(records[k]);
            dump += (k + 1 == records.size() && k != 0) ? "\r\n" : "\r\n\r\n" + std::string(76, '-') + "\r\n\r\n";
        }
        return dump;
    }
    // Spawns the probe and kills it after the delay; returns whether it had finished.
    bool RunAndKill(const std::string& operation, int delayMicroseconds) {
        int pid = StartProcess({CRASH_PROBE, folder.path, operation}, env);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status);
    }
    // The quickest of three runs, each from the file restored: one slowed by a busy machine
    // would put most kill points after the end.
    int MeasureMicroseconds(const std::string& operation, const std::string& restored) {
        long quickest = 0;
        for (int run = 0; run < 3; ++run) {
            Restore(restored);
            auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(0, RunProcess({CRASH_PROBE, folder.path, operation}, env).exitCode);
            long took =
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
            quickest = run == 0 ? took : std::min(quickest, took);
        }
        return static_cast<int>(quickest);
    }
    void Restore(const std::string& name) { WriteFileBytes(folder.path + name, ReadFileBytes(pristine + name)); }
    void ExpectNoTemporaries() {
        for (const std::string& name : FolderEntries(folder.path))
            EXPECT_TRUE(name.find(".tmp") == std::string::npos && name != "Jotcrate.cmp") << name << " left behind";
    }

    TestFolder folder;
    std::string pristine, program, all;
    std::vector<std::string> env;
    std::vector<int> live;
};

TEST_F(CrashSafetyTest, KilledCompactionLosesNoRecord) {
    int duration = MeasureMicroseconds("compact", "Jotcrate.jcd");
    std::vector<int> everything(kRecords);
    for (int i = 0; i < kRecords; ++i) everything[static_cast<std::size_t>(i)] = i;
    const std::string before = Expected(everything), after = Expected(live);
    int killedMidway = 0;
    for (int point = 0; point < kKillPoints; ++point) {
        Restore("Jotcrate.jcd");
        bool finished = RunAndKill("compact", duration * point / (kKillPoints - 1));
        killedMidway += !finished;
        ASSERT_TRUE(IsWellFormedSize(DataFileSize(g_app.dataPath))) << "kill point " << point;
        std::string dump = DumpAtNextStart();
        EXPECT_TRUE(dump == before || dump == after) << "kill point " << point;
        ExpectNoTemporaries();
    }
    EXPECT_GT(killedMidway, kKillPoints / 2);
}

TEST_F(CrashSafetyTest, KilledBackupRefreshLeavesAWholeBackup) {
    Restore("Jotcrate.jcd");
    WriteDataFile(pristine + "Jotcrate.bak", {"old backup"});
    int duration = MeasureMicroseconds("backup", "Jotcrate.bak");
    const std::string data = ReadFileBytes(g_app.dataPath);
    for (int point = 0; point < kKillPoints; ++point) {
        Restore("Jotcrate.bak");
        RunAndKill("backup", duration * point / (kKillPoints - 1));
        std::string backup = ReadFileBytes(g_app.backupPath);
        EXPECT_TRUE(backup == data || backup == SlotBytes("old backup")) << "kill point " << point;
        EXPECT_EQ(data, ReadFileBytes(g_app.dataPath));
        EXPECT_EQ(all, DumpAtNextStart());
        ExpectNoTemporaries();
    }
}

TEST_F(CrashSafetyTest, KilledSettingsSaveLeavesOldOrNewSettings) {
    const std::string old = "; mine\r\n[Options]\r\nWordwrap=0\r\n\r\n[Window]\r\nZoom=120\r\n";
    WriteFileBytes(pristine + "Jotcrate.ini", old);
    int duration = MeasureMicroseconds("settings", "Jotcrate.ini");
    const std::string saved = ReadFileBytes(g_app.settingsPath);
    ASSERT_NE(old, saved);
    for (int point = 0; point < kKillPoints; ++point) {
        Restore("Jotcrate.ini");
        RunAndKill("settings", duration * point / (kKillPoints - 1));
        std::string now = ReadFileBytes(g_app.settingsPath);
        EXPECT_TRUE(now == old || now == saved) << "kill point " << point;
    }
}

}  // namespace
