#pragma once

#include <QString>
#include <QStringList>

namespace vexil {

enum class MoveMatch { Yes, No, Unknown };

// "yes", "no", "?".
QString MoveMatchText(MoveMatch match);

// The first move of a stored solution: the first token behind "1." or "1..." of its first line
// that begins so (behind an optional twin label "a) "); empty when there is none.
QString StoredFirstMove(const QStringList& storedSolution);

// Whether a move as people write it ("Kf7", "Sxf3", "e8Q", "1.Kf7!", "Ra7-b7", "O-O") and one
// of Popeye's long-algebraic moves ("Kf6-f7", "Sg1*f3", "e7-e8=Q", "0-0") are the same move,
// by piece letter and destination square (and the promoted piece where the stored move names
// one). Unknown when either cannot be read as a move.
MoveMatch CompareMoves(QStringView stored, QStringView popeye);

// Whether the stored solution's first move is among Popeye's first moves: Unknown when there
// is no stored first move, when it cannot be read, or when Popeye gave no moves.
MoveMatch CompareFirstMove(const QStringList& storedSolution, const QStringList& popeyeMoves);

} // namespace vexil
