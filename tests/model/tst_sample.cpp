#include "model/collection.h"
#include "model/sampleitems.h"

#include <QtTest>

using namespace vexil;

// The bundled sample is what the program's own writer makes of the sample items, and the
// program's own reader gives them back as one Save leaves them.
class TestSample : public QObject {
    Q_OBJECT
private slots:
    void sampleIsWrittenByTheWriter()
    {
        const QString path = QStringLiteral(VEXIL_SOURCE_DIR "/examples/sample.dgr");
        const Lines expected = test::collectionOf(test::sampleItems());
        if (qEnvironmentVariableIsSet("VEXIL_WRITE_SAMPLE"))
            WriteLinesFile(path, expected);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), JoinLines(expected));
    }

    void sampleReadsBack()
    {
        const Lines lines = ReadLinesFile(QStringLiteral(VEXIL_SOURCE_DIR "/examples/sample.dgr"));
        const QList<Item> items = test::sampleItems();
        QCOMPARE(ValidateCollection(lines), items.size());
        QVERIFY(items.size() >= 8);
        bool fairy = false, markers = false, twins = false, backquote = false;
        for (int n = 1; n <= items.size(); ++n) {
            const Item read = ReadItem(lines, FindItemLine(lines, n));
            QCOMPARE(read, StorableItem(items[n - 1]));
            for (const auto& row : read.board.squares)
                for (PieceCode code : row) {
                    fairy |= piece::isFairyBase(piece::base(code)) || code == 13;
                    markers |= code >= 20 && code <= 22;
                }
            twins |= !read.twins.isEmpty();
            backquote |= read.source.contains(QLatin1Char('`'));
        }
        QVERIFY(fairy && markers && twins && backquote);
    }
};

QTEST_GUILESS_MAIN(TestSample)
#include "tst_sample.moc"
