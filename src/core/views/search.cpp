#include "views/search.h"

#include "model/cp1252.h"

#include <algorithm>
#include <cstring>

namespace vexil {
namespace {

std::array<uchar, 256> makeUpperCaseTable()
{
    std::array<uchar, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = uchar(b);
        const char byte = char(b);
        const QString letter = cp1252::decode(QByteArrayView(&byte, 1));
        QByteArray upper;
        if (cp1252::encode(letter.toUpper(), upper) && upper.size() == 1)
            table[b] = uchar(upper[0]);
    }
    return table;
}

constexpr quint64 kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr quint64 kNewlines = 0x0A0A0A0A0A0A0A0AULL;

// The number of line feeds in one word of eight bytes, exactly (no carries between bytes).
int newlinesIn(quint64 word)
{
    const quint64 x = word ^ kNewlines; // a line feed becomes a zero byte
    const quint64 t = ~(((x & kLow7) + kLow7) | x | kLow7);
    return qPopulationCount(t);
}

// Lines of collection bytes end in CR LF; lines never hold a line feed of their own.
qsizetype countNewlines(const char* data, qsizetype from, qsizetype to)
{
    qsizetype count = 0;
    qsizetype i = from;
    for (; i + 8 <= to; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        count += newlinesIn(word);
    }
    for (; i < to; ++i)
        count += data[i] == '\n';
    return count;
}

// The offset just after the `lines`-th line feed from `from`, or `size` when there are fewer.
qsizetype skipLines(const char* data, qsizetype size, qsizetype from, qsizetype lines)
{
    qsizetype i = from;
    while (lines > 0 && i + 8 <= size) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        const int here = newlinesIn(word);
        if (here >= lines)
            break;
        lines -= here;
        i += 8;
    }
    for (; lines > 0 && i < size; ++i)
        if (data[i] == '\n')
            --lines;
    return lines > 0 ? size : i;
}

} // namespace

const std::array<uchar, 256>& UpperCaseTable()
{
    static const std::array<uchar, 256> table = makeUpperCaseTable();
    return table;
}

QByteArray UpperCase1252(QByteArrayView bytes)
{
    const auto& upper = UpperCaseTable();
    QByteArray result(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        result[i] = char(upper[uchar(bytes[i])]);
    return result;
}

TextFinder::TextFinder(const QString& text)
{
    QByteArray bytes;
    if (text.isEmpty() || !cp1252::encode(text, bytes) || bytes.contains('\r') ||
        bytes.contains('\n'))
        return;
    m_pattern = UpperCase1252(bytes);
    // Horspool's shifts, by the upper case of the byte under the pattern's last place.
    const qsizetype m = m_pattern.size();
    std::array<qsizetype, 256> byUpper;
    byUpper.fill(m);
    for (qsizetype j = 0; j + 1 < m; ++j)
        byUpper[uchar(m_pattern[j])] = m - 1 - j;
    const auto& upper = UpperCaseTable();
    for (int b = 0; b < 256; ++b)
        m_shift[b] = byUpper[upper[b]];
    m_border.resize(m + 1);
    m_border[0] = -1;
    for (qsizetype i = 1, k = -1; i <= m; ++i) {
        while (k >= 0 && m_pattern[k] != m_pattern[i - 1])
            k = m_border[k];
        m_border[i] = ++k;
    }
}

qsizetype TextFinder::find(QByteArrayView bytes) const
{
    const qsizetype m = m_pattern.size();
    if (m == 0 || bytes.size() < m)
        return -1;
    const auto& upper = UpperCaseTable();
    const auto* h = reinterpret_cast<const uchar*>(bytes.data());
    const auto* p = reinterpret_cast<const uchar*>(m_pattern.constData());
    const uchar last = p[m - 1];
    const qsizetype end = bytes.size() - m;
    // Horspool's skips are fastest on ordinary text, but a repetitive text and pattern make
    // each try compare most of the pattern for a shift of one; past a budget linear in the
    // text the search goes on by prefix borders, which never looks at a byte twice.
    const qsizetype budget = 2 * bytes.size() + 64;
    m_comparisons = 0;
    qsizetype i = 0;
    while (i <= end) {
        const uchar tail = h[i + m - 1];
        ++m_comparisons;
        if (upper[tail] == last) {
            qsizetype j = m - 2;
            while (j >= 0 && upper[h[i + j]] == p[j])
                --j;
            m_comparisons += m - 1 - qMax<qsizetype>(j, 0);
            if (j < 0)
                return i;
        }
        i += m_shift[tail];
        if (m_comparisons > budget)
            return findFrom(bytes, i);
    }
    return -1;
}

qsizetype TextFinder::findFrom(QByteArrayView bytes, qsizetype from) const
{
    const auto& upper = UpperCaseTable();
    const qsizetype m = m_pattern.size();
    qsizetype k = 0; // bytes of the pattern matched so far
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = char(upper[uchar(bytes[i])]);
        while (k >= 0 && (k == m || m_pattern[k] != c)) {
            k = m_border[k];
            ++m_comparisons;
        }
        ++k;
        ++m_comparisons;
        if (k == m)
            return i - m + 1;
    }
    return -1;
}

SearchText::SearchText(const Collection& collection) : m_bytes(collection.bytes())
{
    const char* data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    m_blockStart.reserve(collection.itemCount() + 2);
    for (qsizetype at = 0; at < size; at = skipLines(data, size, at, kItemLines))
        m_blockStart << at;
    m_blockStart << size;
}

int SearchText::findNextLine(const Collection& collection, const QString& text,
                             int currentEntry) const
{
    const int count = collection.itemCount();
    const TextFinder finder(text);
    const qsizetype blocks = m_blockStart.size() - 1;
    if (count < 1 || !finder.canMatch() || blocks != count + 1)
        return -1;
    const char* data = m_bytes.constData();

    // Searches from the start of block `first` to the start of block `end`; a match cannot
    // run over a line break, as the text holds none.
    auto search = [&](qsizetype first, qsizetype end) -> int {
        if (first < 0 || end <= first)
            return -1;
        const qsizetype from = m_blockStart[first];
        const qsizetype at = finder.find(QByteArrayView(data + from, m_blockStart[end] - from));
        if (at < 0)
            return -1;
        const qsizetype found = from + at;
        const qsizetype block = std::upper_bound(m_blockStart.begin(), m_blockStart.end(), found) -
                                m_blockStart.begin() - 1;
        return int(block * kItemLines + countNewlines(data, m_blockStart[block], found));
    };

    const int firstItemLine = collection.FindItemLine(1);
    if (firstItemLine < 0)
        return -1;
    if (currentEntry + 1 < count) {
        const int next = collection.FindItemLine(currentEntry + 2);
        if (next >= 0) {
            const int found = search(next / kItemLines, blocks);
            if (found >= 0)
                return found;
        }
    }
    const int current = collection.FindItemLine(currentEntry + 1);
    if (current < 0)
        return -1;
    return search(firstItemLine / kItemLines, current / kItemLines + 1);
}

int FindNextLine(const Collection& collection, const QString& text, int currentEntry)
{
    if (collection.itemCount() < 1 || !TextFinder(text).canMatch())
        return -1;
    return SearchText(collection).findNextLine(collection, text, currentEntry);
}

} // namespace vexil
