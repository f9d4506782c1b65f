#pragma once

#include "model/pieces.h"
#include "model/square.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace vexil {

// One move as it is written, before it meets a board. Two notations are read:
// - Popeye's long algebraic: "Kf6-f7", "Sg1*f3", "e7-e8=Q", "0-0-0", "e5*d6 ep.",
//   "Re4*f4[+wGf8]", "nQh1-h5", fairy walks of one or two characters ("Gd4-g7", "NAd4-e6");
//   S is the knight, N the nightrider (also after "=");
// - the short algebraic of collections: "Rb7", "Nbd2", "R1a3", "exd5", "e8=Q", "O-O", where N
//   and S both name the knight and the moving piece is the one that can reach the square.
struct MoveText {
    enum class Castling { None, Short, Long };
    Castling castling = Castling::None;
    bool neutral = false; // written with Popeye's "n" before the walk
    QString walk;         // "K", "S", "N", "AL"; empty for a pawn
    int fromRow = -1;     // the origin square or what the text gives of it (file, rank)
    int fromColumn = -1;
    bool capture = false;  // "*", "x" or ":"
    bool quiet = false;    // "-": the target must be empty
    bool longForm = false; // Popeye's form: full origin square and "-" or "*"
    Square to;
    QString promotion; // the walk after "=" ("Q", "S", "N", "AL")
    bool enPassant = false;
    QStringList effects; // bracketed texts without their brackets: "+bBc8", "wRc2->h1"
    QString marks;       // what follows the move: "+", "#", "=", "!", "?" in any order

    bool hasOrigin() const { return fromRow >= 0 && fromColumn >= 0; }
    Square from() const { return hasOrigin() ? Square{fromRow, fromColumn} : Square{}; }
};

// Reads one move written without its move number ("Rb3-g3", "Kxd5+", "b7*c8=Q"). Marks that
// follow it in the same word are taken along; anything else makes it no move.
std::optional<MoveText> ParseMoveText(QStringView text);

// Who is taken to be moving; for short algebraic, whose piece is looked for first.
enum class Mover { White, Black };

struct PlayedMove {
    Square from, to;
    Board after;
    QString error; // why the move cannot be played on the board; empty when it was played
};

// Plays the move on the board, as far as the move itself says: the piece named must stand on
// its square (or be the one piece of the side that can reach the target), the target must be
// empty or, for a capture, hold a piece; castling, promotion, en passant and the bracketed
// effects Popeye writes (a rebirth "+bBc8", a piece sent elsewhere "wRc2->h1", a removal
// "-bPc4", a change "c8=bQ") are carried out. No check or legality beyond that is looked at.
// `written` is how the move reads in the text, for the error ("2.Rb8#: no rook can reach b8").
PlayedMove PlayMove(const Board& board, const MoveText& move, Mover mover, const QString& written);

// "rook", "knight", "alfil", "piece AB": the walk named in messages (N and S the knight).
QString WalkName(const QString& walk);

} // namespace vexil
