#include "model/collection.h"

#include "model/blockindex.h"
#include "model/collectionformat.h"

#include <QIODevice>

#include <charconv>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexil {

using namespace collectionformat;

namespace {

qsizetype digitCount(qsizetype value)
{
    qsizetype digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
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
        const unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
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
