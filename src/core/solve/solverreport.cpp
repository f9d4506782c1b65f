#include "solve/solverreport.h"

#include "interchange/position.h"
#include "model/pieces.h"
#include "model/square.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace vexil {

namespace {

std::optional<Square> squareAt(QStringView text)
{
    return text.size() < 2 ? std::nullopt : Square::parse(text.first(2));
}

// A move of Stockfish's ("f6f7", "e7e8q", "e1g1") as the program writes moves: "Kf7",
// "e8=Q", "Sxf3", "exd5", "O-O". Without the position it stays as Stockfish wrote it.
QString moveText(const QString& uci, const QString& fen)
{
    const std::optional<Square> from = squareAt(uci);
    const std::optional<Square> to = squareAt(QStringView(uci).mid(2));
    if (!from || !to)
        return uci;
    const ParsedPosition position = ParsePosition(fen.section(u' ', 0, 0), PositionNotation::Fen);
    if (!position.ok())
        return uci;
    const int base = position.board.at(from->row, from->column) % 100;
    const int target = position.board.at(to->row, to->column) % 100;
    if (base < 1 || base > 12)
        return uci;
    const QString destination = uci.mid(2, 2);
    const bool pawn = base <= 2;
    if ((base == 11 || base == 12) && qAbs(to->column - from->column) == 2)
        return to->column > from->column ? QStringLiteral("O-O") : QStringLiteral("O-O-O");
    // A pawn that changes its file captures, en passant included.
    const bool capture = target != 0 || (pawn && to->column != from->column);
    QString text;
    if (pawn)
        text = capture ? uci.left(1) + u'x' + destination : destination;
    else
        text = QLatin1Char(PieceLetters[base]) + (capture ? QStringLiteral("x") : QString()) +
               destination;
    if (uci.size() > 4)
        text += u'=' + uci.mid(4, 1).toUpper().replace(u'N', u'S');
    return text;
}

} // namespace

int PopeyeInputErrors(const QStringList& output)
{
    int count = 0;
    for (const QString& line : output)
        if (line.startsWith(u"input-error:") || line.startsWith(u"erreur d'entree"))
            ++count;
    return count;
}

QString PopeyeInputErrorText(int count)
{
    if (count <= 0)
        return QString();
    return QStringLiteral("Popeye finished: %1 input error%2")
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

QString StockfishSummary(const QStringList& output, const QStringList& positions)
{
    int moves = 0;
    QString best;
    QString score;
    QString lastScore;
    for (const QString& line : output) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words.value(0) == u"info") {
            const qsizetype at = words.indexOf(QStringLiteral("score"));
            if (at >= 0 && at + 2 < words.size())
                lastScore = words[at + 1] + u' ' + words[at + 2];
        } else if (words.value(0) == u"bestmove" && words.size() >= 2) {
            ++moves;
            best = words[1];
            score = lastScore;
            lastScore.clear();
        }
    }
    if (best.isEmpty() || best == u"(none)")
        return QString();
    const QString fen = moves <= positions.size() ? positions.value(moves - 1)
                                                  : positions.value(positions.size() - 1);
    const bool blackMoves = fen.section(u' ', 1, 1) == u"b";
    const QString move =
        (blackMoves ? QStringLiteral("1...") : QStringLiteral("1.")) + moveText(best, fen);
    const QString kind = score.section(u' ', 0, 0);
    bool number = false;
    const int value = score.section(u' ', 1, 1).toInt(&number);
    if (kind == u"mate" && number) {
        if (value > 0)
            return QStringLiteral("Mate in %1: %2").arg(value).arg(move);
        return QStringLiteral("Mated in %1: %2").arg(-value).arg(move);
    }
    if (kind == u"cp" && number) {
        // Stockfish counts for the side to move; the program's figures count for White.
        const double pawns = (blackMoves ? -value : value) / 100.0;
        return QStringLiteral("Best move %1, %2%3")
            .arg(move, pawns >= 0 ? QStringLiteral("+") : QString())
            .arg(pawns, 0, 'f', 1);
    }
    return QStringLiteral("Best move %1").arg(move);
}

QString ProgramProblem(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("no program is set");
    QString file = path;
    if (!path.contains(u'/') && !path.contains(u'\\')) {
        file = QStandardPaths::findExecutable(path);
        if (file.isEmpty())
            return QStringLiteral("not found");
    }
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("not found");
    if (!info.isFile())
        return QStringLiteral("not a program");
    if (!info.isExecutable())
        return QStringLiteral("not executable");
    return QString();
}

QString SolverNotStartedText(const QString& path, const QString& reason)
{
    return QStringLiteral("Set path to SOLVE-EXE file in \"Options\" window !\n%1: %2")
        .arg(path.isEmpty() ? QStringLiteral("\"\"") : path, reason);
}

} // namespace vexil
