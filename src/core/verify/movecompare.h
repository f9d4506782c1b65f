#pragma once

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

// The keys of a stored solution, one per twin (twins told apart by headings "a)", "+c)"):
// the first move marked "!" ("1.Qe7!", "1.Qh4-e7 ! zugzwang."), else the first move of the
// first line that begins "1." and is no try ("?"); set play ("1...") is no key, unless the
// twin has no other line (help play starting with Black). A twin without such a line has
// none.
QStringList StoredKeys(const QStringList& storedSolution);
// The key of the first twin that has one; empty when there is none.
QString StoredFirstMove(const QStringList& storedSolution);

// Whether a move as people write it ("Kf7", "Sxf3", "e8Q", "1.Kf7!", "Ra7-b7", "O-O") and one
// of Popeye's long-algebraic moves ("Kf6-f7", "Sg1*f3", "e7-e8=Q", "0-0") are the same move,
// by piece letter and destination square (and the promoted piece where the stored move names
// one). Unknown when either cannot be read as a move.
MoveMatch CompareMoves(QStringView stored, QStringView popeye);

// Whether every stored key is among Popeye's first moves: Unknown when there is no stored key
// that can be read, or when Popeye gave no moves.
MoveMatch CompareFirstMove(const QStringList& storedSolution, const QStringList& popeyeMoves);

} // namespace vexil
