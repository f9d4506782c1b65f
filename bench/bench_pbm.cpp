// Measures the conversion of a pbm file of 65,536 records (the most the format holds) and
// prints it as a ratio to one plain write of the written collection, measured in the same run.

#include "model/collection.h"
#include "model/problem.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace vexil;

int main()
{
    constexpr int records = 65536;
    QRandomGenerator random(65536);
    QByteArray strings;
    const qsizetype stringsAt = 2 + 96 * qsizetype(records);
    auto place = [&](const QByteArray& text) {
        const quint32 offset = quint32(stringsAt + strings.size());
        strings += char(text.size() & 0xFF);
        strings += char(text.size() >> 8);
        strings += text + '\0';
        return offset;
    };
    QByteArray bytes;
    auto put = [&](quint32 v, int size) {
        for (int i = 0; i < size; ++i)
            bytes += char((v >> (8 * i)) & 0xFF);
    };
    put(records - 1, 2);
    const char pieces[] = "!\"#$%&*+,-./AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    for (int i = 0; i < records; ++i) {
        put(0, 2);
        put(quint16(((2 + random.bounded(4)) << 8) | random.bounded(64)), 2);
        put(place("Author " + QByteArray::number(i)), 4);
        put(place("1950"), 4);
        put(place("Probleemblad"), 4);
        put(place("Second Author"), 4);
        put(place("1.Qd1! threat 2.Qd8#\r\n1...Ke8 2.Qh5#\r\n1...Kf7 2.Qf3#"), 4);
        put(place(random.bounded(3) ? QByteArray() : QByteArray("     A$, &   ")), 4);
        put(place(""), 4);
        for (int s = 0; s < 64; ++s)
            bytes += pieces[random.bounded(int(sizeof pieces) - 1)];
    }
    bytes += strings;

    QElapsedTimer timer;
    double convert = 1e30;
    Lines lines;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        lines = ConvertPbm(bytes);
        convert = qMin(convert, timer.nsecsElapsed() / 1e6);
    }
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("import.dgr"));
    timer.start();
    WriteLinesFile(target, lines);
    const double write = timer.nsecsElapsed() / 1e6;
    const QByteArray joined = JoinLines(lines);
    double plain = 1e30;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        QFile out(dir.filePath(QStringLiteral("plain.dgr")));
        if (!out.open(QIODevice::WriteOnly) || out.write(joined) != joined.size())
            qFatal("cannot write");
        out.close();
        plain = qMin(plain, timer.nsecsElapsed() / 1e6);
    }
    std::printf("pbm of %d records, %.1f MB, to a collection of %.1f MB\n", records,
                bytes.size() / 1e6, joined.size() / 1e6);
    std::printf("one plain write of the collection: %.2f ms\n", plain);
    std::printf("conversion: %.2f ms (%.2f x write); written atomically: %.2f ms (%.2f x)\n",
                convert, convert / plain, write, write / plain);
    return 0;
}
