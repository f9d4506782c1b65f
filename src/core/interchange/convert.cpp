#include "interchange/convert.h"

#include "model/cp1252.h"
#include "model/atomicfile.h"
#include "model/failure.h"
#include "model/transliterate.h"

#include <QFileInfo>

namespace vexil {
namespace {

// A text the collection can hold, with one note on the field when it had to be written in
// Latin letters or lost characters that have no spelling in them.
QString keptText(const QString& text, const char* field, QStringList& notes)
{
    const QString kept = TransliteratedToWindows1252(text);
    if (kept != text)
        notes << QStringLiteral("%1: '%2' written as '%3'").arg(QLatin1String(field), text, kept);
    return kept;
}

// The same for a field of several lines: one note for the field, naming its first changed line.
QStringList keptLines(const QStringList& lines, const char* field, QStringList& notes)
{
    QStringList kept;
    QStringList changed;
    for (const QString& line : lines) {
        kept << keptText(line, field, changed);
    }
    if (changed.size() > 1)
        changed.first() += QStringLiteral(" (and %1 more lines)").arg(changed.size() - 1);
    if (!changed.isEmpty())
        notes << changed.first();
    return kept;
}

} // namespace

InterchangeFormat InterchangeFormatOf(const QString& path, QByteArrayView bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("olv"))
        return InterchangeFormat::Olive;
    if (suffix == QLatin1String("inp") || suffix == QLatin1String("pi"))
        return InterchangeFormat::Popeye;
    if (suffix != QLatin1String("dgr") && IsPopeyeFile(bytes))
        return InterchangeFormat::Popeye;
    return InterchangeFormat::Dgr;
}

Item CollectionItem(const Item& item, QStringList& notes)
{
    Item out = item;
    out.author = keptText(item.author, "author", notes);
    out.source = keptText(item.source, "source", notes);
    out.stipulation = keptText(item.stipulation, "stipulation", notes);
    out.condition = keptText(item.condition, "condition", notes);
    out.twins = keptLines(item.twins, "twins", notes);
    out.solution = keptLines(item.solution, "solution", notes);
    return out;
}

ConvertedFile ConvertImported(ImportedItems imported)
{
    if (imported.items.isEmpty())
        throw Failure::error(QStringLiteral("The file holds no problem that could be read."));
    ConvertedFile file;
    file.report = std::move(imported.report);
    file.lines.reserve((imported.items.size() + 1) * kItemLines);
    EmptyItem(file.lines, 0);
    // Notes on characters go to the entries they concern, named as the reader names them.
    const QString labelPattern = imported.entryWord + QStringLiteral(" %1");
    for (qsizetype i = 0; i < imported.items.size(); ++i) {
        QStringList notes;
        // Each item read is let go once written: a file of long texts is not held twice.
        Item read = std::move(imported.items[i]);
        imported.items[i] = Item();
        const Item item = StorableItem(CollectionItem(read, notes));
        read = Item();
        const int number = int(i) + 1;
        const int header = int(file.lines.size());
        EmptyItem(file.lines, number);
        WriteItem(file.lines, header, item);
        const int entry = i < imported.entries.size() ? imported.entries[i] : number;
        for (const QString& note : notes)
            file.report.add(entry, labelPattern.arg(entry), note);
    }
    return file;
}

ConvertedFile ConvertOlive(QByteArrayView bytes, const Progress& progress)
{
    return ConvertImported(ReadOlive(bytes, progress));
}

ConvertedFile ConvertPopeyeFile(QByteArrayView bytes, const Progress& progress)
{
    ReportProgress(progress, 0, bytes.size());
    ImportedItems imported = ReadPopeyeFile(bytes);
    ReportProgress(progress, bytes.size(), bytes.size());
    return ConvertImported(std::move(imported));
}

ConvertedFile ConvertInterchangeFile(const QString& path, const Progress& progress)
{
    QByteArray bytes = ReadWholeFile(path);
    // The file's bytes go once read, before the collection is made of what they held.
    auto converted = [&](ImportedItems (*read)(QByteArrayView, const Progress&)) {
        ImportedItems imported = read(bytes, progress);
        bytes = QByteArray();
        return ConvertImported(std::move(imported));
    };
    switch (InterchangeFormatOf(path, bytes)) {
    case InterchangeFormat::Olive:
        return converted(&ReadOlive);
    case InterchangeFormat::Popeye:
        return converted([](QByteArrayView b, const Progress& p) {
            ReportProgress(p, 0, b.size());
            ImportedItems read = ReadPopeyeFile(b);
            ReportProgress(p, b.size(), b.size());
            return read;
        });
    case InterchangeFormat::Dgr:
        break;
    }
    throw Failure::refusal(kInvalidFileFormat);
}

ExportedFile PrepareExport(const QString& path, const QList<Item>& items, const QList<int>& numbers,
                           const PopeyeText& popeyeText)
{
    const QByteArray existing = QFileInfo::exists(path) ? ReadWholeFile(path) : QByteArray();
    switch (InterchangeFormatOf(path, existing)) {
    case InterchangeFormat::Olive:
        return AppendOlive(existing, items, numbers);
    case InterchangeFormat::Popeye:
        return AppendPopeyeFile(existing, items, popeyeText, numbers);
    case InterchangeFormat::Dgr:
        break;
    }
    throw Failure::refusal(kInvalidFileFormat);
}

void WriteInterchangeFile(const QString& path, const QByteArray& bytes)
{
    WriteFileAtomically(path, bytes);
}

} // namespace vexil
