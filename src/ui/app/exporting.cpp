#include "app/exporting.h"

#include "app/prompts.h"
#include "interchange/convert.h"
#include "model/failure.h"
#include "model/opencollection.h"
#include "solve/popeyetext.h"
#include "solve/programfolder.h"

#include <QFileInfo>

namespace vexil {

QStringList PopeyeFileText(const Item& item)
{
    QStringList lines = BuildPopeyeInput(item, PopeyeOptions(), ProgramFolder()).lines;
    lines.removeIf([](const QString& line) {
        return line.trimmed().startsWith(QLatin1String("Protocol"), Qt::CaseInsensitive);
    });
    return lines;
}

bool ExportItems(Prompts& prompts, QWidget* parent, const OpenCollection& collection,
                 const QString& target, const QList<int>& numbers)
{
    if (InterchangeFormatOf(target) == InterchangeFormat::Dgr)
        return false;
    QList<Item> items;
    items.reserve(numbers.size());
    for (int number : numbers)
        items << collection.readItem(number);
    const ExportedFile file = PrepareExport(target, items, numbers, PopeyeFileText);
    if (!file.report.isEmpty()) {
        const QString text = QStringLiteral("\"%1\" cannot hold everything of the item(s):\n")
                                 .arg(QFileInfo(target).fileName()) +
                             file.report.text() +
                             QStringLiteral("\n\nCopy the item(s) without it?");
        if (!prompts.confirmReport(parent, QStringLiteral("Copy item(s) to collection"), text))
            throw Abandon();
    }
    WriteInterchangeFile(target, file.bytes);
    return true;
}

} // namespace vexil
