#pragma once

// The guard that keeps from yaml-cpp what it cannot read safely; private to
// src/core/interchange.

#include <QtGlobal>

#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexil::olive {

struct DocumentText {
    size_t begin = 0;
    size_t end = 0;
    int firstLine = 0;   // of the whole text, 0-based
    bool opened = false; // starts with a "---" line
};

// The documents of a YAML stream by their markers: a "---" line starts one, a "..." line ends
// one. Both stand at the start of a line, where no text of a document can (block texts are
// indented, and the markers end quoted texts too). A stretch holding nothing but comments and
// blank lines, such as a file's leading comment, is no document.
std::vector<DocumentText> documentsOf(const std::string& text);

// yaml-cpp 0.7 never returns from a document that holds a "," where a token starts outside a
// flow collection (",", "- a\n,", "\"a\" ,"). No valid YAML has one, so such a document is
// refused before the parser sees it. Gives the 0-based line and column of that comma.
std::optional<std::pair<int, int>> strayComma(std::string_view text);

// Whether a document must be measured before it is built: it may hold an alias, or it may
// hold more nodes than `room` has memory for.
bool mayRepeatOrSwell(std::string_view part, quint64 room);

// Olive writes no aliases; a hand-written file may share a few nodes.
inline constexpr quint64 kAliasBudget = 4 * 1024 * 1024;
// Thrown by builtBytes when the aliases of a document stand for more than kAliasBudget.
struct TooManyAliases {};

// What a document becomes once yaml-cpp has built it, in bytes, measured from the parser's
// events before it is built.
quint64 builtBytes(std::string_view part);

// The parser reads a document where it lies in the file's text, not from a copy of it.
class ViewStream : public std::streambuf {
public:
    explicit ViewStream(std::string_view text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

} // namespace vexil::olive
