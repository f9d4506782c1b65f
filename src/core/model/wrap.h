#pragma once

#include <QFont>
#include <QStringList>

namespace vexil {

// The lines of a multi-line field's text as the field wraps them: each paragraph broken at
// word boundaries (or anywhere, for a word longer than the line) so that every line fits
// `width` pixels of `font`. Save stores these lines, the clipboard and printing show them,
// so what is stored never depends on whether the field was ever on screen. An empty text
// gives no lines.
QStringList WrapLines(const QString& text, const QFont& font, qreal width);

} // namespace vexil
