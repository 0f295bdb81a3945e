// Output made from the texts of many slots on both cores: the caller's thread and a helper
// each read a group of slots at a time and make a piece of output from their texts, and the
// caller takes the pieces in list order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Files.h"

// Makes the piece of slots [first, first + texts.size()) of the list; on either thread.
using MakePiece = void (*)(std::size_t first, const std::vector<std::string>& texts, std::string* piece,
                           const void* context);
// On the caller's thread, in list order.
using TakePiece = void (*)(std::string&& piece, void* context);

// False, with the reason in LastFileError(), when a read failed; nothing after it is taken.
bool MakePiecesInOrder(const FileHandle& data, const std::vector<std::int64_t>& slots, MakePiece make,
                       const void* makeContext, TakePiece take, void* takeContext);
