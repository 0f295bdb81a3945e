// File operations of the toolkit-free code: every open, read, write, flush, rename and delete
// of the program passes here. A failure returns false (or -1) and leaves "what we were doing:
// OS reason" in LastFileError() for the caller's message, in the words of FileTexts.h. Work
// built on these alone (a copy that replaces, a file read whole) is base's: base/WholeFiles.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// kFileMissing only when the path does not exist; a look-up that failed otherwise (an I/O
// error, a permission) is kFileUnknown, with the reason in LastFileError().
enum FileKind { kFileMissing, kFileRegular, kFileFolder, kFileOther, kFileUnknown };

struct FileInfo {
    FileKind kind = kFileMissing;
    std::int64_t size = -1;  // regular files only
};

// Open modes. Writers take an exclusive lock, readers a shared one; a file locked by another
// process does not open.
// kOpenReadBeside reads without the shared lock, beside the program's own writes: for work
// that runs long and whose reads a write may overtake harmlessly (the search).
enum OpenMode { kOpenRead, kOpenReadWrite, kOpenReadWriteCreate, kOpenReadBeside };

// Which file a name holds, or that it holds none: what a replacement checks again just before
// its rename, so that a file put there meanwhile is never replaced unseen.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// Whether anyone wrote into an open file (a rewrite, a cut, an append) since the watch began,
// whatever the resolution of the file's clock. Where the system cannot watch (or, as on
// Windows, the open file admits no other writer) a watch is null and sees nothing.
struct WriteWatch;
WriteWatch* WatchWrites(const struct FileHandle& file);
bool WasWritten(WriteWatch* watch);
void EndWriteWatch(WriteWatch* watch);

struct FileHandle {
    std::intptr_t fd = -1;  // a descriptor; a HANDLE on Windows
    std::string path;
    FileIdentity replaces;                // a temporary file's: what its target held when it was made
    WriteWatch* replacesWatch = nullptr;  // a temporary file's: written into, the target is not replaced
};
inline bool IsOpen(const FileHandle& file) { return file.fd != -1; }

FileInfo StatPath(const std::string& path);

// What tells one version of a file from another: which file it is, its size and the time of
// its contents.
// Another program's rename brings another file; a rewrite in place, another size or time.
struct FileVersion {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modified = 0;  // nanoseconds
};
bool VersionOfFile(const std::string& path, FileVersion* version);
bool VersionOfOpenFile(const FileHandle& file, FileVersion* version);
bool SameVersion(const FileVersion& a, const FileVersion& b);
bool IsWritableFile(const std::string& path);
// The user's own (on Windows, where files carry no owner here, always): records are kept only in
// files of the user's, since another's could be read by the other user.
bool IsOwnFile(const std::string& path);
// The same of a file already open: no one can swap the file between the look and the read.
bool IsOwnOpenFile(const FileHandle& file);
// A folder (or file) other users may change: world-writable, another user's, writable by a group
// that is not the user's private one, or in a folder above that lets them move it away. Code
// loaded from it may be theirs.
bool IsFolderOthersCanWrite(const std::string& path);
// Marked read-only for its owner (the read-only attribute on Windows), whoever asks.
bool IsReadOnlyFile(const std::string& path);

bool OpenFile(const std::string& path, OpenMode mode, FileHandle* file);
void CloseFile(FileHandle* file);
std::int64_t SizeOfOpenFile(const FileHandle& file);
// Reads up to n bytes at offset; fewer only at the end of the file. Returns -1 on failure.
std::int64_t ReadAt(const FileHandle& file, std::int64_t offset, void* buffer, std::size_t n);
// Reads exactly n bytes at offset; a short file counts as a failure.
bool ReadExactlyAt(const FileHandle& file, std::int64_t offset, void* buffer, std::size_t n);
bool WriteAt(const FileHandle& file, std::int64_t offset, const void* bytes, std::size_t n);
bool FlushFile(const FileHandle& file);
bool TruncateFile(const FileHandle& file, std::int64_t size);
// Copies n bytes between two open files inside the kernel where it can, else through a buffer.
bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
               std::int64_t n);
// Sets aside the disk space of a new file of size bytes, which reads as zeros until written,
// so that no later write into it can find the disk full. kReserveUnsupported where the file
// system could only do it by writing the zeros.
enum ReserveResult { kReserved, kReserveUnsupported, kReserveFailed };
ReserveResult ReserveFileSpace(const FileHandle& file, std::int64_t size);
// The same for a range of an existing file, whose size stays: a rewrite of a slot of a sparse
// file on a nearly full disk fails here, before a byte of it is written.
ReserveResult ReserveFileRange(const FileHandle& file, std::int64_t offset, std::int64_t n);
// A helper thread that sends written ranges of a file on to the disk while the writer goes
// on, so that the final flush finds little left to do. End waits for it.
struct WriteBehind;
WriteBehind* BeginWriteBehind(const FileHandle& file);
void QueueWriteBehind(WriteBehind* helper, std::int64_t offset, std::int64_t n);
void EndWriteBehind(WriteBehind* helper);
// Many reads of one file at once. Where the system takes a batch of reads in one call
// (io_uring), the calls into the kernel, which cost more than copying a few KiB, go from one a
// read to one a batch; elsewhere, and while a test's step hook is installed, one after another.
// A reader belongs to one thread at a time.
struct ReadPiece {
    std::int64_t offset;
    void* buffer;
    std::size_t size;
    std::int64_t got;  // set by ReadPieces: the bytes read (fewer only at the end of the file), or -1
};
struct PieceReader;
PieceReader* BeginPieceReads(const FileHandle& file);
// Reads every piece; false, with the reason in LastFileError(), when a read failed.
bool ReadPieces(PieceReader* reader, ReadPiece* pieces, std::size_t n);
void EndPieceReads(PieceReader* reader);
// A file that replaces another is written beside it under a temporary name, flushed, and
// renamed over the target; DiscardTempFile removes it again after a failure.
// ResolveReplacement says where: the path itself, or where the symbolic link at path points,
// so that the link stays. Refused, with the reason, when a link in the way is another user's
// (root's aside), when a link cannot be followed for a reason other than "does not exist",
// when a link to nothing is not the user's own, and when what would be replaced is not a
// regular file (a folder, a pipe, a device).
bool ResolveReplacement(const std::string& path, std::string* target);
// false only when the look-up failed otherwise than with "does not exist".
bool IdentityOfPath(const std::string& path, FileIdentity* identity);
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);
// The temporary name is tempPath, or tempPath.1 to .99, then a random tempPath.xxx, where a file
// has it already. It takes the target's permissions only where the target is the user's own,
// and notes in file->replaces what the target is now; a caller that asked the user about the
// target sets it to what the user was asked about.
bool CreateTempFile(const std::string& tempPath, const std::string& target, FileHandle* file);
// Durable: the file is on disk before it replaces the target. A file that can be made again
// (the record dump, an exported page) may skip the wait. Refused when the target no longer
// holds what file->replaces says.
// openTarget: the caller's own handle on the target, kept open for its lock until the rename;
// where the system cannot replace an open file (Windows, off NTFS or under Wine) it is closed
// just before.
bool CommitTempFile(FileHandle* file, const std::string& target, bool durable = true, FileHandle* openTarget = nullptr);
void DiscardTempFile(FileHandle* file);
// Sets the permissions of a file still open under its temporary name; true where files have none.
bool SetTempFileMode(const FileHandle& file, int mode);
// Takes from a copy under its temporary name what its source does not allow: a copy is never
// readable by more users than the file it copies.
bool LimitTempFileMode(const FileHandle& file, const FileHandle& source);
// Writes a file that must not exist yet; false when it does.
bool WriteNewFile(const std::string& path, std::string_view bytes);
bool RenameFile(const std::string& from, const std::string& to);
// Gives a file a second name by a hard link. kLinkUnsupported where none was made and to is
// still free (another file system, or one without hard links): the caller may copy instead.
// kLinkFailed where to is taken, or the link is made but not known to be on disk.
enum LinkResult { kLinked, kLinkUnsupported, kLinkFailed };
LinkResult LinkFile(const std::string& from, const std::string& to);
bool DeleteFile(const std::string& path);

// For tests: every call of a file step passes the installed hook just before the call goes
// on; where the hook returns true the call fails with the error it left in errno. Installed
// and removed while the program's own threads do file work (tests/FileFaults.h).
enum FileStep { kStepOpen, kStepRead, kStepWrite, kStepFlush, kStepRename, kStepDelete, kStepStat, kFileSteps };
using FileStepHook = bool (*)(FileStep step, const std::string& path);
void SetFileStepHook(FileStepHook hook);  // nullptr removes it
// Whether a hook is installed (io_uring and the kernel copy then step aside, so that every read
// and write passes it).
bool FaultSeamActive();
void SetFileError(const std::string& text);

// The local time as YYYYMMDD-HHMMSS, for names of files that must not replace another.
std::string TimeStamp();
std::string ExecutablePath();
// '/', and on Windows '\\' too.
bool IsPathSeparator(char c);
// The folder part of a path with its separator at the end, or empty for a bare name.
std::string FolderPart(const std::string& path);
// For a process that makes one pass and ends: freed memory is kept for the next allocation
// instead of being handed back to the system and faulted in again.
void KeepFreedMemory();
// The user's home folder, or empty.
std::string HomeFolder();
// $XDG_DATA_HOME where it is an absolute path, else ~/.local/share; no slash at the end.
std::string UserDataHome();
// The path with every link and dot resolved, or empty when some part of it does not exist.
std::string CanonicalPath(const std::string& path);
// Makes the folder and any missing folder above it, each user-only; true when it is there.
bool MakePrivateFolders(const std::string& path);
// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);
std::string LastFileError();
// For a handler that runs inside exit(), after each thread's own storage is gone: failures are
// no longer described, and LastFileError() is empty from then on.
void StopDescribingFileErrors();
