#include "output/magazinefigures.h"

#include "model/piece.h"

#include <array>

namespace vexil {
namespace {

struct Row {
    const char* kind; // the kind's code, as FairyKinds lists it
    char letter;
    int quarterTurns;
};

// The kinds whose figure is settled among the magazines: the turned figures of the hoppers and
// riders, and the orthodox kinds that a fairy base can carry (a neutral king is still a king).
// Everything else is drawn as the generic figure with its label, and the LaTeX export names it.
constexpr std::array kRows = {
    Row{"k", 'K', 0},  Row{"q", 'D', 0},  Row{"r", 'T', 0},  Row{"b", 'L', 0},  Row{"s", 'S', 0},
    Row{"p", 'B', 0},  Row{"g", 'D', 2},  Row{"n", 'S', 2},  Row{"rh", 'T', 2}, Row{"bh", 'L', 2},
    Row{"li", 'D', 3}, Row{"rl", 'T', 3}, Row{"bl", 'L', 3}, Row{"le", 'D', 1}, Row{"pa", 'T', 1},
    Row{"va", 'L', 1}, Row{"ca", 'S', 1}, Row{"z", 'S', 3},  Row{"bp", 'B', 2}, Row{"eq", 'E', 0},
    Row{"ne", 'X', 0},
};

} // namespace

std::optional<FigureShape> MagazineFigure::shape() const
{
    switch (letter.unicode()) {
    case 'K':
        return FigureShape::King;
    case 'D':
        return FigureShape::Queen;
    case 'T':
        return FigureShape::Rook;
    case 'L':
        return FigureShape::Bishop;
    case 'S':
        return FigureShape::Knight;
    case 'B':
        return FigureShape::Pawn;
    default:
        return std::nullopt;
    }
}

QString MagazineFigure::notation() const
{
    static const char turns[] = " RUL";
    QString text(letter);
    if (quarterTurns % 4 != 0)
        text += QLatin1Char(turns[quarterTurns % 4]);
    return text;
}

std::optional<MagazineFigure> MagazineFigureOf(PieceCode code)
{
    const Piece piece(code);
    if (!piece.isPiece() || !piece.isKnown())
        return std::nullopt;
    if (piece.isOrthodox()) {
        static const char letters[] = "BTSLDK";
        return MagazineFigure{QLatin1Char(letters[(piece.base() - 1) / 2]), 0};
    }
    if (piece.isGrasshopper())
        return MagazineFigure{QLatin1Char('D'), 2};
    if (piece.isNightrider())
        return MagazineFigure{QLatin1Char('S'), 2};
    const QString kind = KindCode(piece.kind()).toLower();
    for (const Row& row : kRows)
        if (kind == QLatin1String(row.kind))
            return MagazineFigure{QLatin1Char(row.letter), row.quarterTurns};
    return std::nullopt;
}

} // namespace vexil
