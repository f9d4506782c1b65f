#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

namespace vexil {

// One run of an outside solver: started without waiting for it, watched through the event
// loop, stoppable, and ended when its owner goes so that no solver is left running unseen.
class SolverRun : public QObject {
    Q_OBJECT
public:
    // `name` is how the status line calls the program ("Popeye", "Stockfish").
    explicit SolverRun(const QString& name, QObject* parent = nullptr);
    ~SolverRun() override;

    // The executable a program path stands for: a path names a file, a bare name is looked up
    // in PATH as a shell would. Empty when there is no such executable file.
    static QString findProgram(const QString& path);

    // Starts `program` in `folder` with the argument string split as a shell would split it.
    // The program's standard output and error go, merged, into `outputFile`, or nowhere when
    // it is empty. Returns false (and starts nothing) when the program cannot be found.
    bool start(const QString& program, const QString& arguments, const QString& folder,
               const QString& outputFile = QString());
    bool isRunning() const;
    // Ends a run that is still going: asks it to end, then kills it if it does not.
    void stop();

    // "Popeye running… 12 s", "Popeye finished (exit 0) in 3.4 s", "Stockfish stopped";
    // empty before the first run.
    QString statusText() const { return m_status; }
    const QString& name() const { return m_name; }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }

signals:
    void statusChanged(const QString& text);
    // The program could not be started although its file was found (not executable by the
    // system, a broken interpreter line, ...).
    void failedToStart(const QString& text);
    void ended();

private:
    void setStatus(const QString& text);
    void tick();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);

    QString m_name;
    QProcess* m_process = nullptr;
    QElapsedTimer m_clock;
    QTimer m_ticker;
    QTimer m_killer;
    bool m_stopping = false;
    QString m_status;
};

} // namespace vexil
