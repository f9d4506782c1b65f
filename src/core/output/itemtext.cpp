#include "output/itemtext.h"

#include "model/fairytext.h"
#include "model/piece.h"
#include "model/square.h"
#include "output/twindiagrams.h"

namespace vexil {

QStringList ItemText(const Item& item, const QStringList& fairyLines, bool twinPositions)
{
    QStringList lines{item.author, item.source,
                      item.stipulation + QLatin1Char(' ') + item.condition,
                      PieceCountText(item.board)};
    lines << item.twins;
    if (twinPositions)
        lines << TwinPositionLines(TwinDiagramsOf(item));
    lines << fairyLines << item.solution;
    return lines;
}

QStringList PieceListLines(const Board& board)
{
    QStringList lines;
    QString white = QStringLiteral("White");
    QString black = QStringLiteral("Black");
    QString neutral = QStringLiteral("Neutral");
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Piece piece(board.at(r, c));
            if (!piece.isPiece())
                continue;
            // A kind the vocabulary lacks (only from a damaged file) is written without its
            // letter rather than dropped, so the square still shows up in the text.
            const QString token = piece.letter() + Square{r, c}.name();
            QString& list = piece.isNeutral() ? neutral : piece.isWhite() ? white : black;
            if (piece.specification() == 0) {
                list += QLatin1Char(' ') + token;
                continue;
            }
            QString name = SpecificationName(piece.specification());
            if (name.isEmpty())
                name = QStringLiteral("unknown");
            // The list still starts with its side's name.
            lines << list.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ') + name +
                         QLatin1Char(' ') + token;
        }
    for (const QString& list : {white, black, neutral})
        if (list.contains(QLatin1Char(' ')))
            lines << list;
    return lines;
}

QStringList ItemTextNotation(const Item& item, const QStringList& fairyLines, bool twinPositions)
{
    QStringList lines{QStringLiteral("Author(s): ") + item.author,
                      QStringLiteral("Source: ") + item.source,
                      QStringLiteral("Pieces [KQRBSP]: ")};
    lines << PieceListLines(item.board);
    lines << QStringLiteral("Count of pieces: ") + PieceCountText(item.board);
    lines << QStringLiteral("Stipulation: ") + item.stipulation;
    if (!item.condition.trimmed().isEmpty())
        lines << QStringLiteral("Condition: ") + item.condition;
    if (!item.twins.join(QLatin1Char('\n')).trimmed().isEmpty())
        lines << QStringLiteral("Twins: ") << item.twins;
    if (twinPositions)
        lines << TwinPositionLines(TwinDiagramsOf(item));
    if (!fairyLines.join(QLatin1Char('\n')).trimmed().isEmpty())
        lines << QStringLiteral("Fairy pieces: ")
              << FairyPiecesLine(fairyLines.join(QStringLiteral("\r\n")));
    lines << QStringLiteral("Solution: ") << item.solution;
    return lines;
}

QString FairyPiecesLine(const QString& fairyText)
{
    static const QString orthodox = QStringLiteral("PRSBQK");
    // Line ends count as separators too: a wrapped field may start a line with an entry.
    static const QString separators = QStringLiteral(" ,=\r\n");
    QStringList entries;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = fairyText.indexOf(QLatin1Char('<'), from);
        if (open < 0)
            break;
        const qsizetype close = fairyText.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break;
        const bool single = open < 2 || separators.contains(fairyText[open - 2]);
        const QString code = fairyText.mid(qMax<qsizetype>(0, open - (single ? 1 : 2)),
                                           qMin<qsizetype>(open, single ? 1 : 2));
        if (!(code.size() == 1 && orthodox.contains(code[0]))) {
            const QString entry =
                code + QLatin1Char('=') + fairyText.mid(open + 1, close - open - 1);
            // Whole entries are compared: N=nightrider is a kind of its own beside
            // LN=nightrider locust, which merely contains it.
            if (!entries.contains(entry))
                entries << entry;
        }
        from = close + 1;
    }
    return entries.join(QStringLiteral(", "));
}

} // namespace vexil
