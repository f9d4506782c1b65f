#pragma once

#include "model/piece.h"

#include <QString>

namespace vexil {

// How a piece is named in the problem texts (the Popeye text, the text notation): the letter of
// an orthodox piece, grasshopper or nightrider ("K", "S", "G", "N") or the kind code of a
// fairy piece ("AL", "15", "G2"), the same words the fairy-piece text puts before its "<".
// Empty for an empty square, a marker, and a fairy kind the vocabulary lacks.
QString PieceName(Piece piece);

// The FEN letter of an orthodox piece ("K", "n"); a null character for everything else,
// which a FEN position cannot show.
QChar FenLetter(Piece piece);

} // namespace vexil
