#include "output/publish.h"

#include "model/failure.h"
#include "model/opencollection.h"

namespace vexil {

std::optional<PublishFormat> PublishFormatOf(const QString& path)
{
    for (PublishFormat format : {PublishFormat::Latex, PublishFormat::Booklet, PublishFormat::Svg})
        if (path.endsWith(PublishExtension(format), Qt::CaseInsensitive))
            return format;
    return std::nullopt;
}

QString PublishExtension(PublishFormat format)
{
    switch (format) {
    case PublishFormat::Latex:
        return QStringLiteral(".tex");
    case PublishFormat::Booklet:
        return QStringLiteral(".pdf");
    case PublishFormat::Svg:
        return QStringLiteral(".svg");
    }
    return {};
}

QString WithPublishExtension(const QString& path, PublishFormat format)
{
    const QString extension = PublishExtension(format);
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

PublishSet ItemsToPublish(const OpenCollection& collection, const QList<int>& numbers)
{
    PublishSet set;
    set.items.reserve(numbers.size());
    set.numbers.reserve(numbers.size());
    for (int number : numbers) {
        try {
            set.items << collection.readItem(number);
            set.numbers << number;
        } catch (const Failure& failure) {
            set.report.add(number, QStringLiteral("item %1").arg(number), failure.message);
        }
    }
    return set;
}

PublishSet CollectionToPublish(const OpenCollection& collection)
{
    QList<int> numbers;
    numbers.reserve(collection.itemCount());
    for (int n = 1; n <= collection.itemCount(); ++n)
        numbers << n;
    return ItemsToPublish(collection, numbers);
}

} // namespace vexil
