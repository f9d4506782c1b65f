#pragma once

#include "model/pieces.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace vexil {

// One piece of a typed line: the square and the code to put there.
struct TypedPiece {
    int row = 0, column = 0;
    PieceCode code = 0;
    bool operator==(const TypedPiece&) const = default;
};

// A word of a typed line that names nothing, with where it stands in the line.
struct TypedPieceError {
    qsizetype start = 0, length = 0;
    QString reason;
};

struct TypedPieces {
    QList<TypedPiece> pieces; // in the order typed; a later piece on the same square wins
    QList<TypedPieceError> errors;
    bool isValid() const { return errors.isEmpty(); }
};

// Reads pieces typed in the notation the program writes: "w", "b" or "n" for the side (or a
// side word, "White", "Black" or "Neutral", for the pieces after it; a piece without a side
// letter takes the side of the piece before it), then
// the piece's name (`PieceName`: a letter of an orthodox piece, grasshopper or nightrider, or
// a fairy `KindCode`), then the square; a specification name ("royal") may stand before the
// piece as a word of its own. Pieces are separated by blanks or commas; letter case is free.
// A white or black piece named by a letter of the built-in pieces is the built-in piece
// ("wGc3" is the grasshopper 13); with a specification, or neutral, it is a fairy piece of
// that kind ("royal wQd4", "nKe1").
TypedPieces ParseTypedPieces(QStringView line);

} // namespace vexil
