#include "cli/cli.h"
#include "cli/clishared.h"

#include "model/collection.h"
#include "model/failure.h"
#include "verify/verifysession.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>

namespace vexil::cli {
namespace {

// The numbers a shard takes: every item whose number is K modulo N, so that every shard gets
// items from everywhere in the collection, long and short alike.
QList<int> shardItems(int from, int to, int shard, int shards)
{
    QList<int> numbers;
    for (int number = from; number <= to; ++number)
        if (number % shards == shard)
            numbers << number;
    return numbers;
}

QStringList recordFields(const VerifyRecord& record)
{
    return {QString::number(record.number),
            RecordOutcomeText(record),
            QString::number(record.solutions),
            record.firstMoves.join(QLatin1Char(' ')),
            MoveMatchText(record.storedMove),
            QString::number(record.seconds, 'f', 1),
            record.detail};
}

} // namespace

int verify(const Context& context, Rows& rows, QCommandLineParser& parser, const QString& file)
{
    if (!parser.isSet(QStringLiteral("popeye")))
        throw UsageError{QStringLiteral("--popeye PATH is needed")};
    const int jobs = positiveNumber(parser, QStringLiteral("jobs"), 1, 1024);
    const int maxTime = positiveNumber(parser, QStringLiteral("maxtime"), 60, 86400);
    int from = 1;
    int to = INT_MAX;
    if (parser.isSet(QStringLiteral("range"))) {
        const auto range = parseRange(parser.value(QStringLiteral("range")));
        if (!range)
            throw UsageError{QStringLiteral("--range wants A-B, not \"%1\"")
                                 .arg(parser.value(QStringLiteral("range")))};
        std::tie(from, to) = *range;
    }
    int shard = 0;
    int shards = 1;
    if (parser.isSet(QStringLiteral("shard"))) {
        static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})/(\\d{1,6})$"));
        const QRegularExpressionMatch match = pattern.match(parser.value(QStringLiteral("shard")));
        shard = match.captured(1).toInt();
        shards = match.captured(2).toInt();
        if (!match.hasMatch() || shards < 1 || shard >= shards)
            throw UsageError{QStringLiteral("--shard wants K/N with 0 <= K < N, not \"%1\"")
                                 .arg(parser.value(QStringLiteral("shard")))};
    }

    auto collection = std::make_shared<const Collection>(Collection::fromFile(file));
    // Popeye is given its input in a folder of the run's own.
    QTemporaryDir folder;
    VerifySession session(CollectionVerifyItems(collection, folder.path() + QDir::separator()));
    const QString results = parser.isSet(QStringLiteral("results"))
                                ? parser.value(QStringLiteral("results"))
                                : VerifyResultsPath(file);
    QString problem;
    session.open(results, &problem);
    if (!problem.isEmpty())
        context.err << problem << '\n';

    const QList<int> numbers = shardItems(from, qMin(to, collection->itemCount()), shard, shards);
    QHash<int, VerifyRecord> kept;
    const QList<int> toRun = session.plan(numbers, maxTime, false, &kept);
    for (int number : numbers)
        if (kept.contains(number))
            rows.add(recordFields(kept.value(number)));
    if (toRun.isEmpty()) {
        session.save();
        return kCliDone;
    }

    QEventLoop loop;
    QString failure;
    QObject::connect(&session, &VerifySession::itemVerified, &loop,
                     [&](const VerifyRecord& record) {
                         endProgress(context);
                         rows.add(recordFields(record));
                     });
    QObject::connect(&session, &VerifySession::finished, &loop, [&](bool, const QString& trouble) {
        failure = trouble;
        loop.quit();
    });
    QTimer tick;
    if (context.progress) {
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            const VerifyProgress progress = session.progress();
            drawProgress(context.err, progress.done, progress.total, ProgressText(progress));
        });
        tick.start(250);
    }
    QString refusal;
    if (!session.start(toRun,
                       VerifySolver{parser.value(QStringLiteral("popeye")), QStringLiteral("4M")},
                       jobs, maxTime, 5000, &refusal))
        throw Failure::error(refusal);
    loop.exec();
    endProgress(context);
    if (!failure.isEmpty())
        throw Failure::error(failure);
    return kCliDone;
}

int verifyMerge(Rows& rows, const QString& file, const QStringList& inputs)
{
    const Collection collection = Collection::fromFile(file);
    const QString target = VerifyResultsPath(file);
    QString problem;
    VerifyResults merged = VerifyResults::read(target, &problem);
    if (!problem.isEmpty())
        throw Failure::error(problem);
    // Every result is checked before anything is written: a refused shard changes nothing.
    QString options;
    QString optionsFrom;
    QList<std::pair<QString, QList<VerifyRecord>>> shards;
    for (const QString& input : inputs) {
        if (!QFileInfo(input).isFile())
            throw cannotOpen(input);
        const VerifyResults results = VerifyResults::read(input, &problem);
        if (!problem.isEmpty())
            throw Failure::error(problem);
        const QList<VerifyRecord> records = results.records();
        for (const VerifyRecord& record : records) {
            if (ItemKey(StoredItemLines(collection, record.number), record.options) != record.key)
                throw Failure::error(
                    QStringLiteral("%1: the result of item %2 was computed for other contents "
                                   "of the item or other options")
                        .arg(input)
                        .arg(record.number));
            if (optionsFrom.isEmpty()) {
                options = record.options;
                optionsFrom = input;
            } else if (record.options != options) {
                throw Failure::error(QStringLiteral("%1: computed with \"%2\", %3 with \"%4\"")
                                         .arg(input, record.options, optionsFrom, options));
            }
        }
        shards.append({input, records});
    }
    for (const auto& [input, records] : shards) {
        for (const VerifyRecord& record : records)
            merged.put(record);
        rows.add({input, QString::number(records.size())});
    }
    merged.keepItems(collection.itemCount(),
                     [&collection](int number) { return StoredItemLines(collection, number); });
    merged.write(target);
    return kCliDone;
}

} // namespace vexil::cli
