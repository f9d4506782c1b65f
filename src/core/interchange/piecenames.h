#pragma once

#include "model/pieces.h"
#include "model/square.h"

#include <QList>
#include <QString>

namespace vexil::names {

// Pieces as Popeye names them, which is also how YACPDB entries and Forsyth lines name them:
// a walk code ("K", "S" for the knight, "N" for the nightrider, "G", "AL", "15"), case ignored,
// and attribute words ("royal", "Protean").

enum class Side { White, Black, Neutral };

// The `FairyKinds` row of a walk code, case ignored; 0 when the rows lack it.
int KindOfWalk(QStringView walk);

// The `PieceSpecifications` row of an attribute word, case ignored: the row names ("royal",
// "proten", "beamtet"), and "Protean" for "proten"; 0 when the rows lack it.
int SpecificationOfWord(QStringView word);

// Attribute words that Popeye or YACPDB know but the rows lack ("Bul", "FrischAuf").
bool IsForeignAttribute(QStringView word);

// The code a piece read from a file takes: a white or black piece without specification whose
// walk has a base of its own (K Q R B S P, G and N) takes that base; every other piece is a
// fairy piece of its kind row.
PieceCode CodeOf(Side side, int kind, int specification);

// The walk code of a piece in upper case: the letter of bases 1 to 16, the kind code of a fairy
// piece ("AL", "15"); empty for anything else.
QString WalkOf(PieceCode code);

// The side of a piece code; only meaningful for pieces (bases 1 to 19).
Side SideOf(PieceCode code);
QString SideWord(Side side); // "White", "Black", "Neutral"

// A piece token "Gc3", "ALd4" or "Pa2b2c2": a walk of one or two characters and one or more
// squares. False when the token is no such thing; `walk` keeps the walk as written.
using Square = vexil::Square;
bool ParsePieceToken(QStringView token, QString& walk, QList<Square>& squares);

bool ParseSquare(QStringView text, Square& square);

// "white G on c3", "neutral royal AL on d4": how a piece is named in reports.
QString Describe(PieceCode code, int row, int column);

} // namespace vexil::names
