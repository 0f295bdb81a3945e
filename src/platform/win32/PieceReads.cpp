// Many reads of one file on Windows: one after another, each a positioned ReadFile (the
// system's read-ahead serves the slot order the callers use).
#include "platform/Files.h"
#include "platform/common/FileSeam.h"

struct PieceReader {
    const FileHandle* file;
};

PieceReader* BeginPieceReads(const FileHandle& file) { return new PieceReader{&file}; }

void EndPieceReads(PieceReader* reader) { delete reader; }

bool ReadPieces(PieceReader* reader, ReadPiece* pieces, std::size_t n) {
    return ReadPiecesOneByOne(*reader->file, pieces, n);
}
