#pragma once

// What the parts of the collection code share: the line rules, the item codec and the file
// reading they are built on. Private to src/core/model.

#include "model/atomicfile.h"
#include "model/collection.h"
#include "model/failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>

namespace vexil::collectionformat {

inline const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
inline const QString kBreak = QStringLiteral("\\n");

// Like the platform's integer conversion: optional leading blanks, an optional sign, decimal
// digits, a 32-bit result; anything else is a conversion error naming the text.
int toInteger(QByteArrayView text);

// Calls `f` with every line of `bytes`: a line ends at CR LF, a lone CR or a lone LF, and a
// final break starts no line.
template <class F> inline void forEachLine(QByteArrayView bytes, F f)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        f(QByteArrayView(data + start, i - start));
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        f(QByteArrayView(data + start, size - start));
}

// The block rule for line i of a file.
void checkLine(qsizetype i, QByteArrayView line);

// The number a header line carries for the item search: the text after "Dg[" up to the next
// "]". False when the line has no "Dg[".
bool searchNumber(QByteArrayView line, int& number);

using BlockLines = std::array<QByteArrayView, kItemLines>;

// The 13 lines of a block body (each followed by a line end of any kind) as views.
BlockLines linesOfBody(QByteArrayView body);

// The first line of `bytes` and the offset just behind its line end.
QByteArrayView firstLine(QByteArrayView bytes, qsizetype& next);

// The item of a block's lines 1 to 12; throws Failure for a line that does not hold its part.
Item readBlock(const BlockLines& lines);

// Lines 1 to 12 of an item's block; everything is encoded before anything is stored, so that
// a refusal leaves every line as it was.
std::array<QByteArray, kItemLines - 2> encodeItem(const Item& item);

// Lines 1 to 13 of a block from its encoded lines, each followed by CR LF.
QByteArray bodyBytes(const std::array<QByteArray, kItemLines - 2>& lines);

// The whole file into one buffer of the program's own, however the file changes meanwhile:
// a file that shrinks gives fewer bytes, one that grows more. `arrived`, when given, is told
// after each chunk how many bytes of the buffer are in, so that they can be looked at while
// they are still in the cache.
QByteArray readRegularFile(const QString& path,
                           const std::function<void(const char*, qsizetype)>& arrived = {});

// Collections are written in place where the folder takes no new file: a user may keep them in
// a folder they can only write files of.
void writeFile(const QString& path, const FileBody& body);

} // namespace vexil::collectionformat
