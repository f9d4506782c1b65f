#pragma once

#include <QString>
#include <QStringList>

namespace vexil {

// What the solve window tells the user about a run, read from what the program wrote.

// How many input errors Popeye reported ("input-error:" lines, in English or French).
int PopeyeInputErrors(const QStringList& output);
// "Popeye finished: 2 input errors"; empty when there were none.
QString PopeyeInputErrorText(int count);

// A line that sums up Stockfish's answer from its last "info ... score" and "bestmove"
// lines: "Mate in 2: 1.Kf7", "Best move 1.Kf7, +3.2" (pawns, for White). The move is named
// as the program writes moves, from the position it was played in: `positions` are the FEN
// lines Stockfish was given, in order. Empty when Stockfish named no move.
QString StockfishSummary(const QStringList& output, const QStringList& positions);

// Why the program at `path` (a path, or a bare name looked up in PATH) cannot be started:
// "no program is set", "not found", "not executable", "not a program"; empty when nothing
// speaks against it.
QString ProgramProblem(const QString& path);
// The message for a program that cannot be started, with a second line naming the path and
// the reason.
QString SolverNotStartedText(const QString& path, const QString& reason);

} // namespace vexil
