// Publishes 10,000 generated items to each format (the .tex, the PDF booklet, the SVG of
// every diagram) and compares each with one plain write of as many bytes, measured in the
// same run; the SVG of one diagram is timed on its own too.

#include "generate.h"
#include "interchange/convert.h"
#include "output/booklet.h"
#include "output/latex.h"
#include "svg/diagramsvg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vexil;

namespace {

double timed(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e6;
}

// One write of `size` bytes to a new file: the floor any export of that size stands on.
double plainWrite(const QString& path, qint64 size)
{
    const QByteArray bytes(size, 'x');
    return timed([&] {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
            qFatal("cannot write %s", qPrintable(path));
        file.close();
    });
}

void line(const char* what, double ms, qint64 size, double plain)
{
    std::printf("%-28s %9.1f ms  %8.1f MB  plain write %7.1f ms  ratio %7.1f\n", what, ms,
                size / 1e6, plain, ms / qMax(plain, 0.001));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const Collection collection = bench::generateCollection(count, 27);
    QList<Item> items;
    items.reserve(count);
    for (int n = 1; n <= count; ++n)
        items << collection.readItem(n * kItemLines);
    QTemporaryDir dir;
    const DiagramStyle style{StandardDiagramColours(), FairyDrawing::Magazine};

    const QString tex = dir.filePath(QStringLiteral("items.tex"));
    const double latex = timed([&] { WriteInterchangeFile(tex, WriteLatex(items, {}, {}).bytes); });
    const qint64 texSize = QFileInfo(tex).size();
    line("LaTeX (.tex)", latex, texSize, plainWrite(dir.filePath(QStringLiteral("p1")), texSize));

    const QString pdf = dir.filePath(QStringLiteral("items.pdf"));
    BookletOptions options;
    const double booklet = timed([&] { WriteBooklet(pdf, items, {}, options); });
    const qint64 pdfSize = QFileInfo(pdf).size();
    line("PDF booklet", booklet, pdfSize, plainWrite(dir.filePath(QStringLiteral("p2")), pdfSize));

    qint64 svgSize = 0;
    const double svgs = timed([&] {
        for (const Item& item : items) {
            const QByteArray svg = DiagramSvg(item.board, style);
            svgSize += svg.size();
        }
    });
    line("SVG of every diagram", svgs, svgSize,
         plainWrite(dir.filePath(QStringLiteral("p3")), svgSize));

    // One SVG file as the dialog writes it, for each of the first hundred items: the median
    // and the slowest (the file is written atomically, so the disk's flush is in it).
    std::vector<double> times;
    for (int i = 0; i < qMin(100, count); ++i)
        times.push_back(timed([&] {
            WriteDiagramSvg(dir.filePath(QStringLiteral("one.svg")), items[i].board, style);
        }));
    std::sort(times.begin(), times.end());
    if (!times.empty())
        std::printf("one SVG file of %zu: median %.2f ms, slowest %.2f ms\n", times.size(),
                    times[times.size() / 2], times.back());
    return 0;
}
