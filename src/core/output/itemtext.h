#pragma once

#include "model/collection.h"

#include <QString>
#include <QStringList>

namespace vexil {

// The two text renderings of an item for other applications. `item` holds the fields as the
// main window shows them (multi-line fields as their shown lines); `fairyLines` are the lines
// of the fairy-piece text. Each result is one entry per line, without line ends.

// Author, source, stipulation and condition, piece count, twins, fairy pieces, solution; no
// labels.
QStringList ItemText(const Item& item, const QStringList& fairyLines);

// The labelled rendering ("Author(s): ", "Pieces [KQRBSP]: ", ...), pieces listed by side.
QStringList ItemTextNotation(const Item& item, const QStringList& fairyLines);

// Each fairy kind named in the fairy-piece text once, in the order first met, as
// "AL=alfil, G=grasshopper"; orthodox single-letter kinds are left out.
QString FairyPiecesLine(const QString& fairyText);

} // namespace vexil
