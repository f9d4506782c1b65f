#include "model/collectionformat.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <exception>
#include <limits>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace vexil {

using namespace collectionformat;

namespace {

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

// Hands the bytes read so far to `arrived` on a thread of its own, so that looking at one
// chunk overlaps reading the next: the two together take about as long as the longer one.
class ArrivalThread {
public:
    ArrivalThread(const std::function<void(const char*, qsizetype)>& arrived, const char* data)
        : m_arrived(arrived), m_data(data), m_thread([this] { run(); })
    {
    }
    ~ArrivalThread()
    {
        if (m_thread.joinable()) {
            close(m_got.load(std::memory_order_relaxed) & ~kClosed);
            m_thread.join();
        }
    }

    // The first `got` bytes are in the buffer.
    void publish(qsizetype got)
    {
        m_got.store(got, std::memory_order_release);
        m_got.notify_one();
    }

    // Waits until every byte published has been looked at; rethrows what `arrived` threw.
    void finish(qsizetype got)
    {
        close(got);
        m_thread.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    static constexpr qint64 kClosed = qint64(1) << 62;

    void close(qsizetype got)
    {
        m_got.store(got | kClosed, std::memory_order_release);
        m_got.notify_one();
    }

    void run()
    {
        qint64 seen = 0;
        try {
            for (;;) {
                const qint64 value = m_got.load(std::memory_order_acquire);
                const qint64 got = value & ~kClosed;
                if (got > seen) {
                    m_arrived(m_data, got);
                    seen = got;
                } else if (value & kClosed) {
                    return;
                } else {
                    m_got.wait(value, std::memory_order_acquire);
                }
            }
        } catch (...) {
            m_failure = std::current_exception();
        }
    }

    const std::function<void(const char*, qsizetype)>& m_arrived;
    const char* m_data;
    std::atomic<qint64> m_got{0};
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace

namespace collectionformat {

QByteArray readRegularFile(const QString& path,
                           const std::function<void(const char*, qsizetype)>& arrived)
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
    // Chunks that are still in the cache when `arrived` looks at them; a large file's are
    // looked at on a thread of their own while the next are read.
    constexpr qsizetype kChunk = qsizetype(1) << 19;
    std::optional<ArrivalThread> pipe;
    if (arrived && expected >= 2 * kChunk)
        pipe.emplace(arrived, bytes.constData());
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, qMin(kChunk, bytes.size() - got));
        if (n < 0)
            throw cannotOpen(path);
        if (n == 0)
            break;
        got += qsizetype(n);
        if (pipe)
            pipe->publish(got);
        else if (arrived)
            arrived(bytes.constData(), got);
    }
    if (pipe)
        pipe->finish(got);
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

void writeFile(const QString& path, const FileBody& body)
{
    WriteFileAtomically(path, body, InPlace::Allowed);
}

} // namespace collectionformat

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

} // namespace vexil
