#pragma once

#include "model/pieces.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vexil {

// The state of the position controls of the solve window's "Stockfish" tab.
struct FenOptions {
    bool blackToMove = false;
    bool whiteShort = false;
    bool whiteLong = false;
    bool blackShort = false;
    bool blackLong = false;
    QString enPassant; // passed as typed
};

// The FEN line of the board: placement, side, castling and en passant, with no move counters.
// Pieces a FEN cannot show (grasshoppers, nightriders, fairy pieces, markers) count as empty.
QString BuildFenLine(const Board& board, const FenOptions& options);

// What is wrong with a FEN position that Stockfish cannot be given safely (it crashes on
// them); none for a position it can search.
std::optional<QString> FenPositionProblem(const QString& line);

// The positions of the solve window's text for Stockfish: the lines that are not blank.
QStringList StockfishPositions(const QStringList& lines);

struct FenLineProblem {
    int line; // 1-based line of the text
    QString problem;
    QString message() const;
};
// The first line of the text whose position Stockfish cannot be given; blank lines are left
// out of the input and so never fail.
std::optional<FenLineProblem> CheckStockfishPositions(const QStringList& lines);

// The arguments Stockfish's "bench" is started with: hash, threads, the time limit as
// milliseconds per position, and the positions file, each one argument whatever it holds.
// Throws Failure (the conversion error) when the time text is no integer.
QStringList StockfishArguments(const QString& hash, const QString& threads, const QString& minutes,
                               const QString& programFolder);

} // namespace vexil
