#include "interchange/yamlguard.h"

#include <QRegularExpression>

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/yaml.h>

#include <istream>

namespace vexil::olive {
namespace {

bool isMarkerLine(std::string_view text, size_t at, const char* marker)
{
    if (text.compare(at, 3, marker) != 0)
        return false;
    return at + 3 == text.size() || text[at + 3] == ' ' || text[at + 3] == '\t' ||
           text[at + 3] == '\n' || text[at + 3] == '\r';
}

// What a document becomes once built, measured from the parser's events before it is: yaml-cpp
// keeps some 600 bytes per node, and reading visits an aliased node once per alias, so a few
// anchors that nest aliases can stand for gigabytes. Sizes in bytes, node overhead included.
class DocumentMeasure : public YAML::EventHandler {
public:
    static constexpr quint64 kNodeBytes = 600;
    quint64 built = 0;    // the nodes as written, an alias as one node
    quint64 expanded = 0; // every alias replaced by what it stands for

    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t anchor) override { leaf(anchor, kNodeBytes); }
    void OnAlias(const YAML::Mark&, YAML::anchor_t anchor) override
    {
        add(kNodeBytes, anchor < m_anchors.size() ? m_anchors[anchor] : kNodeBytes);
    }
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                  const std::string& value) override
    {
        leaf(anchor, kNodeBytes + value.size());
    }
    void OnSequenceStart(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                         YAML::EmitterStyle::value) override
    {
        open(anchor);
    }
    void OnSequenceEnd() override { close(); }
    void OnMapStart(const YAML::Mark&, const std::string&, YAML::anchor_t anchor,
                    YAML::EmitterStyle::value) override
    {
        open(anchor);
    }
    void OnMapEnd() override { close(); }

private:
    static quint64 sum(quint64 a, quint64 b) { return a > ~quint64(0) - b ? ~quint64(0) : a + b; }

    void add(quint64 own, quint64 whole)
    {
        built = sum(built, own);
        expanded = sum(expanded, whole);
        if (!m_open.empty())
            m_open.back().expanded = sum(m_open.back().expanded, whole);
        if (expanded - qMin(expanded, built) > kAliasBudget)
            throw TooManyAliases();
    }
    void remember(YAML::anchor_t anchor, quint64 whole)
    {
        if (anchor == YAML::NullAnchor)
            return;
        if (anchor >= m_anchors.size())
            m_anchors.resize(anchor + 1, kNodeBytes);
        m_anchors[anchor] = whole;
    }
    void leaf(YAML::anchor_t anchor, quint64 bytes)
    {
        remember(anchor, bytes);
        add(bytes, bytes);
    }
    void open(YAML::anchor_t anchor)
    {
        built = sum(built, kNodeBytes);
        m_open.push_back({anchor, kNodeBytes});
    }
    void close()
    {
        if (m_open.empty())
            return;
        const Open done = m_open.back();
        m_open.pop_back();
        remember(done.anchor, done.expanded);
        expanded = sum(expanded, kNodeBytes);
        if (!m_open.empty())
            m_open.back().expanded = sum(m_open.back().expanded, done.expanded);
    }

    struct Open {
        YAML::anchor_t anchor;
        quint64 expanded;
    };
    std::vector<Open> m_open;
    std::vector<quint64> m_anchors; // by anchor: what the anchored node stands for
};

} // namespace

std::vector<DocumentText> documentsOf(const std::string& text)
{
    std::vector<DocumentText> out;
    DocumentText current;
    bool content = false;
    int line = 0;
    auto close = [&](size_t at) {
        current.end = at;
        if (current.opened || content)
            out.push_back(current);
        content = false;
    };
    for (size_t at = 0; at < text.size(); ++line) {
        size_t next = text.find('\n', at);
        next = next == std::string::npos ? text.size() : next + 1;
        if (isMarkerLine(text, at, "---")) {
            close(at);
            current = {at, at, line, true};
        } else if (isMarkerLine(text, at, "...")) {
            close(next);
            current = {next, next, line + 1, false};
        } else if (!content) {
            size_t p = at;
            while (p < next &&
                   (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n'))
                ++p;
            content = p < next && text[p] != '#';
        }
        at = next;
    }
    close(text.size());
    return out;
}

std::optional<std::pair<int, int>> strayComma(std::string_view text)
{
    static const QRegularExpression blockHeader(QStringLiteral("^[|>][-+0-9]{0,3}$"));
    int depth = 0;
    int line = 0;
    int blockIndent = -1; // inside a block text whose header line had this indentation
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        size_t indent = 0;
        while (at + indent < end && text[at + indent] == ' ')
            ++indent;
        const bool blank = at + indent >= end || text[at + indent] == '\r';
        if (blockIndent >= 0 && (blank || int(indent) > blockIndent)) {
            at = end + 1;
            ++line;
            continue;
        }
        blockIndent = -1;
        bool tokenStart = true;
        size_t contentEnd = end;
        size_t i = at + indent;
        if (indent == 0 && (isMarkerLine(text, at, "---") || isMarkerLine(text, at, "...")))
            i += 3; // a document marker; a token may follow it
        for (; i < end; ++i) {
            const char c = text[i];
            const bool spaceAfter =
                i + 1 >= end || text[i + 1] == ' ' || text[i + 1] == '\t' || text[i + 1] == '\r';
            if (c == ' ' || c == '\t' || c == '\r')
                continue;
            if (c == '#' && (i == at + indent || text[i - 1] == ' ' || text[i - 1] == '\t')) {
                contentEnd = i;
                break;
            }
            if ((c == '"' || c == '\'') && tokenStart) {
                // Quoted text, perhaps over several lines.
                size_t q = i + 1;
                while (q < text.size()) {
                    if (text[q] == '\n')
                        ++line;
                    if (c == '"' && text[q] == '\\') {
                        q += 2;
                        continue;
                    }
                    if (text[q] == c) {
                        if (c == '\'' && q + 1 < text.size() && text[q + 1] == '\'') {
                            q += 2;
                            continue;
                        }
                        break;
                    }
                    ++q;
                }
                if (q >= text.size())
                    return std::nullopt;      // an open quote: the parser reports it
                if (text.find('\n', i) < q) { // the quote ended on a later line
                    at = text.rfind('\n', q) + 1;
                    end = text.find('\n', q);
                    end = end == std::string::npos ? text.size() : end;
                    contentEnd = end;
                }
                i = q;
                tokenStart = true;
                continue;
            }
            if ((c == '[' || c == '{') && (tokenStart || depth > 0)) {
                ++depth;
                tokenStart = true;
            } else if ((c == ']' || c == '}') && depth > 0) {
                depth = std::max(0, depth - 1);
                tokenStart = true;
            } else if (c == ',') {
                if (depth == 0 && tokenStart)
                    return std::make_pair(line, int(i - at));
                tokenStart = depth > 0;
            } else if ((c == '-' || c == '?' || c == ':') && spaceAfter) {
                tokenStart = true;
            } else if ((c == '!' || c == '&' || c == '*') && tokenStart) {
                // Anchor and tag names end at a blank or a flow indicator.
                while (i + 1 < end &&
                       std::string_view(" \t\r,[]{}").find(text[i + 1]) == std::string_view::npos)
                    ++i;
                tokenStart = true;
            } else {
                tokenStart = depth > 0 && (c == ':');
            }
        }
        // A block text starts after a line that ends in its header ("|", ">-", "|2").
        std::string_view content = text.substr(at, contentEnd - at);
        while (!content.empty() &&
               (content.back() == ' ' || content.back() == '\t' || content.back() == '\r'))
            content.remove_suffix(1);
        const size_t lastBlank = content.find_last_of(" \t");
        const std::string_view last =
            content.substr(lastBlank == std::string::npos ? 0 : lastBlank + 1);
        if (depth == 0 && !last.empty() && last.size() <= 4 &&
            blockHeader.match(QString::fromUtf8(last.data(), qsizetype(last.size()))).hasMatch())
            blockIndent = int(indent);
        at = end + 1;
        ++line;
    }
    return std::nullopt;
}

// Every node but the first starts after one of the indicators counted here, so twice their
// number bounds the nodes.
bool mayRepeatOrSwell(std::string_view part, quint64 room)
{
    quint64 indicators = 0;
    for (const char c : part) {
        if (c == '*')
            return true;
        indicators +=
            c == ',' || c == '-' || c == ':' || c == '[' || c == '{' || c == '?' || c == '\n';
    }
    return (2 * indicators + 1) * DocumentMeasure::kNodeBytes > room;
}

quint64 builtBytes(std::string_view part)
{
    DocumentMeasure measure;
    ViewStream buffer(part);
    std::istream stream(&buffer);
    YAML::Parser parser(stream);
    while (parser.HandleNextDocument(measure)) {
    }
    return measure.built;
}

} // namespace vexil::olive
