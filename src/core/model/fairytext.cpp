#include "model/fairytext.h"

#include "model/piece.h"

namespace vexil {

QString FairyPieceText(PieceCode code)
{
    const Piece piece(code);
    if (piece.isGrasshopper())
        return QStringLiteral("G<grasshopper>");
    if (piece.isNightrider())
        return QStringLiteral("N<nightrider>");
    if (!piece.isFairy())
        return {};
    if (!piece.hasKnownKind())
        return QStringLiteral("?<unknown>");
    return piece.letter() + QLatin1Char('<') + KindName(piece.kind()) + QLatin1Char('>');
}

QStringList FairyPiecesText(const Board& board)
{
    static const QStringList orthodox = {QStringLiteral("P"), QStringLiteral("R"),
                                         QStringLiteral("S"), QStringLiteral("B"),
                                         QStringLiteral("Q"), QStringLiteral("K")};
    static const QString pieces = QStringLiteral("pieces");
    QStringList lines;
    auto lineNamed = [&](const QString& name) -> qsizetype {
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].section(QLatin1Char('='), 0, 0).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    // Entries go in front, so each line lists its squares from the last scanned back.
    auto prepend = [&](qsizetype line, const QString& entry) {
        const qsizetype eq = lines[line].indexOf(QLatin1Char('='));
        lines[line] =
            lines[line].left(eq + 1) + entry + QStringLiteral(", ") + lines[line].mid(eq + 1);
    };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Piece piece(board.at(r, c));
            const QString text = FairyPieceText(piece.code());
            if (text.isEmpty())
                continue;
            const QString entry = text + Square{r, c}.name();
            const int specification = piece.isFairy() ? piece.specification() : 0;
            if (specification == 0) {
                // Without a specification a fairy piece of an orthodox kind is no fairy piece.
                if (piece.isFairy() && orthodox.contains(piece.letter()))
                    continue;
                const qsizetype line = lineNamed(pieces);
                if (line < 0)
                    lines.prepend(pieces + QLatin1Char('=') + entry);
                else
                    prepend(line, entry);
                continue;
            }
            QString name = SpecificationName(specification);
            if (name.isEmpty())
                name = QStringLiteral("unknown");
            const qsizetype line = lineNamed(name);
            if (line < 0)
                lines.append(name + QLatin1Char('=') + entry);
            else
                prepend(line, entry);
        }
    return lines;
}

} // namespace vexil
