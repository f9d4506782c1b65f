#include "model/collection.h"

#include "model/cp1252.h"
#include "model/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

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
        // An emoji is a pair of UTF-16 halves; the user knows it as one character.
        const qsizetype at = text.indexOf(c);
        char32_t point = c.unicode();
        if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
            point = QChar::surrogateToUcs4(c, text[at + 1]);
        throw Failure::refusal(
            QStringLiteral("The %1 contains the character \"%2\" (U+%3), which a collection "
                           "file cannot hold. Replace it and save again.")
                .arg(QLatin1String(field), QString::fromUcs4(&point, 1),
                     QStringLiteral("%1").arg(uint(point), 4, 16, QLatin1Char('0')).toUpper()));
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

qsizetype digitCount(qsizetype value)
{
    qsizetype digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// The lines of a stored block: its header, then the 13 lines of its body (each followed by
// CR LF, none holding a break).
BlockLines linesOf(QByteArrayView header, const QByteArray& body)
{
    BlockLines lines;
    lines[0] = header;
    qsizetype start = 0;
    for (int i = 1; i < kItemLines; ++i) {
        const qsizetype end = body.indexOf('\r', start);
        lines[i] = QByteArrayView(body).sliced(start, end - start);
        start = end + 2;
    }
    return lines;
}

Item readBlock(const BlockLines& lines);
std::array<QByteArray, kItemLines - 2> encodeItem(const Item& item);

QByteArray bodyOf(const std::array<QByteArray, kItemLines - 2>& lines)
{
    qsizetype size = 2 * (kItemLines - 1);
    for (const QByteArray& line : lines)
        size += line.size();
    QByteArray body;
    body.reserve(size);
    for (const QByteArray& line : lines) {
        body += line;
        body += kLineEnd;
    }
    body += kLineEnd;
    return body;
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

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw cannotOpen(path);
    return bytes;
}

Lines ReadLinesFile(const QString& path)
{
    return SplitLines(ReadWholeFile(path));
}

void WriteLinesFile(const QString& path, const Lines& lines)
{
    QSaveFile file(path);
    const QByteArray bytes = JoinLines(lines);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw cannotCreate(path);
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

bool Collection::fromCrLfBytes(QByteArrayView bytes, Collection& collection)
{
    // The usual file: every line ends in CR LF, the last one included. One pass finds the
    // lines with memchr and checks the block rules; anything else takes the general path.
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    if (size < 2 || data[size - 1] != '\n' || data[size - 2] != '\r')
        return false;
    QList<qsizetype> blockStarts;
    blockStarts.reserve(size / 256 + 1);
    std::optional<Failure> firstFailure;
    qsizetype line = 0;
    for (qsizetype p = 0; p < size; ++line) {
        const auto* lf = static_cast<const char*>(std::memchr(data + p, '\n', size - p));
        const qsizetype end = lf - data;
        // The first CR of the line must be the one that ends it: no lone CR inside.
        if (end == p || std::memchr(data + p, '\r', end - p) != data + end - 1)
            return false;
        if (line % kItemLines == 0)
            blockStarts.append(p);
        if (!firstFailure) {
            try {
                checkLine(line, QByteArrayView(data + p, end - 1 - p));
            } catch (const Failure& failure) {
                firstFailure = failure;
            }
        }
        p = end + 1;
    }
    // The line count is checked before any line, as the validation does.
    if (line % kItemLines != 0)
        throw Failure::refusal(kInvalidFileFormat);
    if (firstFailure)
        throw *firstFailure;
    collection.m_blocks.reserve(blockStarts.size());
    for (qsizetype k = 0; k < blockStarts.size(); ++k) {
        const qsizetype start = blockStarts[k];
        const qsizetype headerEnd = bytes.indexOf('\r', start);
        const qsizetype next = k + 1 < blockStarts.size() ? blockStarts[k + 1] : size;
        collection.appendBlock(bytes.sliced(start, headerEnd - start),
                               bytes.sliced(headerEnd + 2, next - headerEnd - 2).toByteArray());
    }
    return true;
}

Collection Collection::fromBytes(QByteArrayView bytes)
{
    Collection collection;
    if (bytes.isEmpty())
        return collection;
    if (!fromCrLfBytes(bytes, collection)) {
        collection = Collection();
        const Lines lines = SplitLines(bytes);
        ValidateCollection(lines);
        for (qsizetype k = 0; k < lines.size(); k += kItemLines) {
            QByteArray body;
            for (int i = 1; i < kItemLines; ++i)
                body += lines[k + i] + kLineEnd;
            collection.appendBlock(lines[k], body);
        }
    }
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
        throw cannotOpen(path);
    // Mapped rather than read: the blocks copy what they need, and a large file is not held
    // twice in memory on the way.
    const qint64 size = file.size();
    if (size > 0) {
        if (uchar* mapped = file.map(0, size)) {
            const Collection collection =
                fromBytes(QByteArrayView(reinterpret_cast<const char*>(mapped), size));
            file.unmap(mapped);
            return collection;
        }
    }
    return fromBytes(ReadWholeFile(path));
}

Collection Collection::newCollection()
{
    Collection collection;
    collection.appendEmptyItem();
    collection.appendEmptyItem();
    return collection;
}

void Collection::appendBlock(QByteArrayView header, QByteArray body)
{
    const qsizetype k = m_blocks.size();
    const bool canonical = header == QByteArrayView(ItemHeaderLine(int(k)));
    m_blocks.append({canonical ? QByteArray() : header.toByteArray(), std::move(body)});
}

QByteArray Collection::headerOf(qsizetype block) const
{
    const QByteArray& header = m_blocks[block].header;
    return header.isNull() ? ItemHeaderLine(int(block)) : header;
}

void Collection::appendHeader(QByteArray& out, qsizetype block) const
{
    const QByteArray& header = m_blocks[block].header;
    if (header.isNull()) {
        // "Dg[k]=new Array" without building it as a string of its own.
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, block).ptr;
        out += "Dg[";
        out += QByteArrayView(digits, end - digits);
        out += "]=new Array\r\n";
    } else {
        out += header;
        out += kLineEnd;
    }
}

qsizetype Collection::byteSize() const
{
    static constexpr qsizetype kCanonical = sizeof("Dg[]=new Array\r\n") - 1;
    qsizetype size = 0;
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        const Block& block = m_blocks[k];
        size += block.body.size() + (block.header.isNull() ? kCanonical + digitCount(k)
                                                            : block.header.size() + 2);
    }
    return size;
}

void Collection::checkRegular()
{
    m_regular = true;
    for (qsizetype k = 0; k < m_blocks.size() && m_regular; ++k) {
        if (m_blocks[k].header.isNull())
            continue;
        int number = 0;
        try {
            m_regular = searchNumber(m_blocks[k].header, number) && number == k;
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
        if (searchNumber(headerOf(k), found) && found == number)
            return int(k * kItemLines);
    }
    return -1;
}

QByteArray Collection::line(int index) const
{
    const qsizetype k = index / kItemLines;
    const QByteArray header = headerOf(k);
    return linesOf(header, m_blocks.at(k).body)[index % kItemLines].toByteArray();
}

Lines Collection::lines() const
{
    Lines lines;
    lines.reserve(lineCount());
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        const QByteArray header = headerOf(k);
        for (QByteArrayView line : linesOf(header, m_blocks[k].body))
            lines.append(line.toByteArray());
    }
    return lines;
}

QByteArray Collection::bytes() const
{
    QByteArray bytes;
    bytes.reserve(byteSize());
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        appendHeader(bytes, k);
        bytes += m_blocks[k].body;
    }
    return bytes;
}

Item Collection::readItem(int headerLine) const
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    return readBlock(linesOf({}, m_blocks[headerLine / kItemLines].body));
}

void Collection::writeItem(int headerLine, const Item& item)
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    m_blocks[headerLine / kItemLines].body = bodyOf(encodeItem(item));
}

void Collection::appendEmptyItem()
{
    Lines lines;
    EmptyItem(lines, int(m_blocks.size()));
    QByteArray body;
    for (int i = 1; i < kItemLines; ++i)
        body += lines[i] + kLineEnd;
    appendBlock(lines[0], body);
}

void Collection::appendCopyOf(const Collection& source, int block)
{
    if (block < 1 || block >= source.m_blocks.size())
        throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(block));
    // A copy, not a reference: appending to this very collection may move its blocks.
    const QByteArray body = source.m_blocks[block].body;
    appendBlock(ItemHeaderLine(int(m_blocks.size())), body);
}

void Collection::renumber(int fromNumber, int toNumber)
{
    for (int k = fromNumber; k <= toNumber; ++k)
        if (!m_blocks[k].header.isNull())
            m_blocks[k].header = QByteArray();
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
    // Written in chunks: one write per block would be one system call per item.
    constexpr qsizetype kChunk = 1 << 20;
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    QByteArray chunk;
    chunk.reserve(kChunk + 4096);
    for (qsizetype k = 0; ok && k < m_blocks.size(); ++k) {
        const Block& block = m_blocks[k];
        appendHeader(chunk, k);
        chunk += block.body;
        if (chunk.size() >= kChunk || k + 1 == m_blocks.size()) {
            ok = file.write(chunk) == chunk.size();
            chunk.resize(0);
        }
    }
    if (!ok || !file.commit())
        throw cannotCreate(path);
}

} // namespace vexil
