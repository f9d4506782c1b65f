#pragma once

#include "model/collection.h"

#include <QList>

namespace vexil::test {

// A board from rows "rank 8/.../rank 1": KQRBSP for white, kqrbsp for black, G/g and N/n for
// grasshoppers and nightriders, digits for empty squares, {code} for any other code.
Board boardFrom(const QString& rows);

// The items of the bundled sample collection.
QList<Item> sampleItems();

// The collection lines of items written one after another behind the header item.
Lines collectionOf(const QList<Item>& items);

// A collection of `count` empty items told apart by their author "Author n" and by the code
// n on a8.
Lines numberedCollection(int count);

// A file's bytes (empty when it cannot be read), and a file written with exactly `bytes`.
QByteArray fileBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace vexil::test
