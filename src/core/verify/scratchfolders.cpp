#include "verify/scratchfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vexil {

namespace {
const QString kPrefix = QStringLiteral("vexil-verify-");

bool processIsGone(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    // EPERM: it runs, as another user.
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
#else
    Q_UNUSED(pid);
    return false;
#endif
}

bool isOwnFolder(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
#else
    return QFileInfo(path).isDir() && !QFileInfo(path).isSymLink();
#endif
}
} // namespace

QString VerifyFolderTemplate()
{
    return QDir::tempPath() + QLatin1Char('/') + kPrefix +
           QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX");
}

int RemoveStaleVerifyFolders(const QString& tempFolder)
{
    static const QRegularExpression name(QStringLiteral("^vexil-verify-(\\d{1,10})-[^/]+$"));
    int removed = 0;
    const QDir folder(tempFolder);
    const QStringList entries =
        folder.entryList({kPrefix + QLatin1Char('*')},
                         QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch() || !processIsGone(match.captured(1).toLongLong()))
            continue;
        const QString path = folder.filePath(entry);
        if (isOwnFolder(path) && QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace vexil
