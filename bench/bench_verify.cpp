// Verifies a generated collection with a stand-in solver and compares the time with starting
// the same number of /bin/true processes, as many at once, in the same run: the program's own
// work per item (text, process, reading the output, the table, the results file) against a
// bare process start.
//
//   bench_verify [ITEMS [PARALLEL]]       defaults: 1000 items, one run per core

#include "generate.h"
#include "verify/verifymodel.h"
#include "verify/verifyresults.h"
#include "verify/verifyrunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace vexil;

namespace {

// Starts `count` processes of `program`, `parallel` at a time; returns milliseconds.
double bareStarts(const QString& program, int count, int parallel,
                  const QStringList& arguments = {})
{
    QEventLoop loop;
    int started = 0;
    int running = 0;
    int done = 0;
    std::function<void()> more = [&] {
        while (running < parallel && started < count) {
            auto* process = new QProcess;
            QObject::connect(process, &QProcess::finished, [&, process] {
                process->deleteLater();
                --running;
                if (++done == count)
                    loop.quit();
                else
                    more();
            });
            ++started;
            ++running;
            process->start(program, arguments);
        }
    };
    QElapsedTimer clock;
    clock.start();
    more();
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

double verification(const Collection& collection, const QString& standIn, int parallel,
                    const QString& resultsPath, int* sound, double* longestPause)
{
    const int count = collection.itemCount();
    const QString options = VerifyOptionsText(60);
    QElapsedTimer clock;
    clock.start();
    VerifyTableModel model;
    VerifyResults results;
    QList<VerifyRow> rows;
    QList<int> numbers;
    for (int n = 1; n <= count; ++n) {
        const Item item = collection.readItem(collection.FindItemLine(n));
        rows.append(VerifyRow{n, item.author, item.stipulation, std::nullopt});
        numbers.append(n);
    }
    model.setRows(rows);
    VerifyRunner runner(
        standIn, QStringLiteral("4M"),
        [&](int n) {
            const Item item = collection.readItem(collection.FindItemLine(n));
            return "BeginProblem\nAuthor " + item.author.toUtf8() + "\nOrigin " +
                   item.source.toUtf8() +
                   "\nPieces\nWhite Kd8 Bc4 Rb3\nBlack Kf8 Pb6\nStipulation #2\n"
                   "Option Variation NoBoard\nEndProblem\n";
        },
        [&](int n) { return ItemKey(StoredItemLines(collection, n), options); },
        [&](int n) { return collection.readItem(collection.FindItemLine(n)).solution; });
    runner.setParallel(parallel);
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(250);
    QObject::connect(&tick, &QTimer::timeout, [&] { model.applyPending(); });
    QObject::connect(&runner, &VerifyRunner::itemVerified, [&](const VerifyRecord& record) {
        model.setRecord(record);
        results.put(record);
    });
    QObject::connect(&runner, &VerifyRunner::finished, &loop, &QEventLoop::quit);
    tick.start();
    // How long the event loop went without turning: what a user would feel as a frozen window.
    QTimer pulse;
    pulse.setInterval(5);
    QElapsedTimer sincePulse;
    sincePulse.start();
    *longestPause = 0;
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        *longestPause = qMax(*longestPause, sincePulse.nsecsElapsed() / 1e6);
        sincePulse.restart();
    });
    pulse.start();
    if (!runner.start(numbers))
        return -1;
    loop.exec();
    model.applyPending();
    results.write(resultsPath);
    *sound = 0;
    for (const VerifyRecord& record : results.records())
        *sound += record.outcome == Outcome::Sound;
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 1000;
    const int parallel = args.size() > 2 ? args[2].toInt() : qMax(1, QThread::idealThreadCount());
    const QString standIn =
        QCoreApplication::applicationDirPath() + QStringLiteral("/fake_popeye_fast");
    const Collection collection = bench::generateCollection(count, 14);
    QTemporaryDir folder;
    const QString resultsPath = folder.filePath(QStringLiteral("bench.dgr.verify"));

    std::printf("verify %d items, %d runs at once\n", count, parallel);
    // The stand-in alone, on one input file, shows how much of a run is the stand-in's own.
    const QString input = folder.filePath(QStringLiteral("one.in"));
    {
        QFile file(input);
        file.open(QIODevice::WriteOnly);
        file.write("BeginProblem\nPieces\nWhite Kd8 Bc4 Rb3\nBlack Kf8 Pb6\nStipulation #2\n"
                   "Option Variation NoBoard MaxTime 60\nEndProblem\n");
    }
    double bestTrue = 1e30;
    double bestStandIn = 1e30;
    double bestVerify = 1e30;
    int sound = 0;
    double longestPause = 0;
    double pause = 0;
    for (int round = 0; round < 3; ++round) {
        bestTrue = qMin(bestTrue, bareStarts(QStringLiteral("/bin/true"), count, parallel));
        bestStandIn =
            qMin(bestStandIn, bareStarts(standIn, count, parallel,
                                         {QStringLiteral("-maxmem"), QStringLiteral("4M"), input}));
        const double ms = verification(collection, standIn, parallel, resultsPath, &sound, &pause);
        longestPause = qMax(longestPause, pause);
        if (ms < 0) {
            std::printf("the stand-in %s could not be started\n", qPrintable(standIn));
            return 1;
        }
        bestVerify = qMin(bestVerify, ms);
    }
    if (sound != count) {
        std::printf("only %d of %d items were sound\n", sound, count);
        return 1;
    }
    std::printf("/bin/true starts: %8.1f ms  %8.0f items/s\n", bestTrue, count * 1000.0 / bestTrue);
    std::printf("stand-in starts:  %8.1f ms  %8.0f items/s\n", bestStandIn,
                count * 1000.0 / bestStandIn);
    std::printf("verification:     %8.1f ms  %8.0f items/s\n", bestVerify,
                count * 1000.0 / bestVerify);
    std::printf("longest pause of the event loop during a run: %.1f ms\n", longestPause);
    std::printf("ratio verification / bare start: %.2f (target at most 2)\n",
                bestVerify / bestTrue);
    return 0;
}
