#include "solve/solverprocess.h"

#include "model/failure.h"

#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vexil {

namespace {

// How much of the end of an output is kept once its beginning has filled its limit.
constexpr qsizetype kTailLimit = 16 * 1024;

#ifdef Q_OS_LINUX
// What follows runs in the new child before the program is executed, where it may still share
// Vexil's memory (Qt starts children vfork-style): only plain system calls, no allocation, no
// locks, no Qt.

void closeAllBut(int keep)
{
    const unsigned int last = ~0U;
    bool done = keep == 0 || ::syscall(SYS_close_range, 0U, unsigned(keep - 1), 0U) == 0;
    done = done && ::syscall(SYS_close_range, unsigned(keep + 1), last, 0U) == 0;
    if (done)
        return;
    rlimit limit{};
    rlim_t count = 4096;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        count = qMin<rlim_t>(limit.rlim_cur, 1 << 20);
    for (rlim_t fd = 0; fd < count; ++fd)
        if (int(fd) != keep)
            ::close(int(fd));
}

// The guard: waits until Vexil closes its end of the pipe (the run is over, or Vexil has died)
// and then ends everything left in the group: SIGTERM, the grace, SIGKILL (itself included).
[[noreturn]] void guardGroup(int pipeRead, int grace)
{
    // Signals were blocked when the guard was made: a SIGTERM to the group must not end it
    // before it has done its work, nor run a handler of Vexil's in it.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        ::sigaction(signal, &ignore, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    closeAllBut(pipeRead);
    // It is a copy of Vexil: a name of its own keeps it apart from Vexil in a process list.
    ::prctl(PR_SET_NAME, "solver-guard", 0, 0, 0);
    char byte = 0;
    for (;;) {
        const ssize_t got = ::read(pipeRead, &byte, 1);
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
    }
    ::kill(0, SIGTERM);
    timespec rest{grace / 1000, long(grace % 1000) * 1000000L};
    while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
    ::kill(0, SIGKILL);
    ::_exit(0);
}

void prepareChild(pid_t vexil, int pipeRead, int grace)
{
    // A session and process group of its own: a signal to the group reaches everything the
    // program starts, and nothing of Vexil's.
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Vexil may have died before the line above took effect.
    if (::getppid() != vexil)
        ::_exit(127);
    // The system call itself, not fork(): the library's fork runs the handlers registered for
    // it, which may wait for a lock some other thread of Vexil held when this child was made,
    // and so hang for ever.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, &before);
    if (::syscall(SYS_clone, SIGCHLD, nullptr, nullptr, nullptr, nullptr) == 0)
        guardGroup(pipeRead, grace);
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    ::close(pipeRead);
}
#endif

} // namespace

void CappedOutput::append(QByteArrayView data)
{
    m_total += data.size();
    if (m_tail.isEmpty() && m_head.size() < m_headLimit) {
        const qsizetype take = qMin(m_headLimit - m_head.size(), data.size());
        m_head.append(data.first(take));
        data = data.sliced(take);
    }
    if (data.isEmpty())
        return;
    if (data.size() >= m_tailLimit) {
        m_dropped += m_tail.size() + data.size() - m_tailLimit;
        m_tail = data.last(m_tailLimit).toByteArray();
        return;
    }
    m_tail.append(data);
    if (m_tail.size() > m_tailLimit) {
        m_dropped += m_tail.size() - m_tailLimit;
        m_tail.remove(0, m_tail.size() - m_tailLimit);
    }
}

QByteArray CappedOutput::kept() const
{
    if (!isCut())
        return m_head + m_tail;
    return m_head + '\n' + m_tail;
}

SolverProcess::SolverProcess(QObject* parent) : QObject(parent)
{
    m_killer.setSingleShot(true);
    connect(&m_killer, &QTimer::timeout, this, [this] { kill(); });
}

SolverProcess::~SolverProcess()
{
    m_killer.stop();
    if (isRunning()) {
        m_process->disconnect(this);
        signalGroup(false);
        if (m_guardFd >= 0) {
            // The guard kills what is left after the grace. The process object stays until
            // its program is gone, so that the program is reaped, and nobody waits here.
            QProcess* process = m_process;
            process->setParent(nullptr);
            connect(process, &QProcess::finished, process, &QObject::deleteLater);
            m_process = nullptr;
        } else {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    releaseGuard();
}

QString SolverProcess::findProgram(const QString& path)
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

void SolverProcess::setCapture(Capture capture, const QString& file)
{
    m_capture = capture;
    m_fileName = file;
}

bool SolverProcess::start(const QString& program, const QStringList& arguments,
                          const QString& folder)
{
    if (isRunning())
        return false;
    const QString executable = findProgram(program);
    if (executable.isEmpty())
        return false;
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
    }
    releaseGuard();
    m_out = CappedOutput(m_outputLimit, kTailLimit);
    m_err = CappedOutput(m_errorLimit, kTailLimit);
    m_fileWritten = 0;
    m_fileDropped = 0;
    m_fileProblem.clear();
    m_crashed = false;
    m_exitCode = 0;
    m_group = 0;

    m_process = new QProcess(this);
    m_process->setWorkingDirectory(folder);
    m_process->setStandardInputFile(QProcess::nullDevice());
    switch (m_capture) {
    case Capture::Nothing:
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->setStandardErrorFile(QProcess::nullDevice());
        break;
    case Capture::Memory:
        connect(m_process, &QProcess::readyReadStandardOutput, this, &SolverProcess::read);
        connect(m_process, &QProcess::readyReadStandardError, this, &SolverProcess::read);
        break;
    case Capture::MergedFile:
        m_file.close();
        m_file.setFileName(m_fileName);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw cannotCreate(m_fileName);
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        connect(m_process, &QProcess::readyReadStandardOutput, this, &SolverProcess::read);
        break;
    }
#ifdef Q_OS_LINUX
    int pipe[2] = {-1, -1};
    if (::pipe2(pipe, O_CLOEXEC) == 0) {
        const pid_t vexil = ::getpid();
        const int pipeRead = pipe[0];
        const int grace = m_grace;
        m_process->setChildProcessModifier(
            [vexil, pipeRead, grace] { prepareChild(vexil, pipeRead, grace); });
    } else {
        m_process->setChildProcessModifier([] {
            ::setsid();
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
    }
#endif
    connect(m_process, &QProcess::finished, this, &SolverProcess::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_killer.stop();
        releaseGuard();
        m_group = 0;
        m_file.close();
        emit failedToStart(m_process->errorString());
    });
    m_process->start(executable, arguments);
#ifdef Q_OS_LINUX
    if (pipe[0] >= 0) {
        ::close(pipe[0]);
        m_guardFd = pipe[1];
    }
#endif
    if (m_process->state() != QProcess::NotRunning)
        m_group = m_process->processId();
    else
        releaseGuard();
    return true;
}

bool SolverProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void SolverProcess::stop()
{
    if (!isRunning())
        return;
    signalGroup(false);
    m_killer.start(m_grace);
}

void SolverProcess::kill()
{
    if (!isRunning())
        return;
    signalGroup(true);
}

void SolverProcess::signalGroup(bool force)
{
#ifdef Q_OS_LINUX
    // The group id stays taken while the guard or the program lives, so no stranger is hit.
    if (m_group > 0) {
        ::kill(-pid_t(m_group), force ? SIGKILL : SIGTERM);
        return;
    }
#endif
    if (isRunning())
        force ? m_process->kill() : m_process->terminate();
}

void SolverProcess::releaseGuard()
{
#ifdef Q_OS_LINUX
    if (m_guardFd >= 0)
        ::close(m_guardFd);
#endif
    m_guardFd = -1;
}

void SolverProcess::read()
{
    if (!m_process)
        return;
    if (m_capture == Capture::Memory) {
        m_out.append(m_process->readAllStandardOutput());
        m_err.append(m_process->readAllStandardError());
        return;
    }
    if (m_capture != Capture::MergedFile)
        return;
    const QByteArray data = m_process->readAllStandardOutput();
    const qint64 room = qMax<qint64>(0, m_outputLimit - m_fileWritten);
    const qint64 take = qMin<qint64>(room, data.size());
    if (take > 0 && m_file.isOpen() && m_fileProblem.isEmpty()) {
        if (m_file.write(data.constData(), take) != take)
            m_fileProblem = cannotCreate(m_fileName).message;
        m_fileWritten += take;
    }
    m_fileDropped += data.size() - take;
}

void SolverProcess::onFinished(int exitCode, QProcess::ExitStatus status)
{
    m_killer.stop();
    read();
    m_crashed = status == QProcess::CrashExit;
    m_exitCode = exitCode;
    if (m_file.isOpen()) {
        if (m_fileDropped > 0)
            m_file.write(QStringLiteral("\n[Only the first %1 bytes of the output were kept; "
                                        "%2 more were left out.]\n")
                             .arg(m_fileWritten)
                             .arg(m_fileDropped)
                             .toUtf8());
        m_file.close();
    }
    // The guard ends whatever the program left behind in its group.
    releaseGuard();
    m_group = 0;
    emit finished();
}

} // namespace vexil
