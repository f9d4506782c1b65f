#pragma once

#include "model/collection.h"

#include <QObject>

#include <functional>
#include <optional>

namespace vexil {

// What the file looked like when it was last read or written, to notice a change that
// another program (or a second Vexil) made to it since.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedNs = 0;
    quint64 identity = 0; // the file's inode: a file replaced by a rename is another file
    bool operator==(const FileStamp&) const = default;

    static FileStamp of(const QString& path);
};

// The open collection: the file, the item shown and every operation on the item set. Each
// change is written to the file before it is kept; when the write fails, memory goes back to
// what the file holds and the failure is passed on, so that memory and file never disagree.
//
// Operations throw Failure (a message for the user) or Abandon; the reading functions meant
// for painting never throw.
class OpenCollection : public QObject {
    Q_OBJECT
public:
    // Asked before a write finds the file changed by another program. It may reload (and
    // then throw Abandon so that the operation does not go on), throw Abandon to cancel, or
    // return to write over the other program's changes.
    using OutsideChange = std::function<void()>;
    // Asked before the first change of an open file that is empty. It may make the file a
    // new collection (makeNewCollection) or close it; either way it throws Abandon, for the
    // change asked for was not made.
    using EmptyFile = std::function<void()>;

    explicit OpenCollection(QObject* parent = nullptr) : QObject(parent) {}

    void setOutsideChangeHandler(OutsideChange handler) { m_outsideChange = std::move(handler); }
    void setEmptyFileHandler(EmptyFile handler) { m_emptyFile = std::move(handler); }

    bool isOpen() const { return !m_fileName.isEmpty(); }
    // An existing file that holds nothing is open as it is, with no items.
    bool isEmptyFile() const { return isOpen() && m_collection.isEmpty(); }
    const QString& fileName() const { return m_fileName; }
    const Collection& collection() const { return m_collection; }
    // Items 1 to itemCount(); the header item is not counted. 0 when nothing is open.
    int itemCount() const { return qMax(0, m_collection.itemCount()); }
    // The item shown: its number (0 for none) and the index of its header line (-1 when a
    // reload found no item of that number).
    int currentItem() const { return m_currentNumber; }
    int currentLine() const { return m_currentLine; }
    // True when the item shown is stored at its number with the very lines it had when it
    // was shown, so that edits made since belong there. After a reload it may not be.
    bool currentItemIsAsShown() const;

    // Opens `path`, or creates it with the header item and one empty item when it does not
    // exist. An existing empty file is opened as it is, with no items, and written only
    // once the user agrees to make it a new collection (see EmptyFile). On failure nothing
    // is open. The item shown is none until showItem(). Emits opened().
    void open(const QString& path);
    void close();
    // Writes the header item and one empty item into the open empty file.
    void makeNewCollection();
    // Reads the file again after another program changed it. The item shown keeps its
    // number, whatever the file now holds there: the edits on screen still belong to the
    // item as it was shown (see currentItemIsAsShown).
    void reload();
    // True when the file is no longer what was last read or written.
    bool changedOnDisk() const;
    // The user chose to keep this version: the next change writes over the other one.
    void acceptOutsideChange() { stamp(); }

    int FindItemLine(int number) const { return m_collection.FindItemLine(number); }
    // Reads item `number`; throws Failure for a malformed item, Abandon for none.
    Item readItem(int number) const;
    // For painting: the item, or nothing when it is missing or cannot be read.
    std::optional<Item> itemOrNothing(int number) const noexcept;

    // Makes `number` the item shown once it has been read; a failure leaves the item shown
    // as it was. Returns the item read.
    Item showItem(int number, int headerLine);
    // No item shown (after a change of the item set whose next item cannot be read).
    void showNone();

    // Rewrites the item shown from `item` (made storable here) and writes the file. Throws
    // Failure, writing nothing, when the item shown is no longer as it was shown.
    void writeCurrentItem(const Item& item);
    // Appends `item` (made storable here) as the new last item and returns its number; it
    // becomes the item shown.
    int appendItem(const Item& item);
    // Appends an empty item; returns its number. The item shown stays.
    int appendEmptyItem();
    // Removes the item shown; returns the number of the item to show next (the one behind
    // it, or the new last one). The item shown is none until that is shown.
    int removeCurrentItem();
    // Moves the item shown to `target`; the item shown becomes `target`.
    void moveCurrentItem(int target);
    // Appends a copy of item `number` as stored; returns the copy's number.
    int appendCopy(int number);
    // Appends the items `numbers`, as stored and in this order, to the collection file
    // `path` (not the open one), numbered after its items; a file that does not exist or is
    // empty starts with the header item. The target must be valid; it is written whole and
    // atomically, and the open collection does not change.
    void appendItemsToFile(const QString& path, const QList<int>& numbers) const;
    // True when `path` names the open collection file, as the platform compares names.
    bool isOpenFile(const QString& path) const;

signals:
    // A collection was opened, created, reloaded or closed: everything may differ.
    void opened();
    // Items were added, removed or moved (after the finer signals below), for those that
    // only need to know that the item set is not what it was.
    void itemsChanged();

    // The finer signals of one change of the item set, numbers counted from 1. Each
    // "about to" signal comes while the collection still is as before, its partner once it
    // has changed and the file holds it, so that a model can wrap the change in its
    // begin/end calls. A change whose write fails sends none of them.
    void itemsAboutToBeInserted(int first, int last);
    void itemsInserted(int first, int last);
    void itemsAboutToBeRemoved(int first, int last);
    void itemsRemoved(int first, int last);
    // Item `from` goes to `to`; the items between shift by one towards `from`.
    void itemAboutToBeMoved(int from, int to);
    void itemMoved(int from, int to);
    // Item `number` was rewritten in place.
    void itemWritten(int number);
    // The item shown changed (its number, 0 for none).
    void currentChanged(int number);

private:
    // Runs `change` on memory, then writes the file; on a failed write memory goes back.
    // Once the file holds the change, `announce` runs with memory as it was before.
    void change(const std::function<void()>& change, const std::function<void()>& announce = {});
    void checkOutsideChange();
    void stamp();
    // Lines 1 to 13 of the block at `headerLine`, as stored.
    QByteArray storedLines(int headerLine) const;
    // Delete and Change number act only on the item the user sees.
    void checkCurrentAsShown() const;

    Collection m_collection;
    QString m_fileName;
    FileStamp m_stamp;
    int m_currentNumber = 0;
    int m_currentLine = 0;
    QByteArray m_shownLines; // the item shown as it was stored when shown
    OutsideChange m_outsideChange;
    EmptyFile m_emptyFile;
};

} // namespace vexil
