#pragma once

#include "output/twindiagrams.h"

#include <QByteArray>

namespace vexil {

// The picture of an item's diagram with its twins' (`PaintTwinSheet`) as an SVG document:
// the clipboard's vector copy of it, and the published SVG of an item with its twins.
QByteArray TwinSheetSvg(const Board& board, const QList<TwinDiagram>& twins, int squareSize,
                        const DiagramStyle& style);

} // namespace vexil
