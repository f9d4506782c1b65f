#include "output/printlayout.h"

namespace vexil {

namespace {
constexpr int kPageWidth = 666, kPageHeight = 932;
constexpr int kNarrowWidth = 633, kNarrowHeight = 886;
constexpr int kDiagramAt = 80, kDiagramSpan = 219;
constexpr int kColumnTop = 130, kLineStep = 15;
// The twins' diagrams: three across the room left of the text column, under the condition.
constexpr int kTwinsTop = 345, kTwinSpan = 100, kTwinGap = 14, kTwinsAcross = 3;
} // namespace

PrintScale ChoosePrintScale(int width, int height)
{
    PrintScale scale;
    for (int n = 10; n >= 1; --n) {
        scale.sx = n * (width / (kPageWidth * n));
        scale.sy = n * (height / (kPageHeight * n));
        if (scale.sx * scale.sy > 0 && scale.sx == scale.sy)
            break;
        const int wide = scale.sx;
        scale.sx = n * (width / (kNarrowWidth * n));
        scale.sy = n * (height / (kNarrowHeight * n));
        if (scale.sx * scale.sy > 0) {
            // The whole width did not fit at this scale: pull the column in.
            if (wide < scale.sx)
                scale.x0 -= scale.x0 / 20;
            break;
        }
    }
    return scale;
}

PrintLayout LayOutPrintedItem(const PrintScale& scale, int pageHeight, int lineHeight,
                              const Item& item, const QStringList& fairyLines, int twinCount)
{
    const int sx = scale.sx, sy = scale.sy, x = scale.x0 * sx;
    PrintLayout layout;
    layout.diagram =
        QRect(kDiagramAt * sx, kDiagramAt * sy, kDiagramSpan * sx - 1, kDiagramSpan * sy - 1);
    layout.rule = QLine(x, 120 * sy, (scale.x0 + 200) * sx, 120 * sy);
    layout.texts << PrintedText{0, {x, 80 * sy}, item.author, true}
                 << PrintedText{0, {x, 100 * sy}, item.source, false};

    QStringList column = item.twins;
    column << fairyLines << QStringLiteral("Solution:") << item.solution;
    int page = 0, line = 0;
    for (const QString& text : column) {
        int y = (kLineStep * line + kColumnTop) * sy;
        // A page always takes at least its first line, so a tiny page cannot loop forever.
        if (line > 0 && y + lineHeight > pageHeight) {
            ++page;
            line = 0;
            y = kColumnTop * sy;
        }
        layout.texts << PrintedText{page, {x, y}, text, false};
        ++line;
    }
    layout.pageCount = page + 1;

    // A caption of two lines, then a gap as wide as between the diagrams.
    const int cellHeight = kTwinSpan + 4 + 2 * qMax(kLineStep, lineHeight / qMax(1, sy)) + kTwinGap;
    int twinPage = 0, top = kTwinsTop;
    for (int t = 0; t < twinCount; ++t) {
        const int across = t % kTwinsAcross;
        if (t > 0 && across == 0)
            top += cellHeight;
        // A row that would run off the page starts the next one, at the diagram's height.
        if (across == 0 && t > 0 && (top + cellHeight) * sy > pageHeight) {
            ++twinPage;
            top = kDiagramAt;
        }
        const int left = kDiagramAt + across * (kTwinSpan + kTwinGap);
        PrintedTwin twin;
        twin.page = twinPage;
        twin.diagram = QRect(left * sx, top * sy, kTwinSpan * sx - 1, kTwinSpan * sy - 1);
        twin.caption = QRect(left * sx, (top + kTwinSpan + 4) * sy, kTwinSpan * sx,
                             (cellHeight - kTwinSpan - 4 - kTwinGap) * sy);
        layout.twins << twin;
    }
    layout.pageCount = qMax(layout.pageCount, twinPage + 1);

    const int under = kDiagramAt * sx + 1;
    layout.texts << PrintedText{0,
                                {under, 310 * sy},
                                item.stipulation + QStringLiteral("  ") +
                                    PieceCountText(item.board),
                                false};
    if (!item.condition.isEmpty())
        layout.texts << PrintedText{0, {under, 325 * sy}, item.condition, false};
    return layout;
}

} // namespace vexil
