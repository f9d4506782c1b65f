#pragma once

#include <QString>
#include <QStringList>

namespace vexil {

// A field of a CSV line (RFC 4180): quoted, with its quotes doubled, when it holds a comma, a
// quote or a line end; as it is otherwise.
QString CsvField(const QString& text);

// The fields joined by commas, each as CsvField gives it; no line end.
QString CsvLine(const QStringList& fields);

} // namespace vexil
