// Shared by the file layers of both systems: the tests' step hook, the buffered copy and the
// reads of pieces one by one. The form of a failure is FileTexts.h's.
#pragma once

#include <string>

#include "platform/FileTexts.h"
#include "platform/Files.h"

// Whether the tests' hook fails this call of a step; if so errno holds the error it chose.
bool Injected(FileStep step, const std::string& path);
// A copy between two files by reads and writes of a buffer.
bool CopyThroughBuffer(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
                       std::int64_t n);
// Reads the pieces one after another, each by ReadAt.
bool ReadPiecesOneByOne(const FileHandle& file, ReadPiece* pieces, std::size_t n);
