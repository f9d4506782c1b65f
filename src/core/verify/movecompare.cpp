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

// "N" is the knight in English; Popeye writes "S" for the knight and "N" for the nightrider.
bool samePiece(const QString& stored, const QString& popeye)
{
    return stored == popeye || (stored == u"N" && popeye == u"S");
}

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

QString StoredFirstMove(const QStringList& storedSolution)
{
    static const QRegularExpression labelled(QStringLiteral("^[a-z]{1,2}\\)\\s*"));
    for (const QString& stored : storedSolution) {
        QString line = stored.trimmed();
        line.remove(labelled);
        if (!line.startsWith(u"1."))
            continue;
        line.remove(0, 2);
        while (line.startsWith(u'.'))
            line.remove(0, 1);
        line = line.trimmed();
        const QString move = line.section(u' ', 0, 0);
        return move.startsWith(u'.') ? QString() : move;
    }
    return QString();
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
    const QString stored = StoredFirstMove(storedSolution);
    if (stored.isEmpty() || popeyeMoves.isEmpty() || !readMove(stored))
        return MoveMatch::Unknown;
    for (const QString& move : popeyeMoves)
        if (CompareMoves(stored, move) == MoveMatch::Yes)
            return MoveMatch::Yes;
    return MoveMatch::No;
}

} // namespace vexil
