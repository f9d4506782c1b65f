#pragma once

#include "model/pieces.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vexil {

// The lines of a collection file, as the bytes that were read (Windows-1252, no line ends).
using Lines = QList<QByteArray>;

constexpr int kItemLines = 14;

// Bytes to lines: a line ends at CR LF, a lone CR or a lone LF; a final break starts no line.
Lines SplitLines(QByteArrayView bytes);
// Lines to bytes: every line, the last one included, followed by CR LF.
QByteArray JoinLines(const Lines& lines);

// Whole-file reading and writing. Writing goes through a temporary file beside the target
// that replaces it only once complete, so a failed write leaves the old file as it was.
// Both throw Failure ("Cannot open file %s", "Cannot create file %s").
Lines ReadLinesFile(const QString& path);
void WriteLinesFile(const QString& path, const Lines& lines);

// Checks the block rules; returns the number of items without the header item (-1 for no
// lines). Throws Failure: "Invalid file format!" or a conversion error.
int ValidateCollection(const Lines& lines);

// The index of the header line of item `number`, or -1. Only the first line of each block is
// looked at; the first match in file order wins. Throws Failure on a header that is no number.
int FindItemLine(const Lines& lines, int number);

QByteArray ItemHeaderLine(int number);
void EmptyItem(Lines& lines, int number);

QString QuoteToBackquote(QString text);

struct Item {
    Board board;
    QString author;
    QString source;
    QString stipulation;
    QString condition;
    QStringList twins;    // at least one line when the item has twins
    QStringList solution; // empty for an empty solution
    bool operator==(const Item&) const = default;
};

// Reads the item whose header line is at `headerLine`. Throws Failure for a block that is cut
// short, a line too short to hold its brackets, or a board value that is no integer; nothing
// is returned half read.
Item ReadItem(const Lines& lines, int headerLine);

// The item as it will be stored: apostrophes of author, source, twins and solution become
// backquotes, and a line break inside a one-line field (author, source, stipulation,
// condition) becomes a blank, so that the block keeps its 14 lines.
Item StorableItem(Item item);

// Rewrites lines 1 to 12 of the block at `headerLine` from a storable item. Throws Failure,
// before any line is changed, when a field holds a character that Windows-1252 cannot hold.
void WriteItem(Lines& lines, int headerLine, const Item& item);

// The text of the stipulation line between its brackets.
QString StipulationLineText(const Item& item);

} // namespace vexil
