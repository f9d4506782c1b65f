#include "duplicates/storedboard.h"

#include <cstring>
#include <limits>

namespace vexil {
namespace {

// One board value by the platform's integer rule (leading blanks, a sign, decimal digits,
// 32 bits); the common case, digits alone, without a detour.
bool storedValue(const char* from, const char* to, PieceCode& value)
{
    while (from < to && *from == ' ')
        ++from;
    bool negative = false;
    if (from < to && (*from == '-' || *from == '+'))
        negative = *from++ == '-';
    if (from == to)
        return false;
    qint64 v = 0;
    for (; from < to; ++from) {
        const unsigned digit = unsigned(*from) - '0';
        if (digit > 9)
            return false;
        v = v * 10 + digit;
        if (v > qint64(std::numeric_limits<qint32>::max()) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<qint32>::max())
        return false;
    value = PieceCode(v);
    return true;
}

} // namespace

QByteArrayView NextStoredLine(QByteArrayView bytes, qsizetype& at)
{
    const char* start = bytes.data() + at;
    const qsizetype left = bytes.size() - at;
    const void* found = left > 0 ? std::memchr(start, '\n', size_t(left)) : nullptr;
    const qsizetype length = found ? static_cast<const char*>(found) - start : left;
    at += found ? length + 1 : length;
    return QByteArrayView(start, length > 0 && start[length - 1] == '\r' ? length - 1 : length);
}

bool DecodeStoredBoard(QByteArrayView rows, Board& board)
{
    qsizetype at = 0;
    return DecodeStoredBoard(rows, at, board);
}

bool DecodeStoredBoard(QByteArrayView bytes, qsizetype& at, Board& board)
{
    return DecodeStoredRows(bytes, at, [&](int square, PieceCode code) {
        board.squares[square / 8][square % 8] = code;
    });
}

bool DecodeStoredRow(QByteArrayView bytes, qsizetype& at, PieceCode (&values)[8])
{
    const char* p = bytes.data() + at;
    const char* end = bytes.data() + bytes.size();
    // Nearly every row is "[" or "([", then digits and commas, then "]": read it in one go,
    // and take the careful way for anything else.
    while (p < end && *p != '[' && *p != '\n')
        ++p;
    if (p < end && *p == '[') {
        ++p;
        int c = 0;
        for (; c < 8; ++c) {
            const char* digits = p;
            PieceCode value = 0;
            while (p < end && p - digits < 9 && unsigned(*p - '0') <= 9)
                value = value * 10 + (*p++ - '0');
            if (p == digits || p == end || *p != (c < 7 ? ',' : ']'))
                break;
            values[c] = value;
            ++p;
        }
        if (c == 8) {
            const void* lineEnd = std::memchr(p, '\n', size_t(end - p));
            at = lineEnd ? static_cast<const char*>(lineEnd) - bytes.data() + 1 : bytes.size();
            return true;
        }
    }

    const QByteArrayView line = NextStoredLine(bytes, at);
    const char* from = line.data();
    const char* last = from + line.size();
    const char* open = static_cast<const char*>(std::memchr(from, '[', size_t(line.size())));
    if (!open)
        return false;
    const char* close =
        static_cast<const char*>(std::memchr(open + 1, ']', size_t(last - open - 1)));
    if (!close)
        return false;
    const char* value = open + 1;
    for (int c = 0; c < 8; ++c) {
        const char* stop = close;
        if (c < 7) {
            const void* comma = std::memchr(value, ',', size_t(close - value));
            if (comma)
                stop = static_cast<const char*>(comma);
        }
        if (!storedValue(value, stop, values[c]))
            return false;
        value = stop < close ? stop + 1 : close;
    }
    return true;
}

} // namespace vexil
