#pragma once

#include "model/pieces.h"

#include <QString>

#include <optional>

namespace vexil {

// When two diagrams count as the same position. Each level takes in the ones before it.
enum class Equivalence {
    Exact,          // the same codes on the same squares
    Mirror,         // or after exchanging files a and h
    Symmetries,     // or after any of the eight symmetries, where they keep the problem
    ColoursSwapped, // or with colours swapped and the board turned upside down
};

// The sixteen ways a board is turned, numbered 0 to 15: symmetry t % 8 (0 none, 1 files a-h
// exchanged, 2 ranks exchanged, 3 half turn, 4 and 5 the two diagonals, 6 and 7 quarter turns),
// and from 8 on with colours swapped and ranks exchanged before the symmetry.
constexpr int kTurnings = 16;
using TurningMask = quint32;

// The pieces of a diagram; markers and codes of no piece take no part in a position.
struct Position {
    struct Unit {
        quint8 square; // row * 8 + column, row 0 rank 8
        PieceCode code;
    };
    Unit units[64];
    int count = 0;

    static Position of(const Board& board);
    Board board() const;
};

// Pawns and castling give a board a direction: with a pawn (of any kind that moves forward)
// or a king and rook that could castle in any of the eight symmetries, a position turns only
// by the mirror. `skip` leaves one unit out.
bool SymmetriesKeepProblem(const Position& position, int skip = -1);

// Every turning that `equivalence` may use, whatever the position.
TurningMask LevelTurnings(Equivalence equivalence);
// The turnings that give an equal position under `equivalence` (always including 0).
TurningMask AllowedTurnings(Equivalence equivalence, const Position& position, int skip = -1);

PieceCode TurnedCode(int turning, PieceCode code);
int TurnedSquare(int turning, int square);
Board Turned(int turning, const Board& board);

// The turning that makes `other` the position `shown` under `equivalence`, or nothing.
std::optional<int> EquivalentBy(const Position& shown, const Position& other,
                                Equivalence equivalence);

// `other` one unit away from `shown` once turned.
struct UnitDifference {
    enum class Kind { Removed, Added, Moved };
    Kind kind = Kind::Removed;
    int turning = 0;
    PieceCode code = 0; // in `shown`'s colours
    int from = -1;      // the square in `shown` (Removed, Moved)
    int to = -1;        // the square where `other` has it (Added, Moved)
};
std::optional<UnitDifference> OneUnitAway(const Position& shown, const Position& other,
                                          Equivalence equivalence);

// Keys that are equal for equal positions: the smallest of the position's hashes over its
// allowed turnings. Two positions with different keys are never equal; equal keys are
// checked with EquivalentBy before anyone is told.
quint64 PositionKey(const Position& position, Equivalence equivalence);

// For each unit, the key of the position without it (`reduced`) and that key together with
// the unit taken away (`moved`): two positions one unit apart share a reduced key with the
// other's whole key (a unit added or removed) or a moved key (the unit stands elsewhere).
struct NearKey {
    quint64 reduced;
    quint64 moved;
};
void NearKeys(const Position& position, Equivalence equivalence, NearKey* keys);

// The hash of the position as it stands (turning 0), and each unit's share of it, for the
// scans that compare many positions with one.
quint64 UnitHash(int square, PieceCode code);
quint64 PositionHash(const Position& position);
// The hashes of every turning of `position` in `mask`.
void TurnedHashes(const Position& position, TurningMask mask, quint64* hashes);

// "wSb1", "bQd8", "nrG"+square: side, specification letter, piece letter, square.
QString UnitText(PieceCode code, int square);
// "mirrored", "colours swapped, rotated by 90°", ...: what turns the shown position into the
// other one; empty for none.
QString TurningText(int turning);
// "bQd8 removed", "wRa1 added", "wSb1 on c3 instead of b1", after the turning's text.
QString DifferenceText(const UnitDifference& difference);

} // namespace vexil
