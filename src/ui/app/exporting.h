#pragma once

#include "interchange/popeyefile.h"

#include <QList>
#include <QString>

class QWidget;

namespace vexil {

class OpenCollection;
class Prompts;

// Popeye text of an item as a file of problems holds it: the solve window's text without
// its "Protocol" line, which names a file of this machine's.
QStringList PopeyeFileText(const Item& item);

// "Copy item(s) to collection" into an Olive/YACPDB or Popeye file, chosen by the target's
// extension: items `numbers` of `collection` are appended to the file, after the user has
// seen what the format cannot hold and chosen to go on. Returns false, writing nothing, for a
// collection target, which the caller copies as before. Throws Abandon when the user cancels,
// Failure when an item cannot be read or the file cannot be read or written.
bool ExportItems(Prompts& prompts, QWidget* parent, const OpenCollection& collection,
                 const QString& target, const QList<int>& numbers);

} // namespace vexil
