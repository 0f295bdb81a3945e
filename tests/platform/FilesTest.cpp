// The file layer's promises: locks between openers, no hang on odd file kinds, replacement
// that keeps permissions, messages that say what failed, and no half-made file after one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <rapidcheck.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "TestSupport.h"
#include "base/WholeFiles.h"
#include "core/store/BackgroundWrites.h"
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
    ASSERT_TRUE(OpenFile(path, kOpenReadBeside, &other));  // the search reads beside any writer
    CloseFile(&other);
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
    bool cut;
    EXPECT_FALSE(ReadWholeFile(fifo, &bytes, 100, &cut));
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

// A copy into reserved space writes only the blocks that hold something, wherever it starts and
// ends on the block grid, and reads back as the plain copy does; the file keeps all its space.
TEST_F(FilesTest, CopiesIntoReservedSpaceReadBackWhole) {
    const std::string from = folder.path + "from", to = folder.path + "to";
    EXPECT_TRUE(rc::check("a copy that skips zero blocks reads back as the source", [&] {
        // Runs of zeros and of other bytes, in lengths around the block size.
        std::string source;
        auto runs = *rc::gen::container<std::vector<std::pair<int, char>>>(
            rc::gen::pair(rc::gen::inRange(0, 9000), rc::gen::inRange<char>(1, 127)));
        for (std::size_t i = 0; i < runs.size(); ++i) source.append(runs[i].first, i % 2 ? runs[i].second : '\0');
        const auto size = static_cast<std::int64_t>(source.size());
        const std::int64_t fromOffset = *rc::gen::inRange<std::int64_t>(0, size + 1);
        const std::int64_t n = *rc::gen::inRange<std::int64_t>(0, size - fromOffset + 1);
        const std::int64_t toOffset = *rc::gen::inRange<std::int64_t>(0, 10000);
        const std::int64_t reserve = toOffset + n + *rc::gen::inRange<std::int64_t>(0, 5000);
        std::string expected(static_cast<std::size_t>(reserve), '\0');
        expected.replace(static_cast<std::size_t>(toOffset), static_cast<std::size_t>(n), source,
                         static_cast<std::size_t>(fromOffset), static_cast<std::size_t>(n));
        WriteFileBytes(from, source);
        for (bool skipZeros : {true, false}) {
            unlink(to.c_str());
            FileHandle in, out;
            RC_ASSERT(OpenFile(from, kOpenRead, &in));
            RC_ASSERT(OpenFile(to, kOpenReadWriteCreate, &out));
            RC_ASSERT(ReserveFileSpace(out, reserve) == kReserved);
            bool copied = skipZeros ? CopyNonZeroBlocks(in, fromOffset, out, toOffset, n)
                                    : CopyRange(in, fromOffset, out, toOffset, n);
            RC_ASSERT(copied);
            struct stat st;
            RC_ASSERT(fstat(out.fd, &st) == 0);
            CloseFile(&in);
            CloseFile(&out);
            RC_ASSERT(ReadFileBytes(to) == expected);
            RC_ASSERT(static_cast<std::int64_t>(st.st_blocks) * 512 >= reserve);
        }
    }));
}

TEST_F(FilesTest, SpaceThatCannotBeReserved) {
    FileHandle file;
    ASSERT_TRUE(OpenFile(folder.path + "new", kOpenReadWriteCreate, &file));
    ArmFileFault(kStepWrite, 1, EOPNOTSUPP);
    EXPECT_EQ(kReserveUnsupported, ReserveFileSpace(file, 1 << 20));
    ArmFileFault(kStepWrite, 1, ENOSPC);
    EXPECT_EQ(kReserveFailed, ReserveFileSpace(file, 1 << 20));
    DisarmFileFaults();
    EXPECT_EQ("Reserving space for " + folder.path + "new: " + std::strerror(ENOSPC), LastFileError());
    EXPECT_EQ(kReserved, ReserveFileSpace(file, 0));
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
    EXPECT_FALSE(IsWritableFile(folder.path + "none"));
}

}  // namespace

// Each primitive, failed at its steps, says what it was doing and leaves no half-made file.
TEST_F(FilesTest, EveryPrimitiveReportsItsFailure) {
    const std::string a = folder.path + "a", b = folder.path + "b";
    struct Case {
        const char* name;
        FileStep step;  // kFileSteps: no fault
        int call;
        std::function<bool()> run;
        std::vector<std::string> leftAfter;  // the files of the folder afterwards
        const char* aAfter = "old";
    } cases[] = {
        {"new file, open", kStepOpen, 1, [&] { return WriteNewFile(b, "x"); }, {"a"}},
        {"new file, write", kStepWrite, 1, [&] { return WriteNewFile(b, "x"); }, {"a"}},
        {"new file, flush", kStepFlush, 1, [&] { return WriteNewFile(b, "x"); }, {"a"}},
        {"new file, folder flush", kStepFlush, 2, [&] { return WriteNewFile(b, "x"); }, {"a", "b"}},
        {"new file over one", kFileSteps, 0, [&] { return WriteNewFile(a, "x"); }, {"a"}},
        {"second name over one", kFileSteps, 0, [&] { return LinkOrCopyFile(a, a); }, {"a"}},
        {"second name, folder flush", kStepFlush, 1, [&] { return LinkOrCopyFile(a, b); }, {"a", "b"}},
        {"rename", kStepRename, 1, [&] { return RenameFile(a, b); }, {"a"}},
        {"delete", kStepDelete, 1, [&] { return DeleteFile(a); }, {"a"}},
        // Renamed, but not known to be on disk: new bytes, and a failure all the same.
        {"replace, open", kStepOpen, 1, [&] { return WriteFileReplacing(a, "new"); }, {"a"}},
        {"replace, folder flush", kStepFlush, 2, [&] { return WriteFileReplacing(a, "new"); }, {"a"}, "new"},
        {"copy, read", kStepRead, 1, [&] { return CopyFileReplacing(a, b); }, {"a"}},
        {"copy, write", kStepWrite, 1, [&] { return CopyFileReplacing(a, b); }, {"a"}},
    };
    for (const Case& c : cases) {
        for (const std::string& name : FolderEntries(folder.path)) unlink((folder.path + name).c_str());
        WriteFileBytes(a, "old");
        SetFileError(std::string());
        if (c.step != kFileSteps) ArmFileFault(c.step, c.call, EIO);
        EXPECT_FALSE(c.run()) << c.name;
        DisarmFileFaults();
        EXPECT_FALSE(LastFileError().empty()) << c.name;
        std::vector<std::string> left = FolderEntries(folder.path);
        std::sort(left.begin(), left.end());
        EXPECT_EQ(c.leftAfter, left) << c.name;
        EXPECT_EQ(c.aAfter, ReadFileBytes(a)) << c.name;
    }
}

TEST_F(FilesTest, LookUpsTellMissingFromFailed) {
    std::string fifo = folder.path + "pipe", link = folder.path + "link";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ(kFileOther, StatPath(fifo).kind);
    EXPECT_EQ(kFileFolder, StatPath(folder.path).kind);
    EXPECT_EQ(kFileMissing, StatPath(folder.path + "none").kind);
    ArmFileFault(kStepStat, 1, EACCES);
    EXPECT_EQ(kFileUnknown, StatPath(fifo).kind);
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, LastFileError().find("Looking up " + fifo + ": Permission denied"));
    // The user's own link to nothing is written where it points; a pipe is never replaced.
    std::string target;
    ASSERT_EQ(0, symlink((folder.path + "nowhere").c_str(), link.c_str()));
    ASSERT_TRUE(ResolveReplacement(link, &target));
    EXPECT_EQ(folder.path + "nowhere", target);
    EXPECT_FALSE(ResolveReplacement(fifo, &target));
    EXPECT_NE(std::string::npos, LastFileError().find("not a regular file")) << LastFileError();
    ASSERT_TRUE(ResolveReplacement(folder.path + "none", &target));
    EXPECT_EQ(folder.path + "none", target);
    ASSERT_EQ(0, symlink("elsewhere/nowhere", (link + "2").c_str()));
    ASSERT_TRUE(ResolveReplacement(link + "2", &target));
    EXPECT_EQ(folder.path + "elsewhere/nowhere", target);
    FileHandle closed;
    EXPECT_EQ(-1, SizeOfOpenFile(closed));
}

// Any one of the four marks of a version, changed alone, makes another version; any one of the
// three of an identity, another file.
TEST_F(FilesTest, VersionsAndIdentitiesDifferInAnyOneMark) {
    const FileVersion base{1, 2, 3, 4};
    EXPECT_TRUE(SameVersion(base, base));
    for (int mark = 0; mark < 4; ++mark) {
        FileVersion other = base;
        if (mark == 0) other.device = 9;
        if (mark == 1) other.inode = 9;
        if (mark == 2) other.size = 9;
        if (mark == 3) other.modified = 9;
        EXPECT_FALSE(SameVersion(base, other)) << mark;
    }
    const FileIdentity file{true, 1, 2};
    EXPECT_TRUE(SameIdentity(file, file));
    for (int mark = 0; mark < 3; ++mark) {
        FileIdentity other = file;
        if (mark == 0) other.exists = false;
        if (mark == 1) other.device = 9;
        if (mark == 2) other.inode = 9;
        EXPECT_FALSE(SameIdentity(file, other)) << mark;
    }
}

TEST_F(FilesTest, SecondNamesAndLateWork) {
    const std::string a = folder.path + "a", b = folder.path + "b", c = folder.path + "c";
    WriteFileBytes(a, "bytes");
    ASSERT_TRUE(LinkOrCopyFile(a, b));
    // No hard link here: nothing made, which the caller tells from a name already taken.
    ArmFileFault(kStepRename, 1, EXDEV);
    EXPECT_EQ(kLinkUnsupported, LinkFile(a, c));
    EXPECT_FALSE(PathExists(c));
    EXPECT_EQ(kLinkFailed, LinkFile(a, b));
    ArmFileFault(kStepRename, 1, EXDEV);  // a copy instead
    ASSERT_TRUE(LinkOrCopyFile(a, c));
    DisarmFileFaults();
    EXPECT_EQ("bytes", ReadFileBytes(b));
    EXPECT_EQ("bytes", ReadFileBytes(c));
    // Writes that fail in the chunk writer reach whoever ends it.
    FileHandle file;
    ASSERT_TRUE(OpenFile(a, kOpenReadWrite, &file));
    ArmFileFault(kStepWrite, 1, ENOSPC);
    ChunkWriter* writer = BeginChunkWriter(file, 0);
    WriteChunk(writer, "one");
    WriteChunk(writer, "two");
    EXPECT_FALSE(EndChunkWriter(writer));
    DisarmFileFaults();
    EXPECT_NE(std::string::npos, LastFileError().find("No space left")) << LastFileError();
    EXPECT_FALSE(TruncateFile(FileHandle{}, 0));
    CloseFileLater(&file);
    CloseFileLater(&file);  // a second time is nothing
}

TEST_F(FilesTest, ProgramsAndTheHomeFolderAreFoundWithoutTheEnvironment) {
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "",
                path = std::getenv("PATH") ? std::getenv("PATH") : "";
    unsetenv("HOME");
    EXPECT_FALSE(HomeFolder().empty());
    setenv("HOME", "", 1);
    EXPECT_FALSE(HomeFolder().empty());
    setenv("HOME", home.c_str(), 1);
    setenv("PATH", "::/nonexistent:/bin", 1);
    EXPECT_EQ("/bin/sh", FindProgram("sh"));
    EXPECT_EQ("", FindProgram("no-such-program-here"));
    unsetenv("PATH");
    EXPECT_EQ("/usr/bin/env", FindProgram("env"));
    setenv("PATH", path.c_str(), 1);
    EXPECT_FALSE(ExecutablePath().empty());
    EXPECT_EQ(15u, TimeStamp().size());
}

TEST_F(FilesTest, ReplacementsThatCannotStartLeaveEverythingAsItWas) {
    const std::string target = folder.path + "data";
    WriteFileBytes(target, "old");
    // A file of the temporary name is somebody's: it stays as it is, and the next name serves.
    WriteFileBytes(target + ".tmp", "theirs");
    ASSERT_EQ(0, symlink((folder.path + "nowhere").c_str(), (target + ".tmp.1").c_str()));
    EXPECT_TRUE(WriteFileReplacing(target, "new"));
    EXPECT_EQ("new", ReadFileBytes(target));
    EXPECT_EQ("theirs", ReadFileBytes(target + ".tmp"));
    EXPECT_FALSE(PathExists(folder.path + "nowhere"));
    EXPECT_FALSE(PathExists(target + ".tmp.2"));
    // With every numbered name taken, a name no one could guess serves; the others stay.
    for (int n = 2; n < 100; ++n) WriteFileBytes(target + ".tmp." + std::to_string(n), "theirs");
    EXPECT_TRUE(WriteFileReplacing(target, "newer")) << LastFileError();
    EXPECT_EQ("newer", ReadFileBytes(target));
    EXPECT_EQ(101u, FolderEntries(folder.path).size());
    EXPECT_EQ("theirs", ReadFileBytes(target + ".tmp.99"));
    for (int n = 1; n < 100; ++n) unlink((target + ".tmp." + std::to_string(n)).c_str());
    unlink((target + ".tmp").c_str());
    WriteFileBytes(target, "old");
    FileHandle none;
    DiscardTempFile(&none);
    EXPECT_FALSE(DeleteFile(folder.path));  // a folder is no file to delete
    EXPECT_TRUE(DeleteFile(folder.path + "never-was"));
    EXPECT_FALSE(RenameFile(folder.path + "never-was", target));
    EXPECT_EQ("old", ReadFileBytes(target));
    // A bare name is replaced in the current folder.
    char here[4096];
    ASSERT_NE(nullptr, getcwd(here, sizeof here));
    ASSERT_EQ(0, chdir(folder.path.c_str()));
    EXPECT_TRUE(WriteFileReplacing("bare", "text"));
    ASSERT_EQ(0, chdir(here));
    EXPECT_EQ("text", ReadFileBytes(folder.path + "bare"));
}

namespace {

// Reads of whole files hold at most the limit, whatever the size and however the buffer grows.
TEST_F(FilesTest, WholeFileReadsStopAtTheLimit) {
    std::string path = folder.path + "file";
    for (std::size_t size : {0, 1, 9, 10, 11, 65535, 65536, 65537, 200000}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 23);
        WriteFileBytes(path, bytes);
        for (std::size_t limit : {0, 10, 65536, 100000, 300000}) {
            std::string got = "old";
            bool cut = false;
            ASSERT_TRUE(ReadWholeFile(path, &got, limit, &cut)) << size << " " << limit;
            EXPECT_EQ(size > limit, cut) << size << " " << limit;
            EXPECT_EQ(bytes.substr(0, limit), got) << size << " " << limit;
        }
    }
}

// What cannot be followed to a regular file or to nothing is refused, and says what it met.
TEST_F(FilesTest, ReplacementsRefuseLoopsAndPathsThroughFiles) {
    std::string loop = folder.path + "loop", file = folder.path + "file", target;
    ASSERT_TRUE(MakeLink(loop, loop));
    EXPECT_FALSE(ResolveReplacement(loop, &target));
    EXPECT_NE(std::string::npos, LastFileError().find("Too many levels")) << LastFileError();
    WriteFileBytes(file, "x");
    ASSERT_TRUE(MakeLink(file + "/inside", folder.path + "through"));
    EXPECT_FALSE(ResolveReplacement(folder.path + "through", &target));
    EXPECT_NE(std::string::npos, LastFileError().find("Not a directory")) << LastFileError();
    FileHandle opened;
    EXPECT_FALSE(OpenFile(loop, kOpenReadWriteCreate, &opened));
    EXPECT_FALSE(WriteFileReplacing(folder.path + "through", "y"));
    EXPECT_EQ("x", ReadFileBytes(file));
}

}  // namespace

namespace {

// The last look before the rename: a target that went, or a folder that went, refuses the
// replacement and leaves no temporary file; a target that cannot be looked up refuses it at once.
TEST_F(FilesTest, ATargetThatChangedBeforeTheRenameRefusesIt) {
    std::string file = folder.path + "file", sub = folder.path + "sub/";
    WriteFileBytes(file, "old");
    FileHandle temp;
    ASSERT_TRUE(CreateTempFile(file + ".tmp", file, &temp));
    ASSERT_EQ(0, unlink(file.c_str()));
    EXPECT_FALSE(CommitTempFile(&temp, file));
    EXPECT_NE(std::string::npos, LastFileError().find("meanwhile")) << LastFileError();
    EXPECT_FALSE(PathExists(file));
    ASSERT_TRUE(MakeFolder(sub));
    ASSERT_TRUE(CreateTempFile(file + ".tmp", sub + "new", &temp));
    ASSERT_EQ(0, rmdir(sub.c_str()));
    EXPECT_FALSE(CommitTempFile(&temp, sub + "new"));
    EXPECT_NE(std::string::npos, LastFileError().find("No such file")) << LastFileError();
    WriteFileBytes(file, "x");
    EXPECT_FALSE(CreateTempFile(file + ".tmp", file + "/under", &temp));
    EXPECT_EQ((std::vector<std::string>{"file"}), FolderEntries(folder.path));
}

// What another program does at the moment of the rename: renames its file over the target,
// writes into the target in place, or removes it. Each refuses the replacement and leaves the
// target as that program left it, whether the file system swaps names in one step or can do
// neither that nor refuse (the seam's EINVAL); with nothing done, the replacement goes through.
TEST_F(FilesTest, WhatHappensAtTheRenameRefusesIt) {
    std::string file = folder.path + "file", theirs = folder.path + "theirs";
    for (bool canSwap : {true, false}) {
        for (int change = 0; change < 4; ++change) {
            std::string where = std::string(canSwap ? "swap" : "no swap") + ", change " + std::to_string(change);
            WriteFileBytes(file, "old");
            FileHandle target, temp;
            ASSERT_TRUE(OpenFile(file, kOpenRead, &target));
            ASSERT_TRUE(CreateTempFile(file + ".tmp", file, &temp));
            ASSERT_TRUE(WriteAt(temp, 0, "new", 3));
            temp.replacesWatch = WatchWrites(target);
            ArmFileHook(
                kStepRename, 1,
                [&] {
                    if (change == 0) {
                        WriteFileBytes(theirs, "theirs");
                        ASSERT_EQ(0, rename(theirs.c_str(), file.c_str()));
                    }
                    if (change == 1) WriteFileBytes(file, "theirs");
                    if (change == 2) {
                        ASSERT_EQ(0, unlink(file.c_str()));
                    }
                },
                file);
            if (!canSwap) ArmFileFault(kStepRename, 1, change % 2 ? ENOSYS : EINVAL, file);
            bool replaced = CommitTempFile(&temp, file);
            DisarmFileFaults();
            EndWriteWatch(temp.replacesWatch);
            CloseFile(&target);
            EXPECT_EQ(change == 3, replaced) << where;
            if (!replaced) {
                EXPECT_NE(std::string::npos, LastFileError().find("meanwhile")) << where << LastFileError();
            }
            std::vector<std::string> left = {"file"};
            if (change == 2) left.clear();
            EXPECT_EQ(left, FolderEntries(folder.path)) << where;
            if (change != 2) {
                EXPECT_EQ(change == 3 ? "new" : "theirs", ReadFileBytes(file)) << where;
            }
        }
    }
    // A file that cannot be watched gives no watch, and no watch sees a write.
    FileHandle closed;
    WriteWatch* none = WatchWrites(closed);
    EXPECT_EQ(nullptr, none);
    EXPECT_FALSE(WasWritten(none));
    EndWriteWatch(none);
}

// In a folder others can write, another program can take the temporary file away and put its
// own under that name before the rename, or at the very moment of it, whether the file system
// swaps names in one step or can do neither that nor refuse (the seam's EINVAL): its file never
// takes the target's place, the file replaced stays, and neither of the two files is removed.
TEST_F(FilesTest, AStrangersFileUnderTheTemporaryNameIsNeverPutInPlace) {
    std::string file = folder.path + "file", stolen = folder.path + "stolen";
    for (int when = 0; when < 3; ++when) {
        for (bool existed : {true, false}) {
            std::string where = "when " + std::to_string(when) + (existed ? ", replacing" : ", new");
            if (existed) WriteFileBytes(file, "old");
            FileHandle temp;
            ASSERT_TRUE(CreateTempFile(file + ".tmp", file, &temp));
            ASSERT_TRUE(WriteAt(temp, 0, "new", 3));
            std::string tempPath = temp.path;
            auto steal = [&] {
                ASSERT_EQ(0, rename(tempPath.c_str(), stolen.c_str()));
                WriteFileBytes(tempPath, "theirs");
            };
            if (when == 0) steal();
            if (when > 0) ArmFileHook(kStepRename, 1, steal, file);
            if (when == 2) ArmFileFault(kStepRename, 1, EINVAL, file);
            EXPECT_FALSE(CommitTempFile(&temp, file)) << where;
            DisarmFileFaults();
            EXPECT_NE(std::string::npos, LastFileError().find("meanwhile")) << where << LastFileError();
            EXPECT_EQ(existed, PathExists(file)) << where;
            if (existed) {
                EXPECT_EQ("old", ReadFileBytes(file)) << where;
            }
            EXPECT_EQ("new", ReadFileBytes(stolen)) << where;
            EXPECT_EQ("theirs", ReadFileBytes(tempPath)) << where;
            ASSERT_EQ(0, unlink(stolen.c_str()));
            ASSERT_EQ(0, unlink(tempPath.c_str()));
            if (existed) {
                ASSERT_EQ(0, unlink(file.c_str()));
            }
        }
    }
}

}  // namespace

namespace {

// Whose a file is, and who else may write into a folder: what decides whether records or code
// are taken from there.
TEST_F(FilesTest, OwnersAndFoldersOthersCanWriteAreTold) {
    std::string inner = folder.path + "inner", file = folder.path + "file";
    ASSERT_TRUE(MakeFolder(inner));
    WriteFileBytes(file, "x");
    EXPECT_TRUE(IsOwnFile(file));
    EXPECT_FALSE(IsOwnFile(folder.path + "none"));
    // Writable means a regular file with its owner's write bit, whoever asks (root too).
    EXPECT_TRUE(IsWritableFile(file));
    EXPECT_FALSE(IsWritableFile(inner));
    EXPECT_FALSE(IsWritableFile(folder.path + "none"));
    EXPECT_FALSE(IsReadOnlyFile(folder.path + "none"));
    ASSERT_EQ(0, chmod(file.c_str(), 0400));
    EXPECT_FALSE(IsWritableFile(file));
    EXPECT_TRUE(IsReadOnlyFile(file));
    ASSERT_EQ(0, chmod(file.c_str(), 0600));
    EXPECT_FALSE(IsFolderOthersCanWrite(folder.path + "none"));
    for (mode_t mode : {0700, 0755, 0770, 0777, 01777}) {
        ASSERT_EQ(0, chmod(inner.c_str(), mode));
        bool othersCanWrite = (mode & S_IWOTH) != 0;
        if ((mode & S_IWGRP) && !othersCanWrite) othersCanWrite = getgid() != getegid();
        EXPECT_EQ(othersCanWrite, IsFolderOthersCanWrite(inner)) << std::oct << mode;
    }
    // An access control list that lets another user write shows only as group write, in its
    // mask, on a folder of the user's own group.
    ASSERT_EQ(0, chmod(inner.c_str(), 0700));
    const std::uint16_t undefined = 0xFFFF;
    const std::uint16_t acl[] = {2,    0,                         // version
                                 0x01, 7, undefined, undefined,   // the owner
                                 0x02, 7, 65534,     0,           // another user
                                 0x04, 5, undefined, undefined,   // the owning group
                                 0x10, 7, undefined, undefined,   // the mask
                                 0x20, 5, undefined, undefined};  // others
    if (setxattr(inner.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0) {
        EXPECT_TRUE(IsFolderOthersCanWrite(inner));
        ASSERT_EQ(0, removexattr(inner.c_str(), "system.posix_acl_access"));
        ASSERT_EQ(0, chmod(inner.c_str(), 0770));
        EXPECT_EQ(getgid() != getegid(), IsFolderOthersCanWrite(inner));
    }
    // A folder of the user's alone, in one where anyone may move it away, or only its owner.
    std::string deep = inner + "/deep";
    ASSERT_TRUE(MakeFolder(deep));
    ASSERT_EQ(0, chmod(deep.c_str(), 0700));
    ASSERT_EQ(0, chmod(inner.c_str(), 0777));
    EXPECT_TRUE(IsFolderOthersCanWrite(deep));
    ASSERT_EQ(0, chmod(inner.c_str(), 01777));
    EXPECT_FALSE(IsFolderOthersCanWrite(deep));
    ASSERT_EQ(0, chmod(inner.c_str(), 0770));
    if (chown(inner.c_str(), geteuid(), 65534) != 0) GTEST_SKIP() << "giving a folder another group needs root";
    EXPECT_TRUE(IsFolderOthersCanWrite(inner));  // a group that is not the user's own
    ASSERT_EQ(0, chmod(inner.c_str(), 0750));
    EXPECT_FALSE(IsFolderOthersCanWrite(inner));
    ASSERT_EQ(0, chown(inner.c_str(), 65534, 65534));
    EXPECT_TRUE(IsFolderOthersCanWrite(inner));  // another user's
    ASSERT_EQ(0, chown(file.c_str(), 65534, 65534));
    EXPECT_FALSE(IsOwnFile(file));
}

}  // namespace

namespace {

// Paths are walked name by name as the system walks them: dots, doubled slashes, climbs above
// the root, relative paths and links, and a path that names nothing at all.
TEST_F(FilesTest, PathsAreWalkedAsTheSystemWalksThem) {
    std::string file = folder.path + "file", target;
    WriteFileBytes(file, "x");
    ASSERT_TRUE(MakeFolder(folder.path + "sub"));
    ASSERT_TRUE(ResolveReplacement(folder.path + "sub/./..//file", &target));
    EXPECT_EQ(file, target);
    ASSERT_TRUE(ResolveReplacement("/../.." + folder.path + "file", &target));
    EXPECT_EQ(file, target);
    ASSERT_TRUE(MakeLink("../file", folder.path + "sub/up"));
    ASSERT_TRUE(ResolveReplacement(folder.path + "sub/up", &target));
    EXPECT_EQ(file, target);
    EXPECT_FALSE(ResolveReplacement(folder.path + "sub", &target));
    EXPECT_FALSE(ResolveReplacement("", &target));
    EXPECT_FALSE(IsFolderOthersCanWrite(file + "/none"));
    EXPECT_EQ(folder.path + "sub/", FolderPart(folder.path + "sub/up"));
    EXPECT_EQ("", FolderPart("bare"));
    char* here = getcwd(nullptr, 0);
    ASSERT_EQ(0, chdir((folder.path + "sub").c_str()));
    bool relative = ResolveReplacement("../file", &target);
    std::string relativeTarget = target;
    bool climbing = ResolveReplacement(
        "./../../" + folder.path.substr(folder.path.rfind('/', folder.path.size() - 2) + 1) + "file", &target);
    bool bare = ResolveReplacement("new", &target);
    std::string bareTarget = target;
    ASSERT_EQ(0, chdir(here));
    std::free(here);
    EXPECT_TRUE(relative);
    EXPECT_EQ("./../file", relativeTarget);
    EXPECT_TRUE(climbing);
    EXPECT_TRUE(bare);
    EXPECT_EQ("./new", bareTarget);
}

}  // namespace

namespace {

// The user's folders come from the environment where it names them, from the account where it
// does not; a folder is never made under a file; a temporary file for a link gets the user's
// mode alone.
TEST_F(FilesTest, UsersFoldersWithAndWithoutTheEnvironment) {
    const char* home = std::getenv("HOME");
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string savedHome = home ? home : "", savedData = data ? data : "";
    SetEnvironment("XDG_DATA_HOME", "");
    SetEnvironment("HOME", folder.path);
    std::string dataHome = UserDataHome();
    SetEnvironment("HOME", "");
    std::string accountHome = HomeFolder();
    SetEnvironment("HOME", savedHome);
    SetEnvironment("XDG_DATA_HOME", savedData);
    EXPECT_EQ(folder.path + ".local/share", dataHome);
    struct passwd* account = getpwuid(getuid());
    ASSERT_NE(nullptr, account);
    EXPECT_EQ(account->pw_dir, accountHome);
    WriteFileBytes(folder.path + "file", "x");
    EXPECT_FALSE(MakePrivateFolders(folder.path + "file/inner"));
    ASSERT_TRUE(MakeLink(folder.path + "file", folder.path + "link"));
    FileHandle temp;
    ASSERT_TRUE(CreateTempFile(folder.path + "link.tmp", folder.path + "link", &temp));
    struct stat st;
    ASSERT_EQ(0, stat(temp.path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    DiscardTempFile(&temp);
}

}  // namespace
