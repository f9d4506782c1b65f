#pragma once

#include "output/diagrampainter.h"

#include <QByteArray>
#include <QString>

namespace vexil {

// The diagram as an SVG document, `side` pixels square, drawn by `PaintDiagram`: every figure
// and label is a path, so the file shows the same without the figure font.
QByteArray DiagramSvg(const Board& board, const DiagramStyle& style, qreal side = 218,
                      const QString& title = QString());

// Writes it to `path` atomically; throws Failure ("Cannot create file %s").
void WriteDiagramSvg(const QString& path, const Board& board, const DiagramStyle& style,
                     qreal side = 218, const QString& title = QString());

} // namespace vexil
