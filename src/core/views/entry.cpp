#include "views/entry.h"

#include "model/cp1252.h"

#include <algorithm>
#include <charconv>

namespace vexil {
namespace {

constexpr int kAuthorOffset = 9;
constexpr int kSourceOffset = 10;
constexpr int kStipulationOffset = 12;
constexpr int kOpenerLength = 2;   // "['"
constexpr int kTextCloser = 3;     // "'],"
constexpr int kLastTextCloser = 4; // "']);"

// The header line of item `number`, when the collection holds that whole block.
int headerLineOf(const Collection& collection, int number) noexcept
{
    try {
        if (number < 1)
            return -1;
        const int line = collection.FindItemLine(number);
        if (line < 0 || line + kItemLines > collection.lineCount())
            return -1;
        return line;
    } catch (...) {
        return -1;
    }
}

// One board value: blanks around it are allowed, anything else makes the square empty.
PieceCode codeOf(QByteArrayView text)
{
    const QByteArrayView trimmed = text.trimmed();
    PieceCode code = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [ptr, error] = std::from_chars(trimmed.data(), end, code);
    return error == std::errc() && ptr == end ? code : 0;
}

} // namespace

QByteArrayView StoredText(QByteArrayView line, int closerLength)
{
    if (line.size() < kOpenerLength + closerLength)
        return {};
    return line.sliced(kOpenerLength, line.size() - kOpenerLength - closerLength);
}

Entry EntryOf(const Collection& collection, int number) noexcept
{
    Entry entry;
    const int line = headerLineOf(collection, number);
    if (line < 0)
        return entry;
    const QByteArray author = collection.line(line + kAuthorOffset);
    const QByteArray source = collection.line(line + kSourceOffset);
    const QByteArray stipulation = collection.line(line + kStipulationOffset);
    entry.title = QString::number(number) + QStringLiteral(". ") +
                  cp1252::decode(StoredText(author, kTextCloser));
    entry.source = cp1252::decode(StoredText(source, kTextCloser));
    QByteArrayView shown = StoredText(stipulation, kLastTextCloser);
    // The twins follow the first stored line break (backslash and n); the entry leaves them out.
    const qsizetype twins = shown.indexOf(QByteArrayView("\\n"));
    if (twins >= 0)
        shown = shown.first(twins);
    entry.stipulation = cp1252::decode(shown);
    return entry;
}

void ReadBoardRow(QByteArrayView text, PieceCode (&row)[8]) noexcept
{
    std::fill(std::begin(row), std::end(row), 0);
    const qsizetype open = text.indexOf('[');
    const qsizetype close = text.indexOf(']');
    if (open < 0 || close < open)
        return;
    QByteArrayView values = text.sliced(open + 1, close - open - 1);
    for (int column = 0; column < 8; ++column) {
        // The first seven values end at a comma; the eighth is the rest.
        const qsizetype comma = column < 7 ? values.indexOf(',') : -1;
        if (column < 7 && comma < 0) {
            row[column] = codeOf(values);
            break;
        }
        row[column] = codeOf(column < 7 ? values.first(comma) : values);
        if (column < 7)
            values = values.sliced(comma + 1);
    }
}

Board EntryBoard(const Collection& collection, int number) noexcept
{
    Board board;
    const int line = headerLineOf(collection, number);
    if (line < 0)
        return board;
    for (int row = 0; row < 8; ++row) {
        PieceCode values[8];
        ReadBoardRow(collection.line(line + 1 + row), values);
        std::copy(std::begin(values), std::end(values), board.squares[row].begin());
    }
    return board;
}

QString AccessibleEntryText(const Entry& entry)
{
    QStringList parts;
    for (const QString& part : {entry.title, entry.source, entry.stipulation}) {
        const QString text = part.trimmed();
        if (!text.isEmpty())
            parts << text;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace vexil
