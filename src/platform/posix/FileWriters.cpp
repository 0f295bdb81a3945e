// The writers that run beside their caller: a kernel copy between files, the write-behind
// that sends copied data on to the disk, the ordered chunk writer, and the late close.
#include <fcntl.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Files.h"

bool CopyRange(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
               std::int64_t n) {
    while (n > 0) {
        loff_t in = fromOffset, out = toOffset;
        ssize_t copied = FaultSeamActive() ? 0 : copy_file_range(from.fd, &in, to.fd, &out, static_cast<std::size_t>(n), 0);
        if (copied < 0 && errno == EINTR) continue;
        if (copied <= 0) break;
        fromOffset += copied;
        toOffset += copied;
        n -= copied;
    }
    // Where the kernel cannot copy between these files, the bytes go through a buffer.
    std::vector<char> buffer(n > 0 ? 1 << 20 : 0);
    while (n > 0) {
        std::size_t chunk = n < static_cast<std::int64_t>(buffer.size()) ? static_cast<std::size_t>(n) : buffer.size();
        if (!ReadExactlyAt(from, fromOffset, buffer.data(), chunk) || !WriteAt(to, toOffset, buffer.data(), chunk))
            return false;
        fromOffset += static_cast<std::int64_t>(chunk);
        toOffset += static_cast<std::int64_t>(chunk);
        n -= static_cast<std::int64_t>(chunk);
    }
    return true;
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

struct ChunkWriter {
    FileHandle file;
    std::int64_t offset;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> chunks;
    bool ending = false;
    bool failed = false;
    std::string error;
    std::thread thread;
};

namespace {

constexpr std::size_t kChunksWaiting = 4;

void RunChunkWriter(ChunkWriter* writer) {
    std::unique_lock<std::mutex> hold(writer->lock);
    for (;;) {
        writer->changed.wait(hold, [writer] { return writer->ending || !writer->chunks.empty(); });
        if (writer->chunks.empty()) return;
        std::string chunk = std::move(writer->chunks.front());
        writer->chunks.pop_front();
        writer->changed.notify_all();
        hold.unlock();
        bool ok = writer->failed || WriteAt(writer->file, writer->offset, chunk.data(), chunk.size());
        hold.lock();
        if (!ok && !writer->failed) {
            writer->failed = true;
            writer->error = LastFileError();
        }
        writer->offset += static_cast<std::int64_t>(chunk.size());
    }
}

}  // namespace

ChunkWriter* BeginChunkWriter(const FileHandle& file, std::int64_t offset) {
    ChunkWriter* writer = new ChunkWriter;
    writer->file = file;
    writer->offset = offset;
    writer->thread = std::thread(RunChunkWriter, writer);
    return writer;
}

void WriteChunk(ChunkWriter* writer, std::string&& chunk) {
    std::unique_lock<std::mutex> hold(writer->lock);
    writer->changed.wait(hold, [writer] { return writer->chunks.size() < kChunksWaiting; });
    writer->chunks.push_back(std::move(chunk));
    writer->changed.notify_all();
}

bool EndChunkWriter(ChunkWriter* writer) {
    {
        std::lock_guard<std::mutex> hold(writer->lock);
        writer->ending = true;
        writer->changed.notify_all();
    }
    writer->thread.join();
    bool ok = !writer->failed;
    if (!ok) SetFileError(writer->error);
    delete writer;
    return ok;
}

namespace {

// Never destroyed: a close may still be ending while the process exits.
struct LaterCloses {
    std::mutex lock;
    std::condition_variable ended;
    int pending = 0;
};
LaterCloses& Closes() {
    static LaterCloses* closes = new LaterCloses;
    return *closes;
}

}  // namespace

void CloseFileLater(FileHandle* file) {
    if (file->fd >= 0) {
        std::lock_guard<std::mutex> hold(Closes().lock);
        ++Closes().pending;
        std::thread([fd = file->fd] {
            close(fd);
            std::lock_guard<std::mutex> hold(Closes().lock);
            --Closes().pending;
            Closes().ended.notify_all();
        }).detach();
    }
    file->fd = -1;
}

void WaitForClosesLater() {
    std::unique_lock<std::mutex> hold(Closes().lock);
    Closes().ended.wait(hold, [] { return Closes().pending == 0; });
}

