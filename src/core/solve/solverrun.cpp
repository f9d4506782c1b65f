#include "solve/solverrun.h"

#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace vexil {

namespace {
constexpr int kTickMs = 1000;
// How long a program may take to end after being asked before it is killed.
constexpr int kStopGraceMs = 2000;
} // namespace

SolverRun::SolverRun(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
    m_ticker.setInterval(kTickMs);
    connect(&m_ticker, &QTimer::timeout, this, &SolverRun::tick);
    m_killer.setSingleShot(true);
    m_killer.setInterval(kStopGraceMs);
    connect(&m_killer, &QTimer::timeout, this, [this] {
        if (isRunning())
            m_process->kill();
    });
}

SolverRun::~SolverRun()
{
    if (!isRunning())
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(3000);
}

QString SolverRun::findProgram(const QString& path)
{
    if (path.trimmed().isEmpty())
        return {};
    if (!path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char('\\')))
        return QStandardPaths::findExecutable(path);
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isExecutable())
        return {};
    return info.absoluteFilePath();
}

bool SolverRun::start(const QString& program, const QString& arguments, const QString& folder,
                      const QString& outputFile)
{
    if (isRunning())
        return true;
    const QString executable = findProgram(program);
    if (executable.isEmpty())
        return false;
    if (m_process)
        m_process->deleteLater();
    m_process = new QProcess(this);
    m_process->setWorkingDirectory(folder);
    m_process->setStandardInputFile(QProcess::nullDevice());
    if (outputFile.isEmpty()) {
        // Unread output would pile up in memory for as long as the run goes.
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->setStandardErrorFile(QProcess::nullDevice());
    } else {
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->setStandardOutputFile(outputFile, QIODevice::Truncate);
    }
#ifdef Q_OS_LINUX
    // Should Vexil itself be killed, its solver goes with it instead of running on unseen.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    connect(m_process, &QProcess::finished, this, &SolverRun::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &SolverRun::onError);
    m_stopping = false;
    m_clock.start();
    m_process->start(executable, QProcess::splitCommand(arguments));
    m_ticker.start();
    tick();
    return true;
}

bool SolverRun::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void SolverRun::stop()
{
    if (!isRunning())
        return;
    m_stopping = true;
    m_process->terminate();
    m_killer.start();
}

void SolverRun::setStatus(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(m_status);
}

void SolverRun::tick()
{
    if (!isRunning())
        return;
    setStatus(QStringLiteral("%1 running… %2 s").arg(m_name).arg(m_clock.elapsed() / 1000));
}

void SolverRun::onFinished(int exitCode, QProcess::ExitStatus status)
{
    m_ticker.stop();
    m_killer.stop();
    const QString seconds = QString::number(m_clock.elapsed() / 1000.0, 'f', 1);
    if (m_stopping)
        setStatus(QStringLiteral("%1 stopped").arg(m_name));
    else if (status == QProcess::CrashExit)
        setStatus(QStringLiteral("%1 crashed after %2 s").arg(m_name, seconds));
    else
        setStatus(QStringLiteral("%1 finished (exit %2) in %3 s")
                      .arg(m_name)
                      .arg(exitCode)
                      .arg(seconds));
    emit ended();
}

void SolverRun::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return;
    m_ticker.stop();
    m_killer.stop();
    const QString text = QStringLiteral("%1 could not be started: %2")
                             .arg(m_name, m_process->errorString());
    setStatus(text);
    emit failedToStart(text);
    emit ended();
}

} // namespace vexil
