// The copies beside their caller: a kernel copy between files, the space reserved for a copy
// that skips the zeros and for a slot about to be written, and the write-behind that sends copied data on to the disk.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/Files.h"
#include "platform/common/FileSeam.h"

bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
               std::int64_t n) {
    while (n > 0) {
        loff_t in = fromOffset, out = toOffset;
        ssize_t copied =
            FaultSeamActive() ? 0 : copy_file_range(from.fd, &in, to.fd, &out, static_cast<std::size_t>(n), 0);
        if (copied < 0 && errno == EINTR) continue;
        if (copied <= 0) break;
        fromOffset += copied;
        toOffset += copied;
        n -= copied;
    }
    // Where the kernel cannot copy between these files, the bytes go through a buffer.
    return CopyThroughBuffer(from, fromOffset, to, toOffset, n);
}

ReserveResult ReserveFileSpace(const FileHandle& file, std::int64_t size) {
    if (size <= 0) return kReserved;
    int result;
    do {
        result = Injected(kStepWrite, file.path) ? -1 : fallocate(file.fd, 0, 0, size);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return kReserved;
    if (errno == EOPNOTSUPP) return kReserveUnsupported;
    FailWith(kDoingReservingSpaceFor, file.path, std::strerror(errno));
    return kReserveFailed;
}

ReserveResult ReserveFileRange(const FileHandle& file, std::int64_t offset, std::int64_t n) {
    int result;
    do {
        result = Injected(kStepWrite, file.path) ? -1 : fallocate(file.fd, FALLOC_FL_KEEP_SIZE, offset, n);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return kReserved;
    if (errno == EOPNOTSUPP || errno == ENOSYS) return kReserveUnsupported;
    FailWith(kDoingReservingSpaceIn, file.path, std::strerror(errno));
    return kReserveFailed;
}

struct WriteBehind {
    int fd;  // a duplicate, so that the writer may close its own at any time
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::pair<std::int64_t, std::int64_t>> ranges;
    bool ending = false;
    std::thread thread;
};

namespace {

void RunWriteBehind(WriteBehind* helper) {
    std::unique_lock<std::mutex> hold(helper->lock);
    for (;;) {
        helper->wake.wait(hold, [helper] { return helper->ending || !helper->ranges.empty(); });
        if (helper->ranges.empty()) return;
        std::pair<std::int64_t, std::int64_t> range = helper->ranges.front();
        helper->ranges.pop_front();
        hold.unlock();
        sync_file_range(helper->fd, range.first, range.second, SYNC_FILE_RANGE_WRITE);
        hold.lock();
    }
}

}  // namespace

WriteBehind* BeginWriteBehind(const FileHandle& file) {
    WriteBehind* helper = new WriteBehind;
    helper->fd = fcntl(file.fd, F_DUPFD_CLOEXEC, 0);
    helper->thread = std::thread(RunWriteBehind, helper);
    return helper;
}

void QueueWriteBehind(WriteBehind* helper, std::int64_t offset, std::int64_t n) {
    std::lock_guard<std::mutex> hold(helper->lock);
    helper->ranges.emplace_back(offset, n);
    helper->wake.notify_one();
}

void EndWriteBehind(WriteBehind* helper) {
    {
        std::lock_guard<std::mutex> hold(helper->lock);
        helper->ending = true;
        helper->wake.notify_one();
    }
    helper->thread.join();
    if (helper->fd >= 0) close(helper->fd);
    delete helper;
}
