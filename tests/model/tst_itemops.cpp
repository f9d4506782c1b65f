#include "model/collection.h"
#include "model/failure.h"
#include "model/sampleitems.h"

#include <QtTest>

using namespace vexil;
using test::numberedCollection;

namespace {

// The item operations done the long way: every lookup walks the lines, renumbering goes one
// item at a time and relies on the first match, and a move goes line by line.
void slowDelete(Lines& lines, int itemCount, int current)
{
    const int first = FindItemLine(lines, current);
    lines.remove(first, kItemLines);
    for (int k = itemCount; k >= current + 1; --k)
        lines[FindItemLine(lines, k)] = ItemHeaderLine(k - 1);
}

void slowChange(Lines& lines, int current, int target)
{
    const int t = FindItemLine(lines, target);
    const int f = FindItemLine(lines, current);
    if (target > current) {
        for (int n = kItemLines - 1; n >= 0; --n)
            lines.move(f + n, t + n);
        for (int k = current + 1; k <= target; ++k)
            lines[FindItemLine(lines, k)] = ItemHeaderLine(k - 1);
    } else {
        for (int n = 0; n < kItemLines; ++n)
            lines.move(f + n, t + n);
        for (int k = current - 1; k >= target; --k)
            lines[FindItemLine(lines, k)] = ItemHeaderLine(k + 1);
    }
    lines[t] = ItemHeaderLine(target);
}

QByteArray authorOf(const Lines& lines, int number)
{
    return lines[FindItemLine(lines, number) + 9];
}

} // namespace

class TestItemOperations : public QObject {
    Q_OBJECT
private slots:
    void deleteMatchesTheStepByStepResult();
    void changeNumberMatchesTheStepByStepResult();
    void examples();
    void blocksThatDoNotExistAreRefused_data();
    void blocksThatDoNotExistAreRefused();
    void lookupsMatchTheWalkOnAnyValidFile();
    void appendAndWriteItems();
    void writeFailsWithoutTouchingTheFile();
};

void TestItemOperations::deleteMatchesTheStepByStepResult()
{
    for (int count = 2; count <= 6; ++count)
        for (int current = 1; current <= count; ++current) {
            Lines expected = numberedCollection(count);
            Collection collection = Collection::fromLines(expected);
            slowDelete(expected, count, current);
            collection.removeItem(current);
            QCOMPARE(collection.lines(), expected);
            QCOMPARE(collection.itemCount(), count - 1);
            QCOMPARE(ValidateCollection(expected), count - 1);
            for (int n = 1; n < count; ++n)
                QCOMPARE(collection.FindItemLine(n), FindItemLine(expected, n));
        }
}

void TestItemOperations::changeNumberMatchesTheStepByStepResult()
{
    const int count = 6;
    for (int current = 1; current <= count; ++current)
        for (int target = 1; target <= count; ++target) {
            if (target == current)
                continue;
            Lines expected = numberedCollection(count);
            Collection collection = Collection::fromLines(expected);
            slowChange(expected, current, target);
            collection.moveItem(current, target);
            QCOMPARE(collection.lines(), expected);
            QCOMPARE(collection.bytes(), JoinLines(expected));
            QCOMPARE(ValidateCollection(expected), count);
        }
}

void TestItemOperations::examples()
{
    // Deleting item 3 of 5: the former items 4 and 5 become 3 and 4.
    Collection c = Collection::fromLines(numberedCollection(5));
    c.removeItem(3);
    QCOMPARE(c.itemCount(), 4);
    QCOMPARE(authorOf(c.lines(), 3), QByteArray("['Author 4'],"));
    QCOMPARE(authorOf(c.lines(), 4), QByteArray("['Author 5'],"));
    QCOMPARE(c.line(3 * kItemLines), QByteArray("Dg[3]=new Array"));

    // Item 2 of 5 to number 4: the former 3 and 4 become 2 and 3.
    c = Collection::fromLines(numberedCollection(5));
    c.moveItem(2, 4);
    QCOMPARE(authorOf(c.lines(), 2), QByteArray("['Author 3'],"));
    QCOMPARE(authorOf(c.lines(), 3), QByteArray("['Author 4'],"));
    QCOMPARE(authorOf(c.lines(), 4), QByteArray("['Author 2'],"));
    QCOMPARE(authorOf(c.lines(), 5), QByteArray("['Author 5'],"));

    // Item 4 of 5 to number 1: the former 1, 2 and 3 become 2, 3 and 4.
    c = Collection::fromLines(numberedCollection(5));
    c.moveItem(4, 1);
    const QList<int> order = {4, 1, 2, 3, 5};
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(authorOf(c.lines(), n), "['Author " + QByteArray::number(order[n - 1]) + "'],");

    // The same number changes nothing.
    const Collection untouched = Collection::fromLines(numberedCollection(3));
    c = untouched;
    c.moveItem(2, 2);
    QCOMPARE(c, untouched);
}

void TestItemOperations::blocksThatDoNotExistAreRefused_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to"); // -100: remove `from`
    QTest::newRow("remove the header item") << 0 << -100;
    QTest::newRow("remove behind the last") << 4 << -100;
    QTest::newRow("remove a negative number") << -1 << -100;
    QTest::newRow("move the header item") << 0 << 2;
    QTest::newRow("move onto the header item") << 2 << 0;
    QTest::newRow("move behind the last") << 2 << 4;
    QTest::newRow("move from behind the last") << 4 << 1;
    QTest::newRow("move from a negative number") << -3 << 1;
}

void TestItemOperations::blocksThatDoNotExistAreRefused()
{
    QFETCH(int, from);
    QFETCH(int, to);
    const Collection untouched = Collection::fromLines(numberedCollection(3));
    Collection c = untouched;
    QString message;
    try {
        if (to == -100)
            c.removeItem(from);
        else
            c.moveItem(from, to);
    } catch (const Failure& failure) {
        message = failure.message;
    }
    QVERIFY2(!message.isEmpty(), "no failure");
    QCOMPARE(c, untouched);
    QCOMPARE(c.bytes(), untouched.bytes());
}

void TestItemOperations::lookupsMatchTheWalkOnAnyValidFile()
{
    // Headers that pass the block rules without being the plain "Dg[n]=new Array".
    QList<Lines> files;
    Lines lines = numberedCollection(3);
    lines[14] = "Dg[1]=new Array;";
    files << lines;
    lines = numberedCollection(3);
    lines[28] = "X[2]=new Array"; // no "Dg[": the search passes it by
    files << lines;
    lines = numberedCollection(3);
    lines[28] = "[2]Dg[3]=new Array"; // the search finds 3 here first
    files << lines;
    lines = numberedCollection(3);
    lines[42] = "[3]Dg[x]";
    files << lines;
    for (const Lines& file : files) {
        const Collection collection = Collection::fromLines(file);
        for (int n = -1; n <= 4; ++n) {
            QString walk, fast;
            int expected = -2, found = -2;
            try {
                expected = FindItemLine(file, n);
            } catch (const Failure& f) {
                walk = f.message;
            }
            try {
                found = collection.FindItemLine(n);
            } catch (const Failure& f) {
                fast = f.message;
            }
            QCOMPARE(found, expected);
            QCOMPARE(fast, walk);
        }
    }
}

void TestItemOperations::appendAndWriteItems()
{
    Collection c = Collection::newCollection();
    QCOMPARE(c.itemCount(), 1);
    c.appendEmptyItem();
    Lines expected;
    for (int n = 0; n <= 2; ++n)
        EmptyItem(expected, n);
    QCOMPARE(c.lines(), expected);
    QCOMPARE(c.byteSize(), JoinLines(expected).size());

    Item item;
    item.author = QStringLiteral("Kniest");
    item.board.at(0, 0) = 7319;
    c.writeItem(28, item);
    QCOMPARE(c.readItem(28), item);
    QCOMPARE(c.line(28), QByteArray("Dg[2]=new Array"));
    QCOMPARE(c.line(28 + 13), QByteArray());
    WriteItem(expected, 28, item);
    QCOMPARE(c.lines(), expected);

    item.author = QStringLiteral("\u263A");
    const Collection before = c;
    QVERIFY_THROWS_EXCEPTION(Failure, c.writeItem(28, item));
    QCOMPARE(c, before);
    QVERIFY_THROWS_EXCEPTION(Failure, c.readItem(3 * kItemLines));
    QVERIFY_THROWS_EXCEPTION(Failure, c.readItem(15));

    // Lone CR and LF line ends are read, and written back as CR LF.
    const QByteArray mixed = JoinLines(expected).replace("\r\n", "\n");
    QCOMPARE(Collection::fromBytes(mixed).bytes(), JoinLines(expected));
    QVERIFY(Collection::fromBytes(QByteArray()).isEmpty());
    QCOMPARE(Collection::fromBytes(QByteArray()).itemCount(), -1);
}

void TestItemOperations::writeFailsWithoutTouchingTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.dgr"));
    const Collection c = Collection::fromLines(numberedCollection(4));
    c.write(path);
    QCOMPARE(Collection::fromFile(path), c);
    QVERIFY_THROWS_EXCEPTION(Failure, c.write(dir.filePath(QStringLiteral("none/c.dgr"))));
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("d.dgr"))));
    QVERIFY_THROWS_EXCEPTION(Failure, c.write(dir.filePath(QStringLiteral("d.dgr"))));
    QCOMPARE(Collection::fromFile(path), c);
}

QTEST_GUILESS_MAIN(TestItemOperations)
#include "tst_itemops.moc"
