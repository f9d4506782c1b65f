#pragma once

#include "model/collection.h"

#include <QString>
#include <QStringList>

namespace vexil {

// The two text renderings of an item for other applications. `item` holds the fields as the
// main window shows them (multi-line fields as their shown lines); `fairyLines` are the lines
// of the fairy-piece text. Each result is one entry per line, without line ends.

// Author, source, stipulation and condition, piece count, twins, fairy pieces, solution; no
// labels. With `twinPositions` each twin's position follows the twin lines.
QStringList ItemText(const Item& item, const QStringList& fairyLines, bool twinPositions = false);

// The labelled rendering ("Author(s): ", "Pieces [KQRBSP]: ", ...), pieces listed by side.
QStringList ItemTextNotation(const Item& item, const QStringList& fairyLines,
                             bool twinPositions = false);

// The pieces of a board as the labelled rendering lists them: a piece with a specification
// on a line of its own ("White royal G c4"), then the others by side ("White Ke1 Rh1",
// "Black Ke8"), a side without pieces left out.
QStringList PieceListLines(const Board& board);

// Each fairy kind named in the fairy-piece text once, in the order first met, as
// "AL=alfil, G=grasshopper"; orthodox single-letter kinds are left out.
QString FairyPiecesLine(const QString& fairyText);

} // namespace vexil
