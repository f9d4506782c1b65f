#include "app/datamodule.h"

#include "app/prompts.h"
#include "interchange/convert.h"
#include "model/problem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vexil {
namespace {

// Enough of a file to tell a Popeye file by its first word; a file that cannot be read is left
// to the collection reader, which says why.
QByteArray fileStart(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(256);
}

QString importReportText(const QString& source, const QString& target, const ConvertedFile& file)
{
    const int items = int(file.lines.size() / kItemLines) - 1;
    QStringList text{QStringLiteral("%1 item(s) from \"%2\" written to \"%3\".")
                         .arg(items)
                         .arg(QDir::toNativeSeparators(QFileInfo(source).absoluteFilePath()),
                              QDir::toNativeSeparators(target))};
    if (file.report.isEmpty()) {
        text << QStringLiteral("Everything the file holds was carried over.");
    } else {
        text << QStringLiteral("What the collection could not hold:");
        text << file.report.lines();
    }
    return text.join(QLatin1Char('\n'));
}

QString convertingText(const QString& path)
{
    return QStringLiteral("Converting \"%1\"...").arg(QFileInfo(path).fileName());
}

} // namespace

TDataModule1::TDataModule1(Prompts& prompts, QObject* parent) : QObject(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("TDataModule1"));
}

QString TDataModule1::askTarget(QWidget* parent)
{
    return m_prompts.saveFileName(parent, QStringLiteral("Save as Vexil-DGR file"),
                                  QStringLiteral("DGR Files|*.dgr"), QStringLiteral("DGR"));
}

std::optional<QString> TDataModule1::ImportPbm(QWidget* parent, const QString& pbmName)
{
    // The pbm file is read whole and closed before the save dialog comes up.
    Lines lines;
    m_prompts.runWithProgress(parent, convertingText(pbmName), [&](const Progress& progress) {
        lines = ConvertPbm(ReadWholeFile(pbmName), progress);
    });
    const QString target = askTarget(parent);
    if (target.isEmpty())
        return std::nullopt;
    WriteLinesFile(target, lines);
    return target;
}

std::optional<QString> TDataModule1::ImportInterchange(QWidget* parent, const QString& fileName)
{
    // A file that holds no problem fails here, before the user is asked for a name.
    ConvertedFile converted;
    m_prompts.runWithProgress(parent, convertingText(fileName), [&](const Progress& progress) {
        converted = ConvertInterchangeFile(fileName, progress);
    });
    const QString target = askTarget(parent);
    if (target.isEmpty())
        return std::nullopt;
    WriteLinesFile(target, converted.lines);
    m_prompts.showReport(parent, kImportReportTitle, importReportText(fileName, target, converted));
    return target;
}

std::optional<QString> TDataModule1::ImportFile(QWidget* parent, const QString& fileName)
{
    if (QFileInfo(fileName).suffix().toLower() == QLatin1String("pbm"))
        return ImportPbm(parent, fileName);
    if (InterchangeFormatOf(fileName, fileStart(fileName)) != InterchangeFormat::Dgr)
        return ImportInterchange(parent, fileName);
    return fileName;
}

} // namespace vexil
