// Whole-file operations over platform/Files.h: each fails as the file layer's own steps do,
// with false and the reason in LastFileError().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Files.h"

// A copy under a temporary name that then replaces path, as CommitTempFile replaces. Refused
// when from holds more than maxBytes (another program may grow it after its size was checked),
// and when from is written into while it is copied (a copy of no version of it).
bool CopyFileReplacing(const std::string& from, const std::string& path, std::int64_t maxBytes = INT64_MAX);
// Gives a file a second name: a hard link, or a copy where the file system has none.
bool LinkOrCopyFile(const std::string& from, const std::string& to);
// At most limit bytes; *cut says whether the file held more.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::size_t limit, bool* cut);
// A copy between two open files into reserved space: the destination's 4 KiB blocks that would
// receive nothing but zeros are left as they are.
bool CopyNonZeroBlocks(const FileHandle& from, std::int64_t fromOffset, const FileHandle& to, std::int64_t toOffset,
                       std::int64_t n);
// A new content under a temporary name that then replaces path, as CommitTempFile replaces.
// mode: the new file's permissions where not 0 (on POSIX systems), set before it takes the name.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, int mode = 0);
