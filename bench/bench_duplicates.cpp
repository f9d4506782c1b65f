// Measures "Find duplicates" and "Is it new?" on a generated collection of N items
// (1,000,000 unless given) in which every tenth item is a seeded copy of the one before it:
// mirrored, rotated, with colours swapped and the board turned, or one unit away. Each figure
// is printed as a ratio to `grep -c -F` of a word over the same file, measured in the same
// run.
//
//   bench_duplicates [N]

#include "duplicates/duplicates.h"
#include "generate.h"
#include "model/piece.h"
#include "model/transform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace vexil;

namespace {

template <class F> double millis(F f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.nsecsElapsed() / 1e6;
}

int grepCount(const QString& word, const QString& file)
{
    QProcess grep;
    grep.start(QStringLiteral("grep"), {"-c", "-F", word, file});
    if (!grep.waitForFinished(-1))
        qFatal("grep did not run");
    return grep.readAllStandardOutput().trimmed().toInt();
}

Board seededCopy(const Board& board, int way)
{
    using T = Transformation;
    switch (way) {
    case 0:
        return Transformed(board, T::VerticalMirror);
    case 1:
        return Transformed(board, T::Rotation);
    case 2:
        return Transformed(Transformed(board, T::ExchangeColors), T::HorizontalMirror);
    default: {
        Board copy = board;
        for (auto& row : copy.squares)
            for (PieceCode& code : row)
                if (Piece(code).isPiece()) {
                    code = 0; // one unit taken away
                    return copy;
                }
        return copy;
    }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.dgr"));
    Board query;
    {
        Collection collection = bench::generateCollection(count, 26);
        for (int n = 10; n <= count; n += 10) {
            const Board before = collection.readItem(collection.FindItemLine(n - 1)).board;
            Item item = collection.readItem(collection.FindItemLine(n));
            item.board = seededCopy(before, (n / 10) % 4);
            collection.writeItem(collection.FindItemLine(n), item);
        }
        query = collection.readItem(collection.FindItemLine(count / 2 - 1)).board;
        collection.write(file);
    }
    const qint64 size = QFileInfo(file).size();
    std::printf("%d items, %.0f MB\n", count, size / 1e6);

    double grep = 1e30;
    for (int i = 0; i < 3; ++i)
        grep = qMin(grep, millis([&] { grepCount(QStringLiteral("Zyzzyva"), file); }));
    std::printf("%-44s %9.0f ms  1.00\n", "grep -c -F (best of 3)", grep);

    Collection collection;
    const double read = millis([&] { collection = Collection::fromFile(file); });
    std::printf("%-44s %9.0f ms %5.2f\n", "reading the collection", read, read / grep);
    const QList<SearchedCollection> searched{{file, collection, 0}};

    const struct {
        const char* name;
        Equivalence equivalence;
        bool near;
    } runs[] = {{"Find duplicates, exact", Equivalence::Exact, false},
                {"Find duplicates, mirror", Equivalence::Mirror, false},
                {"Find duplicates, eight symmetries", Equivalence::Symmetries, false},
                {"Find duplicates, colours swapped", Equivalence::ColoursSwapped, false},
                {"Find duplicates, colours swapped and near", Equivalence::ColoursSwapped, true}};
    for (const auto& run : runs) {
        QList<DuplicateGroup> groups;
        const double ms = millis([&] {
            groups = FindDuplicates(searched, {run.equivalence, run.near, false});
        });
        qsizetype members = 0;
        for (const DuplicateGroup& g : groups)
            members += g.size();
        std::printf("%-44s %9.0f ms %5.2f  (%lld groups, %lld items)\n", run.name, ms, ms / grep,
                    qlonglong(groups.size()), qlonglong(members));
    }
    QList<DuplicateMatch> matches;
    const double isNew = millis([&] {
        matches = FindAnticipations(query, QString(), searched,
                                    {Equivalence::ColoursSwapped, true, false});
    });
    std::printf("%-44s %9.0f ms %5.2f  (%lld matches)\n", "Is it new?, colours swapped and near",
                isNew, isNew / grep, qlonglong(matches.size()));
    return 0;
}
