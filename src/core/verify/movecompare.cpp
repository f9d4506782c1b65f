#include "verify/movecompare.h"

#include <QRegularExpression>

#include <optional>

namespace vexil {

namespace {

struct MoveKey {
    QString piece;     // "K", "S", "AL"; "P" for a pawn; "O-O"/"O-O-O" for castling
    QString to;        // destination square
    QString promotion; // promoted piece, when named
};

bool isFile(QChar c) { return c >= u'a' && c <= u'h'; }
bool isRank(QChar c) { return c >= u'1' && c <= u'8'; }

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

// One line's first move and how it is marked.
struct StoredLine {
    QString move;
    bool black = false; // "1...": set play, or the first move of help play starting with Black
    bool key = false;   // "!"
    bool tried = false; // "?"
};

std::optional<StoredLine> readStoredLine(const QString& text)
{
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    if (tokens.isEmpty() || !tokens[0].startsWith(u"1."))
        return std::nullopt;
    StoredLine line;
    QString first = tokens[0].mid(2);
    line.black = first.startsWith(u'.');
    while (first.startsWith(u'.'))
        first.remove(0, 1);
    qsizetype next = 1;
    if (first.isEmpty() && tokens.size() > 1)
        first = tokens[next++];
    // The marks written onto the move, then those standing apart behind it ("# !").
    QString marks;
    while (!first.isEmpty() && QStringView(u"!?").contains(first.back())) {
        marks += first.back();
        first.chop(1);
    }
    for (; next < tokens.size() && onlyMarks(tokens[next]); ++next)
        marks += tokens[next];
    if (first.isEmpty() || first.startsWith(u'.'))
        return std::nullopt;
    line.move = first;
    line.tried = marks.contains(u'?');
    line.key = marks.contains(u'!') && !line.tried;
    return line;
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

QStringList StoredKeys(const QStringList& storedSolution)
{
    struct Twin {
        QString key, first, black;
    };
    QList<Twin> twins{Twin{}};
    for (const QString& stored : storedSolution) {
        QString rest;
        // What stands before the first heading belongs to the first twin.
        const Twin& last = twins.last();
        const bool nothingYet = twins.size() == 1 && last.key.isEmpty() &&
                                last.first.isEmpty() && last.black.isEmpty();
        if (!StoredTwinLabel(stored, &rest).isEmpty() && !nothingYet)
            twins.append(Twin{});
        const std::optional<StoredLine> line = readStoredLine(rest);
        if (!line)
            continue;
        Twin& twin = twins.last();
        if (line->black) {
            if (twin.black.isEmpty())
                twin.black = line->move;
        } else if (line->key) {
            if (twin.key.isEmpty())
                twin.key = line->move;
        } else if (!line->tried && twin.first.isEmpty()) {
            twin.first = line->move;
        }
    }
    QStringList keys;
    for (const Twin& twin : std::as_const(twins)) {
        const QString key = !twin.key.isEmpty() ? twin.key : !twin.first.isEmpty() ? twin.first : twin.black;
        if (!key.isEmpty())
            keys.append(key);
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

MoveMatch CompareFirstMove(const QStringList& storedSolution, const QStringList& popeyeMoves)
{
    if (popeyeMoves.isEmpty())
        return MoveMatch::Unknown;
    bool read = false;
    for (const QString& stored : StoredKeys(storedSolution)) {
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
