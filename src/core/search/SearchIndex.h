// What searches learnt of each slot's text, so that a later search reads only the slots that
// may hold its term: the text's runs of three bytes, lowered, as a set of bits (all of them
// set for a text that is not ASCII). A slot's bits count while its write count is the one they
// were made at: each write of this program's own moves a slot's count on, and a file taken up
// as a whole moves them all.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/store/DataFile.h"

constexpr std::size_t kIndexWords = 32;

// Two owners. The write counts are the writers': the UI thread moves them on as it writes or
// takes up a file, on any thread they are atomic. The bits and their counts are the one running
// search's (the find-all worker and its helper, each over its own slots); the UI thread joins a
// search before it starts the next, so two never meet, and it never touches them itself.
struct SearchIndex {
    std::vector<std::atomic<std::uint32_t>> writes = std::vector<std::atomic<std::uint32_t>>(kRecordLimit);
    std::vector<std::uint64_t> bits;    // the searching threads': kIndexWords a slot
    std::vector<std::uint32_t> madeAt;  // the searching threads': the count each slot's bits were made at
};

// The data file's index: counts moved on by the UI thread's writes, bits of one search at a time.
extern SearchIndex g_searchIndex;

// On any thread.
void NoteSlotWritten(SearchIndex* index, std::int64_t slot);
void ForgetSearchIndex(SearchIndex* index);

// The rest is for one search at a time, whose threads each touch their own slots.
// Makes room for the slots below count (at most kRecordLimit).
void SizeSearchIndex(SearchIndex* index, std::size_t count);
bool IsIndexed(const SearchIndex& index, std::int64_t slot);
bool IsLearnt(const SearchIndex& index, std::int64_t slot);
// lowered: the slot's text with ASCII letters lowered, or null for a text that is not ASCII.
// writes: the slot's count as it was before the text was read.
void LearnSlot(SearchIndex* index, std::int64_t slot, const std::string* lowered, std::uint32_t writes);
// The bits of a lowered term; none for a term shorter than three bytes.
std::vector<std::uint32_t> TermRuns(const std::string& lowered);
bool MayHoldRuns(const SearchIndex& index, std::int64_t slot, const std::vector<std::uint32_t>& runs);
