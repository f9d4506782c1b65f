#include "interchange/convert.h"

#include "model/cp1252.h"
#include "model/atomicfile.h"
#include "model/failure.h"

#include <QFileInfo>

namespace vexil {
namespace {

QString keptText(const QString& text, const char* field, QStringList& notes) {
    if (cp1252::canEncode(text)) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        QString unit(c);
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            unit += text[++i];
        if (cp1252::canEncode(unit)) {
            out += unit;
            continue;
        }
        // The letter without its accent: the first character of the decomposition, when the
        // rest is only combining marks.
        const QString decomposed = unit.normalized(QString::NormalizationForm_D);
        QString base;
        if (decomposed.size() > 1 && cp1252::canEncode(decomposed.first(1))) {
            bool marks = true;
            for (QChar m : decomposed.mid(1))
                marks = marks && m.isMark();
            if (marks) base = decomposed.first(1);
        }
        const uint code = unit.size() == 2 ? QChar::surrogateToUcs4(unit[0], unit[1]) : c.unicode();
        const QString name =
            QStringLiteral("\"%1\" (U+%2)")
                .arg(unit, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        if (base.isEmpty())
            notes << QStringLiteral("%1: %2 has no Windows-1252 character; left out")
                         .arg(QLatin1String(field), name);
        else
            notes << QStringLiteral("%1: %2 has no Windows-1252 character; written as \"%3\"")
                         .arg(QLatin1String(field), name, base);
        out += base;
    }
    return out;
}

} // namespace

InterchangeFormat InterchangeFormatOf(const QString& path, QByteArrayView bytes) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("olv")) return InterchangeFormat::Olive;
    if (suffix == QLatin1String("inp") || suffix == QLatin1String("pi"))
        return InterchangeFormat::Popeye;
    if (suffix != QLatin1String("dgr") && IsPopeyeFile(bytes)) return InterchangeFormat::Popeye;
    return InterchangeFormat::Dgr;
}

Item CollectionItem(const Item& item, QStringList& notes) {
    Item out = item;
    out.author = keptText(item.author, "author", notes);
    out.source = keptText(item.source, "source", notes);
    out.stipulation = keptText(item.stipulation, "stipulation", notes);
    out.condition = keptText(item.condition, "condition", notes);
    for (QString& line : out.twins)
        line = keptText(line, "twins", notes);
    for (QString& line : out.solution)
        line = keptText(line, "solution", notes);
    return out;
}

ConvertedFile ConvertImported(ImportedItems imported) {
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
        const Item item = StorableItem(CollectionItem(imported.items[i], notes));
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

ConvertedFile ConvertOlive(QByteArrayView bytes) {
    return ConvertImported(ReadOlive(bytes));
}

ConvertedFile ConvertPopeyeFile(QByteArrayView bytes) {
    return ConvertImported(ReadPopeyeFile(bytes));
}

ConvertedFile ConvertInterchangeFile(const QString& path) {
    const QByteArray bytes = ReadWholeFile(path);
    switch (InterchangeFormatOf(path, bytes)) {
    case InterchangeFormat::Olive:
        return ConvertOlive(bytes);
    case InterchangeFormat::Popeye:
        return ConvertPopeyeFile(bytes);
    case InterchangeFormat::Dgr:
        break;
    }
    throw Failure::refusal(kInvalidFileFormat);
}

ExportedFile PrepareExport(const QString& path, const QList<Item>& items, const QList<int>& numbers,
                           const PopeyeText& popeyeText) {
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

void WriteInterchangeFile(const QString& path, const QByteArray& bytes) {
    WriteFileAtomically(path, bytes);
}

} // namespace vexil
