#pragma once

#include "model/collection.h"

#include <QByteArray>

namespace vexil {

// Reading boards straight from a collection's stored bytes, without making Items: a search
// over a million items cannot afford to decode every author and solution it never shows.

// The board of one item from its eight stored row lines (`rows` starts at the first row
// line; lines end in LF or CR LF). The same values as ReadItem reads: in each row the text
// between the first "[" and the first "]" after it, eight values, the first seven each up to
// a comma. Returns false, with `board` unspecified, where ReadItem would refuse the item.
bool DecodeStoredBoard(QByteArrayView rows, Board& board);
// The same from offset `at` of `bytes`; `at` moves past the eight row lines.
bool DecodeStoredBoard(QByteArrayView bytes, qsizetype& at, Board& board);

// One stored row line from offset `at` (which moves to the next line): its eight values.
bool DecodeStoredRow(QByteArrayView bytes, qsizetype& at, PieceCode (&values)[8]);

// The eight row lines from offset `at`: `visit(square, code)` for every square (row * 8 +
// column, row 0 rank 8), empty ones included, each row only once it has been read whole.
template <class Visit> bool DecodeStoredRows(QByteArrayView bytes, qsizetype& at, Visit visit)
{
    PieceCode values[8];
    for (int r = 0; r < 8; ++r) {
        if (at >= bytes.size() || !DecodeStoredRow(bytes, at, values))
            return false;
        for (int c = 0; c < 8; ++c)
            visit(r * 8 + c, values[c]);
    }
    return true;
}

// The line that starts at `at` without its line end; `at` moves to the next line.
QByteArrayView NextStoredLine(QByteArrayView bytes, qsizetype& at);

} // namespace vexil
