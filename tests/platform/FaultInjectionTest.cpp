// Every operation that writes a file, failed at each of its file steps in turn: the files that
// were there are each as they were or as a successful run leaves them, no temporary file is
// left behind, and the failure is returned to the caller.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/export/HtmlPage.h"
#include "core/settings/DesktopShortcut.h"
#include "core/settings/Settings.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "core/store/RecordDump.h"
#include "platform/Files.h"

namespace {

using Snapshot = std::map<std::string, std::string>;

void Collect(const std::string& folder, const std::string& prefix, Snapshot* files) {
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + name;
        if (IsFolder(path)) Collect(path + "/", prefix + name + "/", files);
        else (*files)[prefix + name] = ReadFileBytes(path);
    }
}

struct Operation {
    const char* name;
    std::function<void()> prepare;  // the files as they are before
    std::function<bool()> run;
    bool reportsFailure;  // false where the operation has no failure to report (the shortcut)
};

class FaultInjectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder();
        home = folder.path + "home/";
        oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        SetEnvironment("HOME", home);
    }
    void TearDown() override {
        DisarmFileFaults();
        SetEnvironment("HOME", oldHome);
        RemoveTestFolder(folder);
    }
    void Reset(const Operation& op) {
        DisarmFileFaults();
        RemoveTestFolder(folder);
        MakeFolder(folder.path);
        MakeFolder(home);
        MakeFolder(home + "Desktop");
        op.prepare();
        // The files were just written anew: the run's own last write is not what it finds.
        g_app.dataVersionKnown = false;
    }
    Snapshot Files() {
        Snapshot files;
        Collect(folder.path, "", &files);
        return files;
    }

    // Runs the operation once cleanly, then once with each call of each step failing.
    void CheckEveryFault(const Operation& op) {
        Reset(op);
        Snapshot before = Files();
        for (int step = 0; step < kFileSteps; ++step) ArmFileFault(static_cast<FileStep>(step), 0, 0);
        ASSERT_TRUE(op.run()) << op.name << ": " << LastFileError();
        int steps[kFileSteps];
        for (int step = 0; step < kFileSteps; ++step) steps[step] = FileStepsSeen(static_cast<FileStep>(step));
        Snapshot after = Files();
        const int errors[] = {ENOSPC, EIO, EACCES};
        int runs = 0;
        for (int step = 0; step < kFileSteps; ++step) {
            for (int n = 1; n <= steps[step]; ++n, ++runs) {
                Reset(op);
                ArmFileFault(static_cast<FileStep>(step), n, errors[runs % 3]);
                bool ok = op.run();
                int reached = FileStepsSeen(static_cast<FileStep>(step));
                DisarmFileFaults();
                std::string where =
                    std::string(op.name) + ", step " + std::to_string(step) + " call " + std::to_string(n);
                EXPECT_GE(reached, n) << where << ": the armed call was never made";
                if (op.reportsFailure && !ok) {
                    EXPECT_FALSE(LastFileError().empty()) << where;
                }
                for (const auto& [name, bytes] : Files()) {
                    bool asBefore = before.count(name) && before[name] == bytes;
                    bool asAfter = after.count(name) && after[name] == bytes;
                    EXPECT_TRUE(asBefore || asAfter) << where << ": " << name << " is neither as before nor as after";
                }
                for (const auto& [name, bytes] : before)
                    EXPECT_TRUE(Files().count(name) || !after.count(name)) << where << ": " << name << " vanished";
                if (ok && op.reportsFailure) {
                    EXPECT_EQ(after, Files()) << where << " succeeded but did not finish";
                }
            }
        }
        EXPECT_GT(runs, 0) << op.name;
    }

    TestFolder folder;
    std::string home, oldHome;
};

std::vector<std::string> Records(int n) {
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i)
        texts.push_back("Record " + std::to_string(i) + "\r\nbody of record " + std::to_string(i));
    return texts;
}

TEST_F(FaultInjectionTest, SlotWritesAndMarks) {
    CheckEveryFault({"overwrite a slot", [] { WriteDataFile(g_app.dataPath, Records(3)); },
                     [] {
                         EncodeText("changed", g_app.slotImage);
                         return WriteSlot(1);
                     },
                     true});
    CheckEveryFault({"append a slot", [] { WriteDataFile(g_app.dataPath, Records(3)); },
                     [] {
                         EncodeText("added", g_app.slotImage);
                         return WriteSlot(3);
                     },
                     true});
    CheckEveryFault(
        {"mark a slot", [] { WriteDataFile(g_app.dataPath, Records(3)); }, [] { return MarkDeleted(2); }, true});
}

TEST_F(FaultInjectionTest, WholeFileReplacements) {
    CheckEveryFault(
        {"starter file", [] { WriteDataFile(g_app.dataPath, Records(3)); }, [] { return CreateStarterFile(); }, true});
    CheckEveryFault({"restore", [] { WriteDataFile(g_app.backupPath, Records(2)); },
                     [] { return RestoreFromBackup(2 * kSlotSize); }, true});
    CheckEveryFault({"backup refresh",
                     [] {
                         WriteDataFile(g_app.dataPath, Records(4));
                         WriteDataFile(g_app.backupPath, Records(1));
                     },
                     [] {
                         g_app.options.autoBackup = 1;
                         return RefreshBackup(true);
                     },
                     true});
    CheckEveryFault({"compaction",
                     [] {
                         std::string bytes;
                         for (int i = 0; i < 40; ++i) bytes += SlotBytes("Record " + std::to_string(i), i % 7 == 3);
                         WriteFileBytes(g_app.dataPath, bytes);
                     },
                     [] { return CompactDataFile(); }, true});
}

TEST_F(FaultInjectionTest, SettingsDumpExportAndShortcut) {
    const Rect window{10, 20, 500, 400};
    CheckEveryFault({"settings save",
                     [] { WriteFileBytes(g_app.settingsPath, "; mine\r\n[Options]\r\nWordwrap=0\r\n"); },
                     [window] { return SaveSettings(false, &window); }, true});
    CheckEveryFault({"fresh settings", [] {}, [window] { return SaveSettings(true, &window); }, true});
    CheckEveryFault({"record dump",
                     [this] {
                         WriteDataFile(g_app.dataPath, Records(5));
                         WriteFileBytes(folder.path + "record-dump.txt", "old dump");
                     },
                     [] { return WriteRecordDump() == kDumpWritten; }, true});
    CheckEveryFault({"export",
                     [this] {
                         WriteDataFile(g_app.dataPath, Records(5));
                         WriteFileBytes(folder.path + "page.html", "old page");
                     },
                     [this] {
                         return WriteExportPage(folder.path + "page.html", {{"Record 4", 4}, {"Record 0", 0}});
                     },
                     true});
    // Windows takes the desktop from the user's profile, not from HOME: each run starts
    // without the shortcut there, and leaves none.
    CheckEveryFault({"desktop shortcut", [] { DeleteFile(ShortcutPath()); },
                     [] {
                         g_app.options.desktopShortcut = 1;
                         SyncDesktopShortcut();
                         return true;
                     },
                     false});
    DeleteFile(ShortcutPath());
}

}  // namespace
