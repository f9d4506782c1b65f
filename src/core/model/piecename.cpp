#include "model/piecename.h"

#include "model/fairytext.h"

namespace vexil {

QString PieceName(Piece piece)
{
    if (!piece.isPiece())
        return {};
    const int base = piece.base();
    if (base <= 12)
        return QString(QLatin1Char(PieceLetters[base]));
    // Grasshoppers, nightriders and fairy kinds take the word the fairy-piece text shows, so
    // a piece reads the same in every text the program writes.
    const PieceCode plain = piece.isFairy() ? piece::make(base, piece.kind(), 0) : base;
    const QString text = FairyPieceText(plain);
    const qsizetype bracket = text.indexOf(QLatin1Char('<'));
    if (bracket <= 0 || text.startsWith(QLatin1Char('?')))
        return {};
    return text.left(bracket);
}

QChar FenLetter(Piece piece)
{
    if (!piece.isPiece() || piece.base() > 12)
        return {};
    return QLatin1Char(FenLetters[piece.base()]);
}

} // namespace vexil
