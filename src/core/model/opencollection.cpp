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

namespace {

// The file a name chosen by the user stands for: a link is followed once, here, so that every
// later write replaces the file itself (writes never go through a link).
QString chosenFile(const QString& path)
{
    const QFileInfo file(path);
    return file.isSymLink() && file.exists() ? file.canonicalFilePath() : file.absoluteFilePath();
}

} // namespace

void OpenCollection::open(const QString& path)
{
    close();
    const QString fullName = chosenFile(path);
    Collection collection;
    // Only a name that does not exist is created. An empty file may be one that another
    // program has just cut short and is still writing: it stays as it is until the user
    // agrees to make it a collection.
    if (QFileInfo::exists(fullName) || QFileInfo(fullName).isSymLink()) {
        collection = Collection::fromFile(fullName);
    } else {
        collection = Collection::newCollection();
        collection.write(fullName);
    }
    m_collection = std::move(collection);
    m_fileName = fullName;
    stamp();
    emit opened();
}

void OpenCollection::makeNewCollection()
{
    if (!isEmptyFile())
        throw Failure::error(QStringLiteral("The collection is not empty."));
    checkOutsideChange();
    Collection collection = Collection::newCollection();
    collection.write(m_fileName);
    m_collection = std::move(collection);
    stamp();
    m_currentNumber = 0;
    m_currentLine = 0;
    m_shownLines.clear();
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
    m_shownLines.clear();
    if (wasOpen)
        emit opened();
}

void OpenCollection::reload()
{
    if (m_fileName.isEmpty())
        return;
    m_collection = Collection::fromFile(m_fileName);
    stamp();
    if (m_currentNumber > 0)
        m_currentLine = m_collection.FindItemLine(m_currentNumber);
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

QByteArray OpenCollection::storedLines(int headerLine) const
{
    QByteArray lines;
    for (int i = 1; i < kItemLines; ++i)
        lines += m_collection.line(headerLine + i) + '\n';
    return lines;
}

bool OpenCollection::currentItemIsAsShown() const
{
    return m_currentNumber > 0 && m_currentLine >= 0 &&
           m_collection.FindItemLine(m_currentNumber) == m_currentLine &&
           storedLines(m_currentLine) == m_shownLines;
}

void OpenCollection::checkCurrentAsShown() const
{
    if (!currentItemIsAsShown())
        throw Failure::refusal(QStringLiteral("Item %1 was changed or moved by the other program.")
                                   .arg(m_currentNumber));
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
    m_shownLines = storedLines(headerLine);
    emit currentChanged(number);
    return item;
}

void OpenCollection::showNone()
{
    m_currentNumber = 0;
    m_currentLine = 0;
    m_shownLines.clear();
    emit currentChanged(0);
}

void OpenCollection::change(const std::function<void()>& change,
                            const std::function<void()>& announce)
{
    if (!isOpen())
        throw Failure::error(QStringLiteral("No collection is open."));
    checkOutsideChange();
    if (m_collection.isEmpty()) {
        if (m_emptyFile)
            m_emptyFile();
        throw Abandon();
    }
    Collection before = m_collection;
    try {
        change();
        m_collection.write(m_fileName);
    } catch (...) {
        m_collection = std::move(before);
        throw;
    }
    stamp();
    if (announce) {
        // Views ask for rows while they hear of the change coming: they see the collection
        // as it was, for a moment, rather than rows that do not fit their count.
        std::swap(m_collection, before);
        try {
            announce();
        } catch (...) {
            std::swap(m_collection, before);
            throw;
        }
        std::swap(m_collection, before);
    }
}

void OpenCollection::writeCurrentItem(const Item& item)
{
    // With no item shown there is nothing to write, and the header item must stay empty.
    if (m_currentNumber <= 0)
        return;
    const Item storable = StorableItem(item);
    change([&] {
        // Checked after a possible reload, right before the write.
        checkCurrentAsShown();
        m_collection.writeItem(m_currentLine, storable);
    });
    m_shownLines = storedLines(m_currentLine);
    emit itemWritten(m_currentNumber);
}

int OpenCollection::appendItem(const Item& item)
{
    const Item storable = StorableItem(item);
    int line = -1;
    const int number = itemCount() + 1;
    change(
        [&] {
            m_collection.appendEmptyItem();
            line = m_collection.lineCount() - kItemLines;
            m_collection.writeItem(line, storable);
        },
        [&] { emit itemsAboutToBeInserted(number, number); });
    emit itemsInserted(number, number);
    emit itemsChanged();
    m_currentNumber = number;
    m_currentLine = line;
    m_shownLines = storedLines(line);
    emit currentChanged(m_currentNumber);
    return m_currentNumber;
}

int OpenCollection::appendEmptyItem()
{
    const int number = itemCount() + 1;
    change([&] { m_collection.appendEmptyItem(); },
           [&] { emit itemsAboutToBeInserted(number, number); });
    emit itemsInserted(number, number);
    emit itemsChanged();
    return number;
}

int OpenCollection::removeCurrentItem()
{
    if (m_currentNumber < 1)
        throw Failure::error(QStringLiteral("No item is shown to delete."));
    const int number = m_currentNumber;
    change(
        [&] {
            checkCurrentAsShown();
            m_collection.removeItem(m_currentLine / kItemLines);
        },
        [&] { emit itemsAboutToBeRemoved(number, number); });
    // Nothing is shown while the views take the row away: no view takes the next row
    // for the item shown.
    m_currentNumber = 0;
    m_currentLine = 0;
    m_shownLines.clear();
    emit itemsRemoved(number, number);
    emit itemsChanged();
    showNone();
    return qMin(number, itemCount());
}

void OpenCollection::moveCurrentItem(int target)
{
    if (m_currentNumber < 1)
        throw Failure::error(QStringLiteral("No item is shown to move."));
    const int targetLine = FindItemLine(target);
    if (targetLine < 0)
        throw Failure::error(QStringLiteral("There is no item %1.").arg(target));
    const int from = m_currentNumber;
    change(
        [&] {
            checkCurrentAsShown();
            m_collection.moveItem(m_currentLine / kItemLines, targetLine / kItemLines);
        },
        [&] {
            if (from != target)
                emit itemAboutToBeMoved(from, target);
        });
    // The moved item now stands in the target's block.
    m_currentNumber = target;
    m_currentLine = targetLine;
    if (from != target) {
        emit itemMoved(from, target);
        emit itemsChanged();
    }
    emit currentChanged(target);
}

int OpenCollection::appendCopy(int number)
{
    const int line = FindItemLine(number);
    if (line < 0)
        throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(number));
    const int copy = itemCount() + 1;
    change([&] { m_collection.appendCopyOf(m_collection, line / kItemLines); },
           [&] { emit itemsAboutToBeInserted(copy, copy); });
    emit itemsInserted(copy, copy);
    emit itemsChanged();
    return copy;
}

void AppendItemsToFile(const QString& path, const QList<std::pair<Collection, int>>& items)
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
    for (const auto& [source, number] : items) {
        const int line = source.FindItemLine(number);
        if (number < 1 || line < 0)
            throw Failure::error(QStringLiteral("There is no item %1 to copy.").arg(number));
        target.appendCopyOf(source, line / kItemLines);
    }
    target.write(path);
}

void OpenCollection::appendItemsToFile(const QString& chosen, const QList<int>& numbers) const
{
    QList<std::pair<Collection, int>> items;
    items.reserve(numbers.size());
    for (int number : numbers)
        items.append({m_collection, number});
    AppendItemsToFile(chosenFile(chosen), items);
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
