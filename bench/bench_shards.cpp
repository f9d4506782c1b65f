// A verification split into N shards run by GNU parallel (-j N) and merged, against a single
// `vexil-cli verify --jobs N` of the same items, with the fast stand-in solver, in the same run.
// The target: the shards within 1.2 times the single run.
//
//   bench_shards [ITEMS [SHARDS]]         defaults: 1000 items, 4 shards

#include "generate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace vexil;

namespace {

const QString kCli = QStringLiteral(VEXIL_CLI);
const QString kStandIn = QStringLiteral(VEXIL_FAKE_POPEYE);

// Runs a program to its end; milliseconds, or -1 when it failed.
double timed(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int items = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    const int shards = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 4;
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    if (items < 1 || shards < 1 || parallel.isEmpty()) {
        std::fprintf(stderr, "usage: bench_shards [ITEMS [SHARDS]] (needs GNU parallel)\n");
        return 2;
    }
    QTemporaryDir dir;
    const Collection collection = bench::generateCollection(items, 28);
    collection.write(dir.filePath(QStringLiteral("single.dgr")));
    collection.write(dir.filePath(QStringLiteral("shards.dgr")));
    const QString jobs = QString::number(shards);

    const double single = timed(
        kCli, {"verify", "single.dgr", "--popeye", kStandIn, "--jobs", jobs, "--maxtime", "60"},
        dir.path());
    QStringList arguments{"-j",     jobs,         "--halt",     "now,fail=1", kCli,
                          "verify", "shards.dgr", "--popeye",   kStandIn,     "--maxtime",
                          "60",     "--shard",    "{}/" + jobs, "--results",  "shard{}.verify",
                          ":::"};
    QStringList files;
    for (int k = 0; k < shards; ++k) {
        arguments << QString::number(k);
        files << QStringLiteral("shard%1.verify").arg(k);
    }
    const double run = timed(parallel, arguments, dir.path());
    const double merge = timed(kCli, QStringList{"verify-merge", "shards.dgr"} + files, dir.path());
    if (single < 0 || run < 0 || merge < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    const double total = run + merge;
    std::printf("%d items, %d shards: single --jobs %d run %.0f ms; parallel -j %d shards %.0f ms "
                "+ merge %.0f ms\n",
                items, shards, shards, single, shards, run, merge);
    std::printf("shards and merge / single run: %.2f (target <= 1.20)\n", total / single);
    return 0;
}
