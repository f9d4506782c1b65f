#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace vexil {

// Output kept up to a limit: its beginning, and once that is full, its last bytes, so that
// an endless writer costs a bounded amount of memory and the end (where a solver says how it
// ended) is still there.
class CappedOutput {
public:
    CappedOutput(qsizetype headLimit, qsizetype tailLimit)
        : m_headLimit(headLimit), m_tailLimit(tailLimit)
    {
    }
    void append(QByteArrayView data);
    bool isCut() const { return m_dropped > 0; }
    qint64 total() const { return m_total; }
    const QByteArray& head() const { return m_head; }
    // The beginning and the end kept, joined by a line break when something between them was
    // dropped.
    QByteArray kept() const;

private:
    qsizetype m_headLimit;
    qsizetype m_tailLimit;
    QByteArray m_head;
    QByteArray m_tail;
    qint64 m_total = 0;
    qint64 m_dropped = 0;
};

// One outside solver process, the only way Vexil starts one. The program runs in a process
// group of its own, so that whatever it starts (a wrapper script starting the real solver, a
// solver forking helpers) is ended with it: on stop(), when the program itself ends, and when
// this object goes (each time SIGTERM first, SIGKILL after the grace). It dies at once when Vexil
// dies; a small guard process forked into the group ends the rest of the group then (Linux;
// elsewhere only the program itself is ended). A process that leaves the group on purpose (a
// session of its own) is out of reach.
class SolverProcess : public QObject {
    Q_OBJECT
public:
    enum class Capture {
        Nothing,    // standard output and error are thrown away
        Memory,     // both kept, each up to its limit: output(), errors()
        MergedFile, // both, merged, written to a file up to the output limit
    };

    explicit SolverProcess(QObject* parent = nullptr);
    ~SolverProcess() override;

    // The executable a program path stands for: a bare name is looked up in PATH as a shell
    // would, a path is used as given (relative to the current folder). Empty when there is no
    // such executable file.
    static QString findProgram(const QString& path);

    // Before start(): what becomes of the program's output, and its bounds.
    void setCapture(Capture capture, const QString& file = QString());
    void setOutputLimit(qsizetype bytes) { m_outputLimit = bytes; }
    void setErrorLimit(qsizetype bytes) { m_errorLimit = bytes; }
    // How long the group may take to end after SIGTERM before it is killed.
    void setGrace(int milliseconds) { m_grace = milliseconds; }

    // Starts `program` (found by findProgram) with `arguments`, each one argument as it is,
    // in `folder`. False when the program cannot be found (nothing is started); a program that
    // is found but cannot be run reports through failedToStart().
    bool start(const QString& program, const QStringList& arguments, const QString& folder);
    bool isRunning() const;
    qint64 processId() const { return m_group; }

    // Asks the whole group to end (SIGTERM) and kills it after the grace.
    void stop();
    // Kills the whole group at once.
    void kill();

    // After finished(): how the program ended.
    bool crashed() const { return m_crashed; }  // ended by a signal
    int exitCode() const { return m_exitCode; } // its status, or the signal's number
    const CappedOutput& output() const { return m_out; }
    const CappedOutput& errors() const { return m_err; }
    // Whatever could not be written to the output file (MergedFile); empty when all went well.
    const QString& fileProblem() const { return m_fileProblem; }

signals:
    void finished();
    void failedToStart(const QString& text);

private:
    void read();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void signalGroup(bool force); // SIGKILL, else SIGTERM
    void releaseGuard();

    QProcess* m_process = nullptr;
    Capture m_capture = Capture::Nothing;
    QString m_fileName;
    QFile m_file;
    QString m_fileProblem;
    qsizetype m_outputLimit = 4 * 1024 * 1024;
    qsizetype m_errorLimit = 64 * 1024;
    int m_grace = 2000;
    CappedOutput m_out{0, 0};
    CappedOutput m_err{0, 0};
    qint64 m_fileWritten = 0;
    qint64 m_fileDropped = 0;
    qint64 m_group = 0; // the process group (the program's own id), while it may hold anyone
    int m_guardFd = -1; // the guard's pipe: the group ends when it closes
    QTimer m_killer;
    bool m_crashed = false;
    int m_exitCode = 0;
};

} // namespace vexil
