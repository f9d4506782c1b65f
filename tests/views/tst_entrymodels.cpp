#include "model/opencollection.h"
#include "model/sampleitems.h"
#include "views/entry.h"
#include "views/entrymodels.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace vexil;

namespace {

using Operation = std::function<void(OpenCollection&)>;

constexpr int kColumns = 3;

void show(OpenCollection& open, int number)
{
    open.showItem(number, open.FindItemLine(number));
}

void removeItem(OpenCollection& open, int number)
{
    show(open, number);
    open.removeCurrentItem();
}

void moveItem(OpenCollection& open, int from, int to)
{
    show(open, from);
    open.moveCurrentItem(to);
}

QString entryText(const OpenCollection& open, int number)
{
    return AccessibleEntryText(EntryOf(open.collection(), number));
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestEntryModels : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;

    void openNumbered(OpenCollection& open, int count)
    {
        Collection::fromLines(test::numberedCollection(count)).write(m_file);
        open.open(m_file);
        show(open, 2);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = m_dir->filePath(QStringLiteral("c.dgr"));
    }

    void modelsFollowEveryItemOperation_data();
    void modelsFollowEveryItemOperation();
    void aMovedEntryTakesItsRow();
};

void TestEntryModels::modelsFollowEveryItemOperation_data()
{
    // Each from six items, item 2 shown, three diagrams a row.
    QTest::addColumn<Operation>("operation");
    QTest::newRow("save") << Operation([](OpenCollection& o) {
        Item item = o.readItem(2);
        item.author = QStringLiteral("Someone else");
        o.writeCurrentItem(item);
    });
    QTest::newRow("new, a row more") << Operation([](OpenCollection& o) { o.appendEmptyItem(); });
    QTest::newRow("new shown") << Operation([](OpenCollection& o) { o.appendItem(Item{}); });
    QTest::newRow("copy") << Operation([](OpenCollection& o) { o.appendCopy(4); });
    QTest::newRow("delete first") << Operation([](OpenCollection& o) { removeItem(o, 1); });
    QTest::newRow("delete middle") << Operation([](OpenCollection& o) { removeItem(o, 4); });
    QTest::newRow("delete last") << Operation([](OpenCollection& o) { removeItem(o, 6); });
    QTest::newRow("delete to one row") << Operation([](OpenCollection& o) {
        for (int i = 0; i < 3; ++i)
            removeItem(o, 4);
    });
    QTest::newRow("delete every item but one") << Operation([](OpenCollection& o) {
        for (int i = 0; i < 5; ++i)
            removeItem(o, 1);
    });
    QTest::newRow("move down") << Operation([](OpenCollection& o) { moveItem(o, 2, 5); });
    QTest::newRow("move up") << Operation([](OpenCollection& o) { moveItem(o, 6, 1); });
    QTest::newRow("move by one") << Operation([](OpenCollection& o) { moveItem(o, 3, 4); });
    QTest::newRow("move to itself") << Operation([](OpenCollection& o) { moveItem(o, 3, 3); });
    QTest::newRow("all in turn") << Operation([](OpenCollection& o) {
        o.appendEmptyItem();
        o.appendCopy(1);
        moveItem(o, 8, 2);
        removeItem(o, 3);
        o.appendItem(Item{});
        Item item = o.readItem(o.currentItem());
        item.author = QStringLiteral("Last");
        o.writeCurrentItem(item);
        moveItem(o, 1, 8);
    });
}

void TestEntryModels::modelsFollowEveryItemOperation()
{
    QFETCH(Operation, operation);
    OpenCollection open;
    openNumbered(open, 6);
    ItemListModel list(open);
    DiagramGridModel grid(open);
    grid.setColumns(kColumns);
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    QAbstractItemModelTester listTester(&list, mode);
    QAbstractItemModelTester gridTester(&grid, mode);
    QSignalSpy listResets(&list, &QAbstractItemModel::modelReset);
    QSignalSpy gridResets(&grid, &QAbstractItemModel::modelReset);

    operation(open);
    if (QTest::currentTestFailed())
        return;

    const int count = open.itemCount();
    QCOMPARE(list.rowCount(), count);
    for (int number = 1; number <= count; ++number)
        QCOMPARE(list.index(number - 1).data().toString(), entryText(open, number));
    QCOMPARE(grid.rowCount(), qMax(1, (count + kColumns - 1) / kColumns));
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < kColumns; ++column) {
            const int number = row * kColumns + column + 1;
            QCOMPARE(grid.index(row, column).data().toString(),
                     number <= count ? entryText(open, number) : QString());
        }
    // The views follow each change without starting over.
    QCOMPARE(listResets.size(), 0);
    QCOMPARE(gridResets.size(), 0);
}

void TestEntryModels::aMovedEntryTakesItsRow()
{
    // A selection or the current entry holds on to rows: a moved item's goes with it.
    OpenCollection open;
    openNumbered(open, 6);
    ItemListModel list(open);
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QPersistentModelIndex fifth = list.index(4);

    moveItem(open, 1, 6);
    QCOMPARE(fifth.row(), 3);
    moveItem(open, 4, 1);
    QCOMPARE(fifth.row(), 0);
    QCOMPARE(open.readItem(1).author, QStringLiteral("Author 5"));
    QCOMPARE(fifth.data().toString(), entryText(open, 1));
}

QTEST_MAIN(TestEntryModels)
#include "tst_entrymodels.moc"
