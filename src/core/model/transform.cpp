#include "model/transform.h"

namespace vexil {

Board Transformed(const Board& old, Transformation transformation)
{
    Board result;
    auto at = [&](int r, int c) { return r >= 0 && r < 8 && c >= 0 && c < 8 ? old.at(r, c) : 0; };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            PieceCode& target = result.at(r, c);
            switch (transformation) {
            case Transformation::MoveLeft: target = at(r, c + 1); break;
            case Transformation::MoveRight: target = at(r, c - 1); break;
            case Transformation::MoveUp: target = at(r + 1, c); break;
            case Transformation::MoveDown: target = at(r - 1, c); break;
            case Transformation::Rotation: target = old.at(7 - c, r); break;
            case Transformation::VerticalMirror: target = old.at(r, 7 - c); break;
            case Transformation::HorizontalMirror: target = old.at(7 - r, c); break;
            case Transformation::ExchangeColors: {
                const PieceCode code = old.at(r, c);
                const int base = piece::base(code);
                // Neutral pieces, markers and codes no editor makes keep their side.
                target = code > 0 && base >= 1 && base <= piece::kFairyBlack
                             ? (code % 2 ? code + 1 : code - 1)
                             : code;
                break;
            }
            case Transformation::Clear: target = 0; break;
            }
        }
    return result;
}

} // namespace vexil
