#pragma once

#include "solution/move.h"
#include "solution/twins.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vexil {

// A solution text read into moves: the one reader of solutions in the program, for stored
// solutions ("1.Ra7-b7! zz\n1...Kh8-g8 2.Rb7-b8#", short algebraic too) and for Popeye's own
// output alike.
//
// Lines make a tree through their moves: a move numbered "2." starts from the position after
// the last move before it in the text that came earlier in the play ("1...Kg8" before it, or
// the key "1.Rb7" when a threat follows the key directly). So a variation "1...Kg8 2.Rb8#"
// starts after the key above it, a set play line "1...Ka5" before any key from the diagram.
// Twin headers "a)", "b)", "+c)" at the start of a line switch to that twin's position.

// What a line is in the play.
enum class LineRole {
    Key,          // direct play: a first move at move 1 not marked "?" ("1.Rb7!", "1.Qc7-b7#")
    Try,          // direct play: a first move marked "?"
    SetPlay,      // a line that starts with the second side's move before any first move
    Threat,       // the first side moves twice in a row: the threat after a key or try
    Variation,    // a defence after a key or try ("1...Kg8 2.Rb8#")
    Refutation,   // the defence after "but", or one marked "!" after a try
    Solution,     // help and series play: a whole solution line ("1.Rf5-f2 Rg6-d6 2.Rf2-b2 ...")
    Continuation, // a later move of the first side on a line of its own
    Text,         // no move: a comment, a twin header, an empty line
};

struct SolutionMove {
    QString text;        // as written, number and marks included: "1...Kh8-g8", "2.Rb8#"
    qsizetype start = 0; // where `text` stands in its line
    int number = 0;      // the move number it belongs to
    int ply = 0;         // half-moves from the start: 2 * (number - 1), + 1 for "1..."
    Mover mover = Mover::White;
    MoveText notation;
    Square from, to;     // invalid when it was not played
    Board before, after; // `after` is `before` when it was not played
    QString error;       // why it could not be read or played; empty when played

    bool played() const { return error.isEmpty(); }
    bool markedKey() const { return notation.marks.contains(u'!'); }
    bool markedTry() const { return notation.marks.contains(u'?'); }
    // Same origin, target and promotion, whatever notation each was written in.
    bool sameMoveAs(const SolutionMove& other) const;
};

struct SolutionLine {
    QString text;  // the line as stored
    int index = 0; // its place among the stored lines
    int twin = 0;  // index into Solution::twins
    LineRole role = LineRole::Text;
    int parent = -1; // the line whose move this one starts after; -1 for the twin's own position
    // The moves as far as they could be played; the last one carries the error that stopped
    // the line, when one did. Moves after it are not read.
    QList<SolutionMove> moves;

    QString error() const { return moves.isEmpty() ? QString() : moves.last().error; }
};

struct SolutionTwin {
    QString label;          // "a", "b", ...; empty for a solution without twin headers
    QString header;         // what follows the label on its line ("wRg6-->g7"), trimmed
    bool continued = false; // "+c)"
    Board board;            // the position its moves start from
    QString stipulation;
};

// To hold a stored solution against Popeye's output, read both with the same twins
// (BuildTwins of the item) and compare keys(t) of the one with keys(t) of the other by
// sameMoveAs, twin by twin; twinOf("b") finds the twin a "b)" header names in either text.
struct Solution {
    QList<SolutionTwin> twins; // at least one
    QList<SolutionLine> lines;

    // The first moves of the twin's keys (direct play) or solutions (help and series play),
    // tries left out, in text order.
    QList<SolutionMove> keys(int twin) const;
    QList<SolutionMove> tries(int twin) const;
    // The twin of a label ("b"), -1 when the solution has none of that name.
    int twinOf(const QString& label) const;
    // Every move that could not be played, with its line: the "why" of each.
    QStringList errors() const;
};

// Moves read from one text at most; the first move past it is named, the rest left unread.
constexpr int kSolutionMoveLimit = 20000;

// Reads the solution text with the positions its twins start from. `positions` holds the
// item's twins as BuildTwins gives them; a twin header of the text takes the position of the
// twin of the same label, or the first position when there is none. Never throws; nothing
// read from the text is recursed on.
Solution ReadSolution(const QStringList& text, const QList<Twin>& positions);

// The item's stored solution with the item's twins.
Solution ReadItemSolution(const Item& item);

// Help play (the second side starts: "h#", "ser-h#", ...) and series play by the stipulation.
bool IsHelpPlay(const QString& stipulation);
bool IsSeriesPlay(const QString& stipulation);

} // namespace vexil
