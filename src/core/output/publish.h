#pragma once

#include "interchange/report.h"
#include "model/collection.h"

#include <QList>
#include <QString>

#include <optional>

namespace vexil {

class OpenCollection;

// What the Publish dialog writes: a .tex for the diagram package, a PDF booklet, or the SVG
// of one diagram.
enum class PublishFormat { Latex, Booklet, Svg };

// The format a file name asks for by its extension (case ignored); none for anything else.
std::optional<PublishFormat> PublishFormatOf(const QString& path);
// ".tex", ".pdf", ".svg".
QString PublishExtension(PublishFormat format);
// `path` with the format's extension, unless it already ends with it.
QString WithPublishExtension(const QString& path, PublishFormat format);

// Which items: the one shown, the selection of a list, or all of them.
enum class PublishRange { Shown, Selected, Collection };

struct PublishSet {
    QList<Item> items;
    QList<int> numbers;
    InterchangeReport report; // items that could not be read, by number
};

// Items `numbers` of the collection as stored; an item that cannot be read is named in the
// report and left out rather than ending the whole export.
PublishSet ItemsToPublish(const OpenCollection& collection, const QList<int>& numbers);
// Every item of the collection, in order.
PublishSet CollectionToPublish(const OpenCollection& collection);

} // namespace vexil
