// Batches of reads through an io_uring of the reader's own. A read that the ring returns short
// of its piece (the kernel may stop early) is finished by ordinary reads, which tell the end of
// the file from an interruption. A ring that refuses a batch is given up for the reader's life.
#include <liburing.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/common/FileSeam.h"

namespace {

constexpr unsigned kRingEntries = 64;

}  // namespace

struct PieceReader {
    const FileHandle* file;
    io_uring ring;
    bool hasRing;
};

PieceReader* BeginPieceReads(const FileHandle& file) {
    PieceReader* reader = new PieceReader{&file, {}, false};
    reader->hasRing = io_uring_queue_init(kRingEntries, &reader->ring, 0) == 0;
    return reader;
}

void EndPieceReads(PieceReader* reader) {
    if (reader->hasRing) io_uring_queue_exit(&reader->ring);
    delete reader;
}

namespace {

// Waits for every read the kernel took: until then it may still write into the buffers. The
// error of a failed read, or 0.
int Reap(io_uring* ring, ReadPiece* pieces, int taken) {
    int error = 0;
    while (taken > 0) {
        io_uring_cqe* done;
        int waited = io_uring_wait_cqe(ring, &done);
        if (waited == -EINTR) continue;
        if (waited < 0) return -waited;
        ReadPiece& piece = pieces[io_uring_cqe_get_data64(done)];
        // An interrupted read is taken up again below, by an ordinary one.
        bool interrupted = done->res == -EAGAIN || done->res == -EINTR;
        piece.got = interrupted ? 0 : done->res;
        if (done->res < 0 && !interrupted) error = -done->res;
        io_uring_cqe_seen(ring, done);
        --taken;
    }
    return error;
}

bool ReadThroughRing(PieceReader* reader, ReadPiece* pieces, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        io_uring_sqe* entry = io_uring_get_sqe(&reader->ring);
        io_uring_prep_read(entry, reader->file->fd, pieces[i].buffer, static_cast<unsigned>(pieces[i].size),
                           static_cast<__u64>(pieces[i].offset));
        io_uring_sqe_set_data64(entry, i);
    }
    int taken = io_uring_submit(&reader->ring);
    while (taken == -EINTR) taken = io_uring_submit(&reader->ring);
    int error = Reap(&reader->ring, pieces, std::max(taken, 0));
    if (taken != static_cast<int>(n)) {
        reader->hasRing = false;
        return ReadPiecesOneByOne(*reader->file, pieces, n);
    }
    bool all = true;
    for (std::size_t i = 0; i < n; ++i) {
        ReadPiece& piece = pieces[i];
        if (piece.got < 0 || static_cast<std::size_t>(piece.got) == piece.size) continue;
        std::int64_t rest =
            ReadAt(*reader->file, piece.offset + piece.got, static_cast<char*>(piece.buffer) + piece.got,
                   piece.size - static_cast<std::size_t>(piece.got));
        piece.got = rest < 0 ? -1 : piece.got + rest;
        all = all && rest >= 0;
    }
    if (error != 0) FailWith(kDoingReading, reader->file->path, std::strerror(error));
    return all && error == 0;
}

}  // namespace

bool ReadPieces(PieceReader* reader, ReadPiece* pieces, std::size_t n) {
    bool all = true;
    for (std::size_t from = 0; from < n; from += kRingEntries) {
        std::size_t batch = std::min<std::size_t>(kRingEntries, n - from);
        all = (reader->hasRing && !FaultSeamActive() ? ReadThroughRing(reader, pieces + from, batch)
                                                     : ReadPiecesOneByOne(*reader->file, pieces + from, batch)) &&
              all;
    }
    return all;
}
