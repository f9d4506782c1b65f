#pragma once

#include "model/pictureset.h"
#include "model/pieces.h"

#include <QString>

#include <optional>

namespace vexil {

// How problem magazines, and the LaTeX package of chess problem diagrams they are typeset
// with, draw a piece: an orthodox figure, possibly turned (grasshopper: a queen upside down),
// or one of the package's own symbols (the equihoppers). The diagram painter and the LaTeX
// export read this one table, so a diagram looks the same in every format.
struct MagazineFigure {
    // The package's German letter: K D T L S B, or E (equihopper) and X (turned equihopper),
    // which have no orthodox shape to turn.
    QChar letter;
    // Clockwise quarter turns: 0, 1 (the package's R), 2 (U) or 3 (L).
    int quarterTurns = 0;

    // The orthodox shape behind the letter; empty for E and X.
    std::optional<FigureShape> shape() const;
    // The letter followed by the package's rotation letter ("DU", "S", "TL").
    QString notation() const;
    bool operator==(const MagazineFigure&) const = default;
};

// The figure of a piece (bases 1 to 19, fairy kinds included); empty for a fairy kind the
// magazines have no figure for, a marker, or a code the editor cannot make. A specification
// (royal, chameleon, ...) does not change the figure.
std::optional<MagazineFigure> MagazineFigureOf(PieceCode code);

} // namespace vexil
