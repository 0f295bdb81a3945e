// The lock is flock() on a file that is never closed, so the kernel releases it when the
// process ends, however it ends. The socket accepts only connections of the same user.
#include "platform/Instance.h"

#include "platform/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// The runtime folder must be a real folder of this user that nobody else can enter.
bool IsPrivateFolder(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

// A folder of the user's own, made user-only where it is new; one that is there already must
// be the user's and nobody else's, so that no other user can squat it in advance.
bool MakePrivateFolder(const std::string& path) {
    return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && IsPrivateFolder(path);
}

std::string s_besideFiles;  // the last resort: the folder of the data files

// The runtime folder; where it is unset or not private, a folder in the user's cache, which
// only the user can write into (a name in the shared /tmp could be taken by another user
// first); where neither can be had, the folder of the files themselves. Never nothing, since
// two instances on one data file is what the lock is for.
std::string RuntimeFolder(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && IsPrivateFolder(runtime)) return runtime;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    // Without HOME (a job started with an empty environment) the account's own home serves.
    std::string home = HomeFolder();
    std::string caches = cache && cache[0] == '/' ? cache : home.empty() ? "" : home + "/.cache";
    if (!caches.empty()) {
        mkdir(caches.c_str(), 0700);
        std::string folder = caches + "/" + name;
        if (MakePrivateFolder(folder)) return folder;
    }
    return s_besideFiles;
}

bool SocketAddress(const std::string& name, sockaddr_un* address) {
    std::string folder = RuntimeFolder(name);
    std::string path = folder + "/" + name + ".sock";
    if (folder.empty() || path.size() >= sizeof address->sun_path) return false;
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool IsSameUser(int connection) {
    ucred peer;
    socklen_t size = sizeof peer;
    return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

void Listen(int server, void (*onMessage)(std::uint32_t)) {
    for (;;) {
        int connection = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        // A peer that connects and sends nothing must not stall the next one for long.
        timeval timeout{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        unsigned char bytes[4];
        std::size_t got = 0;
        while (got < sizeof bytes) {
            ssize_t n = recv(connection, bytes + got, sizeof bytes - got, 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bool sameUser = IsSameUser(connection);
        close(connection);
        if (got == sizeof bytes && sameUser)
            onMessage(static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
                      static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3]);
    }
}

}  // namespace

std::uint32_t RegisterMessage(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return 0xC000u | (hash & 0x3FFFu);
}

InstanceClaim ClaimSingleInstance(const std::string& name, const std::string& filesFolder) {
    s_besideFiles = filesFolder;
    while (!s_besideFiles.empty() && s_besideFiles.back() == '/') s_besideFiles.pop_back();
    std::string folder = RuntimeFolder(name);
    std::string path = folder + "/" + name + ".lock";
    int fd = folder.empty() ? -1 : open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return kInstanceLockFailed;
    // A lock file another user made could be held by them for ever: it is no lock of ours.
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != getuid() || (st.st_mode & 077) != 0) {
        close(fd);
        return kInstanceLockFailed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? kInstanceSecond : kInstanceLockFailed;
    }
    // The folder of the files is locked too: a start with another runtime folder (another
    // environment), or after the lock file was removed, still finds the first on these files.
    // Only a folder no other user can open: they could hold its lock and keep the user out.
    int folderFd = s_besideFiles.empty() || !IsPrivateFolder(s_besideFiles)
                       ? -1
                       : open(s_besideFiles.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0 && flock(folderFd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close(folderFd);
        close(fd);
        return kInstanceSecond;
    }
    return kInstanceFirst;  // both descriptors stay open until exit
}

bool SendToFirstInstance(const std::string& name, std::uint32_t message) {
    sockaddr_un address;
    if (!SocketAddress(name, &address)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    unsigned char bytes[4] = {static_cast<unsigned char>(message >> 24), static_cast<unsigned char>(message >> 16),
                              static_cast<unsigned char>(message >> 8), static_cast<unsigned char>(message)};
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              send(fd, bytes, sizeof bytes, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof bytes);
    close(fd);
    return ok;
}

bool StartInstanceListener(const std::string& name, void (*onMessage)(std::uint32_t message)) {
    sockaddr_un address;
    if (!SocketAddress(name, &address)) return false;
    // Only the holder of the lock gets here, so a socket left by a killed instance is stale.
    unlink(address.sun_path);
    int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (server < 0) return false;
    mode_t old = umask(077);
    bool bound = bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    umask(old);
    if (!bound || listen(server, 8) != 0) {
        close(server);
        return false;
    }
    std::thread(Listen, server, onMessage).detach();
    return true;
}
