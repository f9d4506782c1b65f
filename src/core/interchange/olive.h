#pragma once

#include "interchange/report.h"
#include "model/collection.h"
#include "model/progress.h"

#include <QByteArray>
#include <QList>

namespace vexil {

// Olive stores problems as `.olv` files: a YAML stream (UTF-8) of YACPDB entries, one document
// per problem. The mapping between an entry and an item is one table per direction, in
// olivereader.cpp and olivewriter.cpp; what has no place on the other side is reported, entry
// by entry, never dropped silently.

struct ImportedItems {
    QList<Item> items;
    InterchangeReport report; // notes labelled "entry N" ("problem N" for Popeye files)
    QString entryWord = QStringLiteral("entry");
    QList<int> entries; // per item, the number of the entry it was read from
};

// Reads an .olv file. Entries that are no YACPDB entry (an empty document, a list) are
// reported and skipped. Throws Failure for a file that is no YAML, naming line and column, and
// for one whose reading would take more than ImportMemoryLimit of the file: an entry of
// millions of nodes, or aliases that repeat a node beyond a small budget.
ImportedItems ReadOlive(QByteArrayView bytes, const Progress& progress = {});

// The memory an import may take for a file of this size.
qint64 ImportMemoryLimit(qint64 fileSize);

struct ExportedFile {
    QByteArray bytes;
    InterchangeReport report; // notes labelled "item N"
};

// The .olv text of `items`, each entry after a "---" line, in the block style Olive writes.
// `numbers` name the items in the report (their collection numbers); 1, 2, ... when empty.
// Every entry validates against the YACPDB entry schema.
ExportedFile WriteOlive(const QList<Item>& items, const QList<int>& numbers = {});

// `existing` (an .olv file's bytes, possibly empty) with the entries of `items` appended.
ExportedFile AppendOlive(QByteArrayView existing, const QList<Item>& items,
                         const QList<int>& numbers = {});

// The separator between author names in an item's author line: YACPDB names read
// "Family, Given", so a comma cannot separate them.
inline constexpr char16_t kAuthorSeparator[] = u"; ";

} // namespace vexil
