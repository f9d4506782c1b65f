#pragma once

// Private to src/core/model: the index Collection is built from.

#include "model/collectionformat.h"

#include <QList>
#include <QtGlobal>

#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexil {

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
                    collectionformat::checkLine(lines, header);
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

    qsizetype scanned = 0;  // every line end before this byte has been seen
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

} // namespace vexil
