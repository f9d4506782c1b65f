#include "solve/fen.h"

#include "model/collection.h"
#include "model/piecename.h"
#include "model/square.h"

#include <QPoint>
#include <QRegularExpression>

#include <array>
#include <cstring>

namespace vexil {

QString BuildFenLine(const Board& board, const FenOptions& options)
{
    QString line;
    for (int r = 0; r < 8; ++r) {
        int empty = 0;
        for (int c = 0; c < 8; ++c) {
            const QChar letter = FenLetter(Piece(board.at(r, c)));
            if (letter.isNull()) {
                ++empty;
                continue;
            }
            if (empty > 0)
                line += QString::number(empty);
            empty = 0;
            line += letter;
        }
        if (empty > 0)
            line += QString::number(empty);
        if (r < 7)
            line += QLatin1Char('/');
    }
    line += options.blackToMove ? QStringLiteral(" b ") : QStringLiteral(" w ");
    QString castling;
    if (options.whiteShort)
        castling += QLatin1Char('K');
    if (options.whiteLong)
        castling += QLatin1Char('Q');
    if (options.blackShort)
        castling += QLatin1Char('k');
    if (options.blackLong)
        castling += QLatin1Char('q');
    line += castling.isEmpty() ? QStringLiteral("-") : castling;
    line +=
        options.enPassant.isEmpty() ? QStringLiteral(" -") : QLatin1Char(' ') + options.enPassant;
    return line;
}

namespace {

// A parsed placement: row 0 is rank 8, as on the board; '\0' for an empty square.
using Squares = std::array<std::array<char, 8>, 8>;

bool inside(int r, int c)
{
    return r >= 0 && r < 8 && c >= 0 && c < 8;
}

bool isWhite(char p)
{
    return p >= 'A' && p <= 'Z';
}

// Whether any piece of the side `byWhite` attacks the square (r, c).
bool attacked(const Squares& s, int r, int c, bool byWhite)
{
    auto is = [&](int rr, int cc, char upper) {
        if (!inside(rr, cc))
            return false;
        const char p = s[rr][cc];
        return p != 0 && isWhite(p) == byWhite && (p & ~0x20) == upper;
    };
    // A white pawn attacks towards rank 8, that is towards row 0.
    const int pawnRow = byWhite ? r + 1 : r - 1;
    if (is(pawnRow, c - 1, 'P') || is(pawnRow, c + 1, 'P'))
        return true;
    static const int knight[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                     {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
    for (const auto& d : knight)
        if (is(r + d[0], c + d[1], 'N'))
            return true;
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc)
            if ((dr || dc) && is(r + dr, c + dc, 'K'))
                return true;
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
            if (!dr && !dc)
                continue;
            const char slider = dr && dc ? 'B' : 'R';
            for (int rr = r + dr, cc = c + dc; inside(rr, cc); rr += dr, cc += dc) {
                if (!s[rr][cc])
                    continue;
                if (is(rr, cc, slider) || is(rr, cc, 'Q'))
                    return true;
                break;
            }
        }
    return false;
}

bool isCounter(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && text[0].isDigit();
}

} // namespace

std::optional<QString> FenPositionProblem(const QString& line)
{
    const QStringList fields =
        line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (fields.size() != 4 && fields.size() != 6)
        return QStringLiteral("a position needs four or six fields, this line has %1")
            .arg(fields.size());

    const QStringList ranks = fields[0].split(QLatin1Char('/'));
    if (ranks.size() != 8)
        return QStringLiteral("the board needs eight ranks, it has %1").arg(ranks.size());
    Squares s{};
    for (int r = 0; r < 8; ++r) {
        int c = 0;
        for (QChar ch : ranks[r]) {
            const char p = ch.toLatin1();
            if (p >= '1' && p <= '8') {
                c += p - '0';
            } else if (p && std::strchr("PNBRQKpnbrqk", p)) {
                if (c < 8)
                    s[r][c] = p;
                ++c;
            } else {
                return QStringLiteral("\"%1\" is no piece letter").arg(ch);
            }
            if (c > 8)
                break;
        }
        if (c != 8)
            return QStringLiteral("rank %1 does not hold eight squares").arg(8 - r);
    }

    int kings[2] = {0, 0};
    QPoint kingAt[2];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const char p = s[r][c];
            if ((p == 'P' || p == 'p') && (r == 0 || r == 7))
                return QStringLiteral("a pawn stands on %1").arg(Square{r, c}.name());
            if (p == 'K' || p == 'k') {
                const int side = p == 'K' ? 0 : 1;
                ++kings[side];
                kingAt[side] = QPoint(c, r);
            }
        }
    if (kings[0] != 1)
        return QStringLiteral("there must be exactly one white king, there are %1").arg(kings[0]);
    if (kings[1] != 1)
        return QStringLiteral("there must be exactly one black king, there are %1").arg(kings[1]);

    if (fields[1] != QLatin1String("w") && fields[1] != QLatin1String("b"))
        return QStringLiteral("the side to move must be \"w\" or \"b\", not \"%1\"").arg(fields[1]);
    const bool whiteToMove = fields[1] == QLatin1String("w");

    const QString& castling = fields[2];
    if (castling != QLatin1String("-")) {
        for (qsizetype i = 0; i < castling.size(); ++i) {
            const QChar letter = castling[i];
            struct Right {
                char letter, king, rook;
                int row, rookColumn;
            };
            static const Right rights[] = {{'K', 'K', 'R', 7, 7},
                                           {'Q', 'K', 'R', 7, 0},
                                           {'k', 'k', 'r', 0, 7},
                                           {'q', 'k', 'r', 0, 0}};
            const Right* right = nullptr;
            for (const Right& candidate : rights)
                if (letter == QLatin1Char(candidate.letter))
                    right = &candidate;
            if (!right || castling.indexOf(letter) != i)
                return QStringLiteral("\"%1\" is no castling field").arg(castling);
            if (s[right->row][4] != right->king || s[right->row][right->rookColumn] != right->rook)
                return QStringLiteral("castling \"%1\" needs the king on %2 and a rook on %3")
                    .arg(letter)
                    .arg(right->row == 7 ? QStringLiteral("e1") : QStringLiteral("e8"))
                    .arg(Square{right->row, right->rookColumn}.name());
        }
    }

    const QString& enPassant = fields[3];
    if (enPassant != QLatin1String("-")) {
        const bool square = enPassant.size() == 2 && enPassant[0] >= QLatin1Char('a') &&
                            enPassant[0] <= QLatin1Char('h') &&
                            (enPassant[1] == QLatin1Char('3') || enPassant[1] == QLatin1Char('6'));
        if (!square)
            return QStringLiteral("the en passant square must be on the third or sixth rank, "
                                  "not \"%1\"")
                .arg(enPassant);
    }

    if (fields.size() == 6 && (!isCounter(fields[4]) || !isCounter(fields[5])))
        return QStringLiteral("the move counters must be numbers");

    // The side that has just moved cannot have left its king attacked.
    const int waiting = whiteToMove ? 1 : 0;
    if (attacked(s, kingAt[waiting].y(), kingAt[waiting].x(), whiteToMove))
        return QStringLiteral("the %1 king is in check, but %2 is to move")
            .arg(waiting == 0 ? QStringLiteral("white") : QStringLiteral("black"))
            .arg(whiteToMove ? QStringLiteral("White") : QStringLiteral("Black"));
    return std::nullopt;
}

QStringList StockfishPositions(const QStringList& lines)
{
    QStringList positions;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            positions << line;
    return positions;
}

QString FenLineProblem::message() const
{
    return QStringLiteral("Line %1 is no position Stockfish can take: %2.").arg(line).arg(problem);
}

std::optional<FenLineProblem> CheckStockfishPositions(const QStringList& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        if (const auto problem = FenPositionProblem(lines[i]))
            return FenLineProblem{int(i + 1), *problem};
    }
    return std::nullopt;
}

QStringList StockfishArguments(const QString& hash, const QString& threads, const QString& minutes,
                               const QString& programFolder)
{
    const qint64 milliseconds = qint64(ToInteger(minutes)) * 60000;
    return {QStringLiteral("bench"),
            hash,
            threads,
            QString::number(milliseconds),
            programFolder + QStringLiteral("ibench.txt"),
            QStringLiteral("movetime")};
}

} // namespace vexil
