#include "solve/programfolder.h"

#include "model/atomicfile.h"
#include "model/collection.h"
#include "model/cp1252.h"
#include "model/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vexil {

namespace {

// Folders of installed programs: even where they can be written (as root), solver files
// do not belong there.
bool isSystemFolder(const QString& folder)
{
    static const char* const prefixes[] = {"/usr/", "/bin", "/sbin", "/lib", "/snap/"};
    const QString path = QDir::cleanPath(folder) + QLatin1Char('/');
    for (const char* prefix : prefixes)
        if (path.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

// Whether a file can really be made there; permission bits say nothing of a read-only mount.
bool canWriteIn(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.vexil-XXXXXX"));
    return probe.open();
}

QString withSeparator(QString folder)
{
    folder = QDir::fromNativeSeparators(folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return QDir::toNativeSeparators(folder);
}

} // namespace

QString ChooseProgramFolder(const QString& applicationFolder, const QString& perUserFolder)
{
    if (!isSystemFolder(applicationFolder) && canWriteIn(applicationFolder))
        return withSeparator(applicationFolder);
    const QString folder = perUserFolder + QStringLiteral("/solve");
    QDir().mkpath(folder);
    return withSeparator(folder);
}

QString ProgramFolder()
{
    return ChooseProgramFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QStringList PaneLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void WriteSolverInput(const QString& path, const QStringList& lines)
{
    Lines bytes;
    bytes.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line;
        if (!cp1252::encode(lines[i], line))
            throw Failure::refusal(
                QStringLiteral("Line %1 holds \"%2\", which the input file cannot hold.")
                    .arg(i + 1)
                    .arg(cp1252::firstUnencodable(lines[i])));
        bytes << line;
    }
    // The solver folder may be shared: a link of that name must not lead the write elsewhere.
    CreateScratchFile(path, JoinLines(bytes));
}

void RemoveSolverOutput(const QString& path)
{
    QFile file(path);
    if (!file.exists() || file.remove())
        return;
    throw Failure::error(QStringLiteral("Cannot delete file %1").arg(path));
}

std::optional<QStringList> ReadSolverOutput(const QString& path, qint64 limit)
{
    // A pipe or a device of that name would hold the window for as long as it gives data.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    const bool cut = size > limit;
    if (cut && !file.seek(size - limit))
        return std::nullopt;
    // A solver still writing makes the file grow while it is read.
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringList lines;
    if (cut) {
        // The first line is most likely cut short.
        bytes.remove(0, bytes.indexOf('\n') + 1);
        lines << QStringLiteral("[%1 is %2 MB long: only its last %3 MB are shown.]")
                     .arg(path)
                     .arg(double(size) / (1024 * 1024), 0, 'f', 1)
                     .arg(double(limit) / (1024 * 1024), 0, 'f', 0);
    }
    for (const QByteArray& line : SplitLines(bytes))
        lines << cp1252::decode(line);
    return lines;
}

} // namespace vexil
