// Measures opening a generated collection and the item operations on it, and prints each as a
// ratio to a baseline measured in the same run on the same file: opening against `wc -l`,
// memory against the file size, every operation that writes the file against a copy of the
// file synced to disk (what `cp` plus fsync costs).
//
//   bench_collection generate N FILE   writes the collection (run it first, in its own process,
//                                      so that generating it does not count to the memory)
//   bench_collection measure FILE [core]
//                                      the whole measurement; "core" leaves out the main window
//   bench_collection open FILE         (used by measure) opens FILE once and prints the time and
//   bench_collection window FILE       the memory; the window's figures in a process of their own

#include "app/idgr.h"
#include "app/program.h"
#include "generate.h"
#include "model/collection.h"
#include "views/list.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

using namespace vexil;

namespace {

class Answers : public Prompts {
public:
    QString input;
    void message(QWidget*, const QString& text) override
    {
        std::printf("message: %s\n", qPrintable(text));
    }
    void error(QWidget*, const QString& text) override
    {
        std::printf("error: %s\n", qPrintable(text));
    }
    Answer confirmYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    bool confirmOkCancel(QWidget*, const QString&) override { return true; }
    std::optional<QString> inputText(QWidget*, const QString&, const QString&,
                                     const QString&) override
    {
        return input;
    }
};

// A value of /proc/self/status in kilobytes: VmRSS now, VmHWM the peak so far.
long statusKilobytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return 0;
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

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
}

// What `cp` does, then fsync: read the file in pieces and write them to a new file.
void copyAndSync(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY);
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0)
        qFatal("cannot copy %s", qPrintable(from));
    static char buffer[1 << 17];
    for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;)
        if (::write(out, buffer, size_t(n)) != n)
            qFatal("cannot copy %s", qPrintable(from));
    if (::fsync(out) != 0)
        qFatal("cannot sync %s", qPrintable(to));
    ::close(in);
    ::close(out);
}

int openOnce(const QString& file)
{
    const long before = statusKilobytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    const Collection collection = Collection::fromFile(file);
    const double ms = timer.nsecsElapsed() / 1e6;
    const long peak = statusKilobytes("VmHWM:");
    std::printf("%d %.3f %ld\n", collection.itemCount(), ms, peak - before);
    return 0;
}

// The main window's operations through its buttons, as ratios to the copy of the file.
int measureWindow(const QString& file, double copyMs)
{
    const QString folder = QFileInfo(file).absolutePath();
    auto prompts = std::make_unique<Answers>();
    Answers& answers = *prompts;
    Program program(folder, std::move(prompts),
                    QDir(folder).filePath(QStringLiteral("settings.reg")));
    TForm1& main = program.main();
    main.show();
    QCoreApplication::processEvents();
    const long rssBefore = statusKilobytes("VmRSS:");

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
    const long peak = statusKilobytes("VmHWM:");
    const qint64 fileSize = QFileInfo(file).size();
    std::printf("main window %-16s %10s %12s\n", "", "ms", "x cp+fsync");
    for (const Figure& f : figures)
        std::printf("  %-26s %10.3f %12.2f\n", f.name, f.ms, f.ms / copyMs);
    std::printf("  peak memory above the empty window: %.1f MB, %.2f x file size\n",
                (peak - rssBefore) / 1024.0, (peak - rssBefore) * 1024.0 / fileSize);
    return 0;
}

int measureAll(const QString& file, bool withWindow)
{
    const QString self = QCoreApplication::applicationFilePath();
    const qint64 fileSize = QFileInfo(file).size();
    const QString copy = file + QStringLiteral(".copy");
    const QString work = file + QStringLiteral(".work");

    const double wcMs = best(3, [&] { run(QStringLiteral("wc"), {QStringLiteral("-l"), file}); });
    const double copyMs = best(3, [&] { copyAndSync(file, copy); });
    QFile::remove(copy);

    // Opening in a fresh process each time, so that the peak memory is the open's alone.
    double openMs = 1e30;
    long openKb = 0;
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(self, {QStringLiteral("open"), file});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("opening %s failed", qPrintable(file));
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        count = fields.value(0).toInt();
        openMs = qMin(openMs, fields.value(1).toDouble());
        openKb = qMax(openKb, fields.value(2).toLong());
    }

    std::printf("%d items, file %.1f MB; wc -l %.2f ms; cp+fsync %.2f ms\n", count, fileSize / 1e6,
                wcMs, copyMs);
    std::printf("  %-26s %10.3f ms %8.2f x wc -l\n", "Open", openMs, openMs / wcMs);
    std::printf("  %-26s %10.1f MB %8.2f x file size\n", "Peak memory of Open", openKb / 1024.0,
                openKb * 1024.0 / fileSize);

    // The collection's operations as the window does them: each change, then the whole write.
    Collection c = Collection::fromFile(file);
    const int middle = count / 2 + 1;
    const Item item = c.readItem(c.FindItemLine(middle));
    struct Figure {
        const char* name;
        double ms;
    };
    const QList<Figure> figures = {
        {"Show an item", best(50, [&] { c.readItem(c.FindItemLine(middle)); })},
        {"Write the item shown", best(3,
                                      [&] {
                                          c.writeItem(c.FindItemLine(middle), item);
                                          c.write(work);
                                      })},
        {"Append an item", best(3,
                                [&] {
                                    c.appendEmptyItem();
                                    c.write(work);
                                })},
        {"Remove item 1", best(3,
                               [&] {
                                   c.removeItem(1);
                                   c.write(work);
                               })},
        {"Move item 1 to N", best(3,
                                  [&] {
                                      c.moveItem(1, c.itemCount());
                                      c.write(work);
                                  })},
        {"Move item N to 1", best(3,
                                  [&] {
                                      c.moveItem(c.itemCount(), 1);
                                      c.write(work);
                                  })},
    };
    QFile::remove(work);
    std::printf("  %-26s %10s    %8s\n", "operation", "ms", "x cp+fsync");
    for (const Figure& f : figures)
        std::printf("  %-26s %10.3f    %8.2f\n", f.name, f.ms, f.ms / copyMs);
    std::fflush(stdout);

    if (withWindow) {
        const QString copyText = QString::number(copyMs, 'f', 6);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(self, {QStringLiteral("window"), file, copyText});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("the window's figures failed");
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (args.size() == 4 && mode == QLatin1String("generate")) {
        bench::generateCollection(args[2].toInt(), 42).write(args[3]);
        return 0;
    }
    if (args.size() == 3 && mode == QLatin1String("open"))
        return openOnce(args[2]);
    if (args.size() == 4 && mode == QLatin1String("window"))
        return measureWindow(QFileInfo(args[2]).absoluteFilePath(), args[3].toDouble());
    if ((args.size() == 3 || (args.size() == 4 && args[3] == QLatin1String("core"))) &&
        mode == QLatin1String("measure"))
        return measureAll(QFileInfo(args[2]).absoluteFilePath(), args.size() == 3);
    std::fprintf(stderr, "usage: bench_collection generate N FILE | measure FILE [core]\n");
    return 2;
}
