#pragma once

#include "interchange/olive.h"
#include "model/collection.h"

#include <QString>

namespace vexil {

// Items as the LaTeX package of chess problem diagrams (diagram.sty) typesets them, the
// package problem magazines and tourney reports are set with.

struct LatexOptions {
    // A document that compiles on its own (preamble, the solutions at the end); otherwise
    // only the diagram environments, for a document that includes them.
    bool wholeDocument = true;
    // After each item a diagram of every twin, numbered "3b", "3c", ..., its change in the
    // remark; a twin that cannot be built gets the reason in its place.
    bool twinDiagrams = false;
};

// Text for LaTeX: its special characters escaped, control characters as blanks.
QString EscapeLatex(const QString& text);

// The author line as the package reads names: "Family, Given", several separated by "; ".
// A name written "Given Family" is turned round, a single word becomes the family name.
QString LatexAuthors(const QString& authors);

// A source whose text ends with a year ("The Problemist 2001", "Die Schwalbe, 1985") as the
// source without it and the year; otherwise the source whole and no year.
struct SourceYear {
    QString source;
    QString year;
    bool operator==(const SourceYear&) const = default;
};
SourceYear SplitSourceYear(const QString& source);

// A board in the package's notation: `pieces` for \pieces ("wKe1, sDUc4, nSd5"); `remark`
// names every piece drawn as a turned figure or with a specification, and every piece the
// package has no figure for (those are not in `pieces`); `notDrawn` lists the latter alone,
// for the report.
struct LatexBoard {
    QString pieces;
    QStringList remark;
    QStringList notDrawn;
    QStringList markers; // squares of the markers, which the package has no sign for
};
LatexBoard LatexBoardOf(const Board& board);

// The .tex text (UTF-8) of `items`, numbered by `numbers` (1, 2, ... when empty); the report
// names, item by item, what the package cannot show.
ExportedFile WriteLatex(const QList<Item>& items, const QList<int>& numbers,
                        const LatexOptions& options);

} // namespace vexil
