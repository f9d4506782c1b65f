#include "search/scan.h"

#include "views/entry.h"

#include <cstring>

namespace vexil {
namespace {

constexpr int kTextCloser = 3;     // "'],"
constexpr int kLastTextCloser = 4; // "']);"
const QByteArrayView kStoredBreak("\\n");

// The 13 lines of a block body into lines[1..13], every line ending in CR LF.
void splitCrLfBody(QByteArrayView body, std::array<QByteArrayView, kItemLines>& lines)
{
    const char* p = body.data();
    const char* const end = p + body.size();
    for (int i = 1; i < kItemLines; ++i) {
        const auto* lf =
            p < end ? static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))) : nullptr;
        if (!lf) {
            lines[i] = QByteArrayView(p, end - p);
            p = end;
            continue;
        }
        lines[i] = QByteArrayView(p, lf - p - (lf > p && lf[-1] == '\r' ? 1 : 0));
        p = lf + 1;
    }
}

// The same with line ends of any kind, as the file had them.
void splitBody(QByteArrayView body, std::array<QByteArrayView, kItemLines>& lines)
{
    const char* p = body.data();
    const char* const end = p + body.size();
    for (int i = 1; i < kItemLines; ++i) {
        if (p >= end) {
            lines[i] = {};
            continue;
        }
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* stop = lf ? lf : end;
        // A lone CR also ends a line; in a CR LF file the only CR is the one before the LF.
        const auto* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(stop - p)));
        if (cr && cr + 1 != lf) {
            lines[i] = QByteArrayView(p, cr - p);
            p = cr + 1;
            continue;
        }
        lines[i] = QByteArrayView(p, (cr ? cr : stop) - p);
        p = stop + (lf ? 1 : 0);
    }
}

// A row as the program writes it ("[0,5,0,...]," with plain numbers) read at once; false for
// anything else, which ReadBoardRow then reads by the general rule.
bool readPlainRow(QByteArrayView line, PieceCode (&row)[8])
{
    const char* p = line.data();
    const char* const end = p + line.size();
    // "[" opens every row, "([" the first one.
    if (p < end && *p == '(')
        ++p;
    if (p >= end || *p != '[')
        return false;
    ++p;
    for (int column = 0; column < 8; ++column) {
        const char close = column < 7 ? ',' : ']';
        // Most squares are empty: "0," at once.
        if (end - p >= 2 && p[0] == '0' && p[1] == close) {
            row[column] = 0;
            p += 2;
            continue;
        }
        PieceCode value = 0;
        int digits = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            if (++digits > 9)
                return false;
            value = value * 10 + (*p++ - '0');
        }
        if (digits == 0 || p == end || *p != close)
            return false;
        ++p;
        row[column] = value;
    }
    return true;
}

} // namespace

QByteArrayView ScannedItem::author() const
{
    return StoredText(m_lines[9], kTextCloser);
}

QByteArrayView ScannedItem::source() const
{
    return StoredText(m_lines[10], kTextCloser);
}

QByteArrayView ScannedItem::solution() const
{
    return StoredText(m_lines[11], kTextCloser);
}

QByteArrayView ScannedItem::stipulationLine() const
{
    return StoredText(m_lines[12], kLastTextCloser);
}

void ScannedItem::splitStipulationLine() const
{
    m_haveParts = true;
    const QByteArrayView all = stipulationLine();
    m_condition = m_twins = {};
    m_twinCount = 0;
    const qsizetype blank = all.indexOf(' ');
    if (blank < 0) {
        m_stipulation = all;
        return;
    }
    m_stipulation = all.first(blank);
    const QByteArrayView rest = all.sliced(blank + 1);
    const qsizetype brk = rest.indexOf(kStoredBreak);
    if (brk < 0) {
        m_condition = rest;
        return;
    }
    m_condition = rest.first(brk);
    m_twins = rest.sliced(brk + kStoredBreak.size());
    m_twinCount = 1;
    for (qsizetype at = 0; (at = m_twins.indexOf(kStoredBreak, at)) >= 0; at += 2)
        ++m_twinCount;
}

QByteArrayView ScannedItem::stipulation() const
{
    if (!m_haveParts)
        splitStipulationLine();
    return m_stipulation;
}

QByteArrayView ScannedItem::condition() const
{
    if (!m_haveParts)
        splitStipulationLine();
    return m_condition;
}

QByteArrayView ScannedItem::twins() const
{
    if (!m_haveParts)
        splitStipulationLine();
    return m_twins;
}

int ScannedItem::twinCount() const
{
    if (!m_haveParts)
        splitStipulationLine();
    return m_twinCount;
}

const Board& ScannedItem::board() const
{
    if (!m_haveBoard) {
        m_haveBoard = true;
        for (int row = 0; row < 8; ++row) {
            PieceCode values[8];
            if (!readPlainRow(m_lines[1 + row], values))
                ReadBoardRow(m_lines[1 + row], values);
            std::copy(std::begin(values), std::end(values), m_board.squares[row].begin());
        }
    }
    return m_board;
}

QByteArray ScannedItem::storedLines() const
{
    QByteArray lines;
    for (int i = 1; i < kItemLines; ++i) {
        lines += m_lines[i];
        lines += "\r\n";
    }
    return lines;
}

const ScannedItem& ItemScanner::item(int number)
{
    m_item.m_number = number;
    m_item.m_haveBoard = false;
    m_item.m_haveParts = false;
    // A file written by the program has CR LF everywhere: one search per line then.
    if (m_collection.storedLineEndsAreCrLf())
        splitCrLfBody(m_collection.storedBody(number), m_item.m_lines);
    else
        splitBody(m_collection.storedBody(number), m_item.m_lines);
    return m_item;
}

bool ScanCollection(const Collection& collection, const ScanFunction& visit)
{
    ItemScanner scanner(collection);
    const int count = scanner.itemCount();
    for (int number = 1; number <= count; ++number)
        if (!visit(scanner.item(number)))
            return false;
    return true;
}

bool ScanCollectionFile(const QString& path, const ScanFunction& visit)
{
    return ScanCollection(Collection::fromFile(path), visit);
}

} // namespace vexil
