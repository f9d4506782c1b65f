#include "output/twinsvg.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace vexil {

QByteArray TwinSheetSvg(const Board& board, const QList<TwinDiagram>& twins, int squareSize,
                        const DiagramStyle& style)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    const QSize size = TwinSheetSize(twins.size(), squareSize);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("Diagrams"));
    svg.setDescription(QStringLiteral("Vexil"));
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    PaintTwinSheet(painter, board, twins, squareSize, style);
    painter.end();
    return bytes;
}

} // namespace vexil
