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
QByteArray ReadWholeFile(const QString& path);
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

// The platform's integer conversion: optional leading blanks and sign, decimal digits, a
// 32-bit value. Throws the conversion error "'%s' is not a valid integer value".
int ToInteger(QStringView text);

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

// The open collection: per item block its header line and one byte string of its other 13
// lines, each followed by CR LF, exactly as they are written. A collection so takes little
// more memory than its file, and removing, moving and renumbering items touch no text.
//
// Every Collection keeps the block rules: it is made from validated lines, and every change
// keeps blocks numbered 0 to itemCount() in file order.
class Collection {
public:
    Collection() = default;

    // Throws Failure as ValidateCollection does. No bytes give an empty collection.
    static Collection fromBytes(QByteArrayView bytes);
    static Collection fromLines(const Lines& lines);
    static Collection fromFile(const QString& path);
    // The header item and one empty item, as a new collection file starts.
    static Collection newCollection();

    bool isEmpty() const { return m_blocks.isEmpty(); }
    // Items without the header item; -1 for an empty collection.
    int itemCount() const { return int(m_blocks.size()) - 1; }
    int lineCount() const { return int(m_blocks.size()) * kItemLines; }
    qsizetype byteSize() const;

    // The header line of item `number`, or -1: the first header in file order that carries
    // the number, as FindItemLine finds it in the lines.
    int FindItemLine(int number) const;
    QByteArray line(int index) const;
    Lines lines() const;
    QByteArray bytes() const;

    Item readItem(int headerLine) const;
    // Rewrites lines 1 to 12 of the block; throws Failure and changes nothing when an item
    // field cannot be stored.
    void writeItem(int headerLine, const Item& item);

    void appendEmptyItem();
    // Appends a copy of block `block` of `source` (which may be this collection), its lines
    // 1 to 13 as stored, numbered as the new last item. Throws Failure for no such item.
    void appendCopyOf(const Collection& source, int block);
    // Removes the item of block `number` and gives every item behind it the number one less.
    void removeItem(int number);
    // Moves the item of block `from` to block `to`; the items between shift by one into the
    // gap and are numbered by their new place.
    void moveItem(int from, int to);

    // Writes the whole collection to `path` atomically; throws "Cannot create file %s".
    void write(const QString& path) const;

    bool operator==(const Collection& other) const { return m_blocks == other.m_blocks; }

private:
    struct Block {
        // The header line; null for "Dg[k]=new Array" with k its place, as renumbering
        // writes it, so that renumbering costs no allocation.
        QByteArray header;
        QByteArray body; // lines 1 to 13, each followed by CR LF
        bool operator==(const Block&) const = default;
    };

    static bool fromCrLfBytes(QByteArrayView bytes, Collection& collection);
    void appendBlock(QByteArrayView header, QByteArray body);
    QByteArray headerOf(qsizetype block) const;
    // Appends the block's header line and its CR LF.
    void appendHeader(QByteArray& out, qsizetype block) const;
    void renumber(int fromNumber, int toNumber);
    void checkRegular();

    QList<Block> m_blocks;
    // True while every block's header carries its own block number, so that the first
    // header with a number is found at once; otherwise lookups walk the headers.
    bool m_regular = true;
};

} // namespace vexil
