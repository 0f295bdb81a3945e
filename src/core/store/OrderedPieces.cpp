// The helper makes the odd groups, the caller the even ones; the helper runs at most kAhead
// groups ahead of what the caller has taken, so the pieces waiting stay few. A small list is
// made on the caller's thread alone.
#include "core/store/OrderedPieces.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/store/DataFile.h"

namespace {

constexpr std::size_t kAhead = 4;

struct Shared {
    const FileHandle& data;
    const std::vector<std::int64_t>& slots;
    MakePiece make;
    const void* context;
    std::mutex lock;
    std::condition_variable changed;
    std::string pieces[kAhead];  // the helper's group g waits in pieces[g / 2 % kAhead]
    bool made[kAhead] = {};
    bool failed = false;  // a read failed, or the caller gave up
    std::string failure;
};

std::size_t Groups(const Shared& shared) { return (shared.slots.size() + kReadGroup - 1) / kReadGroup; }

bool MakeGroup(Shared* shared, SlotReads* reads, std::size_t group, std::vector<std::string>* texts,
               std::string* piece) {
    std::size_t first = group * kReadGroup;
    std::size_t n = std::min(kReadGroup, shared->slots.size() - first);
    if (!ReadSlotTexts(reads, shared->data, shared->slots.data() + first, n, texts)) return false;
    piece->clear();
    shared->make(first, *texts, piece, shared->context);
    return true;
}

void MakeOddGroups(Shared* shared) {
    SlotReads reads{BeginPieceReads(shared->data), {}, {}, {}, {}, {}};
    std::vector<std::string> texts;
    std::string piece;
    for (std::size_t group = 1; group < Groups(*shared); group += 2) {
        bool made = MakeGroup(shared, &reads, group, &texts, &piece);
        std::unique_lock<std::mutex> hold(shared->lock);
        std::size_t at = group / 2 % kAhead;
        if (!made) {
            shared->failed = true;
            shared->failure = LastFileError();
        }
        shared->changed.wait(hold, [&] { return shared->failed || !shared->made[at]; });
        if (shared->failed) break;
        shared->pieces[at].swap(piece);
        shared->made[at] = true;
        shared->changed.notify_all();
    }
    shared->changed.notify_all();
    EndPieceReads(reads.reader);
}

}  // namespace

bool MakePiecesInOrder(const FileHandle& data, const std::vector<std::int64_t>& slots, MakePiece make,
                       const void* makeContext, TakePiece take, void* takeContext) {
    Shared shared{data, slots, make, makeContext, {}, {}, {}, {}, false, {}};
    std::thread helper;
    bool both = Groups(shared) > 2 && std::thread::hardware_concurrency() > 1;
    if (both) helper = std::thread(MakeOddGroups, &shared);
    SlotReads reads{BeginPieceReads(data), {}, {}, {}, {}, {}};
    std::vector<std::string> texts;
    std::string piece;
    bool read = true;
    for (std::size_t group = 0; read && group < Groups(shared); ++group) {
        if (!both || group % 2 == 0) {
            read = MakeGroup(&shared, &reads, group, &texts, &piece);
            if (read) take(std::move(piece), takeContext);
            piece = std::string();
            continue;
        }
        std::unique_lock<std::mutex> hold(shared.lock);
        std::size_t at = group / 2 % kAhead;
        shared.changed.wait(hold, [&] { return shared.failed || shared.made[at]; });
        if (!shared.made[at]) {
            read = false;
            break;
        }
        piece.swap(shared.pieces[at]);
        shared.made[at] = false;
        shared.changed.notify_all();
        hold.unlock();
        take(std::move(piece), takeContext);
        piece = std::string();
    }
    EndPieceReads(reads.reader);
    if (both) {
        {
            std::lock_guard<std::mutex> hold(shared.lock);
            if (!read && !shared.failed) shared.failed = true;
        }
        shared.changed.notify_all();
        helper.join();
        if (!read && !shared.failure.empty()) SetFileError(shared.failure);
    }
    return read;
}
