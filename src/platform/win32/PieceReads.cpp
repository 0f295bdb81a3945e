// Many reads of one file on Windows: one after another, each a positioned ReadFile (the
// system's read-ahead serves the slot order the callers use).
#include "platform/Files.h"

struct PieceReader {
    const FileHandle* file;
};

PieceReader* BeginPieceReads(const FileHandle& file) { return new PieceReader{&file}; }

void EndPieceReads(PieceReader* reader) { delete reader; }

bool ReadPieces(PieceReader* reader, ReadPiece* pieces, std::size_t n) {
    bool all = true;
    for (std::size_t i = 0; i < n; ++i) {
        pieces[i].got = ReadAt(*reader->file, pieces[i].offset, pieces[i].buffer, pieces[i].size);
        all = all && pieces[i].got >= 0;
    }
    return all;
}
