#include "solution/move.h"

#include "interchange/piecenames.h"
#include "model/piece.h"

#include <cstdlib>

namespace vexil {

namespace {

bool isFile(QChar c)
{
    return c >= u'a' && c <= u'h';
}
bool isRank(QChar c)
{
    return c >= u'1' && c <= u'8';
}
bool isWalkChar(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The walk of a piece on the board as moves name it: "P" for a pawn, "S", "N", "G", "AL".
QString walkOf(Piece piece)
{
    return piece.letter().toUpper();
}

bool walkMatches(const QString& written, Piece piece)
{
    const QString own = walkOf(piece);
    if (written.isEmpty())
        return own == u"P";
    // Collections write N for the knight; Popeye's long form means the nightrider by it,
    // but the piece on the named square settles which one it is.
    if (written == u"N")
        return own == u"N" || own == u"S";
    return own == written;
}

bool moves(Piece piece, Mover mover)
{
    if (!piece.isPiece())
        return false;
    if (piece.isNeutral())
        return true;
    return mover == Mover::White ? piece.isWhite() : piece.isBlack();
}

struct Step {
    int dr, dc;
};

// Every orientation of an (m, n) leap.
QList<Step> leaps(int m, int n)
{
    QList<Step> steps;
    for (int a : {m, -m})
        for (int b : {n, -n}) {
            const Step s1{a, b}, s2{b, a};
            auto add = [&](Step s) {
                for (const Step& t : steps)
                    if (t.dr == s.dr && t.dc == s.dc)
                        return;
                steps << s;
            };
            add(s1);
            add(s2);
        }
    return steps;
}

bool inside(int r, int c)
{
    return r >= 0 && r < 8 && c >= 0 && c < 8;
}

bool leapReaches(Square from, Square to, int m, int n)
{
    const int dr = std::abs(to.row - from.row), dc = std::abs(to.column - from.column);
    return (dr == m && dc == n) || (dr == n && dc == m);
}

// Reaches `to` by repeated (m, n) steps over empty squares.
bool rideReaches(const Board& board, Square from, Square to, int m, int n)
{
    for (const Step& s : leaps(m, n)) {
        int r = from.row + s.dr, c = from.column + s.dc;
        while (inside(r, c)) {
            if (r == to.row && c == to.column)
                return true;
            if (board.at(r, c) != 0)
                break;
            r += s.dr;
            c += s.dc;
        }
    }
    return false;
}

bool hopReaches(const Board& board, Square from, Square to)
{
    for (const Step& s : leaps(1, 0) + leaps(1, 1)) {
        int r = from.row + s.dr, c = from.column + s.dc;
        while (inside(r, c) && board.at(r, c) == 0) {
            r += s.dr;
            c += s.dc;
        }
        if (inside(r, c) && r + s.dr == to.row && c + s.dc == to.column)
            return true;
    }
    return false;
}

bool pawnReaches(const Board& board, Square from, Square to, Mover mover, bool capture)
{
    const int forward = mover == Mover::White ? -1 : 1;
    const int dc = to.column - from.column;
    const int dr = to.row - from.row;
    if (capture || board.at(to.row, to.column) != 0)
        return std::abs(dc) == 1 && dr == forward;
    if (dc != 0)
        return false;
    if (dr == forward)
        return true;
    const int home = mover == Mover::White ? 6 : 1;
    return dr == 2 * forward && from.row == home && board.at(from.row + forward, from.column) == 0;
}

// Whether the piece on `from` can go to `to` on this board by its walk, check aside. Walks
// not known here reach nothing, which leaves the unique piece of that walk to be found.
bool reaches(const Board& board, Square from, Square to, const QString& walk, Mover mover,
             bool capture)
{
    struct Leaper {
        const char* walk;
        int m, n;
        bool rides;
    };
    static const Leaper table[] = {
        {"K", 1, 0, false},  {"K", 1, 1, false},  {"Q", 1, 0, true},   {"Q", 1, 1, true},
        {"R", 1, 0, true},   {"B", 1, 1, true},   {"S", 1, 2, false},  {"N", 1, 2, true},
        {"AL", 2, 2, false}, {"CA", 3, 1, false}, {"Z", 3, 2, false},  {"FE", 1, 1, false},
        {"WE", 1, 0, false}, {"DA", 2, 0, false}, {"GI", 4, 1, false}, {"15", 1, 5, false},
        {"16", 1, 6, false}, {"24", 2, 4, false}, {"25", 2, 5, false}, {"35", 3, 5, false},
        {"37", 3, 7, false}, {"36", 3, 6, false}, {"ZR", 3, 2, true},  {"CR", 3, 1, true},
        {"FR", 1, 1, true},  {"WR", 1, 0, true},  {"AM", 1, 0, true},  {"AM", 1, 1, true},
        {"AM", 1, 2, false}, {"EM", 1, 0, true},  {"EM", 1, 2, false}, {"PR", 1, 1, true},
        {"PR", 1, 2, false}, {"GN", 1, 2, false}, {"GN", 3, 1, false},
    };
    if (walk == u"P")
        return pawnReaches(board, from, to, mover, capture);
    if (walk == u"G")
        return hopReaches(board, from, to);
    for (const Leaper& l : table) {
        if (walk != QLatin1String(l.walk))
            continue;
        if (l.rides ? rideReaches(board, from, to, l.m, l.n) : leapReaches(from, to, l.m, l.n))
            return true;
    }
    return false;
}

// The side of a piece written "w", "b" or "n" and its walk, as Popeye writes effects.
std::optional<PieceCode> writtenPiece(QChar side, const QString& walk)
{
    const int kind = names::KindOfWalk(walk);
    if (kind == 0)
        return std::nullopt;
    const names::Side s = side == u'w'   ? names::Side::White
                          : side == u'b' ? names::Side::Black
                                         : names::Side::Neutral;
    return names::CodeOf(s, kind, 0);
}

// The code a promoted piece takes: the mover's side, the walk written.
std::optional<PieceCode> promotedCode(Piece pawn, const QString& walk, bool popeyeForm)
{
    QString w = walk;
    if (w == u"N" && !popeyeForm)
        w = QStringLiteral("S");
    const QChar side = pawn.isNeutral() ? u'n' : pawn.isWhite() ? u'w' : u'b';
    return writtenPiece(side, w);
}

// Carries out one bracketed effect; false when it is not understood or finds nothing to act on.
bool applyEffect(Board& board, const QString& effect, QString& why)
{
    static const auto pieceAndSquare = [](QStringView text, QChar& side, QString& walk,
                                          Square& square) {
        if (text.size() < 3)
            return false;
        qsizetype i = 0;
        side = u'\0';
        if (text[0] == u'w' || text[0] == u'b' || text[0] == u'n')
            side = text[i++];
        while (i < text.size() - 2 && isWalkChar(text[i]))
            walk += text[i++];
        if (text.size() - i != 2)
            return false;
        const auto s = Square::parse(text.sliced(i));
        if (!s)
            return false;
        square = *s;
        return true;
    };
    QChar side;
    QString walk;
    Square square;
    if ((effect.startsWith(u'+') || effect.startsWith(u'-')) &&
        pieceAndSquare(QStringView(effect).sliced(1), side, walk, square)) {
        if (effect.startsWith(u'-')) {
            board.at(square.row, square.column) = 0;
            return true;
        }
        const auto code = writtenPiece(side.isNull() ? u'w' : side, walk.isEmpty() ? "P" : walk);
        if (!code) {
            why = QStringLiteral("[%1]: no such piece").arg(effect);
            return false;
        }
        board.at(square.row, square.column) = *code;
        return true;
    }
    const qsizetype arrow = effect.indexOf(QLatin1String("->"));
    if (arrow > 0) {
        const auto to = Square::parse(QStringView(effect).sliced(arrow + 2));
        if (to && pieceAndSquare(QStringView(effect).first(arrow), side, walk, square)) {
            const PieceCode moving = board.at(square.row, square.column);
            if (moving == 0) {
                why = QStringLiteral("[%1]: %2 is empty").arg(effect, square.name());
                return false;
            }
            board.at(square.row, square.column) = 0;
            board.at(to->row, to->column) = moving;
            return true;
        }
    }
    const qsizetype equals = effect.indexOf(u'=');
    if (equals == 2) {
        const auto at = Square::parse(QStringView(effect).first(2));
        const QString rest = effect.mid(3);
        if (at && rest.size() >= 2 && QStringLiteral("wbn").contains(rest[0])) {
            const auto code = writtenPiece(rest[0], rest.mid(1));
            if (code) {
                board.at(at->row, at->column) = *code;
                return true;
            }
        }
    }
    why = QStringLiteral("[%1]: not understood").arg(effect);
    return false;
}

PlayedMove castle(const Board& board, const MoveText& move, Mover mover, const QString& written)
{
    PlayedMove played;
    const bool isShort = move.castling == MoveText::Castling::Short;
    for (Mover side : {mover, mover == Mover::White ? Mover::Black : Mover::White}) {
        const int row = side == Mover::White ? 7 : 0;
        const Piece king(board.at(row, 4));
        const int rookColumn = isShort ? 7 : 0;
        const Piece rook(board.at(row, rookColumn));
        if (walkOf(king) != u"K" || !moves(king, side) || walkOf(rook) != u"R" ||
            !moves(rook, side))
            continue;
        bool clear = true;
        for (int c = std::min(4, rookColumn) + 1; c < std::max(4, rookColumn); ++c)
            clear = clear && board.at(row, c) == 0;
        if (!clear)
            continue;
        played.after = board;
        played.after.at(row, 4) = 0;
        played.after.at(row, rookColumn) = 0;
        played.after.at(row, isShort ? 6 : 2) = king.code();
        played.after.at(row, isShort ? 5 : 3) = rook.code();
        played.from = {row, 4};
        played.to = {row, isShort ? 6 : 2};
        return played;
    }
    played.error = QStringLiteral("%1: no king and rook that can castle").arg(written);
    return played;
}

} // namespace

QString WalkName(const QString& walk)
{
    if (walk.isEmpty() || walk == u"P")
        return QStringLiteral("pawn");
    if (walk == u"N")
        return QStringLiteral("knight");
    const int kind = names::KindOfWalk(walk);
    return kind > 0 ? KindName(kind) : QStringLiteral("piece %1").arg(walk);
}

std::optional<MoveText> ParseMoveText(QStringView text)
{
    MoveText move;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto startsAt = [&](QLatin1String s) { return text.sliced(i).startsWith(s); };

    QString castling = text.toString();
    castling.replace(u'O', u'0');
    if (castling.startsWith(QLatin1String("0-0-0"))) {
        move.castling = MoveText::Castling::Long;
        i = 5;
    } else if (castling.startsWith(QLatin1String("0-0"))) {
        move.castling = MoveText::Castling::Short;
        i = 3;
    } else {
        if (n > 1 && text[0] == u'n' && isWalkChar(text[1])) {
            move.neutral = true;
            ++i;
        }
        qsizetype walkEnd = i;
        while (walkEnd < n && walkEnd - i < 2 && isWalkChar(text[walkEnd]))
            ++walkEnd;
        move.walk = text.sliced(i, walkEnd - i).toString();
        // "R1a3": a rank that tells two rooks apart, not a walk "R1".
        if (move.walk.size() == 2 && move.walk[1].isDigit() && !move.walk[0].isDigit() &&
            names::KindOfWalk(move.walk) == 0)
            move.walk.chop(1);
        if (move.walk == u"P")
            move.walk.clear();
        i += move.walk.size() + (move.walk.isEmpty() && walkEnd > i && text[i] == u'P' ? 1 : 0);

        // What stands between the walk and the target: an origin file, rank or square, and
        // the sign of the move.
        int file = -1, rank = -1;
        QChar sign;
        if (i < n && isFile(text[i]) && i + 1 < n && isRank(text[i + 1]) &&
            (i + 2 < n && (isFile(text[i + 2]) || QStringLiteral("-*x:").contains(text[i + 2])))) {
            file = text[i].unicode() - u'a';
            rank = text[i + 1].unicode() - u'1';
            i += 2;
        } else if (i < n && isFile(text[i]) && i + 1 < n &&
                   (isFile(text[i + 1]) || QStringLiteral("*x:").contains(text[i + 1]))) {
            file = text[i].unicode() - u'a';
            ++i;
        } else if (i < n && isRank(text[i]) && i + 1 < n &&
                   (isFile(text[i + 1]) || QStringLiteral("-*x:").contains(text[i + 1]))) {
            rank = text[i].unicode() - u'1';
            ++i;
        }
        if (i < n && QStringLiteral("-*x:").contains(text[i])) {
            sign = text[i];
            ++i;
        }
        if (i + 1 >= n || !isFile(text[i]) || !isRank(text[i + 1]))
            return std::nullopt;
        move.to = *Square::parse(text.sliced(i, 2));
        i += 2;
        move.fromColumn = file;
        move.fromRow = rank >= 0 ? 7 - rank : -1;
        move.capture = !sign.isNull() && sign != u'-';
        move.quiet = sign == u'-';
        move.longForm = move.hasOrigin() && (sign == u'-' || sign == u'*');
        if (sign == u'-' && !move.hasOrigin())
            return std::nullopt;

        // Promotion: "=Q", "=nQ", or a walk written straight after the square ("e8Q").
        if (i + 1 < n && text[i] == u'=' && (isWalkChar(text[i + 1]) || text[i + 1] == u'n')) {
            ++i;
            if (text[i] == u'n')
                ++i;
            const qsizetype start = i;
            while (i < n && i - start < 2 && isWalkChar(text[i]))
                ++i;
            move.promotion = text.sliced(start, i - start).toString();
        } else if (i < n && text[i].isUpper()) {
            const qsizetype start = i;
            while (i < n && i - start < 2 && isWalkChar(text[i]))
                ++i;
            move.promotion = text.sliced(start, i - start).toString();
        }
        if (startsAt(QLatin1String("e.p.")) || startsAt(QLatin1String("ep."))) {
            move.enPassant = true;
            i += text[i + 1] == u'.' ? 4 : 3;
        }
    }
    while (i < n && text[i] == u'[') {
        const qsizetype close = text.indexOf(u']', i);
        if (close < 0)
            return std::nullopt;
        move.effects << text.sliced(i + 1, close - i - 1).toString();
        i = close + 1;
    }
    for (; i < n; ++i) {
        if (!QStringLiteral("+#=!?").contains(text[i]))
            return std::nullopt;
        move.marks += text[i];
    }
    return move;
}

PlayedMove PlayMove(const Board& board, const MoveText& move, Mover mover, const QString& written)
{
    if (move.castling != MoveText::Castling::None)
        return castle(board, move, mover, written);

    PlayedMove played;
    const Square to = move.to;
    const QString walk = move.walk.isEmpty() ? QStringLiteral("P") : move.walk;
    Square from;
    if (move.hasOrigin()) {
        from = move.from();
        const Piece piece(board.at(from.row, from.column));
        if (!walkMatches(move.walk, piece)) {
            played.error =
                QStringLiteral("%1: no %2 on %3").arg(written, WalkName(move.walk), from.name());
            return played;
        }
    } else {
        // The piece that can reach the target: the mover's first, the other side's when
        // the mover has none (a series or a reply written out of turn).
        const Mover other = mover == Mover::White ? Mover::Black : Mover::White;
        QList<Square> found;
        for (Mover side : {mover, other}) {
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 8; ++c) {
                    const Piece piece(board.at(r, c));
                    if (!moves(piece, side) || !walkMatches(move.walk, piece))
                        continue;
                    if ((move.fromRow >= 0 && r != move.fromRow) ||
                        (move.fromColumn >= 0 && c != move.fromColumn))
                        continue;
                    if (reaches(board, {r, c}, to, walkOf(piece), side, move.capture))
                        found << Square{r, c};
                }
            if (!found.isEmpty())
                break;
        }
        if (found.isEmpty()) {
            played.error = QStringLiteral("%1: no %2 can reach %3")
                               .arg(written, WalkName(move.walk), to.name());
            return played;
        }
        if (found.size() > 1) {
            played.error = QStringLiteral("%1: more than one %2 can reach %3")
                               .arg(written, WalkName(move.walk), to.name());
            return played;
        }
        from = found.first();
    }

    const Piece piece(board.at(from.row, from.column));
    const Piece target(board.at(to.row, to.column));
    if (from == to) {
        played.error = QStringLiteral("%1: goes nowhere").arg(written);
        return played;
    }
    bool enPassant = false;
    if (move.capture || !target.isEmpty()) {
        if (target.isEmpty()) {
            const bool pawnSideways = walkOf(piece) == u"P" && from.column != to.column;
            const Piece passed(board.at(from.row, to.column));
            enPassant = pawnSideways && walkOf(passed) == u"P";
            if (!enPassant) {
                played.error =
                    QStringLiteral("%1: nothing to capture on %2").arg(written, to.name());
                return played;
            }
        } else if (move.quiet && !target.isMarker()) {
            played.error = QStringLiteral("%1: %2 is not empty").arg(written, to.name());
            return played;
        }
    }

    played.from = from;
    played.to = to;
    played.after = board;
    Board& after = played.after;
    after.at(from.row, from.column) = 0;
    if (enPassant)
        after.at(from.row, to.column) = 0;
    after.at(to.row, to.column) = piece.code();
    if (!move.promotion.isEmpty()) {
        const auto code = promotedCode(piece, move.promotion, move.longForm);
        if (!code) {
            played.error =
                QStringLiteral("%1: no piece %2 to promote to").arg(written, move.promotion);
            return played;
        }
        after.at(to.row, to.column) = *code;
    }
    for (const QString& effect : move.effects) {
        QString why;
        if (!applyEffect(after, effect, why)) {
            played.error = QStringLiteral("%1: %2").arg(written, why);
            return played;
        }
    }
    return played;
}

} // namespace vexil
