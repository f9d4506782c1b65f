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
QByteArrayView bracketed(const QByteArray& line)
{
    const qsizetype open = line.indexOf('[');
    const qsizetype close = open < 0 ? -1 : line.indexOf(']', open + 1);
    if (close < 0)
        throw Failure::refusal(kInvalidFileFormat);
    return QByteArrayView(line).sliced(open + 1, close - open - 1);
}

// A text line without its opener "['" and its closer "']," or "']);".
QString textOf(const QByteArray& line, int closerLength)
{
    if (line.size() < 2 + closerLength)
        throw Failure::refusal(kInvalidFileFormat);
    return cp1252::decode(QByteArrayView(line).sliced(2, line.size() - 2 - closerLength));
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

} // namespace

Lines SplitLines(QByteArrayView bytes)
{
    Lines lines;
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QByteArray(data + start, i - start));
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QByteArray(data + start, size - start));
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
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype offset = i % kItemLines;
        if (offset == kItemLines - 1 && !lines[i].isEmpty())
            throw Failure::refusal(kInvalidFileFormat);
        if (offset == 0 && toInteger(bracketed(lines[i])) != i / kItemLines)
            throw Failure::refusal(kInvalidFileFormat);
    }
    return int(lines.size() / kItemLines) - 1;
}

int FindItemLine(const Lines& lines, int number)
{
    static const QByteArray marker = QByteArrayLiteral("Dg[");
    for (qsizetype i = 0; i < lines.size(); i += kItemLines) {
        const QByteArray& line = lines[i];
        const qsizetype at = line.indexOf(marker);
        if (at < 0)
            continue;
        const qsizetype start = at + marker.size();
        const qsizetype close = line.indexOf(']', start);
        const QByteArrayView digits = QByteArrayView(line).sliced(
            start, (close < 0 ? line.size() : close) - start);
        if (toInteger(digits) == number)
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

QString QuoteToBackquote(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1Char('`'));
}

Item ReadItem(const Lines& lines, int headerLine)
{
    if (headerLine < 0 || headerLine + kItemLines - 1 > lines.size())
        throw Failure::refusal(kInvalidFileFormat);
    Item item;
    for (int r = 0; r < 8; ++r) {
        const QByteArrayView row = bracketed(lines[headerLine + 1 + r]);
        qsizetype pos = 0;
        for (int c = 0; c < 8; ++c) {
            qsizetype comma = c < 7 ? row.indexOf(',', pos) : -1;
            if (comma < 0)
                comma = row.size();
            item.board.at(r, c) = toInteger(row.sliced(pos, comma - pos));
            pos = qMin(comma + 1, row.size());
        }
    }
    item.author = textOf(lines[headerLine + 9], 3);
    item.source = textOf(lines[headerLine + 10], 3);

    const QString solution = textOf(lines[headerLine + 11], 3);
    if (!solution.isEmpty())
        item.solution = solution.split(kBreak);

    QString rest = textOf(lines[headerLine + 12], 4);
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
    // Everything is encoded first, so that a refusal leaves every line as it was.
    QByteArray rows[8];
    for (int r = 0; r < 8; ++r) {
        QByteArray row = r == 0 ? "([" : "[";
        for (int c = 0; c < 8; ++c) {
            if (c)
                row += ',';
            row += QByteArray::number(item.board.at(r, c));
        }
        rows[r] = row + "],";
    }
    const QByteArray author = "['" + encoded(item.author, "author") + "'],";
    const QByteArray source = "['" + encoded(item.source, "source") + "'],";
    const QByteArray solution = "['" + encoded(item.solution.join(kBreak), "solution") + "'],";
    encoded(item.stipulation, "stipulation");
    encoded(item.condition, "condition");
    encoded(item.twins.join(kBreak), "twins");
    const QByteArray stipulation = "['" + encoded(StipulationLineText(item), "twins") + "']);";

    for (int r = 0; r < 8; ++r)
        lines[headerLine + 1 + r] = rows[r];
    lines[headerLine + 9] = author;
    lines[headerLine + 10] = source;
    lines[headerLine + 11] = solution;
    lines[headerLine + 12] = stipulation;
}

} // namespace vexil
