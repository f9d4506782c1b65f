#pragma once

#include "search/query.h"
#include "search/scan.h"
#include "views/search.h"

#include <QStringList>

#include <memory>

namespace vexil {

class VerifyResults;

// What a query needs to know beside an item's lines: the verification results kept beside
// its collection (absent when there are none).
struct MatchContext {
    const VerifyResults* verify = nullptr;
    QStringList verifyOptions; // the options the results were made with, each once
};
MatchContext VerifyContext(const VerifyResults* results);

// A parsed query made ready to test items: patterns compiled, the terms of every AND and OR
// put cheapest first (texts, then the year and the twins, then what needs the board, then the
// verification results), so that the board of an item is read only when the texts did not
// already decide it.
class QueryMatcher {
public:
    explicit QueryMatcher(const QueryNode& root);
    ~QueryMatcher();
    QueryMatcher(QueryMatcher&&) noexcept;
    QueryMatcher& operator=(QueryMatcher&&) noexcept;

    bool matches(const ScannedItem& item, const MatchContext& context = {}) const;
    // True when some term asks for the verification results.
    bool needsVerifyResults() const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

// The year a source names: the last run of exactly four digits that reads 1500 to 2099;
// nothing when there is none.
std::optional<int> SourceYear(QByteArrayView source);

// Text patterns: `pattern` (with * for any run of characters and ? for one) matches a stretch
// of `text` that starts where a word starts and ends where a word ends, letter case ignored
// (Windows-1252). Words are separated by blanks, the stored line break and , ; . : ( ) [ ] { }
// " ' ` / \.
class TextPattern {
public:
    explicit TextPattern(const QString& pattern);
    bool matches(QByteArrayView text) const;
    // False when no text can contain the pattern's longest plain run: tested first.
    bool mayMatch(QByteArrayView text) const;

private:
    bool m_valid = false;
    int m_length = 0;
    quint64 m_star = 0;                  // the states that stand before a *
    std::array<quint64, 256> m_byte{};   // by stored byte: the states it moves on from
    std::optional<TextFinder> m_literal; // the longest run without wildcards
};

} // namespace vexil
