#pragma once

#include "model/collection.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vexil {

// The state of the option controls of the solve window's "Popeye" tab.
struct PopeyeOptions {
    bool Try = false;
    bool Set = false;
    bool Variation = true;
    int Defence = 1;
    int MaxSolutions = 0;
    bool NoThreat = false;
    bool PostKeyPlay = false;
    bool NoWk = false;
    QString Option; // the "Option" list's text, a chosen or typed entry
};

// A word that Popeye takes for its "Protocol" keyword wherever it reads keywords (after the
// stipulation, among the conditions, in a twin line): it then appends its whole output to the
// file named by the next word. An item's text must never hand Popeye such an order.
struct PopeyeFileWord {
    QString field; // "stipulation", "condition", "twins"; empty for a line of the text itself
    int line = 0;  // the line of the text it stands in, from 1
    QString word;  // as written
};

struct PopeyeInput {
    QStringList lines;        // the text, one entry per line, without line ends
    QStringList refusedTwins; // the twin lines left out because Popeye cannot read them
    // The twin lines written as Popeye prints its twins ("b) wRg6-->g7"), which went into
    // the text as the twin commands they stand for.
    QStringList rewrittenTwins;
    // The first word of an item field that must not reach Popeye; the text is built all the
    // same, for the user to read, but is not to be solved.
    std::optional<PopeyeFileWord> fileWord;
};

inline const QString kAfterKeyRefused =
    QStringLiteral("POPEYE does not support \"AfterKey\" twin!");

// The Popeye problem text of an item as the main window shows it. `programFolder` ends with
// its separator; the protocol goes to "py.txt" there. Twin lines holding "AfterKey" are left
// out and listed in `refusedTwins`, for one message each.
PopeyeInput BuildPopeyeInput(const Item& item, const PopeyeOptions& options,
                             const QString& programFolder);

// The twin command for a twin line written as Popeye prints it in its solutions:
// "b) wRg6-->g7" is "Twin Move g6 g7", "+c) -bPc4" "Twin Cont Remove c4", "e) Q ==> R"
// "Twin Substitute Q R". A bare first-twin heading ("a)") stands for no command at all and
// gives an empty text. None for a line that is not written so (a twin command, free text).
std::optional<QString> TwinCommandOf(const QString& line);
// The first word of `lines` that Popeye would take for "Protocol" (the whole word or a
// shortening down to "prot", any letter case), outside the text of an "Author" or "Origin"
// line, which Popeye reads to the end of the line. The line `ownProtocol`, the one that names
// the program's own output file, is allowed. `field` of the result is left empty.
std::optional<PopeyeFileWord> FindPopeyeFileWord(const QStringList& lines,
                                                 const QString& ownProtocol = QString());

// Why an item is not given to Popeye: `item` names it ("Item 3", "The item shown").
QString PopeyeFileWordMessage(const QString& item, const PopeyeFileWord& found);
// Why a text typed or edited by the user is not given to Popeye.
QString PopeyeFileWordLineMessage(const PopeyeFileWord& found);

// The "Protocol" line of a text built for `programFolder`.
QString PopeyeProtocolLine(const QString& programFolder);

// The word Popeye reads for a piece specification (row 1 to 13): the row's own name, except
// where Popeye knows the specification by another name. Empty outside the rows.
QString PopeyeSpecificationWord(int specification);

// Popeye ends with "input line overflow" (and crashes on longer text) when the text after a
// keyword that takes the rest of its line reaches this many characters.
constexpr int kPopeyeLineTextLimit = 256;

// The first line of a Popeye text that Popeye cannot read for its length, as a message for
// the user; none when every line can be read.
std::optional<QString> PopeyeLineTooLong(const QStringList& lines);

// The arguments Popeye is started with; the memory text is one argument whatever it holds.
QStringList PopeyeArguments(const QString& memory);

} // namespace vexil
