#include "model/collection.h"

#include "model/cp1252.h"
#include "model/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>
#include <limits>

namespace vexil {
namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QString kBreak = QStringLiteral("\\n");

// Like the platform's integer conversion: optional leading blanks, an optional sign, decimal
// digits, a 32-bit result; anything else is a conversion error naming the text.
int toInteger(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        throw notAnInteger(cp1252::decode(text));
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw notAnInteger(cp1252::decode(text));
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            throw notAnInteger(cp1252::decode(text));
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max())
        throw notAnInteger(cp1252::decode(text));
    return int(value);
}

// The text between the first "[" and the first "]" after it.
QByteArrayView bracketed(QByteArrayView line)
{
    const qsizetype open = line.indexOf('[');
    const qsizetype close = open < 0 ? -1 : line.indexOf(']', open + 1);
    if (close < 0)
        throw Failure::refusal(kInvalidFileFormat);
    return line.sliced(open + 1, close - open - 1);
}

// A text line without its opener "['" and its closer "']," or "']);".
QString textOf(QByteArrayView line, int closerLength)
{
    if (line.size() < 2 + closerLength)
        throw Failure::refusal(kInvalidFileFormat);
    return cp1252::decode(line.sliced(2, line.size() - 2 - closerLength));
}

QString withoutBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar c : {QChar('\r'), QChar('\n'), QChar(0x2028), QChar(0x2029)})
        text.replace(c, QLatin1Char(' '));
    return text;
}

// Removes blanks and the characters below them from both ends.
QString trimmedControls(const QString& text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && text[start].unicode() <= ' ')
        ++start;
    while (end > start && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(start, end - start);
}

QByteArray encoded(const QString& text, const char* field)
{
    QByteArray bytes;
    if (!cp1252::encode(text, bytes)) {
        const QChar c = cp1252::firstUnencodable(text);
        throw Failure::refusal(
            QStringLiteral("The %1 contains the character \"%2\" (U+%3), which a collection "
                           "file cannot hold. Replace it and save again.")
                .arg(QLatin1String(field), QString(c),
                     QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper()));
    }
    return bytes;
}

// Calls `f` with every line of `bytes`: a line ends at CR LF, a lone CR or a lone LF, and a
// final break starts no line.
template <class F> void forEachLine(QByteArrayView bytes, F f)
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
void checkLine(qsizetype i, QByteArrayView line)
{
    const qsizetype offset = i % kItemLines;
    if (offset == kItemLines - 1 && !line.isEmpty())
        throw Failure::refusal(kInvalidFileFormat);
    if (offset == 0 && toInteger(bracketed(line)) != i / kItemLines)
        throw Failure::refusal(kInvalidFileFormat);
}

// The number a header line carries for the item search: the text after "Dg[" up to the next
// "]". False when the line has no "Dg[".
bool searchNumber(QByteArrayView line, int& number)
{
    static const QByteArray marker = QByteArrayLiteral("Dg[");
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return false;
    const qsizetype start = at + marker.size();
    const qsizetype close = line.indexOf(']', start);
    number = toInteger(line.sliced(start, (close < 0 ? line.size() : close) - start));
    return true;
}

using BlockLines = std::array<QByteArrayView, kItemLines>;

// The lines of a stored block (each line followed by CR LF, none holding a break).
BlockLines linesOf(const QByteArray& block)
{
    BlockLines lines;
    qsizetype start = 0;
    for (int i = 0; i < kItemLines; ++i) {
        const qsizetype end = block.indexOf('\r', start);
        lines[i] = QByteArrayView(block).sliced(start, end - start);
        start = end + 2;
    }
    return lines;
}

Item readBlock(const BlockLines& lines);
std::array<QByteArray, kItemLines - 2> encodeItem(const Item& item);

QByteArray blockOf(QByteArrayView header, const std::array<QByteArray, kItemLines - 2>& body)
{
    QByteArray block;
    qsizetype size = header.size() + 2 * kItemLines;
    for (const QByteArray& line : body)
        size += line.size();
    block.reserve(size);
    block += header;
    block += kLineEnd;
    for (const QByteArray& line : body) {
        block += line;
        block += kLineEnd;
    }
    block += kLineEnd;
    return block;
}

} // namespace

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

Lines ReadLinesFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure::error(QStringLiteral("Cannot open file %1").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure::error(QStringLiteral("Cannot open file %1").arg(path));
    return SplitLines(bytes);
}

void WriteLinesFile(const QString& path, const Lines& lines)
{
    QSaveFile file(path);
    const QByteArray bytes = JoinLines(lines);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure::error(QStringLiteral("Cannot create file %1").arg(path));
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

QByteArray ItemHeaderLine(int number)
{
    return "Dg[" + QByteArray::number(number) + "]=new Array";
}

void EmptyItem(Lines& lines, int number)
{
    lines.append(ItemHeaderLine(number));
    lines.append(QByteArrayLiteral("([0,0,0,0,0,0,0,0],"));
    for (int r = 1; r < 8; ++r)
        lines.append(QByteArrayLiteral("[0,0,0,0,0,0,0,0],"));
    for (int t = 0; t < 3; ++t)
        lines.append(QByteArrayLiteral("[''],"));
    lines.append(QByteArrayLiteral("['']);"));
    lines.append(QByteArray());
}

int ToInteger(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            throw notAnInteger(text.toString());
        bytes += char(c.unicode());
    }
    return toInteger(bytes);
}

QString QuoteToBackquote(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1Char('`'));
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

namespace {

Item readBlock(const BlockLines& lines)
{
    Item item;
    for (int r = 0; r < 8; ++r) {
        const QByteArrayView row = bracketed(lines[1 + r]);
        qsizetype pos = 0;
        for (int c = 0; c < 8; ++c) {
            qsizetype comma = c < 7 ? row.indexOf(',', pos) : -1;
            if (comma < 0)
                comma = row.size();
            item.board.at(r, c) = toInteger(row.sliced(pos, comma - pos));
            pos = qMin(comma + 1, row.size());
        }
    }
    item.author = textOf(lines[9], 3);
    item.source = textOf(lines[10], 3);

    const QString solution = textOf(lines[11], 3);
    if (!solution.isEmpty())
        item.solution = solution.split(kBreak);

    QString rest = textOf(lines[12], 4);
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        item.stipulation = rest;
        return item;
    }
    item.stipulation = rest.left(blank);
    QStringList parts = rest.mid(blank + 1).split(kBreak);
    item.condition = parts.takeFirst();
    item.twins = parts;
    return item;
}

// Lines 1 to 12 of an item's block; everything is encoded before anything is stored, so that
// a refusal leaves every line as it was.
std::array<QByteArray, kItemLines - 2> encodeItem(const Item& item)
{
    std::array<QByteArray, kItemLines - 2> lines;
    for (int r = 0; r < 8; ++r) {
        QByteArray row = r == 0 ? "([" : "[";
        for (int c = 0; c < 8; ++c) {
            if (c)
                row += ',';
            row += QByteArray::number(item.board.at(r, c));
        }
        lines[r] = row + "],";
    }
    lines[8] = "['" + encoded(item.author, "author") + "'],";
    lines[9] = "['" + encoded(item.source, "source") + "'],";
    lines[10] = "['" + encoded(item.solution.join(kBreak), "solution") + "'],";
    encoded(item.stipulation, "stipulation");
    encoded(item.condition, "condition");
    encoded(item.twins.join(kBreak), "twins");
    lines[11] = "['" + encoded(StipulationLineText(item), "twins") + "']);";
    return lines;
}

} // namespace

Item StorableItem(Item item)
{
    item.author = QuoteToBackquote(withoutBreaks(item.author));
    item.source = QuoteToBackquote(withoutBreaks(item.source));
    item.stipulation = withoutBreaks(item.stipulation);
    item.condition = withoutBreaks(item.condition);
    for (QString& line : item.twins)
        line = QuoteToBackquote(withoutBreaks(line));
    for (QString& line : item.solution)
        line = QuoteToBackquote(withoutBreaks(line));
    return item;
}

QString StipulationLineText(const Item& item)
{
    QString text = trimmedControls(item.stipulation) + QLatin1Char(' ') + item.condition;
    for (const QString& twin : item.twins)
        text += kBreak + twin;
    return text;
}

void WriteItem(Lines& lines, int headerLine, const Item& item)
{
    if (headerLine < 0 || headerLine + kItemLines - 1 > lines.size())
        throw Failure::refusal(kInvalidFileFormat);
    const auto body = encodeItem(item);
    for (int i = 0; i < kItemLines - 2; ++i)
        lines[headerLine + 1 + i] = body[i];
}

Collection Collection::fromBytes(QByteArrayView bytes)
{
    // The line count is checked before any line, as the validation does.
    qsizetype count = 0;
    forEachLine(bytes, [&](QByteArrayView) { ++count; });
    if (count % kItemLines != 0)
        throw Failure::refusal(kInvalidFileFormat);
    Collection collection;
    collection.m_blocks.reserve(count / kItemLines);
    QByteArray block;
    qsizetype i = 0;
    forEachLine(bytes, [&](QByteArrayView line) {
        checkLine(i, line);
        block += line;
        block += kLineEnd;
        if (i % kItemLines == kItemLines - 1) {
            collection.m_blocks.append(block);
            block.clear();
        }
        ++i;
    });
    collection.checkRegular();
    return collection;
}

Collection Collection::fromLines(const Lines& lines)
{
    return fromBytes(JoinLines(lines));
}

Collection Collection::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure::error(QStringLiteral("Cannot open file %1").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure::error(QStringLiteral("Cannot open file %1").arg(path));
    return fromBytes(bytes);
}

Collection Collection::newCollection()
{
    Collection collection;
    collection.appendEmptyItem();
    collection.appendEmptyItem();
    return collection;
}

qsizetype Collection::byteSize() const
{
    qsizetype size = 0;
    for (const QByteArray& block : m_blocks)
        size += block.size();
    return size;
}

void Collection::checkRegular()
{
    m_regular = true;
    for (qsizetype k = 0; k < m_blocks.size() && m_regular; ++k) {
        int number = 0;
        try {
            m_regular = searchNumber(linesOf(m_blocks[k])[0], number) && number == k;
        } catch (const Failure&) {
            m_regular = false;
        }
    }
}

int Collection::FindItemLine(int number) const
{
    if (m_regular)
        return number >= 0 && number < m_blocks.size() ? number * kItemLines : -1;
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        int found = 0;
        if (searchNumber(linesOf(m_blocks[k])[0], found) && found == number)
            return int(k * kItemLines);
    }
    return -1;
}

QByteArray Collection::line(int index) const
{
    return linesOf(m_blocks.at(index / kItemLines))[index % kItemLines].toByteArray();
}

Lines Collection::lines() const
{
    Lines lines;
    lines.reserve(lineCount());
    for (const QByteArray& block : m_blocks)
        for (QByteArrayView line : linesOf(block))
            lines.append(line.toByteArray());
    return lines;
}

QByteArray Collection::bytes() const
{
    QByteArray bytes;
    bytes.reserve(byteSize());
    for (const QByteArray& block : m_blocks)
        bytes += block;
    return bytes;
}

Item Collection::readItem(int headerLine) const
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    return readBlock(linesOf(m_blocks[headerLine / kItemLines]));
}

void Collection::writeItem(int headerLine, const Item& item)
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    QByteArray& block = m_blocks[headerLine / kItemLines];
    block = blockOf(linesOf(block)[0], encodeItem(item));
}

void Collection::appendEmptyItem()
{
    Lines lines;
    EmptyItem(lines, int(m_blocks.size()));
    m_blocks.append(JoinLines(lines));
}

void Collection::renumber(int fromNumber, int toNumber)
{
    for (int k = fromNumber; k <= toNumber; ++k) {
        QByteArray& block = m_blocks[k];
        const qsizetype headerEnd = block.indexOf('\r');
        block = ItemHeaderLine(k) + QByteArrayView(block).sliced(headerEnd).toByteArray();
    }
}

void Collection::removeItem(int number)
{
    if (number < 1 || number >= m_blocks.size())
        return;
    m_blocks.removeAt(number);
    renumber(number, int(m_blocks.size()) - 1);
    if (!m_regular)
        checkRegular();
}

void Collection::moveItem(int from, int to)
{
    const int last = int(m_blocks.size()) - 1;
    if (from < 1 || from > last || to < 1 || to > last || from == to)
        return;
    m_blocks.move(from, to);
    renumber(qMin(from, to), qMax(from, to));
    if (!m_regular)
        checkRegular();
}

void Collection::write(const QString& path) const
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    for (qsizetype k = 0; ok && k < m_blocks.size(); ++k)
        ok = file.write(m_blocks[k]) == m_blocks[k].size();
    if (!ok || !file.commit())
        throw Failure::error(QStringLiteral("Cannot create file %1").arg(path));
}

} // namespace vexil
