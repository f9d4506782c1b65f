#include "model/collection.h"
#include "model/failure.h"
#include "model/sampleitems.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vexil;

namespace {

// What opening a file and walking its items does, with every failure caught as the window
// catches it. Returns the number of failures.
int openAndWalk(const QByteArray& bytes)
{
    int failures = 0;
    const Lines lines = SplitLines(bytes);
    int count = -1;
    try {
        count = ValidateCollection(lines);
    } catch (const Failure& failure) {
        if (failure.message.isEmpty())
            qFatal("failure without a message");
        ++failures;
    }
    for (int n = 0; n <= qMax(count, int(lines.size() / kItemLines)) + 1; ++n) {
        try {
            const int line = FindItemLine(lines, n);
            if (line < 0)
                continue;
            Lines copy = lines;
            const Item item = ReadItem(copy, line);
            WriteItem(copy, line, StorableItem(item));
            if (copy.size() != lines.size() || (count >= 0 && ValidateCollection(copy) != count))
                qFatal("a write broke the block rules");
            // Two saves settle: the second changes no byte of the first.
            const Item once = ReadItem(copy, line);
            WriteItem(copy, line, StorableItem(once));
            const Lines settled = copy;
            WriteItem(copy, line, StorableItem(ReadItem(copy, line)));
            if (copy != settled)
                qFatal("saving an item again keeps changing it");
        } catch (const Failure& failure) {
            if (failure.message.isEmpty())
                qFatal("failure without a message");
            ++failures;
        }
    }
    return failures;
}

QByteArray mutated(QByteArray bytes, QRandomGenerator& random)
{
    static const char pieces[] = "[](),'\\n\r\n0123456789-Dg=";
    const int edits = 1 + random.bounded(8);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const int at = random.bounded(int(bytes.size()));
        switch (random.bounded(6)) {
        case 0: bytes[at] = char(random.bounded(256)); break;
        case 1: bytes.remove(at, 1 + random.bounded(20)); break;
        case 2: bytes.insert(at, pieces[random.bounded(int(sizeof pieces) - 1)]); break;
        case 3: bytes.truncate(at); break;
        case 4: bytes.insert(at, bytes.mid(random.bounded(int(bytes.size())), 30)); break;
        default: bytes[at] = pieces[random.bounded(int(sizeof pieces) - 1)]; break;
        }
    }
    return bytes;
}

} // namespace

class TestRobustness : public QObject {
    Q_OBJECT
private slots:
    void theSampleOpensCleanly()
    {
        QCOMPARE(openAndWalk(JoinLines(test::collectionOf(test::sampleItems()))), 0);
    }

    void mutatedCollectionsNeverCrash()
    {
        QRandomGenerator random(7);
        const QByteArray sample = JoinLines(test::collectionOf(test::sampleItems()));
        int failures = 0;
        for (int round = 0; round < 4000; ++round)
            failures += openAndWalk(mutated(sample, random));
        QVERIFY(failures > 0); // the mutations do reach the error paths
    }

    void randomBytesNeverCrash()
    {
        QRandomGenerator random(11);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(random.bounded(600), '\0');
            for (char& b : bytes)
                b = char(random.bounded(256));
            openAndWalk(bytes);
        }
        // Lines that parse as blocks but hold nonsense.
        Lines lines;
        EmptyItem(lines, 0);
        EmptyItem(lines, 1);
        for (int round = 0; round < 2000; ++round) {
            Lines copy = lines;
            QByteArray junk(random.bounded(40), '\0');
            for (char& b : junk)
                b = "[](),'0123456789-"[random.bounded(17)];
            copy[14 + 1 + random.bounded(12)] = junk;
            openAndWalk(JoinLines(copy));
        }
    }
};

QTEST_GUILESS_MAIN(TestRobustness)
#include "tst_robustness.moc"
