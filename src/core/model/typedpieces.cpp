#include "model/typedpieces.h"

#include "model/piece.h"

#include <QHash>

#include <optional>

namespace vexil {
namespace {

struct Word {
    qsizetype start = 0;
    QStringView text;
};

QList<Word> wordsOf(QStringView line)
{
    QList<Word> words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool separator = i == line.size() || line[i].isSpace() || line[i] == QLatin1Char(',');
        if (!separator && start < 0)
            start = i;
        if (separator && start >= 0) {
            words.append({start, line.mid(start, i - start)});
            start = -1;
        }
    }
    return words;
}

// Specification rows by name, kind rows by code, both in upper case.
int specificationNamed(QStringView word)
{
    for (int s = 1; s < piece::kSpecificationCount; ++s)
        if (word.compare(SpecificationName(s), Qt::CaseInsensitive) == 0)
            return s;
    return 0;
}

int kindNamed(const QString& name)
{
    static const QHash<QString, int> kinds = [] {
        QHash<QString, int> table;
        for (int kind = 1; kind <= piece::kKindCount; ++kind)
            if (!table.contains(KindCode(kind)))
                table.insert(KindCode(kind), kind);
        return table;
    }();
    return kinds.value(name, 0);
}

// The base of an orthodox piece, grasshopper or nightrider named by its letter, or 0.
int builtInBase(const QString& name, bool black)
{
    if (name.size() != 1)
        return 0;
    const char* letters = PieceLetters;
    for (int base = 1; letters[base] != '\0'; base += 2)
        if (QLatin1Char(letters[base]) == name[0])
            return base + (black ? 1 : 0);
    return 0;
}

struct Parsed {
    std::optional<TypedPiece> piece;
    QString reason;
};

bool isSide(QChar c)
{
    c = c.toLower();
    return c == QLatin1Char('w') || c == QLatin1Char('b') || c == QLatin1Char('n');
}

// The side named by a word of its own, as Popeye's piece lists write it ("White Kf6 Qa1"), or
// a null character.
QChar sideWord(QStringView word)
{
    for (const char* name : {"white", "black", "neutral"})
        if (word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QLatin1Char(name[0]);
    return {};
}

// `word` is the piece's name and square; `side` is w, b or n.
Parsed parsePiece(QChar side, QStringView word, int specification)
{
    side = side.toLower();
    if (word.size() < 2)
        return {std::nullopt, QStringLiteral("a piece ends in its square, a1 to h8")};
    const QChar file = word[word.size() - 2].toLower();
    const QChar rank = word[word.size() - 1];
    if (file < QLatin1Char('a') || file > QLatin1Char('h') || rank < QLatin1Char('1') ||
        rank > QLatin1Char('8'))
        return {std::nullopt, QStringLiteral("a piece ends in its square, a1 to h8")};
    const QString name = word.first(word.size() - 2).toString().toUpper();
    if (name.isEmpty())
        return {std::nullopt, QStringLiteral("the piece is missing between side and square")};

    TypedPiece typed;
    typed.column = file.unicode() - 'a';
    typed.row = '8' - rank.unicode();
    const bool black = side == QLatin1Char('b');
    if (side != QLatin1Char('n') && specification == 0)
        typed.code = builtInBase(name, black);
    if (typed.code == 0) {
        const int kind = kindNamed(name);
        if (kind == 0)
            return {std::nullopt, QStringLiteral("no piece is called %1").arg(name)};
        const int base = side == QLatin1Char('n') ? piece::kFairyNeutral
                         : black                  ? piece::kFairyBlack
                                                  : piece::kFairyWhite;
        typed.code = piece::make(base, kind, specification);
    }
    return {typed, QString()};
}

} // namespace

TypedPieces ParseTypedPieces(QStringView line)
{
    TypedPieces result;
    const QList<Word> words = wordsOf(line);
    std::optional<Word> pending; // a specification waiting for its piece
    int specification = 0;
    // The side the pieces without one of their own take: set by a side word ("White"), for
    // the pieces after it, or by the side letter of the last piece ("wKf6 Qa1").
    QChar side;
    auto refuse = [&](const Word& word, const QString& reason) {
        result.errors.append({word.start, word.text.size(), reason});
    };
    for (const Word& word : words) {
        if (const int named = specificationNamed(word.text)) {
            if (pending)
                refuse(*pending, QStringLiteral("one specification per piece"));
            pending = word;
            specification = named;
            continue;
        }
        if (const QChar named = sideWord(word.text); !named.isNull()) {
            if (pending)
                refuse(*pending, QStringLiteral("a specification needs a piece after it"));
            pending.reset();
            specification = 0;
            side = named;
            continue;
        }
        // With its own side letter where the word reads so ("bKh8"), else with the side in
        // force ("Bh7" after "White" is a white bishop).
        const bool ownSide = isSide(word.text[0]);
        Parsed parsed =
            ownSide ? parsePiece(word.text[0], word.text.mid(1), specification)
                    : Parsed{std::nullopt, QStringLiteral("neither a specification nor a piece: "
                                                          "a piece begins with w, b or n for its "
                                                          "side")};
        if (parsed.piece) {
            side = word.text[0];
        } else if (!side.isNull()) {
            Parsed carried = parsePiece(side, word.text, specification);
            if (carried.piece || !ownSide)
                parsed = carried;
        }
        if (parsed.piece)
            result.pieces.append(*parsed.piece);
        else
            refuse(word, parsed.reason);
        pending.reset();
        specification = 0;
    }
    if (pending)
        refuse(*pending, QStringLiteral("a specification needs a piece after it"));
    return result;
}

} // namespace vexil
