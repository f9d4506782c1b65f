#include "model/fairytext.h"

namespace vexil {

QString SquareName(int row, int column)
{
    return QString(QChar(char16_t('a' + column))) + QString::number(8 - row);
}

QString FairyPieceText(PieceCode code)
{
    if (code == 13 || code == 14)
        return QStringLiteral("G<grasshopper>");
    if (code == 15 || code == 16)
        return QStringLiteral("N<nightrider>");
    if (code < 0 || !piece::isFairyBase(piece::base(code)))
        return {};
    const int kind = piece::kind(code);
    if (kind < 1 || kind > piece::kKindCount)
        return QStringLiteral("?<unknown>");
    return KindCode(kind) + QLatin1Char('<') + KindName(kind) + QLatin1Char('>');
}

QStringList FairyPiecesText(const Board& board)
{
    static const QString orthodox = QStringLiteral("PRSBQK");
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
        lines[line] = lines[line].left(eq + 1) + entry + QStringLiteral(", ") +
                      lines[line].mid(eq + 1);
    };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const PieceCode code = board.at(r, c);
            const QString text = FairyPieceText(code);
            if (text.isEmpty())
                continue;
            const QString entry = text + SquareName(r, c);
            const int specification = code >= 17 ? piece::specification(code) : 0;
            if (specification == 0) {
                if (text.indexOf(QLatin1Char('<')) == 1 && orthodox.contains(text[0]))
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
