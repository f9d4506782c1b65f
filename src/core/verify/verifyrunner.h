#pragma once

#include "verify/verifyresults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QTemporaryDir;

namespace vexil {

// How far a verification has come.
struct VerifyProgress {
    int done = 0;
    int total = 0;
    double itemsPerMinute = 0; // 0 before the first item is done
    int secondsLeft = -1;      // -1 while it cannot be told
};
// What is known of the items still running, for the time left.
struct RunningItems {
    QList<double> seconds;     // how long each has been running
    double averageSeconds = 0; // how long a finished item took, on average
    int parallel = 1;
    double deadlineSeconds = 0; // a run is ended after this long at the latest; 0: never
};
// Without running items the time left follows the pace so far; with them, the items still
// running and those still waiting share the parallel runs, and no run that is still going is
// counted as done.
VerifyProgress MeasureProgress(int done, int total, qint64 elapsedMilliseconds,
                               const RunningItems& running = {});
// "12 / 50 done, 240 items per minute, 0:09 left".
QString ProgressText(const VerifyProgress& progress);

// The Popeye text of an item made ready for a verification run: its "Protocol" line left out
// (the output is read from the process) and "MaxTime n" added to its "Option" line, or an
// "Option" line added before "EndProblem" when it has none.
QByteArray PrepareVerifyInput(const QByteArray& text, int maxTimeSeconds);

// Thrown by a runner's input function for an item that must not be given to Popeye at all: the
// item is listed as refused, with the message, and no Popeye is started for it.
struct ItemRefused {
    QString message;
};

// Runs Popeye on items, up to a number of processes at once, one process per item with its
// own input file in a private temporary folder. Popeye's own time limit does not end every
// search, so every run also has a deadline a few seconds behind it, after which the process
// is killed.
class VerifyRunner : public QObject {
    Q_OBJECT
public:
    using InputFunction = std::function<QByteArray(int number)>;
    using KeyFunction = std::function<QByteArray(int number)>;
    using SolutionFunction = std::function<QStringList(int number)>;
    using PositionsFunction = std::function<QList<Twin>(int number)>;

    // `input`: the Popeye text of item n (a "Protocol" line in it is left out). `key`: the
    // ItemKey of item n. `storedSolution`: item n's stored solution lines, for the number of
    // solutions intended and the first move; none means one solution and no comparison.
    VerifyRunner(const QString& popeyePath, const QString& memory, InputFunction input,
                 KeyFunction key, SolutionFunction storedSolution = {}, QObject* parent = nullptr);
    ~VerifyRunner() override;

    void setParallel(int runs);      // at least 1
    void setMaxTime(int seconds);    // Popeye's "MaxTime", default 60
    void setGrace(int milliseconds); // the deadline behind MaxTime, default 5000
    int maxTime() const { return m_maxTime; }
    // Item n's twins (BuildTwins), by which its stored solution is read; without them the
    // stored solution is read as direct play on an empty board.
    void setPositions(PositionsFunction positions) { m_positions = std::move(positions); }

    // Starts verifying `numbers` in their order. False when Popeye cannot be started at all;
    // `failedToStart` then says why.
    bool start(const QList<int>& numbers);
    // Kills every run at once; their items get no result. Emits finished(true).
    void stop();

    bool isRunning() const { return m_running; }
    VerifyProgress progress() const;

signals:
    void itemVerified(const vexil::VerifyRecord& record);
    void finished(bool stopped);
    void failedToStart(const QString& message);

private:
    struct Run;
    void launchMore();
    void launch(int number);
    void complete(Run* run);
    void finishRun(Run* run, const VerifyRecord& record);
    void checkDeadlines();
    void killAll();

    QString m_popeyePath;
    QString m_memory;
    InputFunction m_input;
    KeyFunction m_key;
    SolutionFunction m_storedSolution;
    PositionsFunction m_positions;
    int m_parallel = 1;
    int m_maxTime = 60;
    int m_grace = 5000;

    std::unique_ptr<QTemporaryDir> m_folder;
    QList<int> m_queue;
    qsizetype m_next = 0;
    int m_done = 0;
    int m_ran = 0; // items Popeye finished, for the average time an item takes
    double m_ranSeconds = 0;
    bool m_running = false;
    std::vector<std::unique_ptr<Run>> m_runs;
    QElapsedTimer m_clock;
    QTimer m_watch;
};

} // namespace vexil
