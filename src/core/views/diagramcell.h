#pragma once

#include "model/pictureset.h"
#include "settings/settings.h"
#include "views/entry.h"

#include <QColor>
#include <QPoint>
#include <QSize>

class QPainter;

namespace vexil {

// One cell of the list of diagrams.
inline constexpr QSize kDiagramCellSize{190, 229};

struct SquareColors {
    QColor light;
    QColor dark;
};

// The small boards follow the board colours of the settings only when `ViewCust` asks for
// it; otherwise they are white and silver whatever the main board shows.
SquareColors DiagramSquareColors(const Settings& settings);

// Draws item `entry` with `board` into the cell whose top-left corner is `origin`: title,
// source, framed board of 21 px squares and stipulation, in the painter's font. The cell's
// background and its focus mark are the view's.
void PaintDiagramCell(QPainter& painter, QPoint origin, const Entry& entry, const Board& board,
                      const SquareColors& colors, const PictureSet& pictures);

} // namespace vexil
