// Writes that run beside their caller: the ordered chunk writer and the late close.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Files.h"

// Writes chunks to a file in order on a thread of its own, while the caller builds the next;
// at most a few chunks wait at a time. End waits and says whether every write succeeded.
struct ChunkWriter;
ChunkWriter* BeginChunkWriter(const FileHandle& file, std::int64_t offset);
void WriteChunk(ChunkWriter* writer, std::string&& chunk);
bool EndChunkWriter(ChunkWriter* writer);
// Closes the file on a thread of its own: the last close of a replaced file frees its blocks,
// which can take long for a large file, and nobody needs to wait for that.
void CloseFileLater(FileHandle* file);
// Returns once every close handed to CloseFileLater has ended (for a measurement that must
// not overlap the freeing).
void WaitForClosesLater();
