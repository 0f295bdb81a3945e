// A file failure is told in the string table's words: what the file layer was doing and the
// program's own reasons come down from the table, each code with a text of its own, and a
// layer that was never handed them still says which step failed.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <thread>

#include "TestSupport.h"
#include "base/StringTable.h"
#include "platform/FileTexts.h"
#include "platform/Files.h"

namespace {

class FileTextsTest : public FolderTest {
protected:
    void TearDown() override {
        DisarmFileFaults();
        HandTextsToFileLayer();
        FolderTest::TearDown();
    }
    // The failure as the user reads it, in the table's words.
    static std::string Told(StringId doing, const std::string& path, const std::string& reason) {
        return Str(doing) + " " + path + ": " + reason;
    }
};

TEST_F(FileTextsTest, FailuresAreToldInTheStringTablesWords) {
    std::string path = folder.path + "data";
    WriteFileBytes(path, "short");
    FileHandle file;

    // A doing with the system's reason: the injected error, as the C library tells it.
    ArmFileFault(kStepOpen, 1, EACCES, path);
    EXPECT_FALSE(OpenFile(path, kOpenRead, &file));
    EXPECT_EQ(Told(kStrFileDoingOpening, path, std::strerror(EACCES)), LastFileError());
    DisarmFileFaults();

    // A reason of the program's own.
    ASSERT_TRUE(OpenFile(path, kOpenRead, &file));
    char buffer[16];
    EXPECT_FALSE(ReadExactlyAt(file, 0, buffer, sizeof buffer));
    EXPECT_EQ(Told(kStrFileDoingReading, path, Str(kStrFileReasonEndsSooner)), LastFileError());
    CloseFile(&file);

    // A replacement that finds another file in the target's place.
    FileHandle temp;
    ASSERT_TRUE(CreateTempFile(path + ".tmp", path, &temp));
    WriteFileBytes(folder.path + "theirs", "theirs");
    ASSERT_TRUE(RenameFile(folder.path + "theirs", path));
    EXPECT_FALSE(CommitTempFile(&temp, path));
    EXPECT_EQ(Told(kStrFileDoingReplacing, path, Str(kStrFileReasonReplacedMeanwhile)), LastFileError());
    EXPECT_EQ("theirs", ReadFileBytes(path));

    // A folder in the way of one to be made: the C library's reason on every system.
    EXPECT_FALSE(MakePrivateFolders(path));
    EXPECT_EQ(Told(kStrFileDoingMaking, path, std::strerror(ENOTDIR)), LastFileError());
}

// Each code reads as a text of the table and no two codes as the same one: a code added without
// its text, or handed another's, shows here.
TEST_F(FileTextsTest, EachCodeHasATextOfItsOwnFromTheTable) {
    std::set<std::string> table;
    for (int id = 0; id < kStringCount; ++id) table.insert(Str(static_cast<StringId>(id)));
    std::set<std::string> seen;
    for (int doing = 0; doing < kFileDoings; ++doing) {
        std::string text = FileDoingText(static_cast<FileDoing>(doing));
        EXPECT_FALSE(text.empty()) << "doing " << doing;
        EXPECT_EQ(1u, table.count(text)) << "doing " << doing << ": " << text;
        EXPECT_TRUE(seen.insert(text).second) << "doing " << doing << ": " << text;
    }
    for (int reason = 0; reason < kFileReasons; ++reason) {
        std::string text = FileReasonText(static_cast<FileReason>(reason));
        EXPECT_FALSE(text.empty()) << "reason " << reason;
        EXPECT_EQ(1u, table.count(text)) << "reason " << reason << ": " << text;
        EXPECT_TRUE(seen.insert(text).second) << "reason " << reason << ": " << text;
    }
}

// Without the hand-down a failure still names its step, by number, and its path; the texts
// handed down again replace the numbers.
TEST_F(FileTextsTest, TextsNeverHandedDownReadAsTheirCodes) {
    std::string path = folder.path + "short";
    WriteFileBytes(path, "x");
    FileHandle file;
    ASSERT_TRUE(OpenFile(path, kOpenRead, &file));
    char buffer[4];

    SetFileTexts(FileTexts());
    EXPECT_FALSE(ReadExactlyAt(file, 0, buffer, sizeof buffer));
    EXPECT_EQ("doing " + std::to_string(kDoingReading) + " " + path + ": reason " + std::to_string(kReasonEndsSooner),
              LastFileError());

    HandTextsToFileLayer();
    EXPECT_FALSE(ReadExactlyAt(file, 0, buffer, sizeof buffer));
    EXPECT_EQ(Told(kStrFileDoingReading, path, Str(kStrFileReasonEndsSooner)), LastFileError());
    CloseFile(&file);
}

}  // namespace

// A reason is kept per thread in a room of its own; one too long for it keeps its start, cut
// between characters, and a thread's reason is never another's.
TEST_F(FileTextsTest, ALongReasonKeepsWholeCharactersAndEachThreadItsOwn) {
    std::string e = "\xC3\xA9";
    std::string text = "a";
    for (int i = 0; i < 3000; ++i) text += e;
    SetFileError(text);
    std::string kept = LastFileError();
    ASSERT_LT(kept.size(), text.size());
    EXPECT_EQ(text.substr(0, kept.size()), kept);
    EXPECT_EQ(1u, kept.size() % 2) << "an é was cut in half";
    std::string other;
    std::thread([&other] {
        SetFileError("elsewhere");
        other = LastFileError();
    }).join();
    EXPECT_EQ("elsewhere", other);
    EXPECT_EQ(kept, LastFileError());
}
