// The record dump byte for byte, in process and through the real program with -d.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "TestSupport.h"
#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "core/store/RecordDump.h"

namespace {

const std::string kSpacer = "\r\n";
const std::string kSeparator = "\r\n\r\n" + std::string(76, '-') + "\r\n\r\n";

// What the dump must hold for these trimmed texts.
std::string ExpectedDump(const std::vector<std::string>& texts) {
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 0) out += kSpacer;
        out += texts[i];
        out += (i + 1 == texts.size() && i != 0) ? kSpacer : kSeparator;
    }
    return out;
}

class RecordDumpTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        dumpPath = folder.path + "record-dump.txt";
    }
    std::string dumpPath;
};

TEST_F(RecordDumpTest, OneTwoAndManyRecords) {
    WriteDataFile(g_app.dataPath, {"only"});
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(kSpacer + "only" + kSeparator, ReadFileBytes(dumpPath));

    WriteDataFile(g_app.dataPath, {"A", "B"});
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(kSpacer + "A" + kSeparator + "B" + kSpacer, ReadFileBytes(dumpPath));

    std::vector<std::string> texts;
    for (int i = 0; i < 150; ++i) texts.push_back("record " + std::to_string(i) + "\r\nline two");
    WriteDataFile(g_app.dataPath, texts);
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(ExpectedDump(texts), ReadFileBytes(dumpPath));
    EXPECT_FALSE(PathExists(dumpPath + ".tmp"));
}

TEST_F(RecordDumpTest, TextsAreTrimmedAndOtherwiseUntouched) {
    std::string full(32000, 'z');
    full[0] = '\x80';
    full[31999] = '\xff';
    std::string deleted = SlotBytes("\t marked but still dumped ", true);
    std::string bytes = SlotBytes("  \r\n padded \r\n ") + SlotBytes(" \t\r\n") + SlotBytes(full) +
                        SlotBytes("caf\xC3\xA9 \xE9\x81") + deleted;
    std::vector<std::string> expected = {"padded", "", full, "caf\xC3\xA9 \xE9\x81", "marked but still dumped"};
    // Texts that end just before, at and just after the end of a slot's first read.
    for (std::size_t size : {2046, 2047, 2048, 2049, 4095}) {
        std::string text(size, 'e');
        text.back() = 'E';
        bytes += SlotBytes(text);
        expected.push_back(text);
    }
    WriteFileBytes(g_app.dataPath, bytes);
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(ExpectedDump(expected), ReadFileBytes(dumpPath));
}

// A file past the record limit (a sparse one of terabytes costs no disk) is dumped as far as
// the limit, and counts as damaged; nothing is left behind.
TEST_F(RecordDumpTest, FilesBeyondTheRecordLimitAreDumpedToTheLimit) {
    WriteFileBytes(g_app.dataPath, SlotBytes("first"));
    std::vector<std::string> texts(static_cast<std::size_t>(kRecordLimit));
    texts.front() = "first";
    texts.back() = "last";
    for (std::int64_t slots : {kRecordLimit + 2, (std::int64_t(15) << 40) / kSlotSize}) {
        if (truncate(g_app.dataPath.c_str(), slots * kSlotSize) != 0) {
            std::printf("a file of %lld slots cannot be made here: %s\n", static_cast<long long>(slots),
                        strerror(errno));
            continue;
        }
        EncodeText("last", g_app.slotImage);
        ASSERT_TRUE(WriteSlot(kRecordLimit - 1));
        EncodeText("beyond", g_app.slotImage);
        ASSERT_TRUE(WriteSlot(slots - 1));
        ASSERT_EQ(kDumpOversized, WriteRecordDump()) << slots;
        EXPECT_EQ(ExpectedDump(texts), ReadFileBytes(dumpPath)) << slots;
        EXPECT_FALSE(PathExists(dumpPath + ".tmp"));
    }
}

TEST_F(RecordDumpTest, NoWholeSlotGivesNoDump) {
    WriteFileBytes(dumpPath, "old dump");
    EXPECT_EQ(kDumpDataFileError, WriteRecordDump());  // missing
    for (std::size_t size : {0, 32000}) {
        WriteFileBytes(g_app.dataPath, std::string(size, '\x01'));
        EXPECT_EQ(kDumpDataFileError, WriteRecordDump()) << size;
    }
    unlink(g_app.dataPath.c_str());
    ASSERT_TRUE(MakeFolder(g_app.dataPath));
    EXPECT_EQ(kDumpDataFileError, WriteRecordDump());
    EXPECT_EQ("old dump", ReadFileBytes(dumpPath));
}

// A cut data file still gives up its whole records.
TEST_F(RecordDumpTest, ACutDataFileDumpsItsWholeSlots) {
    WriteFileBytes(g_app.dataPath, SlotBytes("A") + SlotBytes("B") + std::string(100, '\x01'));
    EXPECT_EQ(kDumpDamaged, WriteRecordDump());
    EXPECT_EQ("\r\nA\r\n\r\n" + std::string(76, '-') + "\r\n\r\nB\r\n", ReadFileBytes(dumpPath));
}

TEST_F(RecordDumpTest, ReadOnlyDataFileIsDumpedWhole) {
    WriteDataFile(g_app.dataPath, {"A", "B"});
    ASSERT_EQ(0, chmod(g_app.dataPath.c_str(), 0400));
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(ExpectedDump({"A", "B"}), ReadFileBytes(dumpPath));
}

TEST_F(RecordDumpTest, UnwritableDumpKeepsTheOldOneAndLeavesNoTemporary) {
    WriteDataFile(g_app.dataPath, {"A"});
    WriteFileBytes(dumpPath, "old dump");
    ArmFileFault(kStepOpen, 1, EACCES, dumpPath + ".tmp");
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    DisarmFileFaults();
    EXPECT_EQ("old dump", ReadFileBytes(dumpPath));
    // A dump file name taken by a folder cannot be replaced.
    unlink(dumpPath.c_str());
    ASSERT_TRUE(MakeFolder(dumpPath));
    EXPECT_EQ(kDumpFailed, WriteRecordDump());
    EXPECT_FALSE(PathExists(dumpPath + ".tmp"));
}

// Slots are read by two threads at once: a read that fails on either ends the dump.
TEST_F(RecordDumpTest, AFailedReadAnywhereGivesNoDumpAndKeepsTheOldOne) {
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i)
        texts.push_back("record " + std::to_string(i) + std::string(i % 7 == 0 ? 3000 : 10, 'x'));
    WriteDataFile(g_app.dataPath, texts);
    WriteFileBytes(dumpPath, "old dump");
    for (int failing : {1, 100, 250, 457}) {
        ArmFileFault(kStepRead, failing, EIO, g_app.dataPath);
        EXPECT_EQ(kDumpFailed, WriteRecordDump()) << failing;
        DisarmFileFaults();
        EXPECT_NE(std::string::npos, LastFileError().find("Input/output error")) << failing;
        EXPECT_EQ("old dump", ReadFileBytes(dumpPath));
        EXPECT_FALSE(PathExists(dumpPath + ".tmp"));
    }
    ASSERT_EQ(kDumpWritten, WriteRecordDump());
    EXPECT_EQ(ExpectedDump(texts), ReadFileBytes(dumpPath));
}

// Beside a running window a save may land while the dump reads: the dump reads again and
// holds the records as they stand after it, never a mix; nor does it lock the window out.
TEST_F(RecordDumpTest, BesideAWindowASaveDuringTheReadIsReadAgain) {
    WriteDataFile(g_app.dataPath, {"old first", "second"});
    int window = open(g_app.dataPath.c_str(), O_RDWR);
    ASSERT_GE(window, 0);
    ASSERT_EQ(0, flock(window, LOCK_EX | LOCK_NB));
    std::string saved = SlotBytes("saved first");
    ArmFileHook(
        kStepRead, 1, [&] { ASSERT_EQ(ssize_t(saved.size()), pwrite(window, saved.data(), saved.size(), 0)); },
        g_app.dataPath);
    ASSERT_EQ(kDumpWritten, WriteRecordDump(true)) << LastFileError();
    EXPECT_EQ(2, FileStepsSeen(kStepOpen)) << "read again";
    DisarmFileFaults();
    EXPECT_EQ(ExpectedDump({"saved first", "second"}), ReadFileBytes(dumpPath));
    EXPECT_EQ(kDumpFailed, WriteRecordDump(false)) << "the dump of a lone run takes the lock";
    close(window);
}

// A window that saves during every pass: the dump gives up after a few, says why, and keeps
// the old dump; one that cannot be written beside a window fails as it would alone.
TEST_F(RecordDumpTest, BesideAWindowThatKeepsSavingTheDumpGivesUp) {
    WriteDataFile(g_app.dataPath, {"A", "B"});
    WriteFileBytes(dumpPath, "old dump");
    int window = open(g_app.dataPath.c_str(), O_RDWR);
    ASSERT_GE(window, 0);
    std::string saved = SlotBytes("saved");
    std::function<void()> save = [&] {
        EXPECT_EQ(ssize_t(saved.size()), pwrite(window, saved.data(), saved.size(), 0));
        ArmFileHook(kStepRead, 1, save, g_app.dataPath);
    };
    ArmFileHook(kStepRead, 1, save, g_app.dataPath);
    EXPECT_EQ(kDumpFailed, WriteRecordDump(true));
    DisarmFileFaults();
    close(window);
    EXPECT_NE(std::string::npos, LastFileError().find("kept saving into the data file")) << LastFileError();
    EXPECT_EQ("old dump", ReadFileBytes(dumpPath));
    EXPECT_FALSE(PathExists(dumpPath + ".tmp"));
    unlink(dumpPath.c_str());
    ASSERT_TRUE(MakeFolder(dumpPath));
    EXPECT_EQ(kDumpFailed, WriteRecordDump(true));
}

TEST_F(RecordDumpTest, ALinkedDumpIsWrittenWhereTheLinkPoints) {
    WriteDataFile(g_app.dataPath, {"A"});
    std::string elsewhere = folder.path + "elsewhere/";
    ASSERT_TRUE(MakeFolder(elsewhere));
    if (!MakeLink((elsewhere + "dump.txt"), dumpPath)) GTEST_SKIP() << "no symbolic links here";
    for (int run = 0; run < 2; ++run) {  // to nothing yet, then to the first dump
        ASSERT_EQ(kDumpWritten, WriteRecordDump()) << run;
        EXPECT_TRUE(IsLink(dumpPath)) << run;
        EXPECT_EQ(ExpectedDump({"A"}), ReadFileBytes(elsewhere + "dump.txt")) << run;
    }
}

// The real program, started with -d and no display at all.
class DumpCommandTest : public RecordDumpTest {
protected:
    void SetUp() override {
        RecordDumpTest::SetUp();
        program = InstallProgramCopy(folder.path);
        std::string runtime = folder.path + "run";
        mkdir(runtime.c_str(), 0700);
        env = TestEnvironment({"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + runtime});
    }
    std::string program;
    std::vector<std::string> env;
};

TEST_F(DumpCommandTest, DumpsInAnyCaseAndExitsZero) {
    WriteDataFile(folder.path + "Jotcrate.jcd", {"A", " B "});
    for (const char* flag : {"-d", "-D"}) {
        unlink(dumpPath.c_str());
        ProcessResult run = RunProcess({program, flag, "ignored"}, env);
        EXPECT_EQ(0, run.exitCode) << flag << run.standardError;
        EXPECT_EQ(ExpectedDump({"A", "B"}), ReadFileBytes(dumpPath)) << flag;
    }
}

TEST_F(DumpCommandTest, FailuresAreReportedWithNonZeroExit) {
    ProcessResult missing = RunProcess({program, "-d"}, env);
    EXPECT_NE(0, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.standardError.find(folder.path + "Jotcrate.jcd")) << missing.standardError;
    EXPECT_FALSE(PathExists(dumpPath));

    WriteFileBytes(folder.path + "Jotcrate.jcd", std::string(32000, 'x'));
    EXPECT_NE(0, RunProcess({program, "-d"}, env).exitCode);
    EXPECT_FALSE(PathExists(dumpPath));

    WriteFileBytes(folder.path + "Jotcrate.jcd", SlotBytes("A") + std::string(5, 'x'));
    ProcessResult cut = RunProcess({program, "-d"}, env);
    EXPECT_NE(0, cut.exitCode);
    EXPECT_NE(std::string::npos,
              cut.standardError.find("its last 5 bytes are not a whole record (a copy cut short or a full disk leaves "
                                     "a file like this). The 1 record before them is whole."))
        << cut.standardError;
    EXPECT_TRUE(PathExists(dumpPath));
    unlink(dumpPath.c_str());

    WriteDataFile(folder.path + "Jotcrate.jcd", {"A"});
    ASSERT_TRUE(MakeFolder(dumpPath));
    ProcessResult blocked = RunProcess({program, "-d"}, env);
    EXPECT_NE(0, blocked.exitCode);
    EXPECT_NE(std::string::npos, blocked.standardError.find("record dump")) << blocked.standardError;
    // The file layer's reason, in the words the dump's start handed down from the string table.
    std::string reason = Str(kStrFileDoingReplacing) + " " + dumpPath + ": " + Str(kStrFileReasonNotRegular);
    EXPECT_NE(std::string::npos, blocked.standardError.find(reason)) << blocked.standardError;
}

// -d must start without the toolkit: the executable alone dumps, and only a window needs the
// library, whose absence is said rather than crashed on.
TEST_F(DumpCommandTest, DumpNeedsNoWindowLibrary) {
    std::string alone = folder.path + "alone/";
    ASSERT_TRUE(MakeFolder(alone));
    std::string executable = InstallProgramCopy(alone, false);
    EXPECT_EQ(std::string::npos, ReadFileBytes(executable).find("libQt6")) << "linked to the toolkit";
    WriteDataFile(alone + "Jotcrate.jcd", {"A", "B"});
    ProcessResult dump = RunProcess({executable, "-d"}, env);
    EXPECT_EQ(0, dump.exitCode) << dump.standardError;
    EXPECT_EQ(ExpectedDump({"A", "B"}), ReadFileBytes(alone + "record-dump.txt"));

    ProcessResult noDisplay = RunProcess({executable}, env);
    EXPECT_EQ(1, noDisplay.exitCode);
    EXPECT_NE(std::string::npos, noDisplay.standardError.find("No display")) << noDisplay.standardError;
    std::vector<std::string> offscreen = env;
    offscreen.push_back("QT_QPA_PLATFORM=offscreen");
    ProcessResult window = RunProcess({executable}, offscreen);
    EXPECT_EQ(1, window.exitCode);
    EXPECT_NE(std::string::npos, window.standardError.find("window library")) << window.standardError;
    EXPECT_EQ(ReadFileBytes(alone + "Jotcrate.jcd").size(), 2u * 32001u);
}

}  // namespace
