// Record titles, derived and never stored: the load derivation looks at the first 48 bytes
// only, the save derivation at the whole first three lines; the two differ on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/RecordText.h"
#include "base/TextCoding.h"

constexpr std::size_t kTitleLimit = 48;

// Field j (1-based) of the text split at the line-break string; empty past the last field.
std::string_view LineOf(std::string_view text, int j);
// Titles are UTF-8 whatever the record's encoding; text is the record's bytes, or as many of
// its first bytes as are at hand.
std::string LoadTitle(std::string_view text, TextEncoding encoding);

// The start-up listing: the load title of each of the first count slots, handed over in
// batches; the position of the first record titled "Default" (any case), else 0.
bool ListTitles(const std::string& dataPath, std::int64_t count, std::size_t batchSize,
                void (*deliver)(std::vector<SelectorEntry>&& batch, void* context), void* context,
                std::int64_t* defaultPosition);
// Of the bytes a save writes.
std::string SaveTitle(std::string_view text, TextEncoding encoding);
// Where the given title, derived from the text by either derivation, ends in the text; 0 for
// the default title or one the text no longer gives.
std::size_t TitleEnd(std::string_view text, TextEncoding encoding, const std::string& title);
