#include "model/opencollection.h"

#include "model/failure.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace vexil {

FileStamp FileStamp::of(const QString& path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.identity = quint64(info.st_ino);
#else
    const QFileInfo file(path);
    if (!file.exists())
        return stamp;
    stamp.size = file.size();
    stamp.modifiedNs = file.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

void OpenCollection::open(const QString& path)
{
    close();
    const QString fullName = QFileInfo(path).absoluteFilePath();
    Collection collection;
    if (QFileInfo::exists(fullName))
        collection = Collection::fromFile(fullName);
    if (collection.isEmpty()) {
        collection = Collection::newCollection();
        collection.write(fullName);
    }
    m_collection = std::move(collection);
    m_fileName = fullName;
    stamp();
    emit opened();
}

void OpenCollection::close()
{
    const bool wasOpen = isOpen() || !m_fileName.isEmpty();
    m_collection = Collection();
    m_fileName.clear();
    m_stamp = {};
    m_currentNumber = 0;
    m_currentLine = 0;
    if (wasOpen)
        emit opened();
}

void OpenCollection::reload()
{
    if (m_fileName.isEmpty())
        return;
    Collection collection = Collection::fromFile(m_fileName);
    if (collection.isEmpty())
        throw Failure::refusal(kInvalidFileFormat);
    m_collection = std::move(collection);
    stamp();
    const int line = m_currentNumber > 0 ? m_collection.FindItemLine(m_currentNumber) : -1;
    if (line < 0) {
        m_currentNumber = 0;
        m_currentLine = 0;
    } else {
        m_currentLine = line;
    }
    emit opened();
    emit currentChanged(m_currentNumber);
}

bool OpenCollection::changedOnDisk() const
{
    return !m_fileName.isEmpty() && FileStamp::of(m_fileName) != m_stamp;
}

void OpenCollection::stamp()
{
    m_stamp = FileStamp::of(m_fileName);
}

void OpenCollection::checkOutsideChange()
{
    if (m_outsideChange && changedOnDisk())
        m_outsideChange();
}

Item OpenCollection::readItem(int number) const
{
    const int line = FindItemLine(number);
    if (line < 0)
        throw Abandon();
    return m_collection.readItem(line);
}

std::optional<Item> OpenCollection::itemOrNothing(int number) const noexcept
{
    try {
        const int line = FindItemLine(number);
        if (line < 0)
            return std::nullopt;
        return m_collection.readItem(line);
    } catch (...) {
        return std::nullopt;
    }
}

Item OpenCollection::showItem(int number, int headerLine)
{
    if (headerLine < 0)
        throw Abandon();
    Item item = m_collection.readItem(headerLine);
    m_currentNumber = number;
    m_currentLine = headerLine;
    emit currentChanged(number);
    return item;
}

void OpenCollection::showNone()
{
    m_currentNumber = 0;
    m_currentLine = 0;
    emit currentChanged(0);
}

void OpenCollection::change(const std::function<void()>& change)
{
    if (!isOpen())
        throw Failure::error(QStringLiteral("No collection is open."));
    checkOutsideChange();
    const Collection before = m_collection;
    try {
        change();
        m_collection.write(m_fileName);
    } catch (...) {
        m_collection = before;
        throw;
    }
    stamp();
}

void OpenCollection::writeCurrentItem(const Item& item)
{
    // With no item shown there is nothing to write, and the header item must stay empty.
    if (m_currentNumber <= 0)
        return;
    const Item storable = StorableItem(item);
    change([&] { m_collection.writeItem(m_currentLine, storable); });
}

int OpenCollection::appendEmptyItem()
{
    change([&] { m_collection.appendEmptyItem(); });
    emit itemsChanged();
    return itemCount();
}

int OpenCollection::removeCurrentItem()
{
    if (m_currentNumber < 1)
        throw Failure::error(QStringLiteral("No item is shown to delete."));
    const int number = m_currentNumber;
    change([&] { m_collection.removeItem(m_currentLine / kItemLines); });
    showNone();
    emit itemsChanged();
    return qMin(number, itemCount());
}

void OpenCollection::moveCurrentItem(int target)
{
    if (m_currentNumber < 1)
        throw Failure::error(QStringLiteral("No item is shown to move."));
    const int targetLine = FindItemLine(target);
    if (targetLine < 0)
        throw Failure::error(QStringLiteral("There is no item %1.").arg(target));
    change([&] { m_collection.moveItem(m_currentLine / kItemLines, targetLine / kItemLines); });
    // The moved item now stands in the target's block.
    m_currentNumber = target;
    m_currentLine = targetLine;
    emit itemsChanged();
    emit currentChanged(target);
}

int OpenCollection::appendCopy(int number)
{
    const int line = FindItemLine(number);
    if (line < 0)
        throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(number));
    change([&] { m_collection.appendCopyOf(m_collection, line / kItemLines); });
    emit itemsChanged();
    return itemCount();
}

void OpenCollection::appendItemsToFile(const QString& path, const QList<int>& numbers) const
{
    Collection target;
    if (QFileInfo::exists(path))
        target = Collection::fromFile(path);
    if (target.isEmpty()) {
        // A new file, or one with no lines at all: it starts with the header item.
        Lines header;
        EmptyItem(header, 0);
        target = Collection::fromLines(header);
    }
    for (int number : numbers) {
        const int line = FindItemLine(number);
        if (line < 0)
            throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(number));
        target.appendCopyOf(m_collection, line / kItemLines);
    }
    target.write(path);
}

bool OpenCollection::isOpenFile(const QString& path) const
{
    if (m_fileName.isEmpty())
        return false;
    const QFileInfo chosen(path), open(m_fileName);
    const QString a = chosen.exists() ? chosen.canonicalFilePath() : chosen.absoluteFilePath();
    const QString b = open.exists() ? open.canonicalFilePath() : open.absoluteFilePath();
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

} // namespace vexil
