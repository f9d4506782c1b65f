#pragma once

#include "interchange/olive.h"
#include "interchange/popeyefile.h"
#include "model/collection.h"

#include <optional>

namespace vexil {

// Bringing other formats into a new collection, and taking items out to them. The window
// asks for the file names and shows the reports; everything else is here.

enum class InterchangeFormat { Dgr, Olive, Popeye };

// The format of a file by its extension (".olv"; ".inp", ".pi"), else by its content (a first
// word "BeginProblem" is a Popeye file); Dgr for everything else.
InterchangeFormat InterchangeFormatOf(const QString& path, QByteArrayView bytes = {});

// An item as a collection stores it: Windows-1252 only. Text Windows-1252 cannot hold is
// written in Latin letters (`TransliteratedToWindows1252`); each field so changed is named
// once in `notes` ("author: 'Łódź' written as 'Lódz'").
Item CollectionItem(const Item& item, QStringList& notes);

struct ConvertedFile {
    Lines lines;              // a whole collection: the header item, then the items
    InterchangeReport report; // what could not be held, by entry
};

// The lines of a new collection holding `imported`'s items, its report extended by the
// characters Windows-1252 cannot hold. Throws Failure when there is no item at all.
ConvertedFile ConvertImported(ImportedItems imported);
// Throws Failure for a file that is no YAML or holds no problem.
ConvertedFile ConvertOlive(QByteArrayView bytes, const Progress& progress = {});
ConvertedFile ConvertPopeyeFile(QByteArrayView bytes, const Progress& progress = {});
// Reads the file whole and converts it by its format; throws Failure ("Cannot open file %s",
// or why the file holds no problem). Safe to run away from the interface thread.
ConvertedFile ConvertInterchangeFile(const QString& path, const Progress& progress = {});

// The bytes that Copy writes into `path` for `items` in the file's format (by extension),
// appended to what the file already holds; the report is what the format cannot hold, for
// the user to accept before anything is written. A Dgr target is no business of this.
ExportedFile PrepareExport(const QString& path, const QList<Item>& items, const QList<int>& numbers,
                           const PopeyeText& popeyeText);

// Writes the whole file atomically; throws Failure ("Cannot create file %s").
void WriteInterchangeFile(const QString& path, const QByteArray& bytes);

} // namespace vexil
