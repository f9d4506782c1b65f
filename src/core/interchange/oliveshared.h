#pragma once

// What the .olv reader, writer and YAML guard share; private to src/core/interchange.

#include "interchange/report.h"

#include <QString>
#include <QStringView>

namespace vexil::olive {

inline const QString kSourceComment = QStringLiteral("Source: ");
inline const QString kAuthorsComment = QStringLiteral("Authors: ");
// Lines at the end of an item's solution that hold entry fields the item has no place for.
inline const QString kCommentLine = QStringLiteral("Comment: ");
inline const QString kKeywordsLine = QStringLiteral("Keywords: ");
inline const QString kOptionsLine = QStringLiteral("Options: ");

// Popeye's option words that steer the solving rather than state the problem. YACPDB keeps them
// among the conditions in `options`; an item keeps them at the end of its solution. Options that
// change what the position means (EnPassant, NoCastling, HalfDuplex, ...) are no solving
// options: they stay with the condition, from where the Popeye text takes them.
bool isSolvingOption(QStringView option);

// A text named in a note; a long one is cut, since the report is for reading.
QString shortened(const QString& text);
QString quoted(const QString& text);

} // namespace vexil::olive
