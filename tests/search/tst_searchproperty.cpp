// The search against a plain evaluation: every item read whole with ReadItem, every term tested
// the obvious way (regular expressions over decoded texts, every shift of every symmetry of a
// pattern), over generated items and generated queries. Both must find the same items in the
// same order.
#include "model/fairytext.h"
#include "model/piece.h"
#include "model/piecename.h"
#include "model/sampleitems.h"
#include "search/match.h"
#include "search/query.h"
#include "search/searchrun.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace vexil;

namespace {

const QStringList kWords = {"Loyd",      "Shinkman",   QString::fromUtf8("Érdi"),
                            "Kraemer",   "Zepler",     "Dupont",
                            "Schwalbe",  "feenschach", "Problem",
                            "Circe",     "Madrasi",    "Andernach",
                            "Anticirce", "Kd3",        "zugzwang",
                            "Tourney",   "prize",      "hon.",
                            "mention",   "Sam",        "S.",
                            "W.",        "A.",         "de"};
const QStringList kStipulations = {"#2", "#3", "h#2", "h#3", "s#4", "ser-h#7", "h=2", "#2*"};

struct Gen {
    QRandomGenerator rng{20261209};
    int below(int n) { return int(rng.bounded(quint32(n))); }
    bool chance(int percent) { return below(100) < percent; }
    QString word() { return kWords[below(kWords.size())]; }
    QString words(int most)
    {
        QStringList parts;
        for (int n = below(most + 1); n > 0; --n)
            parts << word() + (chance(20) ? QStringLiteral(",") : QString());
        return parts.join(QLatin1Char(' '));
    }

    PieceCode code()
    {
        const int roll = below(100);
        if (roll < 65)
            return 1 + below(12);
        if (roll < 75)
            return 13 + below(4);
        if (roll < 80)
            return 20 + below(3);
        const int base = piece::kFairyWhite + below(3);
        return piece::make(base, 1 + below(piece::kKindCount),
                           chance(20) ? 1 + below(piece::kSpecificationCount - 1) : 0);
    }

    Item item()
    {
        Item i;
        i.author = words(3);
        i.source =
            words(2) + (chance(70) ? QStringLiteral(" %1").arg(1480 + below(640)) : QString());
        i.stipulation = kStipulations[below(kStipulations.size())];
        i.condition = chance(40) ? word() : QString();
        for (int n = chance(25) ? 1 + below(3) : 0; n > 0; --n)
            i.twins << QStringLiteral("%1) %2").arg(QChar(u'a' + n)).arg(words(2));
        for (int n = below(4); n > 0; --n)
            i.solution << QStringLiteral("%1.%2 %3").arg(n).arg(word(), words(2));
        for (int n = 3 + below(18); n > 0; --n)
            i.board.at(below(8), below(8)) = code();
        return i;
    }
};

// A generated query: the text given to the parser and the plain test of an item.
struct Term {
    QString text;
    std::function<bool(const Item&)> test;
    int depth = 0;
};

QString fieldsText(const QStringList& lines)
{
    return lines.join(QStringLiteral("\\n"));
}

std::function<bool(const Item&)> textTest(const QString& keyword, const QString& pattern)
{
    QString body;
    for (QChar c : pattern)
        body += c == QLatin1Char('*')   ? QStringLiteral(".*")
                : c == QLatin1Char('?') ? QStringLiteral(".")
                                        : QRegularExpression::escape(QString(c));
    const QString sep = QStringLiteral("[\\x00-\\x20,;.:()\\[\\]{}\"'`/\\\\]");
    const QRegularExpression re(
        QStringLiteral("(?:^|(?<=%1)|(?<=\\\\n))(?:%2)(?=$|%1|(?<=\\\\)n)").arg(sep, body),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return [re, keyword](const Item& i) {
        QStringList fields;
        if (keyword == "A" || keyword == "TEXT")
            fields << i.author;
        if (keyword == "S" || keyword == "TEXT")
            fields << i.source;
        if (keyword == "STIP" || keyword == "TEXT")
            fields << i.stipulation;
        if (keyword == "K" || keyword == "TEXT")
            fields << i.condition;
        if (keyword == "TW" || keyword == "TEXT")
            fields << fieldsText(i.twins);
        if (keyword == "SOL" || keyword == "TEXT")
            fields << fieldsText(i.solution);
        for (const QString& f : fields)
            if (re.match(f).hasMatch())
                return true;
        return false;
    };
}

bool compared(int value, const QString& op, int wanted)
{
    return op == "="    ? value == wanted
           : op == "<"  ? value < wanted
           : op == "<=" ? value <= wanted
           : op == ">"  ? value > wanted
                        : value >= wanted;
}

int plainYear(const QString& source)
{
    int year = -1;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("(?<![0-9])[0-9]{4}(?![0-9])")).globalMatch(source);
    while (it.hasNext()) {
        const int y = it.next().captured().toInt();
        if (y >= 1500 && y <= 2099)
            year = y;
    }
    return year;
}

// The eight symmetries, written out.
TypedPiece symmetric(TypedPiece p, int s)
{
    const int r = p.row, c = p.column;
    const int map[8][2] = {{r, c}, {r, 7 - c}, {7 - r, c}, {7 - r, 7 - c},
                           {c, r}, {c, 7 - r}, {7 - c, r}, {7 - c, 7 - r}};
    p.row = map[s][0];
    p.column = map[s][1];
    return p;
}

bool plainMatrix(const Board& board, const QList<TypedPiece>& units, const QList<int>& symmetries)
{
    for (int s : symmetries) {
        for (int dr = -7; dr <= 7; ++dr) {
            for (int dc = -7; dc <= 7; ++dc) {
                bool all = true;
                for (const TypedPiece& u : units) {
                    const TypedPiece t = symmetric(u, s);
                    const int r = t.row + dr, c = t.column + dc;
                    if (r < 0 || r > 7 || c < 0 || c > 7 || board.at(r, c) != t.code) {
                        all = false;
                        break;
                    }
                }
                if (all)
                    return true;
            }
        }
    }
    return false;
}

class QueryGen {
public:
    QueryGen(Gen& gen, const QList<Item>& items) : g(gen), m_items(items) {}

    Term term(int depth)
    {
        if (depth < 3 && g.chance(35)) {
            const int kind = g.below(3);
            if (kind == 0) {
                Term inner = term(depth + 1);
                auto test = inner.test;
                return {QStringLiteral("NOT (%1)").arg(inner.text),
                        [test](const Item& i) { return !test(i); }};
            }
            Term a = term(depth + 1), b = term(depth + 1);
            auto ta = a.test, tb = b.test;
            if (kind == 1)
                return {
                    QStringLiteral("(%1) %2 (%3)").arg(a.text, g.chance(50) ? "AND" : "", b.text),
                    [ta, tb](const Item& i) { return ta(i) && tb(i); }};
            return {QStringLiteral("(%1) OR (%2)").arg(a.text, b.text),
                    [ta, tb](const Item& i) { return ta(i) || tb(i); }};
        }
        return leaf();
    }

private:
    QString op() { return QStringList{"=", "<", "<=", ">", ">="}[g.below(5)]; }

    QString pattern()
    {
        QString w = g.word();
        if (g.chance(30))
            w = w.left(1 + g.below(w.size())) + QStringLiteral("*");
        if (g.chance(15))
            w[g.below(w.size())] = QLatin1Char('?');
        if (g.chance(15))
            w = QStringLiteral("%1 %2").arg(w, g.word());
        if (g.chance(20))
            w = w.toUpper();
        return w;
    }

    const Item& someItem() { return m_items[g.below(m_items.size())]; }

    // A few units of a generated board, as typed pieces write them.
    QString unitsOf(const Board& board, int most)
    {
        QStringList units;
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                const Piece p(board.at(r, c));
                if (!p.isPiece() || p.specification() != 0 || PieceName(p).isEmpty())
                    continue;
                const char side = p.isNeutral() ? 'n' : p.isWhite() ? 'w' : 'b';
                units << QStringLiteral("%1%2%3").arg(QString(QLatin1Char(side)), PieceName(p),
                                                      Square{r, c}.name());
            }
        }
        QStringList chosen;
        while (!units.isEmpty() && chosen.size() < 1 + g.below(most))
            chosen << units.takeAt(g.below(units.size()));
        return chosen.isEmpty() ? QStringLiteral("wKe1") : chosen.join(QLatin1Char(' '));
    }

    Term leaf()
    {
        switch (g.below(9)) {
        case 0:
        case 1: {
            static const QStringList keys = {"A", "S", "STIP", "K", "TW", "SOL", "TEXT", ""};
            QString key = keys[g.below(keys.size())];
            QString p = key == "STIP" ? kStipulations[g.below(kStipulations.size())] : pattern();
            const QString value = p.contains(QLatin1Char(' ')) || key.isEmpty() || p.contains('#')
                                      ? QStringLiteral("'%1'").arg(p)
                                      : p;
            return {key.isEmpty() ? value : key + "=" + value,
                    textTest(key.isEmpty() ? "TEXT" : key, p)};
        }
        case 2: {
            const QString o = op();
            const int y = 1700 + g.below(400);
            return {QStringLiteral("Y%1%2").arg(o).arg(y), [o, y](const Item& i) {
                        const int year = plainYear(i.source);
                        return year >= 0 && compared(year, o, y);
                    }};
        }
        case 3: {
            static const QStringList keys = {"W", "B", "N", "P", "FAIRY", "TWINS"};
            const QString key = keys[g.below(keys.size())];
            const QString o = op();
            const int n = g.below(key == "P" ? 20 : 8);
            return {QStringLiteral("%1%2%3").arg(key, o).arg(n), [key, o, n](const Item& i) {
                        int count = 0;
                        if (key == "TWINS")
                            count = int(i.twins.size());
                        for (int r = 0; r < 8; ++r)
                            for (int c = 0; c < 8; ++c) {
                                const Piece p(i.board.at(r, c));
                                if (!p.isPiece())
                                    continue;
                                count += key == "P" ||
                                         (key == "W" && p.side() == PieceSideValue::White) ||
                                         (key == "B" && p.side() == PieceSideValue::Black) ||
                                         (key == "N" && p.side() == PieceSideValue::Neutral) ||
                                         (key == "FAIRY" && !(p.code() >= 1 && p.code() <= 12));
                            }
                        return compared(count, o, n);
                    }};
        }
        case 4: {
            // A piece of some generated board, named with or without its side.
            Piece p;
            for (int tries = 0; tries < 50 && !(p.isPiece() && !p.letter().isEmpty()); ++tries)
                p = Piece(someItem().board.at(g.below(8), g.below(8)));
            if (!p.isPiece() || p.letter().isEmpty())
                p = Piece(9);
            const QString letter = p.letter();
            const bool withSide = g.chance(50);
            QString text;
            if (withSide) {
                text = QStringLiteral("PIECE=%1%2")
                           .arg(p.isNeutral() ? "n"
                                : p.isWhite() ? "w"
                                              : "b",
                                letter);
            } else {
                const QChar first = letter[0].toLower();
                int kind = 0;
                for (int k = 1; k <= piece::kKindCount && !kind; ++k)
                    if (KindCode(k) == letter)
                        kind = k;
                text = first == 'w' || first == 'b' || first == 'n' || letter.size() == 1
                           ? QStringLiteral("PIECE='%1'").arg(KindName(kind))
                           : QStringLiteral("PIECE=%1").arg(letter);
            }
            const PieceSideValue side = p.side();
            return {text, [letter, withSide, side](const Item& i) {
                        for (int r = 0; r < 8; ++r)
                            for (int c = 0; c < 8; ++c) {
                                const Piece q(i.board.at(r, c));
                                if (q.isPiece() && q.letter() == letter &&
                                    (!withSide || q.side() == side))
                                    return true;
                            }
                        return false;
                    }};
        }
        case 5:
        case 6: {
            const QString units = unitsOf(someItem().board, 3);
            const QList<TypedPiece> typed = ParseTypedPieces(units).pieces;
            const bool exact = g.chance(30);
            return {QStringLiteral("%1='%2'").arg(exact ? "EXACT" : "POS", units),
                    [typed, exact](const Item& i) {
                        QList<TypedPiece> last; // one per square, the later kept
                        for (const TypedPiece& t : typed) {
                            last.removeIf([&](const TypedPiece& u) {
                                return u.row == t.row && u.column == t.column;
                            });
                            last << t;
                        }
                        int pieces = 0;
                        for (int r = 0; r < 8; ++r)
                            for (int c = 0; c < 8; ++c)
                                pieces += Piece(i.board.at(r, c)).isPiece();
                        for (const TypedPiece& t : last)
                            if (i.board.at(t.row, t.column) != t.code)
                                return false;
                        return !exact || pieces == last.size();
                    }};
        }
        default: {
            // A pattern from a board, sometimes turned first so that only a symmetry finds it.
            Board board = someItem().board;
            const int turn = g.below(8);
            Board turned;
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 8; ++c) {
                    const TypedPiece t = symmetric({r, c, board.at(r, c)}, turn);
                    turned.at(t.row, t.column) = t.code;
                }
            const QString units = unitsOf(turned, 3);
            const QList<TypedPiece> typed = ParseTypedPieces(units).pieces;
            const int mode = g.below(3);
            QList<int> symmetries = mode == 0   ? QList<int>{0}
                                    : mode == 1 ? QList<int>{0, 1}
                                                : QList<int>{0, 1, 2, 3, 4, 5, 6, 7};
            const QString text = mode == 0 && g.chance(50)
                                     ? QStringLiteral("MATRIX='%1'").arg(units)
                                     : QStringLiteral("MATRIX('%1', %2)")
                                           .arg(units, QStringList{"shift", "mirror", "all"}[mode]);
            return {text, [typed, symmetries](const Item& i) {
                        QList<TypedPiece> last;
                        for (const TypedPiece& t : typed) {
                            last.removeIf([&](const TypedPiece& u) {
                                return u.row == t.row && u.column == t.column;
                            });
                            last << t;
                        }
                        return plainMatrix(i.board, last, symmetries);
                    }};
        }
        }
    }

    Gen& g;
    const QList<Item>& m_items;
};

} // namespace

class TestSearchProperty : public QObject {
    Q_OBJECT
private slots:
    void sameItemsAsPlainEvaluation();
};

void TestSearchProperty::sameItemsAsPlainEvaluation()
{
    Gen gen;
    QList<Item> generated;
    for (int n = 0; n < 3000; ++n)
        generated << gen.item();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("generated.dgr"));
    WriteLinesFile(path, test::collectionOf(generated));
    const Collection collection = Collection::fromFile(path);
    // The plain evaluation reads the items back as stored (apostrophes, trimmed stipulations).
    QList<Item> stored;
    const Lines lines = collection.lines();
    for (int n = 1; n <= collection.itemCount(); ++n)
        stored << ReadItem(lines, n * kItemLines);

    QueryGen queries(gen, stored);
    int nonTrivial = 0;
    for (int q = 0; q < 300; ++q) {
        const Term term = queries.term(0);
        const ParsedQuery parsed = ParseQuery(term.text);
        QVERIFY2(parsed.isValid(), qPrintable(term.text + ": " + parsed.errorText()));
        QList<int> found, expected;
        SearchCollection(QueryMatcher(*parsed.root), collection, path, [&](int n) { found << n; });
        for (int n = 1; n <= stored.size(); ++n)
            if (term.test(stored[n - 1]))
                expected << n;
        QVERIFY2(found == expected,
                 qPrintable(QStringLiteral("%1: %2 found, %3 expected; first difference at item %4")
                                .arg(term.text)
                                .arg(found.size())
                                .arg(expected.size())
                                .arg([&] {
                                    for (int i = 0; i < std::min(found.size(), expected.size());
                                         ++i)
                                        if (found[i] != expected[i])
                                            return std::min(found[i], expected[i]);
                                    return -1;
                                }())));
        nonTrivial += !expected.isEmpty() && expected.size() < stored.size();
    }
    // The generated queries must tell items apart, or the comparison shows nothing.
    QVERIFY2(nonTrivial >= 150, qPrintable(QString::number(nonTrivial)));
}

QTEST_GUILESS_MAIN(TestSearchProperty)
#include "tst_searchproperty.moc"
