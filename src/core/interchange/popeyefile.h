#pragma once

#include "interchange/olive.h"

#include <QStringList>

#include <functional>

namespace vexil {

// Popeye's own input files: problems between "BeginProblem" and "EndProblem", separated by
// "NextProblem", in English keywords that may be cut to any unique prefix ("Stip").

// True when the first word of the text is "BeginProblem" (case ignored).
bool IsPopeyeFile(QByteArrayView bytes);

// Reads every problem of a Popeye file into an item: "Author" lines into the author line,
// "Origin", "Award" and "Title" into the source line, "Pieces" and "Forsyth" into the board,
// "Stipulation", "Condition", the options "Duplex" and "WhiteToPlay" (into the condition, where
// the Popeye text takes them from), "Twin" and "ZeroPosition" lines. Everything else is
// reported with its problem. A file cut short keeps the problem it was in, reported. Throws
// Failure when the file holds no "BeginProblem".
ImportedItems ReadPopeyeFile(QByteArrayView bytes);

// The Popeye text of one item, "BeginProblem" to "EndProblem" (the solve window's text).
using PopeyeText = std::function<QStringList(const Item&)>;

// The items as one Popeye file, one problem after another, each as `popeyeText` gives it;
// Windows-1252 with CR LF. The report names what a Popeye file cannot hold (markers, the
// Andernach grasshopper, a stipulation with blanks, "AfterKey" twins, solutions).
ExportedFile WritePopeyeFile(const QList<Item>& items, const PopeyeText& popeyeText,
                             const QList<int>& numbers = {});

// `existing` (a Popeye file's bytes, possibly empty) with the items appended as further
// problems: its final "EndProblem" becomes "NextProblem".
ExportedFile AppendPopeyeFile(QByteArrayView existing, const QList<Item>& items,
                              const PopeyeText& popeyeText, const QList<int>& numbers = {});

// What a Popeye file cannot hold of one item, each note starting with the field it concerns.
QStringList PopeyeFileLosses(const Item& item);

} // namespace vexil
