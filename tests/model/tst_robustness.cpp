#include "model/collection.h"
#include "model/failure.h"
#include "model/sampleitems.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
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

template <class F> QString failureOf(F body)
{
    try {
        body();
    } catch (const Failure& failure) {
        return failure.message.isEmpty() ? QStringLiteral("(no message)") : failure.message;
    }
    return {};
}

// The collection reader against the straightforward one (split into lines, validate, walk):
// the same verdict with the same message, the same lines and the same items.
void compareWithReference(const QByteArray& bytes)
{
    const Lines lines = SplitLines(bytes);
    int count = -2;
    const QString expected = failureOf([&] { count = ValidateCollection(lines); });
    Collection collection;
    const QString found = failureOf([&] { collection = Collection::fromBytes(bytes); });
    QCOMPARE(found, expected);
    if (!expected.isEmpty())
        return;
    QCOMPARE(collection.itemCount(), count);
    QCOMPARE(collection.lines(), lines);
    QCOMPARE(collection.bytes(), JoinLines(lines));
    QCOMPARE(collection.byteSize(), JoinLines(lines).size());
    for (int n = -1; n <= count + 1; ++n) {
        int line = -2, walked = -2;
        QCOMPARE(failureOf([&] { line = collection.FindItemLine(n); }),
                 failureOf([&] { walked = FindItemLine(lines, n); }));
        QCOMPARE(line, walked);
    }
    for (int k = 0; k <= count; ++k) {
        Item item, reference;
        QCOMPARE(failureOf([&] { item = collection.readItem(k * kItemLines); }),
                 failureOf([&] { reference = ReadItem(lines, k * kItemLines); }));
        QCOMPARE(item, reference);
    }
}

// The same file with other line ends: LF only, lone CR only, or each one picked at random.
QList<QByteArray> withOtherLineEnds(const QByteArray& bytes, QRandomGenerator& random)
{
    QByteArray lf = bytes, cr = bytes, mixed;
    lf.replace("\r\n", "\n");
    cr.replace("\r\n", "\r");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            mixed += QByteArrayList{"\r\n", "\n", "\r"}[random.bounded(3)];
            ++i;
        } else {
            mixed += bytes[i];
        }
    }
    return {bytes, lf, cr, mixed};
}

bool isAccepted(const QByteArray& bytes)
{
    return failureOf([&] { ValidateCollection(SplitLines(bytes)); }).isEmpty();
}

QByteArray mutated(QByteArray bytes, QRandomGenerator& random)
{
    static const char pieces[] = "[](),'\\n\r\n0123456789-Dg=";
    const int edits = 1 + random.bounded(8);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const int at = random.bounded(int(bytes.size()));
        switch (random.bounded(6)) {
        case 0:
            bytes[at] = char(random.bounded(256));
            break;
        case 1:
            bytes.remove(at, 1 + random.bounded(20));
            break;
        case 2:
            bytes.insert(at, pieces[random.bounded(int(sizeof pieces) - 1)]);
            break;
        case 3:
            bytes.truncate(at);
            break;
        case 4:
            bytes.insert(at, bytes.mid(random.bounded(int(bytes.size())), 30));
            break;
        default:
            bytes[at] = pieces[random.bounded(int(sizeof pieces) - 1)];
            break;
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

    void readerMatchesTheReferenceReader()
    {
        QRandomGenerator random(5);
        const QByteArray sample = JoinLines(test::collectionOf(test::sampleItems()));
        int accepted = 0, refused = 0;
        auto check = [&](const QByteArray& bytes) {
            for (const QByteArray& variant : withOtherLineEnds(bytes, random)) {
                compareWithReference(variant);
                if (QTest::currentTestFailed())
                    qFatal("the readers differ on %s", variant.toBase64().constData());
                ++(isAccepted(variant) ? accepted : refused);
            }
        };
        check(sample);
        check(QByteArray());
        for (int round = 0; round < 3000; ++round)
            check(mutated(sample, random));
        for (int round = 0; round < 1000; ++round) {
            QByteArray bytes(random.bounded(600), '\0');
            for (char& b : bytes)
                b = "\r\n\r\n[]0123Dg=x\0\xff"[random.bounded(16)];
            check(bytes);
        }
        QVERIFY(accepted > 100);
        QVERIFY(refused > 100);

        // The file itself, read as a file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("c.dgr"));
        for (const QByteArray& variant : withOtherLineEnds(sample, random)) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(variant);
            file.close();
            // (A lone CR before the LF of an empty line is one CR LF: the mixed file may be
            // refused.)
            const QString expected = failureOf([&] { ValidateCollection(SplitLines(variant)); });
            Collection read;
            QCOMPARE(failureOf([&] { read = Collection::fromFile(path); }), expected);
            if (expected.isEmpty())
                QCOMPARE(read.lines(), SplitLines(variant));
        }
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
