#pragma once

#include "verify/verifyresults.h"
#include "verify/verifyrunner.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

namespace vexil {

class Collection;
struct Item;

// The Popeye a verification runs.
struct VerifySolver {
    QString path;
    QString memory = QStringLiteral("4M");
};

// The items a verification reads, each function asked at the moment of use, so that the
// collection may be the one open in the program.
struct VerifyItems {
    std::function<int()> count;
    // The item's stored lines, for the key of its result (StoredItemLines).
    std::function<QByteArray(int number)> storedLines;
    // The Popeye text of the stored item; throws ItemRefused for one Popeye must not be given.
    std::function<QByteArray(int number)> popeyeInput;
    std::function<QStringList(int number)> solution;
    // The stored item's twins (BuildTwins), by which its stored solution is read.
    std::function<QList<Twin>(int number)> positions;
};

// The Popeye text of a stored item for a verification, in Windows-1252. Throws ItemRefused
// for an item that holds a word making Popeye write a file, Failure for a character Popeye
// cannot be given.
QByteArray VerifyPopeyeText(const Item& item, int number, const QString& programFolder);
// The items of a collection held in memory (the command line reads a file once).
VerifyItems CollectionVerifyItems(std::shared_ptr<const Collection> collection,
                                  const QString& programFolder);

// One collection's verification: its results file, the keys of the items under the options of
// a run, the items whose result is still good, the runner, and the results written back.
class VerifySession : public QObject {
    Q_OBJECT
public:
    explicit VerifySession(VerifyItems items, QObject* parent = nullptr);
    ~VerifySession() override;

    // Another collection (or none: empty path). Stops a run; reads its results file, a
    // problem with which `problem` names.
    void open(const QString& resultsPath, QString* problem = nullptr);
    const QString& resultsPath() const { return m_resultsPath; }
    // Where the results are written instead of the collection's file (a shard's own file).
    void setResultsPath(const QString& path) { m_resultsPath = path; }
    const VerifyResults& results() const { return m_results; }

    // The items of `numbers` to run under `maxTime`: all of them with `all`, else those that
    // have no result for their present key; `kept` receives the results still good.
    QList<int> plan(const QList<int>& numbers, int maxTime, bool all,
                    QHash<int, VerifyRecord>* kept = nullptr);
    // Runs what `plan` chose; false, with the reason in `refusal`, when Popeye cannot start.
    bool start(const QList<int>& numbers, const VerifySolver& solver, int parallel, int maxTime,
               int grace = 5000, QString* refusal = nullptr);
    void stop();
    bool isRunning() const;
    VerifyProgress progress() const;

    // Forgets the results of items deleted or changed since, and writes the file.
    void save();

signals:
    // A result, with its options, already kept.
    void itemVerified(const vexil::VerifyRecord& record);
    // The run ended and the results are written (a failure to write in `problem`).
    void finished(bool stopped, const QString& problem);

private:
    VerifyItems m_items;
    QString m_resultsPath;
    VerifyResults m_results;
    QString m_options;
    QHash<int, QByteArray> m_keys;
    std::unique_ptr<VerifyRunner> m_runner;
    int m_unsaved = 0;
};

} // namespace vexil
