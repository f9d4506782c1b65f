#include "search/searchrun.h"

#include "model/failure.h"
#include "search/scan.h"
#include "verify/verifyresults.h"

#include <QFileInfo>
#include <QLocale>
#include <QPointer>

namespace vexil {

qint64 SearchCollection(const QueryMatcher& matcher, const Collection& collection,
                        const QString& path, const std::function<void(int number)>& found,
                        const std::atomic<bool>* stop)
{
    std::optional<VerifyResults> results;
    if (matcher.needsVerifyResults() && !path.isEmpty())
        results = VerifyResults::read(VerifyResultsPath(path));
    const MatchContext context = VerifyContext(results ? &*results : nullptr);
    ItemScanner scanner(collection);
    const int count = scanner.itemCount();
    int number = 1;
    for (; number <= count; ++number) {
        // Asking for Stop every item would cost more than the test of a text.
        if ((number & 1023) == 0 && stop && stop->load(std::memory_order_relaxed))
            break;
        if (matcher.matches(scanner.item(number), context))
            found(number);
    }
    return std::max(0, number - 1);
}

QString SearchStatusText(const SearchTotals& totals, const QStringList& skipped)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString text = QStringLiteral("%1 of %2 items in %3 s")
                       .arg(english.toString(totals.found), english.toString(totals.items),
                            QString::number(totals.seconds, 'f', totals.seconds < 10 ? 1 : 0));
    if (totals.stopped)
        text += QStringLiteral(" (stopped)");
    if (!skipped.isEmpty())
        text += QStringLiteral("; not searched: ") + skipped.join(QStringLiteral(", "));
    return text;
}

SearchJob::SearchJob(QObject* parent) : QObject(parent) {}

SearchJob::~SearchJob()
{
    stop();
    join();
}

void SearchJob::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void SearchJob::stop()
{
    if (m_stop)
        m_stop->store(true);
}

void SearchJob::start(const QueryNode& query, const QStringList& files,
                      const QList<std::optional<Collection>>& inMemory)
{
    stop();
    join();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const int generation = ++m_generation;
    auto matcher = std::make_shared<QueryMatcher>(query);
    QPointer<SearchJob> self(this);
    // Everything the thread hands back goes through the job's own thread; a job that was
    // destroyed, or a search that was replaced, drops it.
    auto post = [self, generation](auto call) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, call] {
                if (self && self->m_generation == generation)
                    call(*self);
            },
            Qt::QueuedConnection);
    };
    m_thread = std::thread([post, matcher, files, inMemory, stopFlag = m_stop] {
        QElapsedTimer clock;
        clock.start();
        SearchTotals totals;
        for (int file = 0; file < files.size() && !stopFlag->load(); ++file) {
            Collection collection;
            try {
                if (file < inMemory.size() && inMemory[file])
                    collection = *inMemory[file];
                else
                    collection = Collection::fromFile(files[file]);
            } catch (const Failure& failure) {
                post([file, message = failure.message](SearchJob& job) {
                    emit job.fileSkipped(file, message);
                });
                continue;
            } catch (const std::exception& e) {
                post([file, message = QString::fromLocal8Bit(e.what())](SearchJob& job) {
                    emit job.fileSkipped(file, message);
                });
                continue;
            }
            post([file, collection](SearchJob& job) { emit job.fileRead(file, collection); });
            QList<int> batch;
            QElapsedTimer sinceBatch;
            sinceBatch.start();
            auto flush = [&] {
                if (batch.isEmpty())
                    return;
                post([file, batch](SearchJob& job) { emit job.found(file, batch); });
                batch.clear();
                sinceBatch.restart();
            };
            totals.items += SearchCollection(
                *matcher, collection, files[file],
                [&](int number) {
                    batch.append(number);
                    ++totals.found;
                    if (batch.size() >= 4096 || sinceBatch.elapsed() >= 100)
                        flush();
                },
                stopFlag.get());
            flush();
        }
        totals.stopped = stopFlag->load();
        totals.seconds = clock.nsecsElapsed() / 1e9;
        post([totals](SearchJob& job) {
            job.m_running = false;
            emit job.finished(totals);
        });
    });
}

} // namespace vexil
