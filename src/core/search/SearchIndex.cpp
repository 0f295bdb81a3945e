// Each slot's bits are a filter of 2,048 bits over the hashes of its three-byte runs: a term
// can be in the text only when every run of the term has its bit set.
#include "core/search/SearchIndex.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kNeverMade = 0xFFFFFFFF;
constexpr int kRunBits = 11;  // 2^11 = kIndexWords * 64
static_assert(std::size_t(1) << kRunBits == kIndexWords * 64);

std::uint32_t RunBit(const char* run) {
    std::uint32_t bytes = static_cast<std::uint32_t>(static_cast<unsigned char>(run[0])) << 16 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(run[1])) << 8 |
                          static_cast<unsigned char>(run[2]);
    return (bytes * 2654435761u) >> (32 - kRunBits);
}

}  // namespace

SearchIndex g_searchIndex;

void NoteSlotWritten(SearchIndex* index, std::int64_t slot) {
    // A negative slot turns into one far beyond the end.
    if (static_cast<std::size_t>(slot) < index->writes.size()) ++index->writes[static_cast<std::size_t>(slot)];
}

void ForgetSearchIndex(SearchIndex* index) {
    for (std::atomic<std::uint32_t>& writes : index->writes) ++writes;
}

void SizeSearchIndex(SearchIndex* index, std::size_t count) {
    count = std::min(count, index->writes.size());
    if (count <= index->madeAt.size()) return;
    index->madeAt.resize(count, kNeverMade);
    index->bits.resize(count * kIndexWords);
}

bool IsIndexed(const SearchIndex& index, std::int64_t slot) {
    return static_cast<std::size_t>(slot) < index.madeAt.size();
}

bool IsLearnt(const SearchIndex& index, std::int64_t slot) {
    return index.madeAt[static_cast<std::size_t>(slot)] == index.writes[static_cast<std::size_t>(slot)].load();
}

void LearnSlot(SearchIndex* index, std::int64_t slot, const std::string* lowered, std::uint32_t writes) {
    std::uint64_t* bits = &index->bits[static_cast<std::size_t>(slot) * kIndexWords];
    std::fill(bits, bits + kIndexWords, lowered ? 0 : ~std::uint64_t());
    for (std::size_t i = 0; lowered && i + 3 <= lowered->size(); ++i) {
        std::uint32_t bit = RunBit(lowered->data() + i);
        bits[bit / 64] |= std::uint64_t(1) << (bit % 64);
    }
    index->madeAt[static_cast<std::size_t>(slot)] = writes;
}

std::vector<std::uint32_t> TermRuns(const std::string& lowered) {
    std::vector<std::uint32_t> runs;
    for (std::size_t i = 0; i + 3 <= lowered.size(); ++i) runs.push_back(RunBit(lowered.data() + i));
    return runs;
}

bool MayHoldRuns(const SearchIndex& index, std::int64_t slot, const std::vector<std::uint32_t>& runs) {
    const std::uint64_t* bits = &index.bits[static_cast<std::size_t>(slot) * kIndexWords];
    for (std::uint32_t bit : runs)
        if (!(bits[bit / 64] >> (bit % 64) & 1)) return false;
    return true;
}
