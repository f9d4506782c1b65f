#include "model/collectionformat.h"

#include "model/cp1252.h"

#include <QRegularExpression>

#include <limits>

namespace vexil {

using namespace collectionformat;

namespace {

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

// A line break inside a twin or solution line makes two lines of it, as the fields show them.
QStringList splitAtBreaks(const QStringList& lines)
{
    static const QRegularExpression kBreaks(QStringLiteral("\r\n|\r|\n"));
    QStringList split;
    for (const QString& line : lines) {
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            split += line.split(kBreaks);
        else
            split += line;
    }
    return split;
}

} // namespace

namespace collectionformat {

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

void checkLine(qsizetype i, QByteArrayView line)
{
    const qsizetype offset = i % kItemLines;
    if (offset == kItemLines - 1 && !line.isEmpty())
        throw Failure::refusal(kInvalidFileFormat);
    if (offset == 0 && toInteger(bracketed(line)) != i / kItemLines)
        throw Failure::refusal(kInvalidFileFormat);
}

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

BlockLines linesOfBody(QByteArrayView body)
{
    BlockLines lines;
    int i = 1;
    forEachLine(body, [&](QByteArrayView line) {
        if (i < kItemLines)
            lines[i++] = line;
    });
    return lines;
}

QByteArrayView firstLine(QByteArrayView bytes, qsizetype& next)
{
    const char* data = bytes.data();
    qsizetype i = 0;
    while (i < bytes.size() && data[i] != '\r' && data[i] != '\n')
        ++i;
    next = i;
    if (next < bytes.size())
        next += data[i] == '\r' && i + 1 < bytes.size() && data[i + 1] == '\n' ? 2 : 1;
    return bytes.first(i);
}

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

std::array<QByteArray, kItemLines - 2> encodeItem(const Item& given)
{
    // A break stored as such would add lines to the block, and the next Open would refuse the
    // whole file: the one-line fields take a blank, the multi-line fields one more line.
    Item item = given;
    item.author = withoutBreaks(item.author);
    item.source = withoutBreaks(item.source);
    item.stipulation = withoutBreaks(item.stipulation);
    item.condition = withoutBreaks(item.condition);
    item.twins = splitAtBreaks(item.twins);
    item.solution = splitAtBreaks(item.solution);
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

QByteArray bodyBytes(const std::array<QByteArray, kItemLines - 2>& lines)
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

} // namespace collectionformat

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

} // namespace vexil
