#include "search/query.h"

#include "model/piece.h"

#include <QRegularExpression>

#include <array>

namespace vexil {
namespace {

constexpr int kMaxDepth = 64;
// The matcher keeps a pattern's states in one 64-bit word.
constexpr int kMaxPatternLength = 60;

const QString kKeywords = QStringLiteral(
    "A, S, STIP, K, TW, SOL, TEXT, Y, W, B, N, P, FAIRY, TWINS, PIECE, POS, EXACT, MATRIX or "
    "VERIFY");

struct TextKeyword {
    const char* name;
    TextField field;
};
constexpr TextKeyword kTextKeywords[] = {
    {"A", TextField::Author},    {"S", TextField::Source}, {"STIP", TextField::Stipulation},
    {"K", TextField::Condition}, {"TW", TextField::Twins}, {"SOL", TextField::Solution},
    {"TEXT", TextField::AnyText}};

struct CountKeyword {
    const char* name;
    CountOf count;
};
constexpr CountKeyword kCountKeywords[] = {{"W", CountOf::White},     {"B", CountOf::Black},
                                           {"N", CountOf::Neutral},   {"P", CountOf::Units},
                                           {"FAIRY", CountOf::Fairy}, {"TWINS", CountOf::Twins}};

bool isOperatorChar(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>');
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// A word of a bare term or keyword ends at a blank, a bracket, an operator or a quote.
bool endsWord(QChar c)
{
    return c.isSpace() || c == QLatin1Char('(') || c == QLatin1Char(')') || isOperatorChar(c) ||
           isQuote(c);
}

struct Failed {
    QueryError error;
};

class Parser {
public:
    explicit Parser(QStringView text) : m_text(text) {}

    QueryNode parse()
    {
        QueryNode root = parseOr(0);
        skipBlanks();
        if (m_at < m_text.size()) {
            if (m_text[m_at] == QLatin1Char(')'))
                fail(m_at, QStringLiteral("expected a term before this ): no ( to close"));
            fail(m_at, QStringLiteral("expected AND, OR or the end of the query"));
        }
        return root;
    }

private:
    [[noreturn]] void fail(qsizetype at, const QString& expected) { throw Failed{{at, expected}}; }

    void skipBlanks()
    {
        while (m_at < m_text.size() && m_text[m_at].isSpace())
            ++m_at;
    }

    bool atEnd()
    {
        skipBlanks();
        return m_at >= m_text.size();
    }

    // The bare word at the current place, not consumed.
    QStringView peekWord()
    {
        skipBlanks();
        qsizetype end = m_at;
        while (end < m_text.size() && !endsWord(m_text[end]))
            ++end;
        return m_text.mid(m_at, end - m_at);
    }

    bool peekOperatorWord(const char* name)
    {
        const QStringView word = peekWord();
        if (word.compare(QLatin1String(name), Qt::CaseInsensitive) != 0)
            return false;
        // "OR=" or "NOT(" are not operators but a keyword or a term.
        const qsizetype end = m_at + word.size();
        return end >= m_text.size() || !isOperatorChar(m_text[end]);
    }

    void enter(qsizetype at, int depth)
    {
        if (depth > kMaxDepth)
            fail(at, QStringLiteral("expected fewer nested terms (at most %1)").arg(kMaxDepth));
    }

    QueryNode parseOr(int depth)
    {
        QueryNode first = parseAnd(depth);
        if (!peekOperatorWord("OR"))
            return first;
        QueryNode node;
        node.kind = QueryNode::Kind::Or;
        node.children.push_back(std::move(first));
        while (peekOperatorWord("OR")) {
            m_at += 2;
            node.children.push_back(parseAnd(depth));
        }
        return node;
    }

    bool startsTerm()
    {
        if (atEnd() || m_text[m_at] == QLatin1Char(')'))
            return false;
        return !peekOperatorWord("OR");
    }

    QueryNode parseAnd(int depth)
    {
        QueryNode first = parseUnary(depth);
        QueryNode node;
        node.kind = QueryNode::Kind::And;
        node.children.push_back(std::move(first));
        for (;;) {
            if (peekOperatorWord("AND")) {
                m_at += 3;
                node.children.push_back(parseUnary(depth));
                continue;
            }
            if (!startsTerm())
                break;
            node.children.push_back(parseUnary(depth));
        }
        if (node.children.size() == 1)
            return std::move(node.children.front());
        return node;
    }

    QueryNode parseUnary(int depth)
    {
        if (atEnd())
            fail(m_at, QStringLiteral("expected a search term"));
        const qsizetype start = m_at;
        enter(start, depth + 1);
        const QChar c = m_text[m_at];
        if (c == QLatin1Char('(')) {
            ++m_at;
            QueryNode inner = parseOr(depth + 1);
            if (atEnd() || m_text[m_at] != QLatin1Char(')'))
                fail(m_at,
                     QStringLiteral("expected ) to close the ( at character %1").arg(start + 1));
            ++m_at;
            return inner;
        }
        if (c == QLatin1Char(')'))
            fail(m_at, QStringLiteral("expected a search term before )"));
        if (isOperatorChar(c))
            fail(m_at, QStringLiteral("expected a keyword (%1) before %2").arg(kKeywords, c));
        if (peekOperatorWord("NOT")) {
            m_at += 3;
            QueryNode node;
            node.kind = QueryNode::Kind::Not;
            node.children.push_back(parseUnary(depth + 1));
            return node;
        }
        if (peekOperatorWord("AND") || peekOperatorWord("OR"))
            fail(m_at, QStringLiteral("expected a search term before %1")
                           .arg(peekWord().toString().toUpper()));
        if (isQuote(c)) {
            QueryNode node;
            node.kind = QueryNode::Kind::Text;
            node.pattern = quoted();
            checkPattern(start, node.pattern);
            return node;
        }
        const QStringView word = peekWord();
        const qsizetype end = m_at + word.size();
        const bool keyword = end < m_text.size() &&
                             (isOperatorChar(m_text[end]) ||
                              (m_text[end] == QLatin1Char('(') &&
                               word.compare(QLatin1String("MATRIX"), Qt::CaseInsensitive) == 0));
        if (!keyword) {
            m_at = end;
            QueryNode node;
            node.kind = QueryNode::Kind::Text;
            node.pattern = word.toString();
            checkPattern(start, node.pattern);
            return node;
        }
        m_at = end;
        return predicate(start, word.toString().toUpper());
    }

    // A quoted text at the current place; the quote that opened it closes it.
    QString quoted()
    {
        const qsizetype open = m_at;
        const QChar quote = m_text[m_at];
        const qsizetype close = m_text.indexOf(quote, open + 1);
        if (close < 0)
            fail(m_text.size(), QStringLiteral("expected the closing %1 of the text at "
                                               "character %2")
                                    .arg(quote)
                                    .arg(open + 1));
        m_at = close + 1;
        return m_text.mid(open + 1, close - open - 1).toString();
    }

    void checkPattern(qsizetype at, const QString& pattern)
    {
        if (pattern.isEmpty())
            fail(at, QStringLiteral("expected a text, not an empty one"));
        QString collapsed = pattern;
        collapsed.replace(QRegularExpression(QStringLiteral("\\*+")), QStringLiteral("*"));
        if (collapsed.size() > kMaxPatternLength)
            fail(at, QStringLiteral("expected a shorter text (at most %1 characters)")
                         .arg(kMaxPatternLength));
    }

    Comparison comparison(const QString& keyword, bool orderAllowed)
    {
        const qsizetype at = m_at;
        const QChar c = m_text[m_at++];
        const bool equals = m_at < m_text.size() && m_text[m_at] == QLatin1Char('=');
        Comparison result = Comparison::Equal;
        if (c == QLatin1Char('<'))
            result = equals ? Comparison::LessEqual : Comparison::Less;
        else if (c == QLatin1Char('>'))
            result = equals ? Comparison::GreaterEqual : Comparison::Greater;
        if (c != QLatin1Char('=') && equals)
            ++m_at;
        if (result != Comparison::Equal && !orderAllowed)
            fail(at, QStringLiteral("expected = after %1").arg(keyword));
        return result;
    }

    // The value after an operator: a quoted text or a word up to a blank or a bracket.
    QString value(const QString& keyword, qsizetype& at)
    {
        skipBlanks();
        at = m_at;
        if (m_at < m_text.size() && isQuote(m_text[m_at]))
            return quoted();
        qsizetype end = m_at;
        while (end < m_text.size() && !m_text[end].isSpace() && m_text[end] != QLatin1Char('(') &&
               m_text[end] != QLatin1Char(')'))
            ++end;
        if (end == m_at)
            fail(m_at, QStringLiteral("expected a value after %1").arg(keyword));
        const QString text = m_text.mid(m_at, end - m_at).toString();
        m_at = end;
        return text;
    }

    int number(const QString& keyword, const QString& text, qsizetype at)
    {
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < 0)
            fail(at, QStringLiteral("expected a number after %1").arg(keyword));
        return n;
    }

    QList<TypedPiece> units(const QString& text, qsizetype at, qsizetype quoteOffset)
    {
        const TypedPieces typed = ParseTypedPieces(text);
        if (!typed.isValid()) {
            const TypedPieceError& e = typed.errors.front();
            fail(at + quoteOffset + e.start,
                 QStringLiteral("expected units such as wKe1: %1").arg(e.reason));
        }
        if (typed.pieces.isEmpty())
            fail(at, QStringLiteral("expected units such as wKe1"));
        // One unit per square, the later one kept, as the typed line puts them.
        QList<TypedPiece> result;
        for (const TypedPiece& p : typed.pieces) {
            result.removeIf(
                [&](const TypedPiece& q) { return q.row == p.row && q.column == p.column; });
            result.append(p);
        }
        return result;
    }

    QueryNode predicate(qsizetype start, const QString& keyword)
    {
        QueryNode node;
        for (const TextKeyword& k : kTextKeywords) {
            if (keyword != QLatin1String(k.name))
                continue;
            node.kind = QueryNode::Kind::Text;
            node.field = k.field;
            comparison(keyword, false);
            qsizetype at = 0;
            node.pattern = value(keyword, at);
            checkPattern(at, node.pattern);
            return node;
        }
        for (const CountKeyword& k : kCountKeywords) {
            if (keyword != QLatin1String(k.name))
                continue;
            node.kind = QueryNode::Kind::Count;
            node.count = k.count;
            node.comparison = comparison(keyword, true);
            qsizetype at = 0;
            const QString text = value(keyword, at);
            node.value = number(keyword, text, at);
            return node;
        }
        if (keyword == QLatin1String("Y")) {
            node.kind = QueryNode::Kind::Year;
            node.comparison = comparison(keyword, true);
            qsizetype at = 0;
            const QString text = value(keyword, at);
            node.value = number(keyword, text, at);
            return node;
        }
        if (keyword == QLatin1String("PIECE")) {
            comparison(keyword, false);
            qsizetype at = 0;
            const QString text = value(keyword, at);
            return piece(text, at);
        }
        if (keyword == QLatin1String("POS") || keyword == QLatin1String("EXACT") ||
            keyword == QLatin1String("MATRIX")) {
            node.kind = keyword == QLatin1String("POS")     ? QueryNode::Kind::Position
                        : keyword == QLatin1String("EXACT") ? QueryNode::Kind::Exact
                                                            : QueryNode::Kind::Matrix;
            if (node.kind == QueryNode::Kind::Matrix && m_text[m_at] == QLatin1Char('('))
                return matrixCall(std::move(node));
            comparison(keyword, false);
            qsizetype at = 0;
            skipBlanks();
            const qsizetype offset = m_at < m_text.size() && isQuote(m_text[m_at]) ? 1 : 0;
            const QString text = value(keyword, at);
            node.units = units(text, at, offset);
            return node;
        }
        if (keyword == QLatin1String("VERIFY")) {
            node.kind = QueryNode::Kind::Verify;
            comparison(keyword, false);
            qsizetype at = 0;
            const QString text = value(keyword, at);
            if (text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
                return node;
            for (Outcome o : AllOutcomes()) {
                if (OutcomeText(o).remove(QLatin1Char(' ')).compare(text, Qt::CaseInsensitive) ==
                    0) {
                    node.outcome = o;
                    return node;
                }
            }
            fail(at, QStringLiteral("expected sound, cooked, nosolution, timelimit, inputerror, "
                                    "failed or none after VERIFY="));
        }
        fail(start, QStringLiteral("expected a keyword (%1), not %2").arg(kKeywords, keyword));
    }

    // MATRIX(units) or MATRIX(units, shift|mirror|all).
    QueryNode matrixCall(QueryNode node)
    {
        const qsizetype open = m_at++;
        skipBlanks();
        const qsizetype at = m_at;
        QString text;
        qsizetype offset = 0;
        if (m_at < m_text.size() && isQuote(m_text[m_at])) {
            text = quoted();
            offset = 1;
        } else {
            qsizetype end = m_at;
            while (end < m_text.size() && m_text[end] != QLatin1Char(',') &&
                   m_text[end] != QLatin1Char(')'))
                ++end;
            text = m_text.mid(m_at, end - m_at).toString();
            m_at = end;
        }
        node.units = units(text, at, offset);
        skipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == QLatin1Char(',')) {
            ++m_at;
            const QStringView word = peekWord();
            const qsizetype wordAt = m_at;
            m_at += word.size();
            if (word.compare(QLatin1String("shift"), Qt::CaseInsensitive) == 0)
                node.symmetry = PatternSymmetry::Shift;
            else if (word.compare(QLatin1String("mirror"), Qt::CaseInsensitive) == 0)
                node.symmetry = PatternSymmetry::Mirror;
            else if (word.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
                node.symmetry = PatternSymmetry::All;
            else
                fail(wordAt, QStringLiteral("expected shift, mirror or all after the units"));
        }
        if (atEnd() || m_text[m_at] != QLatin1Char(')'))
            fail(m_at, QStringLiteral("expected ) to close the ( at character %1").arg(open + 1));
        ++m_at;
        return node;
    }

    // PIECE=nightrider, PIECE=N, PIECE=wQ, PIECE=nG, PIECE='royal wQ'.
    QueryNode piece(const QString& text, qsizetype at)
    {
        QueryNode node;
        node.kind = QueryNode::Kind::Piece;
        for (int kind = 1; kind <= piece::kKindCount; ++kind) {
            if (text.compare(KindName(kind), Qt::CaseInsensitive) == 0) {
                node.walk = kind;
                return node;
            }
        }
        // With its side first, as the typed pieces write a unit; the square is only there to
        // let the same reader read it.
        const TypedPieces typed = ParseTypedPieces(QString(text + QStringLiteral("a1")));
        if (typed.isValid() && typed.pieces.size() == 1) {
            const Piece p(typed.pieces.front().code);
            node.walk = WalkOf(p.code());
            node.side = p.side();
            if (text.contains(QLatin1Char(' ')))
                node.specification = p.isFairy() ? p.specification() : 0;
            return node;
        }
        for (int kind = 1; kind <= piece::kKindCount; ++kind) {
            if (text.compare(KindCode(kind), Qt::CaseInsensitive) == 0) {
                node.walk = kind;
                return node;
            }
        }
        fail(at, QStringLiteral("expected a piece after PIECE=: a name (nightrider), a letter or "
                                "code (N), or one with its side (wQ, nG)"));
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

} // namespace

int WalkOf(PieceCode code)
{
    static const std::array<int, piece::kFairyWhite> letterWalk = [] {
        std::array<int, piece::kFairyWhite> table{};
        for (int base = 1; base < piece::kFairyWhite; ++base) {
            const QString letter = QString(QLatin1Char(PieceLetters[base]));
            for (int kind = 1; kind <= piece::kKindCount && table[base] == 0; ++kind)
                if (KindCode(kind) == letter)
                    table[base] = kind;
        }
        return table;
    }();
    const Piece p(code);
    if (!p.isPiece())
        return 0;
    if (p.isFairy())
        return p.kind();
    return p.isOrthodox() || p.isGrasshopper() || p.isNightrider() ? letterWalk[p.base()] : 0;
}

QString ParsedQuery::errorText() const
{
    return QStringLiteral("At character %1: %2").arg(error.position + 1).arg(error.expected);
}

ParsedQuery ParseQuery(QStringView query)
{
    ParsedQuery parsed;
    try {
        Parser parser(query);
        parsed.root = parser.parse();
    } catch (const Failed& failed) {
        parsed.error = failed.error;
    }
    return parsed;
}

} // namespace vexil
