// POSIX implementation of the file layer: 64-bit offsets, advisory locks held while a file is
// open, fdatasync before a write counts as done, and replacement by rename only.
#include "platform/Files.h"

#include "platform/common/FileSeam.h"

#include <fcntl.h>
#include <grp.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

bool Fail(FileDoing doing, const std::string& path, int error) { return FailWith(doing, path, std::strerror(error)); }

bool FailErrno(FileDoing doing, const std::string& path) { return Fail(doing, path, errno); }

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Links made by the user or by the system are followed, wherever they stand in a path; another
// user's link, in a shared folder or in a folder on the way to one, is the classic way to turn
// a write of the user's into one over a file of the other's choosing.
bool IsOwnLink(const struct stat& st) { return st.st_uid == geteuid() || st.st_uid == 0; }

// The names of a path, last first, to be taken from the back.
void PushNames(const std::string& path, std::vector<std::string>* names) {
    std::size_t end = path.size();
    while (end > 0) {
        std::size_t begin = path.find_last_of('/', end - 1);
        begin = begin == std::string::npos ? 0 : begin + 1;
        if (end > begin) names->push_back(path.substr(begin, end - begin));
        end = begin == 0 ? 0 : begin - 1;
    }
}

// Walks the path name by name, as the system would, following links only where they are the
// user's or the system's; the end must be a regular file or nothing yet.
bool FollowOwnLinks(const std::string& path, FileDoing doing, std::string* target) {
    std::string done = path.empty() || path[0] != '/' ? "." : "";
    std::vector<std::string> names;
    PushNames(path, &names);
    for (int hops = 0; !names.empty();) {
        std::string name = names.back();
        names.pop_back();
        if (name == ".") continue;
        bool climbed = done == "." || (done.size() >= 3 && done.compare(done.size() - 3, 3, "/..") == 0);
        if (name == ".." && !climbed) {
            done = done.substr(0, done.find_last_of('/'));
            continue;
        }
        std::string at = done + "/" + name;
        struct stat st;
        if (lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) return FailErrno(kDoingLookingUp, at);
            // Nothing there yet (a drive not mounted behind a link): written where the path
            // leads too, or not at all, since a copy elsewhere would part from the user's file.
            for (; !names.empty(); names.pop_back()) at += "/" + names.back();
            *target = at;
            return true;
        }
        if (S_ISLNK(st.st_mode)) {
            if (!IsOwnLink(st)) return FailWith(doing, path, kReasonOthersLinkOnWay);
            if (++hops > 40) return Fail(doing, path, ELOOP);
            std::vector<char> buffer(4096);
            ssize_t n = readlink(at.c_str(), buffer.data(), buffer.size() - 1);
            if (n <= 0) return FailErrno(kDoingFollowing, at);
            std::string next(buffer.data(), static_cast<std::size_t>(n));
            if (next[0] == '/') done.clear();
            PushNames(next, &names);
            continue;
        }
        if (!names.empty()) {
            done = at;
            continue;
        }
        if (!S_ISREG(st.st_mode)) return FailWith(doing, path, kReasonNotRegular);
        *target = at;
        return true;
    }
    return FailWith(doing, path, kReasonNotRegular);
}

}  // namespace

// A rename is durable only once the folder that holds the name is flushed too.
bool FlushFolderOf(const std::string& path) {
    std::string folder = FolderOf(path);
    if (Injected(kStepFlush, folder)) return FailErrno(kDoingFlushingFolder, folder);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FailErrno(kDoingOpeningFolder, folder);
    bool ok = fsync(fd) == 0 || errno == EINVAL;
    int error = errno;
    close(fd);
    return ok || Fail(kDoingFlushingFolder, folder, error);
}

FileInfo StatPath(const std::string& path) {
    FileInfo info;
    struct stat st;
    if (Injected(kStepStat, path) || stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            info.kind = kFileUnknown;
            FailErrno(kDoingLookingUp, path);
        }
        return info;
    }
    if (S_ISREG(st.st_mode)) {
        info.kind = kFileRegular;
        info.size = st.st_size;
    } else {
        info.kind = S_ISDIR(st.st_mode) ? kFileFolder : kFileOther;
    }
    return info;
}

namespace {

void FillVersion(const struct stat& st, FileVersion* version) {
    version->device = st.st_dev;
    version->inode = st.st_ino;
    version->size = st.st_size;
    version->modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

bool VersionOfFile(const std::string& path, FileVersion* version) {
    struct stat st;
    if (Injected(kStepStat, path) || stat(path.c_str(), &st) != 0) return FailErrno(kDoingLookingUp, path);
    FillVersion(st, version);
    return true;
}

bool VersionOfOpenFile(const FileHandle& file, FileVersion* version) {
    struct stat st;
    if (fstat(file.fd, &st) != 0) return FailErrno(kDoingLookingUp, file.path);
    FillVersion(st, version);
    return true;
}

// A file without its owner's write bit counts as read-only even where the user (root) could
// write it anyway: that bit is how a user marks a file read-only.
bool IsWritableFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) &&
           access(path.c_str(), W_OK) == 0;
}

bool IsOwnFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_uid == geteuid();
}

bool IsOwnOpenFile(const FileHandle& file) {
    struct stat st;
    return fstat(static_cast<int>(file.fd), &st) == 0 && st.st_uid == geteuid();
}

namespace {

// A group that holds the user alone: the user's private group, named as the user, with no
// other members listed (another account may still have it as its first group; that is the
// administrator's to avoid).
bool IsPrivateGroup(gid_t gid) {
    struct group* group = getgrgid(gid);
    struct passwd* user = getpwuid(geteuid());
    return group && user && group->gr_mem && !group->gr_mem[0] && std::strcmp(group->gr_name, user->pw_name) == 0;
}

// Under an access control list the group bits are its mask: with write in it, a user or group
// the list names may write, whatever the owning group is.
bool OthersCanChange(const std::string& path, const struct stat& st) {
    return (st.st_mode & S_IWOTH) || (st.st_uid != geteuid() && st.st_uid != 0) ||
           ((st.st_mode & S_IWGRP) &&
            (!IsPrivateGroup(st.st_gid) || getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0));
}

}  // namespace

bool IsFolderOthersCanWrite(const std::string& path) {
    std::string real = CanonicalPath(path);
    struct stat st;
    if (real.empty() || stat(real.c_str(), &st) != 0) return false;
    if (OthersCanChange(real, st)) return true;
    // A folder above that others may write into lets them move this one away and put theirs in
    // its place, unless it is sticky, where only a name's owner may move it.
    for (std::string folder = FolderOf(real); real != "/"; real = folder, folder = FolderOf(folder)) {
        if (stat(folder.c_str(), &st) != 0 || (st.st_uid != geteuid() && st.st_uid != 0)) return true;
        if (OthersCanChange(folder, st) && !(st.st_mode & S_ISVTX)) return true;
        if (folder == "/") break;
    }
    return false;
}

bool SetTempFileMode(const FileHandle& file, int mode) {
    return (!Injected(kStepWrite, file.path) && fchmod(static_cast<int>(file.fd), static_cast<mode_t>(mode)) == 0) ||
           FailErrno(kDoingCreating, file.path);
}

bool LimitTempFileMode(const FileHandle& file, const FileHandle& source) {
    struct stat mine, theirs;
    if (fstat(static_cast<int>(file.fd), &mine) != 0 || fstat(static_cast<int>(source.fd), &theirs) != 0)
        return FailErrno(kDoingCreating, file.path);
    return SetTempFileMode(file, static_cast<int>((mine.st_mode & theirs.st_mode & 0777) | S_IRUSR | S_IWUSR));
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
}

bool OpenFile(const std::string& path, OpenMode mode, FileHandle* file) {
    // O_NONBLOCK keeps a pipe named like the file from hanging the open; regular files
    // ignore it.
    bool reading = mode == kOpenRead || mode == kOpenReadBeside;
    int flags = O_CLOEXEC | O_NONBLOCK | (reading ? O_RDONLY : O_RDWR);
    if (mode == kOpenReadWriteCreate) flags |= O_CREAT;
    // A write goes through the user's own links only, to the file found at their end then.
    std::string real = path;
    if (!reading && !FollowOwnLinks(path, kDoingOpening, &real)) return false;
    if (!reading) flags |= O_NOFOLLOW;
    int fd = Injected(kStepOpen, path) ? -1 : open(real.c_str(), flags, 0600);
    if (fd < 0) return FailErrno(kDoingOpening, path);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int error = errno;
        close(fd);
        return Fail(kDoingOpening, path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return Fail(kDoingOpening, path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    // What is written goes into the user's own files only: another's could be read by them.
    if (!reading && st.st_uid != geteuid()) {
        close(fd);
        return FailWith(kDoingOpening, path, kReasonOthersFile);
    }
    if (mode != kOpenReadBeside && flock(fd, (reading ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return Fail(kDoingLocking, path, error);
    }
    file->fd = fd;
    file->path = path;
    return true;
}

void CloseFile(FileHandle* file) {
    if (file->fd >= 0) close(file->fd);
    file->fd = -1;
}

std::int64_t SizeOfOpenFile(const FileHandle& file) {
    struct stat st;
    if (fstat(file.fd, &st) != 0) {
        FailErrno(kDoingReadingSizeOf, file.path);
        return -1;
    }
    return st.st_size;
}

std::int64_t ReadAt(const FileHandle& file, std::int64_t offset, void* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = Injected(kStepRead, file.path)
                          ? -1
                          : pread(file.fd, static_cast<char*>(buffer) + done, n - done, offset + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            FailErrno(kDoingReading, file.path);
            return -1;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool WriteAt(const FileHandle& file, std::int64_t offset, const void* bytes, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        ssize_t put = Injected(kStepWrite, file.path)
                          ? -1
                          : pwrite(file.fd, static_cast<const char*>(bytes) + done, n - done, offset + done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return FailErrno(kDoingWriting, file.path);
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool FlushFile(const FileHandle& file) {
    return (!Injected(kStepFlush, file.path) && fdatasync(file.fd) == 0) || FailErrno(kDoingFlushing, file.path);
}

bool TruncateFile(const FileHandle& file, std::int64_t size) {
    return ftruncate(file.fd, size) == 0 || FailErrno(kDoingTruncating, file.path);
}

bool CreateNewFile(const std::string& path, FileHandle* file, bool* taken) {
    int fd =
        Injected(kStepOpen, path) ? -1 : open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    *taken = fd < 0 && errno == EEXIST;
    if (fd < 0) return FailErrno(kDoingCreating, path);
    file->fd = fd;
    file->path = path;
    return true;
}

// The replacement keeps the permissions of a file of the user's own; a file of another's
// (world-readable, say) lends it nothing, and new files are the user's alone.
bool TakeModeOf(const FileHandle& temp, const std::string& target) {
    struct stat st;
    bool own = lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    mode_t mode = own ? (st.st_mode & 0777) : 0600;
    return fchmod(static_cast<int>(temp.fd), mode | S_IRUSR | S_IWUSR) == 0 || FailErrno(kDoingCreating, temp.path);
}

void RemoveName(const std::string& path) { unlink(path.c_str()); }

namespace {

// Whether the name holds that file; false too where it cannot be looked at.
bool Holds(const std::string& path, const FileIdentity& identity) {
    FileIdentity now;
    return IdentityOfPath(path, &now) && SameIdentity(now, identity);
}

// Swaps the two names in one step and looks at both: the target must now hold the file written
// (in a folder others can write, another program could have put its own under the temporary
// name) and the temporary name the file the caller meant to replace. Only then does that go;
// anything else is swapped back at once. No check made before a rename can promise that much.
// *swapped false: the swap was refused, errno says why.
bool ExchangeOver(const FileHandle& file, const FileIdentity& own, const std::string& target, bool* swapped) {
    *swapped = renameat2(AT_FDCWD, file.path.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0;
    if (!*swapped) return false;
    bool ours = Holds(target, own);
    bool same = Holds(file.path, file.replaces);
    if (ours && same && !WasWritten(file.replacesWatch)) {
        unlink(file.path.c_str());
        return true;
    }
    renameat2(AT_FDCWD, file.path.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
    if (!ours) return FailWith(kDoingReplacing, file.path, kReasonReplacedMeanwhile);
    return FailWith(kDoingReplacing, target, same ? kReasonWrittenMeanwhile : kReasonReplacedMeanwhile);
}

// After a rename that had nothing to swap with: what it moved must be the file written. A
// stranger's file goes back to the name it came from, if it is free.
bool MovedOwn(const FileHandle& file, const FileIdentity& own, const std::string& target) {
    if (Holds(target, own)) return true;
    renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, file.path.c_str(), RENAME_NOREPLACE);
    return FailWith(kDoingReplacing, file.path, kReasonReplacedMeanwhile);
}

// The rename itself, over the file the caller meant to replace, or over nothing where there
// was nothing.
bool RenameOver(const FileHandle& file, const FileIdentity& own, const std::string& target) {
    if (!Holds(file.path, own)) return FailWith(kDoingReplacing, file.path, kReasonReplacedMeanwhile);
    // The seam fails the first rename as the system would: EINVAL stands for a file system that
    // can neither swap nor refuse.
    bool injected = Injected(kStepRename, target);
    int flag = file.replaces.exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (!injected && flag == RENAME_NOREPLACE &&
        renameat2(AT_FDCWD, file.path.c_str(), AT_FDCWD, target.c_str(), flag) == 0)
        return MovedOwn(file, own, target);
    if (!injected && flag == RENAME_EXCHANGE) {
        bool swapped = false;
        bool replaced = ExchangeOver(file, own, target, &swapped);
        if (swapped) return replaced;
    }
    if (errno == EEXIST) return FailWith(kDoingReplacing, target, kReasonMadeMeanwhile);
    if (errno == ENOENT && flag == RENAME_EXCHANGE) return FailWith(kDoingReplacing, target, kReasonRemovedMeanwhile);
    if (errno != EINVAL && errno != ENOSYS) return FailErrno(kDoingReplacing, target);
    // A file system that can do neither: the last looks are as close to the rename as it gets.
    if (!Holds(target, file.replaces)) return FailWith(kDoingReplacing, target, kReasonReplacedMeanwhile);
    if (WasWritten(file.replacesWatch)) return FailWith(kDoingReplacing, target, kReasonWrittenMeanwhile);
    if (!Holds(file.path, own)) return FailWith(kDoingReplacing, file.path, kReasonReplacedMeanwhile);
    return rename(file.path.c_str(), target.c_str()) == 0 || FailErrno(kDoingReplacing, target);
}

}  // namespace

bool RenameTempOver(FileHandle* file, const std::string& target, FileHandle*) {
    struct stat st;
    if (fstat(static_cast<int>(file->fd), &st) != 0) {
        int error = errno;
        DiscardTempFile(file);
        return Fail(kDoingReplacing, target, error);
    }
    FileIdentity own{true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    CloseFile(file);
    if (!RenameOver(*file, own, target)) {
        std::string reason = LastFileError();
        // After a swap undone, the temporary name is the file's own again, unless a third program
        // came between; then what it holds is not ours to remove.
        if (Holds(file->path, own)) unlink(file->path.c_str());
        SetFileError(reason);
        return false;
    }
    return true;
}

struct WriteWatch {
    int fd;
};

// The watch follows the open file, not its name: a rename leaves it on the same file.
WriteWatch* WatchWrites(const FileHandle& file) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::string name = "/proc/self/fd/" + std::to_string(file.fd);
    if (fd >= 0 && inotify_add_watch(fd, name.c_str(), IN_MODIFY) >= 0) return new WriteWatch{fd};
    if (fd >= 0) close(fd);
    return nullptr;
}

bool WasWritten(WriteWatch* watch) {
    if (!watch) return false;
    alignas(struct inotify_event) char events[4096];
    ssize_t got = read(watch->fd, events, sizeof events);
    return got > 0 || (got < 0 && errno != EAGAIN);
}

void EndWriteWatch(WriteWatch* watch) {
    if (!watch) return;
    close(watch->fd);
    delete watch;
}

bool IdentityOfPath(const std::string& path, FileIdentity* identity) {
    *identity = FileIdentity();
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT || FailErrno(kDoingLookingUp, path);
    identity->exists = true;
    identity->device = st.st_dev;
    identity->inode = st.st_ino;
    return true;
}

bool ResolveReplacement(const std::string& path, std::string* target) {
    return FollowOwnLinks(path, kDoingReplacing, target);
}

bool MakeHardLink(const std::string& from, const std::string& to) {
    return (!Injected(kStepRename, to) && link(from.c_str(), to.c_str()) == 0) || FailErrno(kDoingNaming, to);
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (Injected(kStepRename, to) || rename(from.c_str(), to.c_str()) != 0) return FailErrno(kDoingRenaming, from);
    return FlushFolderOf(to);
}

bool DeleteFile(const std::string& path) {
    if (Injected(kStepDelete, path)) return FailErrno(kDoingDeleting, path);
    return unlink(path.c_str()) == 0 || errno == ENOENT || FailErrno(kDoingDeleting, path);
}

std::string TimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

bool IsPathSeparator(char c) { return c == '/'; }

std::string UserDataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return data;
    std::string home = HomeFolder();
    while (!home.empty() && home.back() == '/') home.pop_back();
    return home + "/.local/share";
}

std::string CanonicalPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return std::string();
    std::string canonical = resolved;
    std::free(resolved);
    return canonical;
}

bool MakeUserFolder(const std::string& folder) {
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST || FailErrno(kDoingMaking, folder);
}

void KeepFreedMemory() {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // large pieces too come from the heap and are reused
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    struct passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : std::string();
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(begin, end - begin) + "/" + name;
        if (end > begin && access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return std::string();
}
