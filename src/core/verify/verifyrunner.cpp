#include "verify/verifyrunner.h"

#include "model/atomicfile.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "solve/solverreport.h"
#include "verify/scratchfolders.h"
#include "solve/solverprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace vexil {

namespace {

// Popeye can write without end; beyond this much the middle of its output is dropped and
// only its end kept, where the end line is. Its complaints are short.
constexpr qsizetype kOutputLimit = 4 * 1024 * 1024;
constexpr qsizetype kErrorLimit = 64 * 1024;
// A result keeps at most this much of Popeye's text.
constexpr qsizetype kKeptText = 64 * 1024;
// Popeye ends with 0, or with a small number for an error of its own; 126 and above are what a
// shell reports for a program it could not run or that died by a signal.
constexpr int kFirstForeignStatus = 126;

bool startsWithWord(QByteArrayView line, QByteArrayView word)
{
    line = line.trimmed();
    if (line.size() < word.size() || qstrnicmp(line.data(), word.data(), word.size()) != 0)
        return false;
    return line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t';
}

QString timeText(int seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

VerifyProgress MeasureProgress(int done, int total, qint64 elapsedMilliseconds,
                               const RunningItems& running)
{
    VerifyProgress progress;
    progress.done = done;
    progress.total = total;
    if (done <= 0 || elapsedMilliseconds <= 0)
        return progress;
    progress.itemsPerMinute = done * 60000.0 / double(elapsedMilliseconds);
    if (running.seconds.isEmpty() || running.averageSeconds <= 0) {
        const double perItem = double(elapsedMilliseconds) / 1000.0 / done;
        progress.secondsLeft = int(std::ceil(qMax(0, total - done) * perItem));
        return progress;
    }
    // A run that has gone on longer than the average is expected to take as long again,
    // but not past its deadline.
    const double average = running.averageSeconds;
    double longest = 0;
    double work = 0;
    for (double seconds : running.seconds) {
        double left = average - seconds;
        if (left <= 0) {
            left = seconds;
            if (running.deadlineSeconds > 0)
                left = qMin(left, qMax(1.0, running.deadlineSeconds - seconds));
        }
        longest = qMax(longest, left);
        work += left;
    }
    const int waiting = qMax(0, total - done - int(running.seconds.size()));
    work += waiting * average;
    const double left = qMax(longest, work / qMax(1, running.parallel));
    progress.secondsLeft = int(std::ceil(left));
    return progress;
}

QString ProgressText(const VerifyProgress& progress)
{
    QString text = QStringLiteral("%1 / %2 done").arg(progress.done).arg(progress.total);
    if (progress.itemsPerMinute > 0)
        text += QStringLiteral(", %1 items per minute").arg(qRound(progress.itemsPerMinute));
    if (progress.secondsLeft >= 0 && progress.done < progress.total)
        text += QStringLiteral(", %1 left").arg(timeText(progress.secondsLeft));
    return text;
}

QByteArray PrepareVerifyInput(const QByteArray& text, int maxTimeSeconds)
{
    const QByteArray maxTime = "MaxTime " + QByteArray::number(maxTimeSeconds);
    QList<QByteArray> lines;
    bool optionDone = false;
    qsizetype end = -1;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (startsWithWord(line, "Protocol"))
            continue;
        if (!optionDone && startsWithWord(line, "Option")) {
            line = line.trimmed() + ' ' + maxTime;
            optionDone = true;
        }
        if (end < 0 && startsWithWord(line, "EndProblem"))
            end = lines.size();
        lines.append(line);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (!optionDone)
        lines.insert(end < 0 ? lines.size() : end, "Option " + maxTime);
    return lines.join('\n') + '\n';
}

struct VerifyRunner::Run {
    int number = 0;
    QByteArray key;
    QString inputPath;
    SolverProcess* process = nullptr;
    QElapsedTimer clock;
    bool killed = false;

    ~Run()
    {
        if (process) {
            QObject::disconnect(process, nullptr, nullptr, nullptr);
            // One still running ends its group as it goes: a deferred delete might never come
            // when the program is ending.
            if (process->isRunning())
                delete process;
            else
                process->deleteLater();
        }
        if (!inputPath.isEmpty())
            QFile::remove(inputPath);
    }
};

VerifyRunner::VerifyRunner(const QString& popeyePath, const QString& memory, InputFunction input,
                           KeyFunction key, SolutionFunction storedSolution, QObject* parent)
    : QObject(parent), m_popeyePath(popeyePath), m_memory(memory), m_input(std::move(input)),
      m_key(std::move(key)), m_storedSolution(std::move(storedSolution))
{
    m_watch.setInterval(200);
    connect(&m_watch, &QTimer::timeout, this, &VerifyRunner::checkDeadlines);
}

VerifyRunner::~VerifyRunner()
{
    killAll();
}

void VerifyRunner::setParallel(int runs)
{
    m_parallel = qMax(1, runs);
}
void VerifyRunner::setMaxTime(int seconds)
{
    m_maxTime = qMax(1, seconds);
}
void VerifyRunner::setGrace(int milliseconds)
{
    m_grace = qMax(0, milliseconds);
}

bool VerifyRunner::start(const QList<int>& numbers)
{
    if (m_running)
        return false;
    const QString program = SolverProcess::findProgram(m_popeyePath);
    if (program.isEmpty()) {
        const QString reason = ProgramProblem(m_popeyePath);
        emit failedToStart(SolverNotStartedText(
            m_popeyePath, reason.isEmpty() ? QStringLiteral("not found") : reason));
        return false;
    }
    m_popeyePath = program;
    m_folder = std::make_unique<QTemporaryDir>(VerifyFolderTemplate());
    if (!m_folder->isValid()) {
        emit failedToStart(cannotCreate(m_folder->path()).message);
        return false;
    }
    m_queue = numbers;
    m_next = 0;
    m_done = 0;
    m_ran = 0;
    m_ranSeconds = 0;
    m_running = true;
    m_clock.start();
    m_watch.start();
    launchMore();
    return true;
}

void VerifyRunner::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_watch.stop();
    killAll();
    emit finished(true);
}

VerifyProgress VerifyRunner::progress() const
{
    RunningItems running;
    for (const auto& run : m_runs)
        running.seconds.append(run->clock.elapsed() / 1000.0);
    running.averageSeconds = m_ran > 0 ? m_ranSeconds / m_ran : 0;
    running.parallel = m_parallel;
    running.deadlineSeconds = m_maxTime + m_grace / 1000.0;
    VerifyProgress progress = MeasureProgress(m_done, int(m_queue.size()),
                                              m_clock.isValid() ? m_clock.elapsed() : 0, running);
    // A run that ended, stopped or not, has no time left.
    if (!m_running)
        progress.secondsLeft = -1;
    return progress;
}

void VerifyRunner::killAll()
{
    // Each run's process ends its group as it goes: SIGTERM now, SIGKILL after the grace.
    m_runs.clear();
}

void VerifyRunner::launchMore()
{
    while (m_running && int(m_runs.size()) < m_parallel && m_next < m_queue.size())
        launch(m_queue[m_next++]);
    if (m_running && m_runs.empty() && m_next >= m_queue.size()) {
        m_running = false;
        m_watch.stop();
        emit finished(false);
    }
}

void VerifyRunner::launch(int number)
{
    auto run = std::make_unique<Run>();
    run->number = number;
    Run* const self = run.get();
    QString problem;
    Outcome outcome = Outcome::Failed;
    QByteArray text;
    try {
        run->key = m_key(number);
        text = PrepareVerifyInput(m_input(number), m_maxTime);
    } catch (const ItemRefused& refused) {
        problem = refused.message;
        outcome = Outcome::Refused;
    } catch (const Failure& failure) {
        problem = failure.message;
    } catch (...) {
        problem = QStringLiteral("the Popeye text could not be made");
    }
    const QString name = QString::number(number) + QStringLiteral(".in");
    if (problem.isEmpty()) {
        // A scratch file in a folder of our own that only this run reads: no temporary copy
        // and rename (and no flush to the disk) are needed as for the user's files.
        run->inputPath = m_folder->filePath(name);
        try {
            CreateScratchFile(run->inputPath, text);
        } catch (const Failure& failure) {
            problem = failure.message;
        }
    }
    if (!problem.isEmpty()) {
        VerifyRecord record;
        record.number = number;
        record.key = run->key;
        record.outcome = outcome;
        record.detail = problem;
        ++m_done;
        emit itemVerified(record);
        return;
    }
    m_runs.push_back(std::move(run));

    self->process = new SolverProcess;
    SolverProcess* process = self->process;
    process->setCapture(SolverProcess::Capture::Memory);
    process->setOutputLimit(kOutputLimit);
    process->setErrorLimit(kErrorLimit);
    connect(process, &SolverProcess::finished, this, [this, self] { complete(self); });
    // Queued: a start that fails reports at once, inside start(), and the next launch must not
    // nest in it.
    connect(
        process, &SolverProcess::failedToStart, this,
        [this, self](const QString& error) {
            VerifyRecord record;
            record.number = self->number;
            record.key = self->key;
            record.outcome = Outcome::Failed;
            record.detail = QStringLiteral("Popeye could not be started: %1").arg(error);
            finishRun(self, record);
        },
        Qt::QueuedConnection);
    self->clock.start();
    process->start(m_popeyePath, {QStringLiteral("-maxmem"), m_memory, name}, m_folder->path());
}

void VerifyRunner::complete(Run* run)
{
    const SolverProcess& process = *run->process;
    const bool cut = process.output().isCut();
    const PopeyeReport report = ParsePopeyeOutput(cp1252::decode(process.output().kept()),
                                                  cp1252::decode(process.errors().kept()));
    const QStringList stored = m_storedSolution ? m_storedSolution(run->number) : QStringList();
    QList<Twin> positions;
    if (m_positions) {
        try {
            positions = m_positions(run->number);
        } catch (...) {
            // Read without them, as direct play.
        }
    }
    Verdict verdict = JudgeReport(report, stored, run->killed, process.crashed(), positions);
    // Whatever it printed, a run that died or ended with a status of no Popeye's is no answer.
    if (!run->killed && process.crashed())
        verdict = {Outcome::Failed,
                   QStringLiteral("Popeye ended by signal %1").arg(process.exitCode())};
    else if (!run->killed && process.exitCode() >= kFirstForeignStatus)
        verdict = {Outcome::Failed,
                   QStringLiteral("Popeye ended with status %1").arg(process.exitCode())};

    VerifyRecord record;
    record.number = run->number;
    record.key = run->key;
    record.outcome = verdict.outcome;
    record.detail = verdict.detail;
    record.interrupted = verdict.interrupted;
    record.solutions = report.solutionCount();
    record.firstMoves = report.firstMoves();
    record.storedMove = CompareFirstMove(stored, record.firstMoves, positions);
    record.seconds = run->clock.elapsed() / 1000.0;
    m_ranSeconds += record.seconds;
    ++m_ran;
    record.output = report.solutionText;
    if (cut || record.output.size() > kKeptText) {
        record.output.truncate(kKeptText);
        record.output += QStringLiteral("\n[Popeye's output was cut here]");
    }
    finishRun(run, record);
}

void VerifyRunner::finishRun(Run* run, const VerifyRecord& record)
{
    std::unique_ptr<Run> done;
    for (auto it = m_runs.begin(); it != m_runs.end(); ++it) {
        if (it->get() == run) {
            done = std::move(*it);
            m_runs.erase(it);
            break;
        }
    }
    if (!done)
        return;
    ++m_done;
    emit itemVerified(record);
    // A receiver may have stopped the verification.
    if (!m_running)
        return;
    launchMore();
}

void VerifyRunner::checkDeadlines()
{
    const qint64 deadline = qint64(m_maxTime) * 1000 + m_grace;
    for (const auto& run : m_runs) {
        if (run->process && !run->killed && run->clock.elapsed() > deadline) {
            run->killed = true;
            run->process->kill();
        }
    }
}

} // namespace vexil
