#include "verify/movecompare.h"

#include "solution/solution.h"

#include <QRegularExpression>

#include <algorithm>

#include <optional>

namespace vexil {

namespace {

struct MoveKey {
    QString piece;     // "K", "S", "AL"; "P" for a pawn; "O-O"/"O-O-O" for castling
    QString to;        // destination square
    QString promotion; // promoted piece, when named
};

bool isFile(QChar c)
{
    return c >= u'a' && c <= u'h';
}
bool isRank(QChar c)
{
    return c >= u'1' && c <= u'8';
}

std::optional<MoveKey> readMove(QStringView text)
{
    QString move = text.trimmed().toString();
    if (move.startsWith(u"1."))
        move.remove(0, 2);
    while (move.startsWith(u'.'))
        move.remove(0, 1);
    // Circe rebirths, imitator places and the like follow in brackets.
    for (QChar bracket : {u'[', u'(', u'{', u' '}) {
        const qsizetype at = move.indexOf(bracket);
        if (at >= 0)
            move.truncate(at);
    }
    while (!move.isEmpty() && QStringLiteral("!?+#.").contains(move.back()))
        move.chop(1);
    QString letters = move;
    letters.replace(u'0', u'O');
    if (letters == u"O-O" || letters == u"O-O-O")
        return MoveKey{letters, QString(), QString()};

    // A neutral piece: "nQh1-h5".
    if (move.size() > 1 && move[0] == u'n' && move[1].isUpper())
        move.remove(0, 1);
    qsizetype at = 0;
    while (at < move.size() && (move[at].isUpper() || move[at].isDigit()))
        ++at;
    MoveKey key;
    key.piece = at == 0 ? QStringLiteral("P") : move.left(at);
    // The destination is the last square; what follows it may name a promotion.
    qsizetype square = -1;
    for (qsizetype i = at; i + 1 < move.size(); ++i)
        if (isFile(move[i]) && isRank(move[i + 1]))
            square = i;
    if (square < 0)
        return std::nullopt;
    key.to = move.mid(square, 2);
    QString rest = move.mid(square + 2);
    if (rest.startsWith(u'=') || rest.startsWith(u'/'))
        rest.remove(0, 1);
    qsizetype end = 0;
    while (end < rest.size() && (rest[end].isUpper() || rest[end].isDigit()))
        ++end;
    key.promotion = rest.left(end);
    return key;
}

// "N" is the knight in English; Popeye writes "S" for the knight and "N" for the nightrider,
// and a stored "N" may be either.
bool samePiece(const QString& stored, const QString& popeye)
{
    return stored == popeye || (stored == u"N" && popeye == u"S");
}

bool onlyMarks(QStringView token)
{
    for (QChar c : token)
        if (!QStringView(u"!?#+=").contains(c))
            return false;
    return !token.isEmpty();
}

// A move as written, without its number: "1...Kh8-g8" is "Kh8-g8".
QString withoutNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\d+\\.+\\s*"));
    QString move = text;
    move.remove(number);
    return move;
}

} // namespace

QString StoredTwinLabel(const QString& line, QString* rest)
{
    static const QRegularExpression heading(QStringLiteral("^\\+?([a-z]{1,2})\\)(?:\\s+|$)"));
    const QString trimmed = line.trimmed();
    const QRegularExpressionMatch match = heading.match(trimmed);
    if (rest)
        *rest = match.hasMatch() ? trimmed.mid(match.capturedLength()) : trimmed;
    return match.hasMatch() ? match.captured(1) : QString();
}

namespace {

} // namespace

QString MoveMatchText(MoveMatch match)
{
    switch (match) {
    case MoveMatch::Yes:
        return QStringLiteral("yes");
    case MoveMatch::No:
        return QStringLiteral("no");
    case MoveMatch::Unknown:
        break;
    }
    return QStringLiteral("?");
}

QStringList StoredKeys(const QStringList& storedSolution, const QList<Twin>& positions)
{
    const Solution solution = ReadSolution(storedSolution, positions);
    QStringList keys;
    for (int twin = 0; twin < solution.twins.size(); ++twin) {
        QString marked, first, black;
        bool tried = false;
        for (const SolutionLine& line : solution.lines) {
            if (line.twin != twin || line.moves.isEmpty())
                continue;
            const SolutionMove& move = line.moves.first();
            if (line.role == LineRole::SetPlay) {
                if (black.isEmpty())
                    black = move.text;
                continue;
            }
            if (line.role != LineRole::Key && line.role != LineRole::Try &&
                line.role != LineRole::Solution)
                continue;
            // A move that could not be played keeps the marks standing apart behind it
            // ("1.Rb3-g3 ! threat:") unread.
            QString marks = move.notation.marks;
            for (const QString& token :
                 line.text.mid(move.start + move.text.size()).split(u' ', Qt::SkipEmptyParts)) {
                if (!onlyMarks(token))
                    break;
                marks += token;
            }
            if (marks.contains(u'?')) {
                tried = true;
                continue;
            }
            if (marks.contains(u'!') && marked.isEmpty())
                marked = move.text;
            if (first.isEmpty())
                first = move.text;
        }
        // Help play read without its stipulation starts with Black, as set play does.
        const QString key = !marked.isEmpty()  ? marked
                            : !first.isEmpty() ? first
                            : tried            ? QString()
                                               : black;
        if (!key.isEmpty())
            keys.append(withoutNumber(key));
    }
    return keys;
}

QString StoredFirstMove(const QStringList& storedSolution)
{
    return StoredKeys(storedSolution).value(0);
}

MoveMatch CompareMoves(QStringView stored, QStringView popeye)
{
    const std::optional<MoveKey> mine = readMove(stored);
    const std::optional<MoveKey> theirs = readMove(popeye);
    if (!mine || !theirs)
        return MoveMatch::Unknown;
    const bool same = samePiece(mine->piece, theirs->piece) && mine->to == theirs->to &&
                      (mine->promotion.isEmpty() || mine->promotion == theirs->promotion);
    return same ? MoveMatch::Yes : MoveMatch::No;
}

MoveMatch CompareFirstMove(const QStringList& storedSolution, const QStringList& popeyeMoves,
                           const QList<Twin>& positions)
{
    if (popeyeMoves.isEmpty())
        return MoveMatch::Unknown;
    bool read = false;
    for (const QString& stored : StoredKeys(storedSolution, positions)) {
        if (!readMove(stored))
            continue;
        read = true;
        bool found = false;
        for (const QString& move : popeyeMoves)
            found = found || CompareMoves(stored, move) == MoveMatch::Yes;
        if (!found)
            return MoveMatch::No;
    }
    return read ? MoveMatch::Yes : MoveMatch::Unknown;
}

} // namespace vexil
