// The file layer's promises: locks between openers, no hang on odd file kinds, replacement
// that keeps permissions, and messages that say what failed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/Files.h"

namespace {

class FilesTest : public FolderTest {};

TEST_F(FilesTest, WriterExcludesEveryOtherOpener) {
    std::string path = folder.path + "data";
    FileHandle writer, other;
    ASSERT_TRUE(OpenFile(path, kOpenReadWriteCreate, &writer));
    EXPECT_FALSE(OpenFile(path, kOpenReadWrite, &other));
    EXPECT_NE(std::string::npos, LastFileError().find("Locking " + path)) << LastFileError();
    EXPECT_FALSE(OpenFile(path, kOpenRead, &other));
    CloseFile(&writer);
    ASSERT_TRUE(OpenFile(path, kOpenRead, &writer));
    EXPECT_TRUE(OpenFile(path, kOpenRead, &other));  // readers share
    CloseFile(&writer);
    CloseFile(&other);
}

TEST_F(FilesTest, OddFileKindsFailAtOnce) {
    std::string fifo = folder.path + "pipe";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    FileHandle file;
    EXPECT_FALSE(OpenFile(fifo, kOpenRead, &file));
    EXPECT_FALSE(OpenFile(folder.path, kOpenRead, &file));
    EXPECT_FALSE(OpenFile(folder.path + "missing", kOpenRead, &file));
    EXPECT_NE(std::string::npos, LastFileError().find("No such file")) << LastFileError();
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(fifo, &bytes));
}

TEST_F(FilesTest, ShortReadIsAFailure) {
    std::string path = folder.path + "short";
    WriteFileBytes(path, "12345");
    FileHandle file;
    ASSERT_TRUE(OpenFile(path, kOpenRead, &file));
    char buffer[10];
    EXPECT_EQ(5, ReadAt(file, 0, buffer, sizeof buffer));
    EXPECT_FALSE(ReadExactlyAt(file, 0, buffer, sizeof buffer));
    EXPECT_TRUE(ReadExactlyAt(file, 1, buffer, 4));
    CloseFile(&file);
}

TEST_F(FilesTest, ReplacementKeepsPermissionsAndLeavesNoTemporary) {
    std::string path = folder.path + "page";
    ASSERT_TRUE(WriteFileReplacing(path, "one"));
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    ASSERT_EQ(0, chmod(path.c_str(), 0644));
    ASSERT_TRUE(WriteFileReplacing(path, "two"));
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);
    EXPECT_EQ("two", ReadFileBytes(path));
    ASSERT_TRUE(CopyFileReplacing(path, folder.path + "copy"));
    EXPECT_EQ("two", ReadFileBytes(folder.path + "copy"));
    EXPECT_EQ(2u, FolderEntries(folder.path).size());
}

TEST_F(FilesTest, ReadOnlyMeansTheOwnersWriteBit) {
    std::string path = folder.path + "settings";
    WriteFileBytes(path, "x");
    EXPECT_TRUE(IsWritableFile(path));
    ASSERT_EQ(0, chmod(path.c_str(), 0444));
    EXPECT_FALSE(IsWritableFile(path));
    EXPECT_FALSE(IsWritableFile(folder.path));
}

}  // namespace
