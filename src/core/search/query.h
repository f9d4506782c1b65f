#pragma once

#include "model/pieces.h"
#include "model/typedpieces.h"
#include "verify/popeyeoutput.h"

#include <QString>

#include <optional>
#include <vector>

namespace vexil {

// The text fields a text predicate looks in; AnyText is each of the others in turn.
enum class TextField { Author, Source, Stipulation, Condition, Twins, Solution, AnyText };
enum class Comparison { Equal, Less, LessEqual, Greater, GreaterEqual };
// What a count predicate counts: units by side, all units, fairy units, twin lines.
enum class CountOf { White, Black, Neutral, Units, Fairy, Twins };
// The symmetries a board pattern is looked for under: shifts only, shifts of the pattern and
// of its mirror image (files a and h swapped), or shifts under all eight symmetries.
enum class PatternSymmetry { Shift, Mirror, All };

// One node of a parsed query.
struct QueryNode {
    enum class Kind { And, Or, Not, Text, Year, Count, Piece, Position, Exact, Matrix, Verify };
    Kind kind = Kind::And;
    std::vector<QueryNode> children; // And, Or (two or more), Not (one)

    // Text: the pattern as typed, with * and ? as wildcards.
    TextField field = TextField::AnyText;
    QString pattern;
    // Year and Count.
    CountOf count = CountOf::Units;
    Comparison comparison = Comparison::Equal;
    int value = 0;
    // Piece: a walk (a `FairyKinds` row; orthodox pieces, grasshoppers and nightriders by
    // the row of their letter), optionally a side and a specification.
    int walk = 0;
    std::optional<PieceSideValue> side;
    std::optional<int> specification;
    // Position, Exact, Matrix: the units, one per square.
    QList<TypedPiece> units;
    PatternSymmetry symmetry = PatternSymmetry::Shift;
    // Verify: the outcome looked for; none for items without a result.
    std::optional<Outcome> outcome;
};

struct QueryError {
    qsizetype position = 0; // in characters from the start of the query
    QString expected;       // what the query should have had there
};

struct ParsedQuery {
    std::optional<QueryNode> root;
    QueryError error; // when root is empty
    bool isValid() const { return root.has_value(); }
    // "At character 7: expected a year after Y>=" (counted from 1), for the user.
    QString errorText() const;
};

// Reads one line of the search language: predicates (A= S= STIP= K= TW= SOL= TEXT= Y W B N
// P FAIRY TWINS PIECE POS EXACT MATRIX VERIFY, or a bare or quoted text), AND (or nothing
// between two terms), OR, NOT and parentheses. Keywords and operators take any letter case.
// Never throws; nesting is bounded, so no query can exhaust the stack.
ParsedQuery ParseQuery(QStringView query);

// The walk a board code belongs to (see QueryNode::walk), 0 for no piece.
int WalkOf(PieceCode code);

} // namespace vexil
