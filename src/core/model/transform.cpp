#include "model/transform.h"

#include "model/piece.h"

namespace vexil {

Board Transformed(const Board& old, Transformation transformation)
{
    Board result;
    auto at = [&](int r, int c) { return r >= 0 && r < 8 && c >= 0 && c < 8 ? old.at(r, c) : 0; };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            PieceCode& target = result.at(r, c);
            switch (transformation) {
            case Transformation::MoveLeft:
                target = at(r, c + 1);
                break;
            case Transformation::MoveRight:
                target = at(r, c - 1);
                break;
            case Transformation::MoveUp:
                target = at(r + 1, c);
                break;
            case Transformation::MoveDown:
                target = at(r - 1, c);
                break;
            case Transformation::Rotation:
                target = old.at(7 - c, r);
                break;
            case Transformation::VerticalMirror:
                target = old.at(r, 7 - c);
                break;
            case Transformation::HorizontalMirror:
                target = old.at(7 - r, c);
                break;
            case Transformation::ExchangeColors: {
                // Neutral pieces, markers and codes of no piece keep their side. Kind and
                // specification travel along: only the base changes by one.
                const Piece piece(old.at(r, c));
                target = piece.isWhite()   ? piece.code() + 1
                         : piece.isBlack() ? piece.code() - 1
                                           : piece.code();
                break;
            }
            case Transformation::Clear:
                target = 0;
                break;
            }
        }
    return result;
}

} // namespace vexil
