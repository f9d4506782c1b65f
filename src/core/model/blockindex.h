#pragma once

// Private to src/core/model: the index Collection is built from.

#include "model/collectionformat.h"

#include <QList>
#include <QtGlobal>

#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEXIL_INDEX_AVX2 // a second scan for processors that have AVX2, chosen when run
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

    // "Dg[k]" with this block's own k in at most nine digits, as nearly every header reads:
    // what checkLine accepts, without its parsing.
    static bool isOwnDgHeader(QByteArrayView header, qint64 block)
    {
        const qsizetype size = header.size();
        if (size < 5 || header[0] != 'D' || header[1] != 'g' || header[2] != '[')
            return false;
        qint64 number = 0;
        qsizetype j = 3;
        for (; j < size && j < 12 && header[j] >= '0' && header[j] <= '9'; ++j)
            number = number * 10 + (header[j] - '0');
        return j > 3 && j < size && header[j] == ']' && number == block;
    }

    // The header of a block: the line from `from` to `end`, line `line` of the file.
    void header(qsizetype from, qsizetype end, qint64 line)
    {
        starts.append(from);
        const QByteArrayView text(data + from, end - from);
        if (!failure && !isOwnDgHeader(text, line / kItemLines)) {
            try {
                collectionformat::checkLine(line, text);
            } catch (const Failure& f) {
                failure = f;
            }
            dgHeaders = dgHeaders && text.startsWith("Dg[");
        }
    }

    void line(qsizetype end)
    {
        if (inBlock == 0)
            header(start, end, lines);
        else if (inBlock == kItemLines - 1 && end != start && !failure)
            failure = Failure::refusal(kInvalidFileFormat);
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
    // The CRs and LFs among 64 bytes, 16 at a time, as any x86-64 can.
    struct Sse2 {
        // Bit j of `crs` set where byte j of the 64 at `p` is a CR, of `lfs` where it is a LF.
        static void masks(const char* p, quint64& crs, quint64& lfs)
        {
            const __m128i cr = _mm_set1_epi8('\r');
            const __m128i lf = _mm_set1_epi8('\n');
            const auto at = [p](int k) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            };
            const __m128i v0 = at(0), v1 = at(1), v2 = at(2), v3 = at(3);
            const auto bits = [](__m128i v, __m128i c) {
                return quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c))));
            };
            crs = bits(v0, cr) | bits(v1, cr) << 16 | bits(v2, cr) << 32 | bits(v3, cr) << 48;
            lfs = bits(v0, lf) | bits(v1, lf) << 16 | bits(v2, lf) << 32 | bits(v3, lf) << 48;
        }

        // Without the processor's own instruction (not in the baseline x86-64) the compiler
        // would call a library function for this, once for every 64 bytes.
        static int bitCount(quint64 x)
        {
            x -= (x >> 1) & 0x5555555555555555;
            x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
            x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0f;
            return int((x * 0x0101010101010101) >> 56);
        }
    };
#endif
#ifdef VEXIL_INDEX_AVX2
    // The same, 32 bytes at a time and with the processor's bit count.
    struct Avx2 {
        [[gnu::target("avx2")]] static void masks(const char* p, quint64& crs, quint64& lfs)
        {
            const __m256i cr = _mm256_set1_epi8('\r');
            const __m256i lf = _mm256_set1_epi8('\n');
            const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
            const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
            crs = quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v0, cr)))) |
                  quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v1, cr)))) << 32;
            lfs = quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v0, lf)))) |
                  quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v1, lf)))) << 32;
        }
        [[gnu::target("popcnt")]] static int bitCount(quint64 x) { return __builtin_popcountll(x); }
    };
#endif

    qsizetype scanned = 0;  // every line end before this byte has been seen
    bool pendingCr = false; // the byte before `scanned` is a CR whose LF may follow

    // The line ends among the 64 bytes at i, one by one: one event per line, at its LF or its
    // lone CR. A CR in the last byte waits for the next 64 to tell whether a LF follows.
    [[gnu::noinline]] void chunk(qsizetype i, quint64 crs, quint64 lfs)
    {
        const quint64 crBefore = (crs << 1) | quint64(pendingCr);
        if (pendingCr && !(lfs & 1))
            lineEnd(i - 1);
        pendingCr = crs >> 63;
        const quint64 loneCrs = crs & ~(lfs >> 1) & ~(quint64(1) << 63);
        if ((lfs & ~crBefore) | loneCrs)
            crlf = false;
        int block = inBlock;
        qint64 count = lines;
        qsizetype from = start;
        for (quint64 events = lfs | loneCrs; events; events &= events - 1) {
            const qsizetype p = i + qCountTrailingZeroBits(events);
            if (block == 0 || block == kItemLines - 1) {
                const qsizetype end = data[p] == '\n' && p > 0 && data[p - 1] == '\r' ? p - 1 : p;
                if (block == 0)
                    header(from, end, count);
                else if (end != from && !failure)
                    failure = Failure::refusal(kInvalidFileFormat);
            }
            block = block == kItemLines - 1 ? 0 : block + 1;
            ++count;
            from = p + 1;
        }
        inBlock = block;
        lines = count;
        start = from;
    }

    // Every whole 64 bytes of data below `limit`; the rest waits for more bytes or finish().
    void advance(qsizetype limit)
    {
        if (starts.isEmpty())
            starts.reserve(size / 512 + 2);
#ifdef VEXIL_INDEX_AVX2
        static const bool avx2 = hasAvx2();
        if (avx2)
            return advanceAvx2(limit);
#endif
#ifdef __SSE2__
        advanceWith<Sse2>(limit);
#else
        Q_UNUSED(limit);
#endif
    }

#ifdef VEXIL_INDEX_AVX2
    static bool hasAvx2()
    {
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    }

    // Flattened, so that the masks and the bit count are built for AVX2 here.
    [[gnu::target("avx2,popcnt"), gnu::flatten]] void advanceAvx2(qsizetype limit)
    {
        advanceWith<Avx2>(limit);
    }
#endif

    template <class Scan> void advanceWith(qsizetype limit)
    {
        // Most runs of 64 bytes hold neither a header's line end nor a block's last line: their
        // lines are only counted, with the state in registers. The others go line by line.
        qsizetype i = scanned;
        int block = inBlock;
        qint64 count = lines;
        qsizetype from = start;
        bool pending = pendingCr;
        bool onlyCrLf = crlf;
        for (; i + 64 <= limit; i += 64) {
            quint64 crs, lfs;
            Scan::masks(data + i, crs, lfs);
            const quint64 loneCrs = crs & ~(lfs >> 1) & ~(quint64(1) << 63);
            const quint64 events = lfs | loneCrs;
            const int n = Scan::bitCount(events);
            if (block != 0 && block + n < kItemLines && !(pending && !(lfs & 1))) {
                if ((lfs & ~((crs << 1) | quint64(pending))) | loneCrs)
                    onlyCrLf = false;
                pending = crs >> 63;
                if (events) {
                    block += n;
                    count += n;
                    from = i + 64 - qCountLeadingZeroBits(events);
                }
                continue;
            }
            inBlock = block;
            lines = count;
            start = from;
            pendingCr = pending;
            crlf = onlyCrLf;
            chunk(i, crs, lfs);
            block = inBlock;
            count = lines;
            from = start;
            pending = pendingCr;
            onlyCrLf = crlf;
        }
        inBlock = block;
        lines = count;
        start = from;
        pendingCr = pending;
        crlf = onlyCrLf;
        scanned = i;
    }

    void scan()
    {
        advance(size);
        finish();
    }

    // The bytes behind the last whole 64 one by one, then the verdict. From the start of the
    // data (nothing advanced) this is the plain scan the faster ones are held against.
    void finish()
    {
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
