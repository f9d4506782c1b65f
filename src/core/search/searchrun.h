#pragma once

#include "model/collection.h"
#include "search/match.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace vexil {

// Searches `collection` (read from `path`, whose verification results are read when the query
// asks for them) and calls `found` with the number of every item that matches, in file order.
// Returns the number of items looked at; `stop`, once set, ends the scan early.
qint64 SearchCollection(const QueryMatcher& matcher, const Collection& collection,
                        const QString& path, const std::function<void(int number)>& found,
                        const std::atomic<bool>* stop = nullptr);

// Appends copies of items of other collections (each a collection and an item number) to the
// collection file `path`, a new one when it does not exist, written atomically. Throws
// Failure for a target that cannot be read as a collection or written, and for an item that
// is not there; the file then stays as it was.
void AppendItemsToFile(const QString& path, const QList<std::pair<Collection, int>>& items);

struct SearchTotals {
    qint64 items = 0; // items looked at
    qint64 found = 0;
    double seconds = 0;
    bool stopped = false;
};

// The status line of a search: "1,234 of 1,000,000 items in 0.4 s", with the files that were
// skipped named after it.
QString SearchStatusText(const SearchTotals& totals, const QStringList& skipped);

// One search over several collection files on a thread of its own. Each file is read as it is
// on disk when the search reaches it; one that cannot be read is reported and skipped. Results
// come in batches through queued calls on the thread the job lives in.
class SearchJob : public QObject {
    Q_OBJECT
public:
    explicit SearchJob(QObject* parent = nullptr);
    ~SearchJob() override; // stops the search and waits for its thread

    // Starts a search (stopping one that runs); `query` must be valid. A collection given in
    // `inMemory` for a file (one that is known to hold what the file holds) is searched
    // instead of reading the file again.
    void start(const QueryNode& query, const QStringList& files,
               const QList<std::optional<Collection>>& inMemory = {});
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // A file was read: its collection is kept by whoever wants the items found in it.
    void fileRead(int file, const vexil::Collection& collection);
    void fileSkipped(int file, const QString& problem);
    void found(int file, const QList<int>& numbers);
    void finished(const vexil::SearchTotals& totals);

private:
    void join();

    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_running = false;
    int m_generation = 0; // results of a search that was replaced are dropped
};

} // namespace vexil
