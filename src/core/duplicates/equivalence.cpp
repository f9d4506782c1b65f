#include "duplicates/equivalence.h"

#include "model/piece.h"

#include <algorithm>
#include <array>

namespace vexil {
namespace {

constexpr quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct Tables {
    std::array<std::array<quint8, 64>, kTurnings> square{};  // where a square goes
    std::array<std::array<quint8, 64>, kTurnings> inverse{}; // where a square comes from
    std::array<quint64, 64> weight{};

    Tables()
    {
        for (int s = 0; s < 64; ++s) {
            const int r = s / 8, c = s % 8;
            const int to[8][2] = {{r, c}, {r, 7 - c},     {7 - r, c}, {7 - r, 7 - c},
                                  {c, r}, {7 - c, 7 - r}, {c, 7 - r}, {7 - c, r}};
            for (int g = 0; g < 8; ++g) {
                square[g][s] = quint8(to[g][0] * 8 + to[g][1]);
                // With colours swapped the ranks are exchanged first.
                const int flipped = (7 - r) * 8 + c;
                const int fr = flipped / 8, fc = flipped % 8;
                const int to2[8][2] = {{fr, fc}, {fr, 7 - fc},     {7 - fr, fc}, {7 - fr, 7 - fc},
                                       {fc, fr}, {7 - fc, 7 - fr}, {fc, 7 - fr}, {7 - fc, fr}};
                square[8 + g][s] = quint8(to2[g][0] * 8 + to2[g][1]);
            }
            weight[s] = mix(0x5EED0000ull + quint64(s));
        }
        for (int t = 0; t < kTurnings; ++t)
            for (int s = 0; s < 64; ++s)
                inverse[t][square[t][s]] = quint8(s);
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

quint64 mixedCodeWeight(PieceCode code)
{
    return mix(quint64(quint32(code)) * 0x100000001B3ull) | 1;
}

// Orthodox codes, asked for most, come from a table.
quint64 codeWeight(PieceCode code)
{
    static const auto small = [] {
        std::array<quint64, 32> table{};
        for (int c = 0; c < 32; ++c)
            table[c] = mixedCodeWeight(c);
        return table;
    }();
    return quint32(code) < 32 ? small[code] : mixedCodeWeight(code);
}

bool isPawn(PieceCode code)
{
    const Piece piece(code);
    if (piece.isOrthodox())
        return piece.base() <= 2;
    if (!piece.isFairy())
        return false;
    // Pawn, berolina pawn and superpawn, superpawn, chinese pawn, reverse pawn.
    switch (piece.kind()) {
    case 70:
    case 16:
    case 18:
    case 86:
    case 122:
    case 127:
        return true;
    default:
        return false;
    }
}

bool isKing(PieceCode code, bool white)
{
    return code == (white ? 11 : 12) || code == piece::make(white ? 17 : 18, 50, 0);
}

bool isRook(PieceCode code, bool white)
{
    return code == (white ? 3 : 4) || code == piece::make(white ? 17 : 18, 74, 0);
}

constexpr int kE1 = 60, kA1 = 56, kH1 = 63, kE8 = 4, kA8 = 0, kH8 = 7;

QString geometryText(int g)
{
    switch (g) {
    case 1:
        return QStringLiteral("mirrored");
    case 2:
        return QStringLiteral("mirrored top to bottom");
    case 3:
        return QStringLiteral("rotated by 180°");
    case 4:
        return QStringLiteral("mirrored on a8-h1");
    case 5:
        return QStringLiteral("mirrored on a1-h8");
    case 6:
        return QStringLiteral("rotated by 90°");
    case 7:
        return QStringLiteral("rotated by 270°");
    default:
        return {};
    }
}

// The turning's hashes over `mask` for the units, less unit `skip`.
void hashes(const Position& p, TurningMask mask, quint64* out, int skip = -1)
{
    const Tables& t = tables();
    std::fill(out, out + kTurnings, 0);
    for (int i = 0; i < p.count; ++i) {
        if (i == skip)
            continue;
        const auto& u = p.units[i];
        const quint64 plain = codeWeight(u.code);
        const quint64 swapped = codeWeight(TurnedCode(8, u.code));
        for (int k = 0; k < 8; ++k)
            if (mask & (1u << k))
                out[k] += t.weight[t.square[k][u.square]] * plain;
        for (int k = 8; k < kTurnings; ++k)
            if (mask & (1u << k))
                out[k] += t.weight[t.square[k][u.square]] * swapped;
    }
}

} // namespace

TurningMask LevelTurnings(Equivalence equivalence)
{
    switch (equivalence) {
    case Equivalence::Exact:
        return 0x1;
    case Equivalence::Mirror:
        return 0x3;
    case Equivalence::Symmetries:
        return 0xFF;
    case Equivalence::ColoursSwapped:
        return 0xFFFF;
    }
    return 0x1;
}

Position Position::of(const Board& board)
{
    Position p;
    for (int s = 0; s < 64; ++s) {
        const PieceCode code = board.at(s / 8, s % 8);
        if (Piece(code).isPiece())
            p.units[p.count++] = {quint8(s), code};
    }
    return p;
}

Board Position::board() const
{
    Board b;
    for (int i = 0; i < count; ++i)
        b.at(units[i].square / 8, units[i].square % 8) = units[i].code;
    return b;
}

bool SymmetriesKeepProblem(const Position& position, int skip)
{
    std::array<PieceCode, 64> at{};
    for (int i = 0; i < position.count; ++i) {
        if (i == skip)
            continue;
        if (isPawn(position.units[i].code))
            return false;
        at[position.units[i].square] = position.units[i].code;
    }
    // A king and rook on their first squares could castle, in whichever symmetry shows them so.
    const Tables& t = tables();
    for (int g = 0; g < 8; ++g) {
        const auto& from = t.inverse[g];
        if (isKing(at[from[kE1]], true) &&
            (isRook(at[from[kA1]], true) || isRook(at[from[kH1]], true)))
            return false;
        if (isKing(at[from[kE8]], false) &&
            (isRook(at[from[kA8]], false) || isRook(at[from[kH8]], false)))
            return false;
    }
    return true;
}

TurningMask AllowedTurnings(Equivalence equivalence, const Position& position, int skip)
{
    TurningMask mask = LevelTurnings(equivalence);
    if (equivalence >= Equivalence::Symmetries && !SymmetriesKeepProblem(position, skip))
        mask &= 0x0303; // the mirror, and after swapping colours the same two
    return mask;
}

PieceCode TurnedCode(int turning, PieceCode code)
{
    if (turning < 8)
        return code;
    const Piece piece(code);
    return piece.isWhite() ? code + 1 : piece.isBlack() ? code - 1 : code;
}

int TurnedSquare(int turning, int square)
{
    return tables().square[turning][square];
}

Board Turned(int turning, const Board& board)
{
    Board result;
    for (int s = 0; s < 64; ++s) {
        const int to = TurnedSquare(turning, s);
        result.at(to / 8, to % 8) = TurnedCode(turning, board.at(s / 8, s % 8));
    }
    return result;
}

std::optional<int> EquivalentBy(const Position& shown, const Position& other,
                                Equivalence equivalence)
{
    if (shown.count != other.count)
        return std::nullopt;
    const Board target = shown.board();
    const Board board = other.board();
    const TurningMask mask = AllowedTurnings(equivalence, shown);
    // The rule that allows turnings must see the same for both, or the relation would not
    // be symmetric; it does, being the same over every symmetry and colour swap.
    if (mask != AllowedTurnings(equivalence, other))
        return std::nullopt;
    for (int t = 0; t < kTurnings; ++t)
        if ((mask & (1u << t)) && Turned(t, board) == target)
            return t;
    return std::nullopt;
}

std::optional<UnitDifference> OneUnitAway(const Position& shown, const Position& other,
                                          Equivalence equivalence)
{
    if (qAbs(shown.count - other.count) > 1)
        return std::nullopt;
    const Board target = shown.board();
    const Board board = other.board();
    const TurningMask level = LevelTurnings(equivalence);
    for (int t = 0; t < kTurnings; ++t) {
        if (!(level & (1u << t)))
            continue;
        const Board turned = Turned(t, board);
        int diff[3];
        int n = 0;
        for (int s = 0; s < 64 && n < 3; ++s)
            if (turned.at(s / 8, s % 8) != target.at(s / 8, s % 8))
                diff[n++] = s;
        auto at = [](const Board& b, int s) { return b.at(s / 8, s % 8); };
        UnitDifference d;
        d.turning = t;
        if (n == 1 && at(turned, diff[0]) == 0) {
            d.kind = UnitDifference::Kind::Removed;
            d.code = at(target, diff[0]);
            d.from = diff[0];
        } else if (n == 1 && at(target, diff[0]) == 0) {
            d.kind = UnitDifference::Kind::Added;
            d.code = at(turned, diff[0]);
            d.to = diff[0];
        } else if (n == 2) {
            int from = diff[0], to = diff[1];
            if (at(target, from) == 0)
                std::swap(from, to);
            if (at(target, to) != 0 || at(turned, from) != 0 || at(target, from) != at(turned, to))
                continue;
            d.kind = UnitDifference::Kind::Moved;
            d.code = at(target, from);
            d.from = from;
            d.to = to;
        } else {
            continue;
        }
        // The turning must keep the part the two have in common the same problem.
        Position common = shown;
        if (d.from >= 0) {
            common.count = 0;
            for (int i = 0; i < shown.count; ++i)
                if (shown.units[i].square != d.from)
                    common.units[common.count++] = shown.units[i];
        }
        if (common.count == 0 || !(AllowedTurnings(equivalence, common) & (1u << t)))
            continue;
        return d;
    }
    return std::nullopt;
}

quint64 PositionKey(const Position& position, Equivalence equivalence)
{
    const TurningMask mask = AllowedTurnings(equivalence, position);
    quint64 h[kTurnings];
    hashes(position, mask, h);
    quint64 key = ~quint64(0);
    for (int t = 0; t < kTurnings; ++t)
        if (mask & (1u << t))
            key = std::min(key, h[t]);
    return mix(key);
}

void NearKeys(const Position& position, Equivalence equivalence, NearKey* keys)
{
    const Tables& tab = tables();
    const TurningMask level = LevelTurnings(equivalence);
    quint64 h[kTurnings];
    hashes(position, level, h);
    // Only a pawn, king or rook taken away can change which turnings are allowed.
    const TurningMask whole = AllowedTurnings(equivalence, position);
    for (int i = 0; i < position.count; ++i) {
        const auto& u = position.units[i];
        const bool directing = equivalence >= Equivalence::Symmetries &&
                               (isPawn(u.code) || isKing(u.code, true) || isKing(u.code, false) ||
                                isRook(u.code, true) || isRook(u.code, false));
        const TurningMask mask = directing ? AllowedTurnings(equivalence, position, i) : whole;
        const quint64 plain = codeWeight(u.code);
        const quint64 swapped = codeWeight(TurnedCode(8, u.code));
        quint64 best = ~quint64(0);
        PieceCode tag = 0;
        for (int t = 0; t < kTurnings; ++t) {
            if (!(mask & (1u << t)))
                continue;
            const quint64 value =
                h[t] - tab.weight[tab.square[t][u.square]] * (t < 8 ? plain : swapped);
            const PieceCode code = TurnedCode(t, u.code);
            if (value < best || (value == best && code < tag)) {
                best = value;
                tag = code;
            }
        }
        keys[i].reduced = mix(best);
        keys[i].moved = mix(best ^ mix(quint64(quint32(tag)) + 0xA11CE));
    }
}

quint64 UnitHash(int square, PieceCode code)
{
    return tables().weight[square] * codeWeight(code);
}

quint64 PositionHash(const Position& position)
{
    quint64 h = 0;
    for (int i = 0; i < position.count; ++i)
        h += UnitHash(position.units[i].square, position.units[i].code);
    return h;
}

void TurnedHashes(const Position& position, TurningMask mask, quint64* out)
{
    hashes(position, mask, out);
}

QString UnitText(PieceCode code, int square)
{
    const Piece piece(code);
    QString text = piece.isNeutral() ? QStringLiteral("n")
                   : piece.isWhite() ? QStringLiteral("w")
                                     : QStringLiteral("b");
    if (piece.isFairy())
        text += SpecificationLetter(piece.specification());
    const QString letter = piece.letter();
    text += letter.isEmpty() ? QStringLiteral("?") : letter;
    text += QChar(u'a' + square % 8);
    text += QChar(u'8' - square / 8);
    return text;
}

QString TurningText(int turning)
{
    if (turning == 0)
        return {};
    // The text tells how the shown position becomes the other, the turning's inverse.
    const Tables& t = tables();
    const auto& back = t.inverse[turning];
    const int base = turning < 8 ? 0 : 8;
    for (int g = 0; g < 8; ++g) {
        if (t.square[base + g] != back)
            continue;
        const QString geometry = geometryText(g);
        if (base == 0)
            return geometry;
        return geometry.isEmpty() ? QStringLiteral("colours swapped")
                                  : QStringLiteral("colours swapped, ") + geometry;
    }
    return {};
}

QString DifferenceText(const UnitDifference& d)
{
    QString unit;
    switch (d.kind) {
    case UnitDifference::Kind::Removed:
        unit = UnitText(d.code, d.from) + " removed";
        break;
    case UnitDifference::Kind::Added:
        unit = UnitText(d.code, d.to) + " added";
        break;
    case UnitDifference::Kind::Moved: {
        const QString to = UnitText(d.code, d.to).right(2);
        unit = UnitText(d.code, d.from) + " on " + to + " instead of " +
               UnitText(d.code, d.from).right(2);
        break;
    }
    }
    const QString turning = TurningText(d.turning);
    return turning.isEmpty() ? unit : turning + ", " + unit;
}

} // namespace vexil
