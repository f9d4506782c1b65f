// Measures the item operations of the main window on a generated collection of N items and
// prints each as a ratio to one plain write of the same bytes, measured in the same run.
//
//   bench_collection generate N FILE   writes the collection (run it first, in its own process,
//                                      so that generating it does not count to the memory)
//   bench_collection measure FILE

#include "app/idgr.h"
#include "app/program.h"
#include "generate.h"
#include "views/list.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>

using namespace vexil;

namespace {

class Answers : public Prompts {
public:
    QString input;
    void message(QWidget*, const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
    void error(QWidget*, const QString& text) override { std::printf("error: %s\n", qPrintable(text)); }
    Answer confirmYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    bool confirmOkCancel(QWidget*, const QString&) override { return true; }
    std::optional<QString> inputText(QWidget*, const QString&, const QString&,
                                     const QString&) override
    {
        return input;
    }
};

long rssKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The best of a few runs, in milliseconds.
template <class F> double best(int runs, F f)
{
    double fastest = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        fastest = qMin(fastest, timer.nsecsElapsed() / 1e6);
    }
    return fastest;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("generate")) {
        bench::generateCollection(args[2].toInt(), 42).write(args[3]);
        return 0;
    }
    if (args.size() != 3 || args[1] != QLatin1String("measure")) {
        std::fprintf(stderr, "usage: bench_collection generate N FILE | measure FILE\n");
        return 2;
    }
    const QString file = QFileInfo(args[2]).absoluteFilePath();
    const QString folder = QFileInfo(file).absolutePath();

    QByteArray bytes;
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(file));
        bytes = in.readAll();
    }
    const QString plainFile = file + QStringLiteral(".plain");
    auto plainWrite = [&] {
        QFile out(plainFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(plainFile));
    };
    const double baseline = best(5, plainWrite);
    // For comparison: the same bytes written as the program writes every file, through a
    // temporary file that is synced to disk before it replaces the old one.
    const double atomic = best(3, [&] {
        QSaveFile out(plainFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            qFatal("cannot write %s", qPrintable(plainFile));
    });
    QFile::remove(plainFile);
    const qsizetype fileSize = bytes.size();
    bytes = QByteArray();

    auto prompts = std::make_unique<Answers>();
    Answers& answers = *prompts;
    Program program(folder, std::move(prompts), QDir(folder).filePath(QStringLiteral("settings.reg")));
    TForm1& main = program.main();
    main.show();
    QCoreApplication::processEvents();
    const long rssBefore = rssKilobytes();

    struct Figure {
        const char* name;
        double ms;
    };
    QList<Figure> figures;
    auto measure = [&](const char* name, int runs, auto f) {
        figures.append({name, best(runs, f)});
        QCoreApplication::processEvents();
    };

    measure("Open", 3, [&] { main.openNamedCollection(file); });
    const int count = main.itemCount();
    if (count < 1)
        qFatal("the collection did not open");
    measure("Show an item", 50, [&] { main.ShowItem(count / 2, main.FindItemLine(count / 2)); });
    measure("First", 50, [&] { main.SpeedButton2Click(); });
    measure("Next", 50, [&] { main.SpeedButton4Click(); });
    measure("Last", 50, [&] { main.SpeedButton5Click(); });
    measure("Save", 3, [&] { main.SpeedButton8Click(); });
    measure("New", 3, [&] { main.SpeedButton10Click(); });
    measure("Delete item 1", 3, [&] {
        main.SpeedButton2Click();
        main.SpeedButton11Click();
    });
    answers.input = QString::number(main.itemCount());
    measure("Change number 1 to N", 3, [&] {
        main.SpeedButton2Click();
        main.SpeedButton12Click();
    });
    answers.input = QStringLiteral("1");
    measure("Change number N to 1", 3, [&] {
        main.SpeedButton5Click();
        main.SpeedButton12Click();
    });
    const long peak = peakKilobytes();

    std::printf("%d items, file %.1f MB; one plain write of the file: %.2f ms\n", count,
                fileSize / 1e6, baseline);
    std::printf("the same bytes written atomically and synced, as every save is: %.2f ms (%.2f x)\n",
                atomic, atomic / baseline);
    std::printf("%-24s %10s %10s\n", "operation", "ms", "x write");
    for (const Figure& f : figures)
        std::printf("%-24s %10.3f %10.2f\n", f.name, f.ms, f.ms / baseline);
    std::printf("peak memory: %.1f MB in all, %.1f MB above the empty window: %.2f x file size\n",
                peak / 1024.0, (peak - rssBefore) / 1024.0, (peak - rssBefore) * 1024.0 / fileSize);
    return 0;
}
