#pragma once

#include "model/pieces.h"
#include "model/square.h"

#include <QStringList>

namespace vexil {

// How a grasshopper, nightrider or fairy piece is written in the texts of the program:
// "G<grasshopper>", "N<nightrider>", "AL<alfil>", "15<1,5-leaper>". Empty for other codes.
QString FairyPieceText(PieceCode code);

// The list of the board's grasshoppers, nightriders and fairy pieces by specification:
// "pieces=..." first, then one line per specification in the order first met. Fairy pieces
// of an orthodox kind without specification are left out.
QStringList FairyPiecesText(const Board& board);

} // namespace vexil
