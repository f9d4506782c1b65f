#include "model/collection.h"

#include "model/atomicfile.h"
#include "model/cp1252.h"
#include "model/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <functional>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The 13 lines of a block body (each followed by a line end of any kind) as views.
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

// The first line of `bytes` and the offset just behind its line end.
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

// Appends `bytes` with every line end (CR LF, lone CR, lone LF) written as CR LF, and a final
// line without one given it. Sixteen bytes at a time: this is every write of a file that was
// not read with CR LF.
void appendCrLf(QByteArray& out, QByteArrayView bytes)
{
    const qsizetype old = out.size();
    out.resize(old + 2 * bytes.size() + 2 + 16);
    char* w = out.data() + old;
    const char* r = bytes.data();
    const char* const end = r + bytes.size();
    auto lineEnd = [&] {
        r += *r == '\r' && r + 1 < end && r[1] == '\n' ? 2 : 1;
        *w++ = '\r';
        *w++ = '\n';
    };
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - r >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r));
        const unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w), v);
        if (!mask) {
            w += 16;
            r += 16;
            continue;
        }
        const int n = qCountTrailingZeroBits(mask);
        w += n;
        r += n;
        lineEnd();
    }
#endif
    while (r < end) {
        if (*r == '\r' || *r == '\n')
            lineEnd();
        else
            *w++ = *r++;
    }
    if (!bytes.isEmpty() && bytes.back() != '\r' && bytes.back() != '\n') {
        *w++ = '\r';
        *w++ = '\n';
    }
    out.resize(w - out.data());
}

Item readBlock(const BlockLines& lines);
std::array<QByteArray, kItemLines - 2> encodeItem(const Item& item);

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

Failure notRegularFile(const QString& path)
{
    return Failure::error(QStringLiteral("%1 is not a regular file").arg(path));
}

// Collections are read only from regular files: a device or a pipe could be endless (or block
// the program), and replacing one by a file on the next save would be worse.
void checkRegularFile(const QString& path, const QFile& file)
{
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        throw notRegularFile(path);
#ifdef Q_OS_UNIX
    struct stat status {};
    if (file.isOpen() && ::fstat(file.handle(), &status) == 0 && !S_ISREG(status.st_mode))
        throw notRegularFile(path);
#else
    Q_UNUSED(file);
#endif
}

// The whole file into one buffer of the program's own, however the file changes meanwhile:
// a file that shrinks gives fewer bytes, one that grows more. `arrived`, when given, is told
// after each chunk how many bytes of the buffer are in, so that they can be looked at while
// they are still in the cache.
QByteArray readRegularFile(const QString& path,
                           const std::function<void(const char*, qsizetype)>& arrived = {})
{
    QFile file(path);
    checkRegularFile(path, file);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw cannotOpen(path);
    checkRegularFile(path, file);
    const qint64 expected = file.size();
    if (expected >= std::numeric_limits<qsizetype>::max() / 2)
        throw cannotOpen(path);
    QByteArray bytes(qsizetype(expected), Qt::Uninitialized);
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // Large pages for a large file: far fewer page faults while it is copied in.
    if (expected >= (qint64(1) << 23)) {
        constexpr quintptr kPage = quintptr(1) << 21;
        const quintptr from = (quintptr(bytes.data()) + kPage - 1) & ~(kPage - 1);
        const quintptr to = (quintptr(bytes.data()) + quintptr(expected)) & ~(kPage - 1);
        if (to > from) {
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
            // Every page at once, rather than one fault at a time inside the copy.
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
        }
    }
#endif
    // Chunks that stay in the second-level cache until `arrived` has looked at them.
    constexpr qsizetype kChunk = qsizetype(1) << 19;
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, qMin(kChunk, bytes.size() - got));
        if (n < 0)
            throw cannotOpen(path);
        if (n == 0)
            break;
        got += qsizetype(n);
        if (arrived)
            arrived(bytes.constData(), got);
    }
    if (got == bytes.size()) {
        // The file grew while it was read: take the rest as well.
        char more[1 << 16];
        for (qint64 n; (n = file.read(more, sizeof more)) != 0; bytes.append(more, qsizetype(n)))
            if (n < 0)
                throw cannotOpen(path);
        got = bytes.size();
    }
    bytes.truncate(got);
    return bytes;
}

// Collections are written in place where the folder takes no new file: a user may keep them in
// a folder they can only write files of.
void writeFile(const QString& path, const FileBody& body)
{
    WriteFileAtomically(path, body, InPlace::Allowed);
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
    return readRegularFile(path);
}

Lines ReadLinesFile(const QString& path)
{
    return SplitLines(ReadWholeFile(path));
}

void WriteLinesFile(const QString& path, const Lines& lines)
{
    const QByteArray bytes = JoinLines(lines);
    writeFile(path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
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

// The block index of a file in one pass: every line end found by a vectorised scan for CR and
// LF, the block rules checked on the way. The first failure is kept and thrown only once the
// line count is known, as ValidateCollection checks the count before any line.
struct BlockIndex {
    const char* data;
    qsizetype size;
    QList<qint64> starts;
    bool crlf = true;
    bool dgHeaders = true; // every header starts with "Dg[" (so carries its own number)
    qsizetype start = 0;
    qint64 lines = 0;
    int inBlock = 0;
    std::optional<Failure> failure;

    void line(qsizetype end)
    {
        if (inBlock == 0) {
            starts.append(start);
            if (!failure) {
                const QByteArrayView header(data + start, end - start);
                try {
                    checkLine(lines, header);
                } catch (const Failure& f) {
                    failure = f;
                }
                dgHeaders = dgHeaders && header.startsWith("Dg[");
            }
        } else if (inBlock == kItemLines - 1 && end != start && !failure) {
            failure = Failure::refusal(kInvalidFileFormat);
        }
        if (++inBlock == kItemLines)
            inBlock = 0;
        ++lines;
    }

    // A line end at byte p: a LF (the end of CR LF when a CR stands before it) or a lone CR.
    void lineEnd(qsizetype p)
    {
        if (data[p] == '\n' && p > 0 && data[p - 1] == '\r') {
            line(p - 1);
        } else {
            crlf = false;
            line(p);
        }
        start = p + 1;
    }

#ifdef __SSE2__
    // Bit j set where byte j of the 64 at `p` equals the byte of `c`.
    static quint64 mask64(const __m128i (&v)[4], __m128i c)
    {
        quint64 mask = 0;
        for (int k = 0; k < 4; ++k)
            mask |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v[k], c)))) << (16 * k);
        return mask;
    }
#endif

    qsizetype scanned = 0; // every line end before this byte has been seen
    bool pendingCr = false; // the byte before `scanned` is a CR whose LF may follow

    // Every whole 64 bytes of data below `limit`; the rest waits for more bytes or finish().
    void advance(qsizetype limit)
    {
        if (starts.isEmpty())
            starts.reserve(size / 512 + 2);
#ifdef __SSE2__
        // 64 bytes at a time: one event per line, at its LF or its lone CR. A CR in the last
        // byte waits for the next 64 to tell whether a LF follows.
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        qsizetype i = scanned;
        for (; i + 64 <= limit; i += 64) {
            __m128i v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16 * k));
            const quint64 crs = mask64(v, cr);
            const quint64 lfs = mask64(v, lf);
            if (pendingCr && !(lfs & 1))
                lineEnd(i - 1);
            pendingCr = crs >> 63;
            quint64 events = lfs | (crs & ~(lfs >> 1) & ~(quint64(1) << 63));
            while (events) {
                lineEnd(i + qCountTrailingZeroBits(events));
                events &= events - 1;
            }
        }
        scanned = i;
#else
        Q_UNUSED(limit);
#endif
    }

    void scan()
    {
        advance(size);
        qsizetype i = scanned;
        if (pendingCr && (i == size || data[i] != '\n'))
            lineEnd(i - 1);
        for (; i < size; ++i) {
            if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n')))
                lineEnd(i);
        }
        if (start < size) {
            crlf = false;
            line(size);
        }
        if (lines % kItemLines != 0)
            throw Failure::refusal(kInvalidFileFormat);
        if (failure)
            throw *failure;
        starts.append(size);
    }
};

namespace {

const QByteArray& emptyBody()
{
    static const QByteArray body = [] {
        Lines lines;
        EmptyItem(lines, 0);
        QByteArray bytes;
        for (int i = 1; i < kItemLines; ++i)
            bytes += lines[i] + kLineEnd;
        return bytes;
    }();
    return body;
}

void appendCanonicalHeader(QByteArray& out, qsizetype block)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, block).ptr;
    out += "Dg[";
    out += QByteArrayView(digits, end - digits);
    out += "]=new Array\r\n";
}

Failure noSuchItem(int number, int count)
{
    return Failure::error(
        QStringLiteral("There is no item %1 in the collection (it holds items 1 to %2).")
            .arg(number)
            .arg(count));
}

} // namespace

Collection Collection::fromBuffer(QByteArray bytes)
{
    BlockIndex index{bytes.constData(), bytes.size(), {}};
    return fromIndexedBuffer(std::move(bytes), index);
}

Collection Collection::fromIndexedBuffer(QByteArray bytes, BlockIndex& index)
{
    Collection collection;
    if (bytes.isEmpty())
        return collection;
    index.data = bytes.constData();
    index.size = bytes.size();
    index.scan();
    const qsizetype count = index.starts.size() - 1;
    if (count > std::numeric_limits<qint32>::max() / kItemLines)
        throw Failure::refusal(kInvalidFileFormat);
    collection.m_source = std::move(bytes);
    collection.m_starts = std::move(index.starts);
    collection.m_crlf = index.crlf;
    collection.m_blocks.resize(count);
    Block* blocks = collection.m_blocks.data();
    for (qsizetype k = 0; k < count; ++k)
        blocks[k].source = qint32(k);
    if (index.dgHeaders)
        collection.m_regular = true; // each header starts "Dg[k]" with its own k, checked
    else
        collection.checkRegular();
    return collection;
}

Collection Collection::fromBytes(QByteArrayView bytes)
{
    return fromBuffer(bytes.toByteArray());
}

Collection Collection::fromLines(const Lines& lines)
{
    return fromBuffer(JoinLines(lines));
}

Collection Collection::fromFile(const QString& path)
{
    // The index is built chunk by chunk as the bytes come in, so that each byte is brought
    // into the cache once.
    BlockIndex index{nullptr, 0, {}};
    QByteArray bytes = readRegularFile(path, [&](const char* data, qsizetype got) {
        index.data = data;
        index.advance(got);
    });
    return fromIndexedBuffer(std::move(bytes), index);
}

Collection Collection::newCollection()
{
    Collection collection;
    collection.appendEmptyItem();
    collection.appendEmptyItem();
    return collection;
}

QByteArrayView Collection::sourceBlock(qint32 source) const
{
    const qint64 start = m_starts[source];
    return QByteArrayView(m_source).sliced(start, m_starts[source + 1] - start);
}

QByteArray Collection::headerOf(qsizetype block) const
{
    const Block& b = m_blocks[block];
    if (b.canonical)
        return ItemHeaderLine(int(block));
    qsizetype next = 0;
    return firstLine(sourceBlock(b.source), next).toByteArray();
}

QByteArrayView Collection::bodyOf(qsizetype block) const
{
    const Block& b = m_blocks[block];
    if (b.body >= 0)
        return m_bodies[b.body];
    const QByteArrayView bytes = sourceBlock(b.source);
    qsizetype next = 0;
    firstLine(bytes, next);
    return bytes.sliced(next);
}

void Collection::appendBlock(QByteArray& out, qsizetype block) const
{
    const Block& b = m_blocks[block];
    if (b.canonical) {
        appendCanonicalHeader(out, block);
    } else {
        qsizetype next = 0;
        out += firstLine(sourceBlock(b.source), next);
        out += kLineEnd;
    }
    const QByteArrayView body = bodyOf(block);
    if (b.body >= 0 || m_crlf)
        out += body;
    else
        appendCrLf(out, body);
}

template <class Out> bool Collection::stream(Out out) const
{
    // Unchanged blocks that follow each other in the buffer go out as one run of its bytes;
    // everything else is assembled in a chunk, so that a write is never one system call per
    // item.
    constexpr qsizetype kChunk = 1 << 20;
    constexpr qsizetype kSmallRun = 1 << 16;
    QByteArray chunk;
    qint64 runStart = -1, runEnd = -1;
    auto flushChunk = [&] {
        if (chunk.isEmpty())
            return true;
        const bool ok = out(QByteArrayView(chunk));
        chunk.resize(0);
        return ok;
    };
    auto flushRun = [&] {
        if (runStart < 0)
            return true;
        const QByteArrayView run = QByteArrayView(m_source).sliced(runStart, runEnd - runStart);
        runStart = -1;
        if (run.size() < kSmallRun) {
            chunk += run;
            return chunk.size() < kChunk || flushChunk();
        }
        return flushChunk() && out(run);
    };
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        const Block& b = m_blocks[k];
        if (m_crlf && !b.canonical && b.body < 0) {
            const qint64 start = m_starts[b.source];
            if (runStart >= 0 && runEnd == start) {
                runEnd = m_starts[b.source + 1];
                continue;
            }
            if (!flushRun())
                return false;
            runStart = start;
            runEnd = m_starts[b.source + 1];
            continue;
        }
        if (!flushRun())
            return false;
        if (chunk.capacity() < kChunk)
            chunk.reserve(kChunk + 4096);
        appendBlock(chunk, k);
        if (chunk.size() >= kChunk && !flushChunk())
            return false;
    }
    return flushRun() && flushChunk();
}

qsizetype Collection::byteSize() const
{
    static constexpr qsizetype kCanonical = sizeof("Dg[]=new Array\r\n") - 1;
    qsizetype size = 0;
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        const Block& b = m_blocks[k];
        if (m_crlf && !b.canonical && b.body < 0) {
            size += m_starts[b.source + 1] - m_starts[b.source];
            continue;
        }
        if (b.canonical) {
            size += kCanonical + digitCount(k);
        } else {
            qsizetype next = 0;
            size += firstLine(sourceBlock(b.source), next).size() + 2;
        }
        if (b.body >= 0 || m_crlf) {
            size += bodyOf(k).size();
        } else {
            forEachLine(bodyOf(k), [&](QByteArrayView line) { size += line.size() + 2; });
        }
    }
    return size;
}

void Collection::checkRegular()
{
    m_regular = true;
    for (qsizetype k = 0; k < m_blocks.size() && m_regular; ++k) {
        if (m_blocks[k].canonical)
            continue;
        int number = 0;
        try {
            m_regular = searchNumber(headerOf(k), number) && number == k;
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
    if (index % kItemLines == 0)
        return headerOf(k);
    return linesOfBody(bodyOf(k))[index % kItemLines].toByteArray();
}

Lines Collection::lines() const
{
    Lines lines;
    lines.reserve(lineCount());
    for (qsizetype k = 0; k < m_blocks.size(); ++k) {
        lines.append(headerOf(k));
        const BlockLines body = linesOfBody(bodyOf(k));
        for (int i = 1; i < kItemLines; ++i)
            lines.append(body[i].toByteArray());
    }
    return lines;
}

QByteArray Collection::bytes() const
{
    // A file read with CR LF and not changed since is its own bytes: share the buffer rather
    // than copy hundreds of megabytes for a search.
    int pieces = 0;
    QByteArrayView first;
    stream([&](QByteArrayView piece) {
        if (++pieces == 1)
            first = piece;
        return pieces == 1;
    });
    if (pieces == 1 && first.data() == m_source.constData() && first.size() == m_source.size())
        return m_source;
    QByteArray bytes;
    bytes.reserve(byteSize());
    stream([&](QByteArrayView piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

Item Collection::readItem(int headerLine) const
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    return readBlock(linesOfBody(bodyOf(headerLine / kItemLines)));
}

void Collection::writeItem(int headerLine, const Item& item)
{
    if (headerLine < 0 || headerLine % kItemLines != 0 || headerLine >= lineCount())
        throw Failure::refusal(kInvalidFileFormat);
    QByteArray body = bodyBytes(encodeItem(item));
    Block& b = m_blocks[headerLine / kItemLines];
    if (b.body >= 0) {
        m_bodies[b.body] = std::move(body);
    } else {
        b.body = qint32(m_bodies.size());
        m_bodies.append(std::move(body));
    }
}

void Collection::appendEmptyItem()
{
    Block b;
    b.canonical = true;
    b.body = qint32(m_bodies.size());
    m_bodies.append(emptyBody());
    m_blocks.append(b);
}

void Collection::appendCopyOf(const Collection& source, int block)
{
    if (block < 1 || block >= source.m_blocks.size())
        throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(block));
    // Built whole before anything is appended: the source may be this very collection.
    QByteArray body;
    forEachLine(source.bodyOf(block), [&](QByteArrayView line) {
        body += line;
        body += "\r\n";
    });
    Block copy;
    copy.canonical = true;
    copy.body = qint32(m_bodies.size());
    m_bodies.append(std::move(body));
    m_blocks.append(copy);
}

void Collection::renumber(int fromNumber, int toNumber)
{
    Block* blocks = m_blocks.data();
    for (int k = fromNumber; k <= toNumber; ++k)
        blocks[k].canonical = true;
}

void Collection::removeItem(int number)
{
    if (number < 1 || number > itemCount())
        throw noSuchItem(number, itemCount());
    if (const qint32 body = m_blocks[number].body; body >= 0)
        m_bodies[body] = QByteArray(); // its place stays, so no other index changes
    m_blocks.removeAt(number);
    renumber(number, int(m_blocks.size()) - 1);
    if (!m_regular)
        checkRegular();
}

void Collection::moveItem(int from, int to)
{
    for (int number : {from, to})
        if (number < 1 || number > itemCount())
            throw noSuchItem(number, itemCount());
    if (from == to)
        return;
    m_blocks.move(from, to);
    renumber(qMin(from, to), qMax(from, to));
    if (!m_regular)
        checkRegular();
}

void Collection::write(const QString& path) const
{
    writeFile(path, [&](QIODevice& file) {
        return stream([&](QByteArrayView piece) {
            return file.write(piece.data(), piece.size()) == piece.size();
        });
    });
}

bool Collection::operator==(const Collection& other) const
{
    if (m_blocks.size() != other.m_blocks.size())
        return false;
    if (m_source.constData() == other.m_source.constData() && m_blocks == other.m_blocks &&
        m_bodies == other.m_bodies)
        return true;
    return bytes() == other.bytes();
}

} // namespace vexil
