#include "svg/diagramsvg.h"

#include "interchange/convert.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace vexil {
namespace {

// The generator writes the title into the XML as it is given: markup characters must come
// escaped, and control characters, which XML cannot hold at all, as blanks.
QString XmlText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return clean.toHtmlEscaped();
}

} // namespace

QByteArray DiagramSvg(const Board& board, const DiagramStyle& style, qreal side,
                      const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    const int whole = qMax(1, qCeil(side));
    svg.setSize(QSize(whole, whole));
    svg.setViewBox(QRectF(0, 0, side, side));
    svg.setTitle(title.isEmpty() ? QStringLiteral("Diagram") : XmlText(title));
    svg.setDescription(QStringLiteral("Vexil"));
    QPainter painter(&svg);
    PaintDiagram(painter, DiagramGeometry::scaled(QPointF(0, 0), side), board, style);
    painter.end();
    return bytes;
}

void WriteDiagramSvg(const QString& path, const Board& board, const DiagramStyle& style, qreal side,
                     const QString& title)
{
    WriteInterchangeFile(path, DiagramSvg(board, style, side, title));
}

} // namespace vexil
