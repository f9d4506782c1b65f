#include "interchange/position.h"

#include "interchange/piecenames.h"
#include "model/fairytext.h"
#include "model/piece.h"
#include "model/piecename.h"

namespace vexil {
namespace {

QString ordinalRank(int square)
{
    return QString::number(8 - square / 8);
}

// The placement of a board, rank 8 first, "/" between ranks and runs of empty squares as
// numbers; `name` gives each square's text, empty for a square left empty.
template <class Name> QString placementText(const Board& board, Name name)
{
    QString text;
    for (int r = 0; r < 8; ++r) {
        if (r > 0)
            text += QLatin1Char('/');
        int empty = 0;
        for (int c = 0; c < 8; ++c) {
            const QString piece = name(board.at(r, c), r, c);
            if (piece.isEmpty()) {
                ++empty;
                continue;
            }
            if (empty > 0)
                text += QString::number(empty);
            empty = 0;
            text += piece;
        }
        if (empty > 0)
            text += QString::number(empty);
    }
    return text;
}

// Reads the placement square by square; `square` counts from a8 (0) to h1 (63).
class PlacementReader {
public:
    PlacementReader(QStringView text, PositionNotation notation)
        : m_text(text), m_notation(notation)
    {
    }

    ParsedPosition read()
    {
        ParsedPosition result;
        result.notation = m_notation;
        while (m_at < m_text.size() && result.error.isEmpty())
            result.error = step(result.board);
        if (result.error.isEmpty() && m_square != 64)
            result.error =
                m_square < 64
                    ? QStringLiteral("The position has only %1 of 64 squares.").arg(m_square)
                    : QStringLiteral("The position has more than 64 squares.");
        if (!result.error.isEmpty())
            result.board = Board();
        return result;
    }

private:
    QString put(Board& board, names::Side side, int kind, const QString& what)
    {
        if (kind == 0)
            return QStringLiteral("%1 is no piece Vexil knows.").arg(what);
        if (m_square >= 64)
            return QStringLiteral("The position has more than 64 squares.");
        if (m_rowSeparators && m_square % 8 == 0 && m_square > 0 && !m_sawSeparator)
            return QStringLiteral("Rank %1 has more than 8 squares.")
                .arg(ordinalRank(m_square - 1));
        m_sawSeparator = false;
        board.at(m_square / 8, m_square % 8) = names::CodeOf(side, kind, 0);
        ++m_square;
        return {};
    }

    names::Side sideOf(QChar c) const
    {
        if (m_neutral)
            return names::Side::Neutral;
        // A walk that starts with a digit ("15") has no case; it is white.
        return c.isLower() ? names::Side::Black : names::Side::White;
    }

    QString step(Board& board)
    {
        const QChar c = m_text[m_at];
        if (c.isDigit()) {
            qsizetype end = m_at;
            const int digits = m_notation == PositionNotation::Forsyth ? 3 : 1;
            while (end < m_text.size() && m_text[end].isDigit() && end - m_at < digits)
                ++end;
            const int run = m_text.sliced(m_at, end - m_at).toInt();
            if (m_notation != PositionNotation::Forsyth && (end - m_at > 1 || run < 1 || run > 8))
                return QStringLiteral("%1 is no number of empty squares.")
                    .arg(m_text.sliced(m_at, end - m_at));
            if (run < 1)
                return QStringLiteral("0 is no number of empty squares.");
            if (m_neutral)
                return QStringLiteral("A neutral mark stands before empty squares.");
            if (m_rowSeparators && m_square % 8 == 0 && m_square > 0 && !m_sawSeparator)
                return QStringLiteral("Rank %1 has more than 8 squares.")
                    .arg(ordinalRank(m_square - 1));
            if (m_rowSeparators && (m_square % 8) + run > 8)
                return QStringLiteral("Rank %1 has more than 8 squares.")
                    .arg(ordinalRank(m_square));
            m_square += run;
            m_sawSeparator = false;
            m_at = end;
            return m_square > 64 ? QStringLiteral("The position has more than 64 squares.")
                                 : QString();
        }
        if (c == QLatin1Char('/')) {
            if (m_square % 8 != 0 || m_square == 0 || m_sawSeparator)
                return QStringLiteral("Rank %1 does not have 8 squares.")
                    .arg(ordinalRank(qMax(0, m_square - 1)));
            m_sawSeparator = true;
            ++m_at;
            return {};
        }
        const bool fen = m_notation != PositionNotation::Forsyth;
        if ((c == QLatin1Char('=') ||
             (c == QLatin1Char('-') && m_notation == PositionNotation::FairyFen)) &&
            m_notation != PositionNotation::Fen) {
            if (m_neutral)
                return QStringLiteral("Two neutral marks stand together.");
            m_neutral = true;
            ++m_at;
            return {};
        }
        QString error;
        if (m_notation == PositionNotation::Forsyth && c == QLatin1Char('.')) {
            if (m_at + 2 >= m_text.size())
                return QStringLiteral("A period stands without a two-letter piece after it.");
            const QStringView walk = m_text.sliced(m_at + 1, 2);
            error = put(board, sideOf(walk[0]), names::KindOfWalk(walk),
                        QStringLiteral("\".%1\"").arg(walk));
            m_at += 3;
        } else if (m_notation == PositionNotation::FairyFen &&
                   (c == QLatin1Char('(') || c == QLatin1Char('{'))) {
            const QChar close = c == QLatin1Char('(') ? QLatin1Char(')') : QLatin1Char('}');
            const qsizetype end = m_text.indexOf(close, m_at + 1);
            if (end < 0)
                return QStringLiteral("A \"%1\" is not closed.").arg(c);
            const QStringView walk = m_text.sliced(m_at + 1, end - m_at - 1).trimmed();
            if (walk.isEmpty())
                return QStringLiteral("Empty brackets stand in the position.");
            error = put(board, sideOf(walk[0]), names::KindOfWalk(walk),
                        QStringLiteral("\"%1\"").arg(m_text.sliced(m_at, end - m_at + 1)));
            m_at = end + 1;
        } else if (m_notation == PositionNotation::FairyFen && c == QLatin1Char('*')) {
            if (m_at + 2 >= m_text.size() || m_text[m_at + 1] != QLatin1Char('2'))
                return QStringLiteral("Only pieces turned by 180 degrees (\"*2\") are known.");
            const QChar letter = m_text[m_at + 2];
            const QChar upper = letter.toUpper();
            const int kind = upper == QLatin1Char('Q') ? 40 : upper == QLatin1Char('N') ? 62 : 0;
            error = put(board, sideOf(letter), kind, QStringLiteral("\"*2%1\"").arg(letter));
            m_at += 3;
        } else if (c.isLetter() && c.unicode() < 0x80) {
            int kind = 0;
            if (fen) {
                static const QString fenLetters = QStringLiteral("PRNBQK");
                static const int kinds[] = {70, 74, 83, 12, 73, 50};
                const qsizetype i = fenLetters.indexOf(c.toUpper());
                kind = i >= 0 ? kinds[i] : 0;
            } else {
                kind = names::KindOfWalk(QStringView(&c, 1));
            }
            error = put(board, sideOf(c), kind, QStringLiteral("\"%1\"").arg(c));
            ++m_at;
        } else {
            return QStringLiteral("\"%1\" has no place in a position.").arg(c);
        }
        m_neutral = false;
        return error;
    }

    QStringView m_text;
    PositionNotation m_notation;
    qsizetype m_at = 0;
    int m_square = 0;
    bool m_neutral = false;
    bool m_sawSeparator = false;
    // FEN and Fairy-FEN need "/" between ranks; Popeye's Forsyth may leave them out.
    bool m_rowSeparators = true;

public:
    void allowRunningRows() { m_rowSeparators = false; }
};

bool hasKeyword(QStringView line, QStringView& rest)
{
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    const QStringView first = blank < 0 ? line : line.first(blank);
    if (first.size() >= 4 && QStringLiteral("forsyth").startsWith(first, Qt::CaseInsensitive)) {
        rest = blank < 0 ? QStringView() : line.sliced(blank + 1).trimmed();
        return true;
    }
    return false;
}

} // namespace

ParsedPosition ParsePosition(QStringView placement, PositionNotation notation)
{
    PlacementReader reader(placement, notation);
    if (notation == PositionNotation::Forsyth && !placement.contains(QLatin1Char('/')))
        reader.allowRunningRows();
    return reader.read();
}

ParsedPosition ParsePositionLine(QStringView line)
{
    line = line.trimmed();
    if (line.isEmpty())
        return {Board(), PositionNotation::Fen,
                QStringLiteral("The text is empty; it holds no position.")};
    QStringView rest;
    if (hasKeyword(line, rest)) {
        if (rest.isEmpty())
            return {Board(), PositionNotation::Forsyth,
                    QStringLiteral("\"Forsyth\" stands without a position after it.")};
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        return ParsePosition(blank < 0 ? rest : rest.first(blank), PositionNotation::Forsyth);
    }
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    const QStringView placement = blank < 0 ? line : line.first(blank);
    // Which notation: brackets and turned pieces are Fairy-FEN; a period, or letters that
    // are no FEN piece (S, G, Z, ...), are Popeye's; the rest is FEN.
    bool fairyFen = false, forsyth = false;
    for (QChar c : placement) {
        if (c == QLatin1Char('(') || c == QLatin1Char('{') || c == QLatin1Char('*') ||
            c == QLatin1Char('-'))
            fairyFen = true;
        else if (c == QLatin1Char('.'))
            forsyth = true;
    }
    if (!fairyFen && !forsyth) {
        for (QChar c : placement)
            if (c.isLetter() && !QStringLiteral("PRNBQK").contains(c.toUpper()))
                forsyth = true;
    }
    PositionNotation notation = PositionNotation::Fen;
    if (fairyFen)
        notation = PositionNotation::FairyFen;
    else if (forsyth)
        notation = PositionNotation::Forsyth;
    else if (placement.contains(QLatin1Char('=')))
        notation = PositionNotation::FairyFen;
    ParsedPosition result = ParsePosition(placement, notation);
    if (!result.ok() && placement.size() < 8 && !placement.contains(QLatin1Char('/')))
        result.error = QStringLiteral("The text holds no position.");
    return result;
}

QString ForsythOf(const Board& board, QStringList* notHeld)
{
    return placementText(board, [&](PieceCode code, int r, int c) {
        const Piece p(code);
        QString name;
        if (p.isPiece() && p.isKnown()) {
            name = names::WalkOf(code);
            if (p.isFairy() && p.specification() > 0 && notHeld)
                *notHeld
                    << QStringLiteral("the specification of %1").arg(names::Describe(code, r, c));
            if (name.size() == 2)
                name.prepend(QLatin1Char('.'));
            if (names::SideOf(code) == names::Side::Black && !name.back().isLetter() &&
                !name[name.size() - 2].isLetter() && notHeld)
                *notHeld << QStringLiteral("the colour of %1").arg(names::Describe(code, r, c));
            switch (names::SideOf(code)) {
            case names::Side::Black:
                name = name.toLower();
                break;
            case names::Side::Neutral:
                name.prepend(QLatin1Char('='));
                break;
            case names::Side::White:
                break;
            }
        } else if (code != 0 && notHeld) {
            *notHeld << names::Describe(code, r, c);
        }
        return name;
    });
}

namespace {

// The Fairy-FEN of one piece; empty for what it cannot hold.
QString fairyFenPiece(PieceCode code)
{
    const Piece p(code);
    if (!p.isPiece() || !p.isKnown())
        return {};
    const names::Side side = names::SideOf(code);
    QString name;
    if (const QChar letter = FenLetter(p); !letter.isNull()) {
        name = letter.toUpper();
    } else {
        const QString walk = names::WalkOf(code);
        if (walk.isEmpty())
            return {};
        const int kind = names::KindOfWalk(walk);
        if (kind == names::KindOfWalk(u"G"))
            name = QStringLiteral("*2Q");
        else if (kind == names::KindOfWalk(u"N"))
            name = QStringLiteral("*2N");
        else if (walk.size() == 1 && QStringLiteral("PRBQK").contains(walk))
            name = walk;
        else if (walk == QLatin1String("S"))
            name = QStringLiteral("N");
        else
            name = QLatin1Char('(') + walk + QLatin1Char(')');
    }
    switch (side) {
    case names::Side::Black:
        return name.toLower();
    case names::Side::Neutral:
        return QLatin1Char('-') + name;
    case names::Side::White:
        return name;
    }
    return name;
}

bool noCastlingSaid(const QString& condition, const QStringList& twins)
{
    static const QString word = QStringLiteral("nocastling");
    if (condition.contains(word, Qt::CaseInsensitive))
        return true;
    for (const QString& twin : twins)
        if (twin.contains(word, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

QString FairyFenOf(const Board& board, QStringList* notHeld)
{
    return placementText(board, [&](PieceCode code, int r, int c) {
        const QString name = fairyFenPiece(code);
        if (notHeld && code != 0) {
            if (name.isEmpty())
                *notHeld << names::Describe(code, r, c);
            else if (names::SideOf(code) == names::Side::Black && !name.back().isLetter() &&
                     name.size() > 1 && !name[name.size() - 2].isLetter())
                // A walk of digits has no letter case to say that it is black.
                *notHeld << QStringLiteral("the colour of %1").arg(names::Describe(code, r, c));
            else if (Piece(code).isFairy() && Piece(code).specification() > 0)
                *notHeld
                    << QStringLiteral("the specification of %1").arg(names::Describe(code, r, c));
        }
        return name;
    });
}

bool FenLeavesOutUnits(const Board& board)
{
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            if (board.at(r, c) != 0 && FenLetter(Piece(board.at(r, c))).isNull())
                return true;
    return false;
}

FenOptions ConventionalCastling(const Board& board, const QString& condition,
                                const QStringList& twins)
{
    FenOptions options;
    if (noCastlingSaid(condition, twins))
        return options;
    // Rows count from the eighth rank: white's back rank is row 7.
    auto on = [&](int row, int column, QChar letter) {
        return FenLetter(Piece(board.at(row, column))) == letter;
    };
    const bool whiteKing = on(7, 4, QLatin1Char('K'));
    const bool blackKing = on(0, 4, QLatin1Char('k'));
    options.whiteShort = whiteKing && on(7, 7, QLatin1Char('R'));
    options.whiteLong = whiteKing && on(7, 0, QLatin1Char('R'));
    options.blackShort = blackKing && on(0, 7, QLatin1Char('r'));
    options.blackLong = blackKing && on(0, 0, QLatin1Char('r'));
    return options;
}

QString ClipboardPosition(const Board& board, const QString& condition, const QStringList& twins,
                          bool* fairy)
{
    const FenOptions options = ConventionalCastling(board, condition, twins);
    const bool leavesOut = FenLeavesOutUnits(board);
    if (fairy)
        *fairy = leavesOut;
    const QString fen = BuildFenLine(board, options);
    if (!leavesOut)
        return fen;
    // The same fields behind a placement that holds every unit.
    return FairyFenOf(board) + fen.mid(fen.indexOf(QLatin1Char(' ')));
}

QStringList FenFieldsNotHeld(QStringView line, const Board& board)
{
    const QList<QStringView> fields = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList lost;
    if (fields.size() >= 3) {
        const FenOptions conventional = ConventionalCastling(board, QString(), {});
        const QString expected =
            BuildFenLine(Board(), conventional).section(QLatin1Char(' '), 2, 2);
        if (fields[2] != expected)
            lost << QStringLiteral("castling rights %1 (a collection item has %2)")
                        .arg(fields[2].toString(), expected);
    }
    if (fields.size() >= 4 && fields[3] != QLatin1String("-"))
        lost << QStringLiteral("en passant square %1").arg(fields[3].toString());
    return lost;
}

} // namespace vexil
