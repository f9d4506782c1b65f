#include "model/failure.h"
#include "model/opencollection.h"
#include "model/sampleitems.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace vexil;
using test::fileBytes;
using test::numberedCollection;
using test::writeBytes;

namespace {

QStringList authors(const Collection& c)
{
    QStringList list;
    for (int n = 1; n <= c.itemCount(); ++n)
        list << c.readItem(c.FindItemLine(n)).author;
    return list;
}

using Operation = std::function<void(OpenCollection&)>;

// Every change signal of `open` in the order sent, each with the item count the collection
// showed while it was sent.
void recordChanges(OpenCollection& open, QStringList& record)
{
    const auto note = [&open, &record](const char* what) {
        return [&open, &record, what](int a = 0, int b = 0) {
            record << QStringLiteral("%1 %2 %3 @%4")
                          .arg(QLatin1String(what))
                          .arg(a)
                          .arg(b)
                          .arg(open.itemCount());
        };
    };
    QObject::connect(&open, &OpenCollection::itemsAboutToBeInserted, note("inserting"));
    QObject::connect(&open, &OpenCollection::itemsInserted, note("inserted"));
    QObject::connect(&open, &OpenCollection::itemsAboutToBeRemoved, note("removing"));
    QObject::connect(&open, &OpenCollection::itemsRemoved, note("removed"));
    QObject::connect(&open, &OpenCollection::itemAboutToBeMoved, note("moving"));
    QObject::connect(&open, &OpenCollection::itemMoved, note("moved"));
    QObject::connect(&open, &OpenCollection::itemWritten, [note](int n) { note("written")(n); });
    QObject::connect(&open, &OpenCollection::opened, [note] { note("opened")(); });
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestOpenCollection : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;

    void openNumbered(OpenCollection& open, int count, int shown)
    {
        Collection::fromLines(numberedCollection(count)).write(m_file);
        open.open(m_file);
        if (shown > 0)
            open.showItem(shown, open.FindItemLine(shown));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
    }

    void operations_data();
    void operations();
    void aFailedWriteLeavesMemoryAsTheFile_data() { operations_data(); }
    void aFailedWriteLeavesMemoryAsTheFile();
    void aChangeByAnotherProgramIsNoticedBeforeEachWrite_data() { operations_data(); }
    void aChangeByAnotherProgramIsNoticedBeforeEachWrite();
    void reloadKeepsTheNumberShown();
    void copyingToAnotherFile_data();
    void copyingToAnotherFile();
    void anInvalidTargetIsLeftUntouched();
    void openingCreatesAndRefusesWithNothingOpen();
    void paintingReadsNeverThrow();
};

void TestOpenCollection::operations_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QStringList>("authors"); // of the file afterwards, from 4 items, 2 shown
    // What the collection says changed; "about to" comes with the count as it was before.
    QTest::addColumn<QStringList>("changes");
    const QStringList four{"Author 1", "Author 2", "Author 3", "Author 4"};
    QTest::newRow("save") << Operation([](OpenCollection& o) {
        Item item = o.readItem(2);
        item.author = QStringLiteral("It's new");
        o.writeCurrentItem(item);
    }) << QStringList{"Author 1", "It`s new", "Author 3", "Author 4"}
                          << QStringList{"written 2 0 @4"};
    QTest::newRow("new") << Operation([](OpenCollection& o) { QCOMPARE(o.appendEmptyItem(), 5); })
                         << (four + QStringList{QString()})
                         << QStringList{"inserting 5 5 @4", "inserted 5 5 @5"};
    QTest::newRow("delete") << Operation([](OpenCollection& o) {
        QCOMPARE(o.removeCurrentItem(), 2);
        QCOMPARE(o.currentItem(), 0);
    }) << QStringList{"Author 1", "Author 3", "Author 4"}
                            << QStringList{"removing 2 2 @4", "removed 2 2 @3"};
    QTest::newRow("move") << Operation([](OpenCollection& o) {
        o.moveCurrentItem(4);
        QCOMPARE(o.currentItem(), 4);
    }) << QStringList{"Author 1", "Author 3", "Author 4", "Author 2"}
                          << QStringList{"moving 2 4 @4", "moved 2 4 @4"};
    QTest::newRow("move up") << Operation([](OpenCollection& o) {
        o.moveCurrentItem(1);
        QCOMPARE(o.currentItem(), 1);
    }) << QStringList{"Author 2", "Author 1", "Author 3", "Author 4"}
                             << QStringList{"moving 2 1 @4", "moved 2 1 @4"};
    QTest::newRow("move to itself")
        << Operation([](OpenCollection& o) { o.moveCurrentItem(2); }) << four << QStringList{};
    QTest::newRow("new shown") << Operation([](OpenCollection& o) {
        QCOMPARE(o.appendItem(Item{}), 5);
        QCOMPARE(o.currentItem(), 5);
    }) << (four + QStringList{QString()})
                               << QStringList{"inserting 5 5 @4", "inserted 5 5 @5"};
    QTest::newRow("copy") << Operation([](OpenCollection& o) { QCOMPARE(o.appendCopy(2), 5); })
                          << (four + QStringList{"Author 2"})
                          << QStringList{"inserting 5 5 @4", "inserted 5 5 @5"};
}

void TestOpenCollection::operations()
{
    QFETCH(Operation, operation);
    QFETCH(QStringList, authors);
    QFETCH(QStringList, changes);
    OpenCollection open;
    openNumbered(open, 4, 2);
    QSignalSpy items(&open, &OpenCollection::itemsChanged);
    QStringList record;
    recordChanges(open, record);
    operation(open);
    QCOMPARE(::authors(Collection::fromFile(m_file)), authors);
    QCOMPARE(open.collection().bytes(), fileBytes(m_file));
    QCOMPARE(open.itemCount(), authors.size());
    QCOMPARE(record, changes);
    QCOMPARE(items.size(), changes.isEmpty() || changes.first().startsWith("written") ? 0 : 1);
}

void TestOpenCollection::aFailedWriteLeavesMemoryAsTheFile()
{
    QFETCH(Operation, operation);
    OpenCollection open;
    openNumbered(open, 4, 2);
    const QByteArray before = open.collection().bytes();
    open.setOutsideChangeHandler([] {}); // write over whatever is there
    // The file's place is taken by a folder: no write can succeed, even as root.
    QVERIFY(QFile::remove(m_file));
    QVERIFY(QDir().mkdir(m_file));
    QStringList record;
    recordChanges(open, record);
    QSignalSpy items(&open, &OpenCollection::itemsChanged);
    QVERIFY_THROWS_EXCEPTION(Failure, operation(open));
    // No view may hear of a change that the file does not hold.
    QCOMPARE(record, QStringList{});
    QCOMPARE(items.size(), 0);
    QCOMPARE(open.collection().bytes(), before);
    QCOMPARE(open.itemCount(), 4);
    QCOMPARE(open.currentItem(), 2);
}

void TestOpenCollection::aChangeByAnotherProgramIsNoticedBeforeEachWrite()
{
    QFETCH(Operation, operation);
    OpenCollection open;
    openNumbered(open, 4, 2);
    const QByteArray before = open.collection().bytes();
    // Another program appends an item; the sizes differ.
    Collection other = Collection::fromFile(m_file);
    other.appendEmptyItem();
    other.write(m_file);
    const QByteArray theirs = fileBytes(m_file);
    QVERIFY(open.changedOnDisk());

    int asked = 0;
    open.setOutsideChangeHandler([&] {
        ++asked;
        throw Abandon();
    });
    QVERIFY_THROWS_EXCEPTION(Abandon, operation(open));
    QCOMPARE(asked, 1);
    QCOMPARE(fileBytes(m_file), theirs);
    QCOMPARE(open.collection().bytes(), before);

    // Told to go on, it writes over the other program's file, and then asks no more.
    open.setOutsideChangeHandler([&] { ++asked; });
    operation(open);
    QCOMPARE(asked, 2);
    QCOMPARE(fileBytes(m_file), open.collection().bytes());
    QVERIFY(!open.changedOnDisk());
}

void TestOpenCollection::reloadKeepsTheNumberShown()
{
    OpenCollection open;
    openNumbered(open, 4, 3);
    QSignalSpy opened(&open, &OpenCollection::opened);
    Collection::fromLines(numberedCollection(5)).write(m_file);
    open.reload();
    QCOMPARE(open.itemCount(), 5);
    QCOMPARE(open.currentItem(), 3);
    QCOMPARE(opened.size(), 1);
    QVERIFY(!open.changedOnDisk());
    QVERIFY(open.currentItemIsAsShown());
    // The item shown is gone from the new file, or another stands at its number: the number
    // stays, and nothing is written over, deleted or moved in its place.
    for (int count : {2, 4}) {
        Collection theirs = Collection::fromLines(numberedCollection(5));
        theirs.removeItem(1);
        while (theirs.itemCount() > count)
            theirs.removeItem(theirs.itemCount());
        theirs.write(m_file);
        open.reload();
        const QByteArray reloaded = fileBytes(m_file);
        QCOMPARE(open.currentItem(), 3);
        QVERIFY(!open.currentItemIsAsShown());
        QVERIFY_THROWS_EXCEPTION(Failure, open.writeCurrentItem(Item()));
        QVERIFY_THROWS_EXCEPTION(Failure, open.removeCurrentItem());
        QVERIFY_THROWS_EXCEPTION(Failure, open.moveCurrentItem(1));
        QCOMPARE(fileBytes(m_file), reloaded);
        QCOMPARE(open.collection().bytes(), reloaded);
    }
    // The edits can go to a new item, which becomes the one shown.
    Item edits;
    edits.author = QStringLiteral("Edits");
    QCOMPARE(open.appendItem(edits), 5);
    QCOMPARE(open.currentItem(), 5);
    QVERIFY(open.currentItemIsAsShown());
    QCOMPARE(Collection::fromFile(m_file).readItem(5 * kItemLines).author, edits.author);
    // A file that no longer opens leaves memory as it was.
    writeBytes(m_file, "no collection");
    QVERIFY_THROWS_EXCEPTION(Failure, open.reload());
    QCOMPARE(open.itemCount(), 5);
}

void TestOpenCollection::copyingToAnotherFile_data()
{
    QTest::addColumn<QByteArray>("target"); // the target's bytes before, or "none"
    QTest::addColumn<QStringList>("authors");
    QTest::newRow("new file") << QByteArray("none") << QStringList{"Author 2", "Author 4"};
    QTest::newRow("empty file") << QByteArray() << QStringList{"Author 2", "Author 4"};
    QTest::newRow("existing") << Collection::fromLines(numberedCollection(1)).bytes()
                              << QStringList{"Author 1", "Author 2", "Author 4"};
}

void TestOpenCollection::copyingToAnotherFile()
{
    QFETCH(QByteArray, target);
    QFETCH(QStringList, authors);
    OpenCollection open;
    openNumbered(open, 4, 1);
    const QByteArray before = fileBytes(m_file);
    const QString path = m_dir->filePath(QStringLiteral("target.dgr"));
    if (target != "none")
        writeBytes(path, target);
    open.appendItemsToFile(path, {2, 4});
    const Collection written = Collection::fromFile(path);
    QCOMPARE(::authors(written), authors);
    // Numbered from 1 behind a header item, whatever the target held.
    QCOMPARE(written.FindItemLine(authors.size()), authors.size() * kItemLines);
    QCOMPARE(fileBytes(m_file), before);
    QVERIFY(!open.isOpenFile(path));
    QVERIFY(open.isOpenFile(m_dir->path() + QStringLiteral("/./c.dgr")));
}

void TestOpenCollection::anInvalidTargetIsLeftUntouched()
{
    OpenCollection open;
    openNumbered(open, 2, 1);
    const QString path = m_dir->filePath(QStringLiteral("target.dgr"));
    writeBytes(path, "not a collection\r\n");
    QVERIFY_THROWS_EXCEPTION(Failure, open.appendItemsToFile(path, {1}));
    QCOMPARE(fileBytes(path), QByteArray("not a collection\r\n"));
    // An item that does not exist is refused before anything is written.
    const QString fresh = m_dir->filePath(QStringLiteral("fresh.dgr"));
    QVERIFY_THROWS_EXCEPTION(Failure, open.appendItemsToFile(fresh, {1, 7}));
    QVERIFY(!QFile::exists(fresh));
}

void TestOpenCollection::openingCreatesAndRefusesWithNothingOpen()
{
    OpenCollection open;
    QSignalSpy opened(&open, &OpenCollection::opened);
    const QString created = m_dir->filePath(QStringLiteral("new.dgr"));
    open.open(created);
    QCOMPARE(open.itemCount(), 1);
    QCOMPARE(open.currentItem(), 0);
    QCOMPARE(fileBytes(created), Collection::newCollection().bytes());

    // An existing empty file opens as it is and is written only when the owner makes it a
    // collection.
    writeBytes(m_file, QByteArray());
    open.open(m_file);
    QVERIFY(open.isEmptyFile());
    QCOMPARE(open.itemCount(), 0);
    QCOMPARE(fileBytes(m_file), QByteArray());
    QVERIFY_THROWS_EXCEPTION(Abandon, open.appendEmptyItem());
    QCOMPARE(fileBytes(m_file), QByteArray());
    open.setEmptyFileHandler([&] { open.makeNewCollection(); });
    QVERIFY_THROWS_EXCEPTION(Abandon, open.appendEmptyItem());
    QCOMPARE(fileBytes(m_file), Collection::newCollection().bytes());
    QCOMPARE(open.itemCount(), 1);
    open.setEmptyFileHandler({});

    writeBytes(m_file, "Dg[0]=new Array\r\n");
    QVERIFY_THROWS_EXCEPTION(Failure, open.open(m_file));
    QVERIFY(!open.isOpen());
    QCOMPARE(open.itemCount(), 0);
    QCOMPARE(open.fileName(), QString());
    QVERIFY_THROWS_EXCEPTION(Failure, open.appendEmptyItem());
    QCOMPARE(fileBytes(m_file), QByteArray("Dg[0]=new Array\r\n"));
    QVERIFY(opened.size() >= 2);
}

void TestOpenCollection::paintingReadsNeverThrow()
{
    Lines lines = numberedCollection(3);
    lines[2 * kItemLines + 1] = "[";                  // item 2's board line cannot be cut
    lines[3 * kItemLines + 2] = "[x,0,0,0,0,0,0,0],"; // item 3 holds no number
    Collection::fromLines(lines).write(m_file);
    OpenCollection open;
    open.open(m_file);
    QVERIFY(open.itemOrNothing(1).has_value());
    QVERIFY(!open.itemOrNothing(2).has_value());
    QVERIFY(!open.itemOrNothing(3).has_value());
    QVERIFY(!open.itemOrNothing(4).has_value());
    QVERIFY(!open.itemOrNothing(-1).has_value());
    // Showing one that cannot be read keeps the item shown as it was.
    open.showItem(1, open.FindItemLine(1));
    QVERIFY_THROWS_EXCEPTION(Failure, open.showItem(2, open.FindItemLine(2)));
    QCOMPARE(open.currentItem(), 1);
}

QTEST_GUILESS_MAIN(TestOpenCollection)
#include "tst_opencollection.moc"
