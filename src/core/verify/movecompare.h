#pragma once

#include "solution/twins.h"

#include <QString>
#include <QStringList>

namespace vexil {

enum class MoveMatch { Yes, No, Unknown };

// "yes", "no", "?".
QString MoveMatchText(MoveMatch match);

// The twin a stored line is the heading of, as Popeye prints twins and problemists write
// them: "a" for "a)" or "a) 1.Kd6-e5", "c" for "+c) -bPc4" (a continued twin); empty for a
// line that is no heading. `rest` gets what follows the heading (the whole line without one).
QString StoredTwinLabel(const QString& line, QString* rest = nullptr);

// The keys of a stored solution as the solution model reads it, one per twin (twins told apart
// by headings "a)", "+c)"): the first key marked "!" ("1.Qe7!", "1.Qh4-e7 ! zugzwang."), else
// the first key or help play solution; tries ("?") and set play ("1...") are no keys, unless
// the twin has nothing else (help play starting with Black, read without its stipulation).
// `positions` are the item's twins (BuildTwins), for the stipulation and the boards.
QStringList StoredKeys(const QStringList& storedSolution, const QList<Twin>& positions = {});
// The key of the first twin that has one; empty when there is none.
QString StoredFirstMove(const QStringList& storedSolution);

// Whether a move as people write it ("Kf7", "Sxf3", "e8Q", "1.Kf7!", "Ra7-b7", "O-O") and one
// of Popeye's long-algebraic moves ("Kf6-f7", "Sg1*f3", "e7-e8=Q", "0-0") are the same move,
// by piece letter and destination square (and the promoted piece where the stored move names
// one). Unknown when either cannot be read as a move.
MoveMatch CompareMoves(QStringView stored, QStringView popeye);

// Whether every stored key is among Popeye's first moves: Unknown when there is no stored key
// that can be read, or when Popeye gave no moves.
MoveMatch CompareFirstMove(const QStringList& storedSolution, const QStringList& popeyeMoves,
                           const QList<Twin>& positions = {});

} // namespace vexil
