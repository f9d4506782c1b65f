#pragma once

#include "model/pieces.h"
#include "solve/fen.h"

#include <QString>
#include <QStringList>

namespace vexil {

// One line that holds a position, as it comes from the clipboard:
// - FEN: "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" (fields after the first
//   are ignored), N the knight;
// - Popeye's Forsyth, with or without the keyword: S the knight, N the nightrider, G the
//   grasshopper, any one-letter walk as its letter, two-letter walks after a period (".AL"),
//   "=" before a neutral piece; empty squares as numbers, "/" between ranks optional;
// - Fairy-FEN: FEN with fairy walks in parentheses or braces ("(al)", "{G2}"), "-" or "="
//   before a neutral piece, and the rotated queen ("*2Q") and knight ("*2N") for the
//   grasshopper and the nightrider.
// Upper case is white, lower case black.
enum class PositionNotation { Fen, Forsyth, FairyFen };

struct ParsedPosition {
    Board board;
    PositionNotation notation = PositionNotation::Fen;
    QString error; // empty when the line is a position; otherwise why it is none
    bool ok() const { return error.isEmpty(); }
};

ParsedPosition ParsePositionLine(QStringView line);
// The same for a text known to be in `notation` (the keyword "Forsyth" already removed).
ParsedPosition ParsePosition(QStringView placement, PositionNotation notation);

// The board as Popeye's Forsyth (without the keyword), fairy pieces included. Specifications,
// markers and codes the editor cannot make have no place in it; they are named in `notHeld`.
QString ForsythOf(const Board& board, QStringList* notHeld = nullptr);

// The board as Fairy-FEN, which ParsePositionLine reads back: FEN letters for the orthodox
// pieces, "*2Q" and "*2N" for the grasshopper and the nightrider, other walks in parentheses
// ("(AL)", "(al)" for black), "-" before a neutral piece. What it cannot hold (specifications,
// markers) is named in `notHeld`.
QString FairyFenOf(const Board& board, QStringList* notHeld = nullptr);

// True when a FEN of the board would leave out a unit (a fairy piece, a grasshopper, a
// nightrider, a neutral piece or a marker).
bool FenLeavesOutUnits(const Board& board);

// Castling as problems take it: allowed wherever king and rook stand on their squares, unless
// the condition or a twin line forbids it ("NoCastling").
FenOptions ConventionalCastling(const Board& board, const QString& condition,
                                const QStringList& twins);

// The position of an item as it goes to the clipboard: FEN with the conventional castling
// rights, or Fairy-FEN when a FEN would leave out units (`fairy` is then set).
QString ClipboardPosition(const Board& board, const QString& condition, const QStringList& twins,
                          bool* fairy = nullptr);

// What a pasted FEN line says that a collection item cannot hold: castling rights other than
// the conventional ones of its board, an en passant square. Empty when nothing is lost.
QStringList FenFieldsNotHeld(QStringView line, const Board& board);

} // namespace vexil
