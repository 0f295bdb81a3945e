// Shared by the file layers of both systems: the tests' step hook, the buffered copy, the reads
// of pieces one by one, and the steps each system supplies for the rules written once over
// them. The form of a failure is FileTexts.h's.
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

// Each system's, passing the step hook where its call is a file step and failing as the layer's
// own steps do. A new file under a name that must be free, and may be renamed by its handle;
// *taken where a file has the name already.
bool CreateNewFile(const std::string& path, FileHandle* file, bool* taken);
// A temporary file given the permissions of the target it replaces, where files have any.
bool TakeModeOf(const FileHandle& temp, const std::string& target);
// CommitTempFile's rename, the temporary name removed where it fails.
bool RenameTempOver(FileHandle* file, const std::string& target, FileHandle* openTarget);
// A name given or taken away made durable, where the system keeps folders apart from files.
bool FlushFolderOf(const std::string& path);
bool MakeHardLink(const std::string& from, const std::string& to);
bool MakeUserFolder(const std::string& folder);  // user-only; true where it is there already
void RemoveName(const std::string& path);        // quietly: LastFileError() stays as it was
