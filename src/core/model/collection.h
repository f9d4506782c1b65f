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

// The line-based reference reader (referencelines.cpp): SplitLines, JoinLines,
// ValidateCollection, FindItemLine, ReadItem and WriteItem over Lines. Collection reads
// otherwise; tests and the differential fuzz target hold it against these.

// Bytes to lines: a line ends at CR LF, a lone CR or a lone LF; a final break starts no line.
Lines SplitLines(QByteArrayView bytes);
// Lines to bytes: every line, the last one included, followed by CR LF.
QByteArray JoinLines(const Lines& lines);

// Whole-file reading and writing. Writing goes through a temporary file beside the target
// that replaces it only once complete, so a failed write leaves the old file as it was; where
// the folder takes no new file, the file is written in place. Only regular files (or links to
// them) are read; writes go through WriteFileAtomically, which replaces only a regular file
// that may be written, never a link. Both throw Failure ("Cannot open file %s", "%s is not a
// regular file", "Cannot create file %s").
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

// The open collection. It holds the file's bytes in one private buffer (never a mapping of
// the file, which another program may rewrite under it) with the offset of every block, and
// per item block where its lines are: still in that buffer, or rewritten by writeItem. An
// item's text is decoded only when it is read; writing streams unchanged runs of blocks from
// the buffer. Every line end is written as CR LF, every other byte as it was read.
//
// Every Collection keeps the block rules: it is made from validated lines, and every change
// keeps blocks numbered 0 to itemCount() in file order. Copies are cheap (implicit sharing).
struct BlockIndex;

class Collection {
public:
    Collection() = default;

    // Throws Failure as ValidateCollection does, with the same message for the same bytes.
    // No bytes give an empty collection.
    static Collection fromBytes(QByteArrayView bytes);
    static Collection fromLines(const Lines& lines);
    // Reads only a regular file (or a link to one); anything else is refused with
    // "%s is not a regular file", a file that cannot be read with "Cannot open file %s".
    static Collection fromFile(const QString& path);
    // The header item and one empty item, as a new collection file starts.
    static Collection newCollection();

    bool isEmpty() const { return m_blocks.isEmpty(); }
    // Items without the header item; -1 for an empty collection.
    int itemCount() const { return int(m_blocks.size()) - 1; }
    int lineCount() const { return int(m_blocks.size()) * kItemLines; }
    // The size of the file that write() writes.
    qsizetype byteSize() const;

    // The header line of item `number`, or -1: the first header in file order that carries
    // the number, as FindItemLine finds it in the lines.
    int FindItemLine(int number) const;
    QByteArray line(int index) const;
    // Lines 1 to 13 of block `block` as stored (each followed by its line end: CR LF, or as
    // the file had it), without a copy; valid while the collection lives unchanged. Scans of
    // every item read through this rather than line() or readItem().
    QByteArrayView storedBody(int block) const { return bodyOf(block); }
    // True when every line end of storedBody() is CR LF (no lone CR or LF anywhere).
    bool storedLineEndsAreCrLf() const { return m_crlf; }
    Lines lines() const;
    QByteArray bytes() const;

    Item readItem(int headerLine) const;
    // Rewrites lines 1 to 12 of the block; throws Failure and changes nothing when an item
    // field cannot be stored. Whatever the item holds, the block keeps its 14 lines: a line
    // break inside author, source, stipulation or condition is stored as a blank, one inside
    // a twin or solution line starts a line of its own (as WriteItem does).
    void writeItem(int headerLine, const Item& item);

    void appendEmptyItem();
    // Appends a copy of block `block` of `source` (which may be this collection), its lines
    // 1 to 13 as stored, numbered as the new last item. Throws Failure for no such item.
    void appendCopyOf(const Collection& source, int block);
    // Removes the item of block `number` and gives every item behind it the number one less.
    // Throws Failure, changing nothing, unless 1 <= number <= itemCount().
    void removeItem(int number);
    // Moves the item of block `from` to block `to`; the items between shift by one into the
    // gap and are numbered by their new place. Throws Failure, changing nothing, unless both
    // lie in 1 to itemCount(); from == to changes nothing.
    void moveItem(int from, int to);

    // Writes the whole collection to `path` atomically (in place where the folder takes no
    // temporary file); throws "Cannot create file %s", also for a target that exists as
    // something else than a writable regular file (a link, a device, a pipe, a folder, a
    // read-only file), which stays as it is.
    void write(const QString& path) const;

    // Same items, same bytes written.
    bool operator==(const Collection& other) const;

private:
    struct Block {
        qint32 source = -1; // its place among the blocks of m_source; -1 for an appended block
        qint32 body = -1;   // its lines 1 to 13 in m_bodies once rewritten, else -1
        // The header reads "Dg[k]=new Array" for its place k, whatever m_source holds: set by
        // renumbering and for appended blocks, so that renumbering writes no text.
        bool canonical = false;
        bool operator==(const Block&) const = default;
    };

    static Collection fromBuffer(QByteArray bytes);
    static Collection fromIndexedBuffer(QByteArray bytes, BlockIndex& index);
    QByteArrayView sourceBlock(qint32 source) const;
    QByteArray headerOf(qsizetype block) const;
    // Lines 1 to 13 of the block, each followed by its line end (CR LF once rewritten).
    QByteArrayView bodyOf(qsizetype block) const;
    // Appends the block's lines, each followed by CR LF.
    void appendBlock(QByteArray& out, qsizetype block) const;
    // Calls `out` with the bytes of the file in order; stops when it returns false.
    template <class Out> bool stream(Out out) const;
    void renumber(int fromNumber, int toNumber);
    void checkRegular();

    QByteArray m_source;        // the bytes read, never changed
    QList<qint64> m_starts;     // offset of every block in m_source, and its size at the end
    bool m_crlf = true;         // every line end in m_source is CR LF
    QList<QByteArray> m_bodies; // rewritten block bodies, lines ending in CR LF
    QList<Block> m_blocks;
    // True while every block's header carries its own block number, so that the first
    // header with a number is found at once; otherwise lookups walk the headers.
    bool m_regular = true;
};

} // namespace vexil
