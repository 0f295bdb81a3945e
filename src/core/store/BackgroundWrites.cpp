// Writes that run beside their caller, on the file operations alone: the ordered chunk writer
// and the late close of a replaced file.
#include "core/store/BackgroundWrites.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

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
    if (IsOpen(*file)) {
        std::lock_guard<std::mutex> hold(Closes().lock);
        ++Closes().pending;
        std::thread([closing = *file]() mutable {
            CloseFile(&closing);
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
