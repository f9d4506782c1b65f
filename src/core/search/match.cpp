#include "search/match.h"

#include "model/cp1252.h"
#include "model/piece.h"
#include "verify/verifyresults.h"

#include <algorithm>

namespace vexil {
namespace {

constexpr std::array<bool, 256> kSeparators = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c <= ' '; ++c)
        table[c] = true;
    for (char c : {',', ';', '.', ':', '(', ')', '[', ']', '{', '}', '"', '\'', '`', '/', '\\'})
        table[uchar(c)] = true;
    return table;
}();

// Byte k of `t` separates words: a separator, or the "n" of a stored line break.
inline bool separatorAt(const uchar* t, qsizetype k)
{
    return kSeparators[t[k]] || (t[k] == 'n' && k > 0 && t[k - 1] == '\\');
}

bool compare(int value, Comparison comparison, int wanted)
{
    switch (comparison) {
    case Comparison::Equal:
        return value == wanted;
    case Comparison::Less:
        return value < wanted;
    case Comparison::LessEqual:
        return value <= wanted;
    case Comparison::Greater:
        return value > wanted;
    case Comparison::GreaterEqual:
        return value >= wanted;
    }
    return false;
}

// The eight symmetries of the board as maps of (row, column).
TypedPiece transformed(TypedPiece p, int symmetry)
{
    int r = p.row, c = p.column;
    if (symmetry & 4)
        std::swap(r, c);
    if (symmetry & 1)
        c = 7 - c;
    if (symmetry & 2)
        r = 7 - r;
    p.row = r;
    p.column = c;
    return p;
}

} // namespace

TextPattern::TextPattern(const QString& pattern)
{
    QByteArray bytes;
    if (!cp1252::encode(pattern, bytes))
        return;
    QByteArray collapsed;
    for (char c : std::as_const(bytes))
        if (c != '*' || !collapsed.endsWith('*'))
            collapsed += c;
    if (collapsed.size() > 62)
        return;
    const auto& upper = UpperCaseTable();
    std::array<quint64, 256> byUpper{};
    quint64 any = 0;
    for (qsizetype k = 0; k < collapsed.size(); ++k) {
        const uchar c = uchar(collapsed[k]);
        if (c == '*')
            m_star |= quint64(1) << k;
        else if (c == '?')
            any |= quint64(1) << k;
        else
            byUpper[upper[c]] |= quint64(1) << k;
    }
    for (int c = 0; c < 256; ++c)
        m_byte[c] = byUpper[upper[c]] | any;
    m_length = int(collapsed.size());
    m_valid = true;

    QString longest, run;
    for (QChar c : pattern + QLatin1Char('*')) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?')) {
            if (run.size() > longest.size())
                longest = run;
            run.clear();
        } else {
            run += c;
        }
    }
    if (!longest.isEmpty())
        m_literal.emplace(longest);
}

bool TextPattern::mayMatch(QByteArrayView text) const
{
    return m_valid && (!m_literal || m_literal->find(text) >= 0);
}

bool TextPattern::matches(QByteArrayView text) const
{
    if (!mayMatch(text))
        return false;
    // The pattern's states as bits: bit k set while the first k pattern bytes match a stretch
    // that started at a word start. Linear in the text whatever the pattern.
    const auto* t = reinterpret_cast<const uchar*>(text.data());
    const qsizetype n = text.size();
    const quint64 accept = quint64(1) << m_length;
    quint64 states = 0;
    for (qsizetype j = 0;; ++j) {
        if (j == 0 || separatorAt(t, j - 1)) {
            states |= 1;
            states |= (states & m_star) << 1;
        }
        if ((states & accept) && (j == n || separatorAt(t, j)))
            return true;
        if (j == n)
            return false;
        states = ((states & m_byte[t[j]]) << 1) | (states & m_star);
        states |= (states & m_star) << 1;
    }
}

std::optional<int> SourceYear(QByteArrayView source)
{
    std::optional<int> year;
    const char* s = source.data();
    const qsizetype n = source.size();
    for (qsizetype i = 0; i < n;) {
        if (s[i] < '0' || s[i] > '9') {
            ++i;
            continue;
        }
        qsizetype end = i;
        int value = 0;
        while (end < n && s[end] >= '0' && s[end] <= '9') {
            if (end - i < 4)
                value = value * 10 + (s[end] - '0');
            ++end;
        }
        if (end - i == 4 && value >= 1500 && value <= 2099)
            year = value;
        i = end;
    }
    return year;
}

struct QueryMatcher::Node {
    QueryNode::Kind kind = QueryNode::Kind::And;
    int cost = 0;
    std::vector<std::unique_ptr<Node>> children;
    TextField field = TextField::AnyText;
    std::optional<TextPattern> pattern;
    CountOf count = CountOf::Units;
    Comparison comparison = Comparison::Equal;
    int value = 0;
    int walk = 0;
    std::optional<PieceSideValue> side;
    std::optional<int> specification;
    QList<TypedPiece> units;
    std::vector<QList<TypedPiece>> variants; // Matrix: the pattern under each symmetry, once
    std::optional<Outcome> outcome;

    bool matches(const ScannedItem& item, const MatchContext& context) const;
    bool text(const ScannedItem& item) const;
    int counted(const ScannedItem& item) const;
    bool hasPiece(const Board& board) const;
    bool matrix(const Board& board) const;
    bool verified(const ScannedItem& item, const MatchContext& context) const;
};

namespace {

std::unique_ptr<QueryMatcher::Node> compile(const QueryNode& q)
{
    auto node = std::make_unique<QueryMatcher::Node>();
    node->kind = q.kind;
    using Kind = QueryNode::Kind;
    switch (q.kind) {
    case Kind::And:
    case Kind::Or:
    case Kind::Not:
        for (const QueryNode& child : q.children) {
            node->children.push_back(compile(child));
            node->cost += node->children.back()->cost;
        }
        // Equal costs keep the order typed.
        std::stable_sort(node->children.begin(), node->children.end(),
                         [](const auto& a, const auto& b) { return a->cost < b->cost; });
        break;
    case Kind::Text:
        node->field = q.field;
        node->pattern.emplace(q.pattern);
        node->cost = q.field == TextField::AnyText ? 3 : 1;
        break;
    case Kind::Year:
        node->comparison = q.comparison;
        node->value = q.value;
        node->cost = 2;
        break;
    case Kind::Count:
        node->count = q.count;
        node->comparison = q.comparison;
        node->value = q.value;
        node->cost = q.count == CountOf::Twins ? 2 : 20;
        break;
    case Kind::Piece:
        node->walk = q.walk;
        node->side = q.side;
        node->specification = q.specification;
        node->cost = 20;
        break;
    case Kind::Position:
    case Kind::Exact:
        node->units = q.units;
        node->cost = 21;
        break;
    case Kind::Matrix: {
        node->cost = 25;
        const int symmetries = q.symmetry == PatternSymmetry::Shift    ? 1
                               : q.symmetry == PatternSymmetry::Mirror ? 2
                                                                       : 8;
        for (int s = 0; s < symmetries; ++s) {
            QList<TypedPiece> variant;
            for (const TypedPiece& p : q.units)
                variant.append(transformed(p, s));
            // Shifted to the corner and sorted, so that equal variants are kept once.
            int top = 7, left = 7;
            for (const TypedPiece& p : variant) {
                top = std::min(top, p.row);
                left = std::min(left, p.column);
            }
            for (TypedPiece& p : variant) {
                p.row -= top;
                p.column -= left;
            }
            std::sort(variant.begin(), variant.end(), [](const TypedPiece& a, const TypedPiece& b) {
                return std::tie(a.row, a.column, a.code) < std::tie(b.row, b.column, b.code);
            });
            if (std::find(node->variants.begin(), node->variants.end(), variant) ==
                node->variants.end())
                node->variants.push_back(variant);
        }
        break;
    }
    case Kind::Verify:
        node->outcome = q.outcome;
        node->cost = 100;
        break;
    }
    return node;
}

} // namespace

bool QueryMatcher::Node::text(const ScannedItem& item) const
{
    switch (field) {
    case TextField::Author:
        return pattern->matches(item.author());
    case TextField::Source:
        return pattern->matches(item.source());
    case TextField::Stipulation:
        return pattern->matches(item.stipulation());
    case TextField::Condition:
        return pattern->matches(item.condition());
    case TextField::Twins:
        return pattern->matches(item.twins());
    case TextField::Solution:
        return pattern->matches(item.solution());
    case TextField::AnyText:
        break;
    }
    // The plain run first, over the four stored texts at once; most items stop here.
    if (!pattern->mayMatch(item.author()) && !pattern->mayMatch(item.source()) &&
        !pattern->mayMatch(item.solution()) && !pattern->mayMatch(item.stipulationLine()))
        return false;
    return pattern->matches(item.author()) || pattern->matches(item.source()) ||
           pattern->matches(item.stipulation()) || pattern->matches(item.condition()) ||
           pattern->matches(item.twins()) || pattern->matches(item.solution());
}

int QueryMatcher::Node::counted(const ScannedItem& item) const
{
    if (count == CountOf::Twins)
        return item.twinCount();
    int n = 0;
    for (const auto& row : item.board().squares) {
        for (PieceCode code : row) {
            if (code == 0) // most squares: no need to take the code apart
                continue;
            const Piece p(code);
            switch (count) {
            case CountOf::White:
                n += p.isWhite();
                break;
            case CountOf::Black:
                n += p.isBlack();
                break;
            case CountOf::Neutral:
                n += p.isNeutral();
                break;
            case CountOf::Units:
                n += p.isPiece();
                break;
            case CountOf::Fairy:
                n += p.isPiece() && !p.isOrthodox();
                break;
            case CountOf::Twins:
                break;
            }
        }
    }
    return n;
}

bool QueryMatcher::Node::hasPiece(const Board& board) const
{
    for (const auto& row : board.squares) {
        for (PieceCode code : row) {
            if (code == 0)
                continue;
            const Piece p(code);
            if (!p.isPiece() || WalkOf(code) != walk)
                continue;
            if (side && p.side() != *side)
                continue;
            if (specification && p.specification() != *specification)
                continue;
            return true;
        }
    }
    return false;
}

bool QueryMatcher::Node::matrix(const Board& board) const
{
    for (const QList<TypedPiece>& variant : variants) {
        const TypedPiece& anchor = variant.front();
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                if (board.at(r, c) != anchor.code)
                    continue;
                const int dr = r - anchor.row, dc = c - anchor.column;
                const bool all =
                    std::all_of(variant.begin(), variant.end(), [&](const TypedPiece& p) {
                        const int pr = p.row + dr, pc = p.column + dc;
                        return pr >= 0 && pr < 8 && pc >= 0 && pc < 8 && board.at(pr, pc) == p.code;
                    });
                if (all)
                    return true;
            }
        }
    }
    return false;
}

bool QueryMatcher::Node::verified(const ScannedItem& item, const MatchContext& context) const
{
    const VerifyRecord* record = nullptr;
    if (context.verify && !context.verifyOptions.isEmpty()) {
        const QByteArray lines = item.storedLines();
        for (const QString& options : context.verifyOptions)
            if ((record = context.verify->find(ItemKey(lines, options))))
                break;
    }
    if (!outcome)
        return record == nullptr;
    return record && record->outcome == *outcome;
}

bool QueryMatcher::Node::matches(const ScannedItem& item, const MatchContext& context) const
{
    using Kind = QueryNode::Kind;
    switch (kind) {
    case Kind::And:
        return std::all_of(children.begin(), children.end(),
                           [&](const auto& child) { return child->matches(item, context); });
    case Kind::Or:
        return std::any_of(children.begin(), children.end(),
                           [&](const auto& child) { return child->matches(item, context); });
    case Kind::Not:
        return !children.front()->matches(item, context);
    case Kind::Text:
        return text(item);
    case Kind::Year: {
        const std::optional<int> year = SourceYear(item.source());
        return year && compare(*year, comparison, value);
    }
    case Kind::Count:
        return compare(counted(item), comparison, value);
    case Kind::Piece:
        return hasPiece(item.board());
    case Kind::Position:
    case Kind::Exact: {
        const Board& board = item.board();
        for (const TypedPiece& p : units)
            if (board.at(p.row, p.column) != p.code)
                return false;
        if (kind == Kind::Position)
            return true;
        int pieces = 0;
        for (const auto& row : board.squares)
            for (PieceCode code : row)
                pieces += code != 0 && Piece(code).isPiece();
        return pieces == units.size();
    }
    case Kind::Matrix:
        return matrix(item.board());
    case Kind::Verify:
        return verified(item, context);
    }
    return false;
}

QueryMatcher::QueryMatcher(const QueryNode& root) : m_root(compile(root)) {}
QueryMatcher::~QueryMatcher() = default;
QueryMatcher::QueryMatcher(QueryMatcher&&) noexcept = default;
QueryMatcher& QueryMatcher::operator=(QueryMatcher&&) noexcept = default;

bool QueryMatcher::matches(const ScannedItem& item, const MatchContext& context) const
{
    return m_root->matches(item, context);
}

bool QueryMatcher::needsVerifyResults() const
{
    std::vector<const Node*> stack{m_root.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->kind == QueryNode::Kind::Verify)
            return true;
        for (const auto& child : node->children)
            stack.push_back(child.get());
    }
    return false;
}

MatchContext VerifyContext(const VerifyResults* results)
{
    MatchContext context;
    context.verify = results;
    if (results)
        for (const VerifyRecord& record : results->records())
            if (!context.verifyOptions.contains(record.options))
                context.verifyOptions << record.options;
    return context;
}

} // namespace vexil
