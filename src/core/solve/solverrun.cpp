#include "solve/solverrun.h"

namespace vexil {

namespace {
constexpr int kTickMs = 1000;
// A solver that writes its output into the output file cannot fill the disk through it.
constexpr qsizetype kOutputFileLimit = 256 * 1024 * 1024;
} // namespace

SolverRun::SolverRun(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
    m_ticker.setInterval(kTickMs);
    connect(&m_ticker, &QTimer::timeout, this, &SolverRun::tick);
    m_process.setOutputLimit(kOutputFileLimit);
    connect(&m_process, &SolverProcess::finished, this, &SolverRun::onFinished);
    connect(&m_process, &SolverProcess::failedToStart, this, &SolverRun::onError);
}

SolverRun::~SolverRun() = default;

bool SolverRun::start(const QString& program, const QStringList& arguments, const QString& folder,
                      const QString& outputFile)
{
    if (isRunning())
        return true;
    m_process.setCapture(outputFile.isEmpty() ? SolverProcess::Capture::Nothing
                                              : SolverProcess::Capture::MergedFile,
                         outputFile);
    m_stopping = false;
    m_clock.start();
    if (!m_process.start(program, arguments, folder))
        return false;
    if (m_process.isRunning()) {
        m_ticker.start();
        tick();
    }
    return true;
}

void SolverRun::stop()
{
    if (!isRunning())
        return;
    m_stopping = true;
    m_process.stop();
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

void SolverRun::onFinished()
{
    m_ticker.stop();
    const QString seconds = QString::number(m_clock.elapsed() / 1000.0, 'f', 1);
    if (m_stopping)
        setStatus(QStringLiteral("%1 stopped").arg(m_name));
    else if (m_process.crashed())
        setStatus(QStringLiteral("%1 crashed after %2 s").arg(m_name, seconds));
    else
        setStatus(QStringLiteral("%1 finished (exit %2) in %3 s")
                      .arg(m_name)
                      .arg(m_process.exitCode())
                      .arg(seconds));
    emit ended();
}

void SolverRun::onError(const QString& error)
{
    m_ticker.stop();
    const QString text = QStringLiteral("%1 could not be started: %2").arg(m_name, error);
    setStatus(text);
    emit failedToStart(text);
    emit ended();
}

} // namespace vexil
