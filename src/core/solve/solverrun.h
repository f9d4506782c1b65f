#pragma once

#include "solve/solverprocess.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
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

    // Starts `program` (see SolverProcess::findProgram) in `folder` with `arguments`, each
    // passed as it is. The program's standard output and error go, merged, into
    // `outputFile` (up to a limit), or nowhere when it is empty. Returns false (and starts
    // nothing) when the program cannot be found.
    bool start(const QString& program, const QStringList& arguments, const QString& folder,
               const QString& outputFile = QString());
    bool isRunning() const { return m_process.isRunning(); }
    // Ends a run that is still going, with everything it started: asks it to end, then kills
    // it if it does not.
    void stop();

    // "Popeye running… 12 s", "Popeye finished (exit 0) in 3.4 s", "Stockfish stopped";
    // empty before the first run.
    QString statusText() const { return m_status; }
    const QString& name() const { return m_name; }
    qint64 processId() const { return m_process.processId(); }

signals:
    void statusChanged(const QString& text);
    // The program could not be started although its file was found (not executable by the
    // system, a broken interpreter line, ...).
    void failedToStart(const QString& text);
    void ended();

private:
    void setStatus(const QString& text);
    void tick();
    void onFinished();
    void onError(const QString& error);

    QString m_name;
    SolverProcess m_process;
    QElapsedTimer m_clock;
    QTimer m_ticker;
    bool m_stopping = false;
    QString m_status;
};

} // namespace vexil
