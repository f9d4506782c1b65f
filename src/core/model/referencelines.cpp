// The line-based reader of collections: every line of the file as its own QByteArray. The
// open collection (Collection) does not read this way; this is the plain reading its results
// are held against in the tests and the differential fuzz target, kept simple on purpose.

#include "model/collectionformat.h"

namespace vexil {

using namespace collectionformat;

Lines SplitLines(QByteArrayView bytes)
{
    Lines lines;
    forEachLine(bytes, [&](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

QByteArray JoinLines(const Lines& lines)
{
    qsizetype total = 0;
    for (const QByteArray& line : lines)
        total += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(total);
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += kLineEnd;
    }
    return bytes;
}

int ValidateCollection(const Lines& lines)
{
    if (lines.size() % kItemLines != 0)
        throw Failure::refusal(kInvalidFileFormat);
    for (qsizetype i = 0; i < lines.size(); ++i)
        checkLine(i, lines[i]);
    return int(lines.size() / kItemLines) - 1;
}

int FindItemLine(const Lines& lines, int number)
{
    for (qsizetype i = 0; i < lines.size(); i += kItemLines) {
        int found = 0;
        if (searchNumber(lines[i], found) && found == number)
            return int(i);
    }
    return -1;
}

Item ReadItem(const Lines& lines, int headerLine)
{
    if (headerLine < 0 || headerLine + kItemLines - 1 > lines.size())
        throw Failure::refusal(kInvalidFileFormat);
    BlockLines block;
    for (int i = 0; i < kItemLines - 1; ++i)
        block[i] = lines[headerLine + i];
    return readBlock(block);
}

void WriteItem(Lines& lines, int headerLine, const Item& item)
{
    if (headerLine < 0 || headerLine + kItemLines - 1 > lines.size())
        throw Failure::refusal(kInvalidFileFormat);
    const auto body = encodeItem(item);
    for (int i = 0; i < kItemLines - 2; ++i)
        lines[headerLine + 1 + i] = body[i];
}

} // namespace vexil
