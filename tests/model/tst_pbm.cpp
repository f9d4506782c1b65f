#include "model/collection.h"
#include "model/failure.h"
#include "model/problem.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vexil;

namespace {

// Lays out a pbm file: the record count, the records, then the strings they point to.
class PbmBuilder {
public:
    struct Record {
        quint16 stipulation = 0x0200;
        QByteArray author1, source2, source1, author2, solution, twins, author3;
        QByteArray board = QByteArray(64, 'A'); // "A" is no piece
    };

    QList<Record> records;
    int lastOverride = -1; // the stored number of the last record, when it should lie

    QByteArray build() const
    {
        QByteArray strings;
        const qsizetype stringsAt = 2 + 96 * records.size();
        auto place = [&](const QByteArray& text) {
            const quint32 offset = quint32(stringsAt + strings.size());
            strings += char(text.size() & 0xFF);
            strings += char(text.size() >> 8);
            strings += text;
            strings += '\0';
            return offset;
        };
        QByteArray bytes;
        put(bytes, lastOverride >= 0 ? quint32(lastOverride) : quint32(records.size() - 1), 2);
        for (const Record& r : records) {
            put(bytes, 0, 2);
            put(bytes, r.stipulation, 2);
            for (const QByteArray* text : {&r.author1, &r.source2, &r.source1, &r.author2,
                                           &r.solution, &r.twins, &r.author3})
                put(bytes, place(*text), 4);
            bytes += r.board;
        }
        return bytes + strings;
    }

private:
    static void put(QByteArray& bytes, quint32 value, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes += char((value >> (8 * i)) & 0xFF);
    }
};

Lines convertOne(const PbmBuilder::Record& record)
{
    PbmBuilder builder;
    builder.records << record;
    return ConvertPbm(builder.build());
}

QByteArray stipulationLineOf(const QByteArray& twins, quint16 word = 0x0200)
{
    PbmBuilder::Record record;
    record.stipulation = word;
    record.twins = twins;
    return convertOne(record)[14 + 12];
}

} // namespace

class TestPbm : public QObject {
    Q_OBJECT
private slots:
    void recordsBecomeItems();
    void boardBytes();
    void textFields();
    void stipulationWords_data();
    void stipulationWords();
    void squaresAndPieces();
    void twins_data();
    void twins();
    void everyOperation();
    void shortAndLyingFiles();
    void randomFilesNeverReadOutside();
    void sharedTextsAreBounded_data();
    void sharedTextsAreBounded();
};

void TestPbm::recordsBecomeItems()
{
    PbmBuilder builder;
    builder.records << PbmBuilder::Record{};
    Lines lines = ConvertPbm(builder.build());
    QCOMPARE(lines.size(), 28);
    QCOMPARE(ValidateCollection(lines), 1);
    QCOMPARE(lines[14], QByteArray("Dg[1]=new Array"));
    Lines header;
    EmptyItem(header, 0);
    QCOMPARE(lines.mid(0, 14), header);

    builder.records << PbmBuilder::Record{} << PbmBuilder::Record{};
    lines = ConvertPbm(builder.build());
    QCOMPARE(ValidateCollection(lines), 3);
    QCOMPARE(lines[42], QByteArray("Dg[3]=new Array"));
    QCOMPARE(lines[42 + 13], QByteArray());
}

void TestPbm::boardBytes()
{
    PbmBuilder::Record record;
    record.board[60] = '&'; // row 7, column 4: e1
    record.board[0] = '/';
    record.board[7] = '"';
    record.board[63] = '\''; // 39 is no piece
    const Lines lines = convertOne(record);
    QCOMPARE(lines[15], QByteArray("([4,0,0,0,0,0,0,9],"));
    QCOMPARE(lines[22], QByteArray("[0,0,0,0,11,0,0,0],"));
    const Item item = ReadItem(lines, 14);
    QCOMPARE(item.board.at(7, 4), 11);
    QCOMPARE(item.board.at(7, 7), 0);
    const int codes[] = {3, 9, 7, 5, 1, 11, 0, 0, 0, 12, 2, 6, 8, 10, 4};
    for (int b = 33; b <= 47; ++b)
        QCOMPARE(PbmBoardCode(quint8(b)), codes[b - 33]);
    QCOMPARE(PbmBoardCode('A'), 0);
}

void TestPbm::textFields()
{
    PbmBuilder::Record record;
    record.author1 = "A";
    record.author2 = "B";
    record.source1 = "L'Echiquier";
    record.source2 = "1931";
    record.solution = "1.Qd1!\r\n1...Ke8\r2.Qd8#\nend";
    QByteArray cut = "before";
    cut += '\0';
    cut += "after";
    record.author3 = cut;
    Lines lines = convertOne(record);
    QCOMPARE(lines[14 + 9], QByteArray("['A B before'],"));
    QCOMPARE(lines[14 + 10], QByteArray("['L`Echiquier 1931'],"));
    QCOMPARE(lines[14 + 11], QByteArray("['1.Qd1!\\n1...Ke8\\n2.Qd8#\\nend'],"));
    QCOMPARE(ReadItem(lines, 14).solution, (QStringList{"1.Qd1!", "1...Ke8", "2.Qd8#", "end"}));

    record.author3.clear();
    record.author1 = "\xE9l\xE8ve";
    lines = convertOne(record);
    QCOMPARE(lines[14 + 9], QByteArray("['\xE9l\xE8ve B '],"));
    QCOMPARE(ValidateCollection(lines), 1);
}

void TestPbm::stipulationWords_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("0x0200") << 0x0200 << QByteArray("#2");
    QTest::newRow("0x0311") << 0x0311 << QByteArray("H=3");
    QTest::newRow("0x0529") << 0x0529 << QByteArray("serH#5 Maximummer");
    QTest::newRow("self") << 0x0402 << QByteArray("S#4");
    QTest::newRow("reflex, white to play") << 0x0707 << QByteArray("R#7 WhiteToPlay");
    QTest::newRow("bits 6 and 7 are not read") << 0x02C0 << QByteArray("#2");
}

void TestPbm::stipulationWords()
{
    QFETCH(int, word);
    QFETCH(QByteArray, text);
    QCOMPARE(PbmStipulation(quint16(word)), text);
}

void TestPbm::squaresAndPieces()
{
    QCOMPARE(PbmSquare(' '), QByteArray("a8"));
    QCOMPARE(PbmSquare('!'), QByteArray("b8"));
    QCOMPARE(PbmSquare('\''), QByteArray("h8"));
    QCOMPARE(PbmSquare('$'), QByteArray("e8"));
    QCOMPARE(PbmSquare(','), QByteArray("e7"));
    QCOMPARE(PbmSquare('_'), QByteArray("h1"));
    QCOMPARE(PbmSquare('`'), QByteArray("a0"));
    QCOMPARE(PbmSquare(0), QByteArray("a12"));
    QCOMPARE(PbmPiece('&'), QByteArray("white K"));
    QCOMPARE(PbmPiece('+'), QByteArray("black P"));
    QCOMPARE(PbmPiece('$'), QByteArray("white S"));
    QCOMPARE(PbmPiece('A'), QByteArray());
}

void TestPbm::twins_data()
{
    QTest::addColumn<QByteArray>("twins");
    QTest::addColumn<int>("word");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("no twins") << QByteArray() << 0x0200 << QByteArray("['#2']);");
    QTest::newRow("1 character") << QByteArray(" ") << 0x0200 << QByteArray("['#2 ']);");
    QTest::newRow("3 characters") << QByteArray("~ x") << 0x0200 << QByteArray("['#2 ']);");
    QTest::newRow("worked example 1") << QByteArray("     A$, &   ") << 0x0200
                                      << QByteArray("['#2 \\nTwin Move e8 e7 Rotate 90']);");
    QTest::newRow("worked example 2")
        << QByteArray("~!$, ") << 0x0200 << QByteArray("['#2 \\nZero Cont Move e8 e7']);");
    QTest::newRow("continued operation 0")
        << QByteArray("x@   !$, ") << 0x0200 << QByteArray("['#2  Move e8 e7']);");
    QTest::newRow("duplex") << QByteArray("     0   ") << 0x0200 << QByteArray("['#2 Duplex ']);");
    QTest::newRow("duplex too close to the start is kept")
        << QByteArray("x@   0   ") << 0x0200 << QByteArray("['#2 Duplex  Duplex']);");
    QTest::newRow("a group cut short by the string")
        << QByteArray(" !$,") << 0x0200 << QByteArray("['#2 \\nZero Move e8 e7']);");
    QTest::newRow("two twins") << QByteArray(" &   '   ") << 0x0300
                               << QByteArray("['#3 \\nZero Rotate 90\\nZero Rotate 180']);");
}

void TestPbm::twins()
{
    QFETCH(QByteArray, twins);
    QFETCH(int, word);
    QFETCH(QByteArray, line);
    QCOMPARE(stipulationLineOf(twins, quint16(word)), line);
}

void TestPbm::everyOperation()
{
    const QList<QPair<char, QByteArray>> operations = {
        {'!', "Move e8 e7"},
        {'"', "Remove e8"},
        {'#', "Add black Pe8"},
        {'$', "Remove e8 Add black Pe7"},
        {'%', "Exchange e8 e7"},
        {'&', "Rotate 90"},
        {'\'', "Rotate 180"},
        {'(', "Rotate 270"},
        {')', "Shift e8 e7"},
        {'*', "ShiftCylinder e8 e7"},
        {'+', "Mirror a1<-->h1"},
        {',', "Mirror a1<-->a8"},
        {'.', "AfterKey"},
        {'/', "PolishType"},
        {'1', ""}, // no operation
    };
    for (const auto& [op, text] : operations) {
        const QByteArray twins = QByteArray(" ") + op + "$,+";
        // The first group's operation is no blank, so the lines start with "Zero".
        QCOMPARE(DecodePbmTwins(twins), " \\nZero " + text);
        // The same operation 32 higher continues into the next group.
        if (text.isEmpty())
            continue;
        const QByteArray continued = QByteArray(" ") + char(op + 32) + "$,+" + "&   ";
        QCOMPARE(DecodePbmTwins(continued), " \\nZero " + text + " Rotate 90");
    }
    // Stipulation: the record's bits stored 32 higher, the moves too.
    QCOMPARE(DecodePbmTwins(QByteArray(" -") + char(32 + 0x29) + char(32 + 5) + ' '),
             QByteArray(" \\nZero Stipulation serH#5 Condition Maximummer"));
    QCOMPARE(DecodePbmTwins(QByteArray(" -") + char(32 + 0x16) + char(32 + 3) + ' '),
             QByteArray(" \\nZero Stipulation S=3 Condition WhiteToPlay"));
    // A first group of operation 0 with a blank: the later lines start with "Twin".
    QCOMPARE(DecodePbmTwins("     &   "), QByteArray(" \\nTwin Rotate 90"));
}

void TestPbm::shortAndLyingFiles()
{
    PbmBuilder builder;
    builder.records << PbmBuilder::Record{} << PbmBuilder::Record{};
    builder.lastOverride = 500; // claims 501 records
    const QByteArray bytes = builder.build();
    Lines lines = ConvertPbm(bytes);
    // Only the records that lie wholly in the file; the strings behind them are read as
    // records no more than as far as the file goes.
    QVERIFY(ValidateCollection(lines) >= 2);
    QCOMPARE(ConvertPbm(QByteArray()).size(), 14);
    QCOMPARE(ConvertPbm(QByteArray("\x00", 1)).size(), 14);
    QCOMPARE(ConvertPbm(bytes.left(2 + 96 + 50)).size(), 28);

    // Offsets past the end give empty texts; a length past the end ends with the file.
    PbmBuilder::Record record;
    record.author1 = "Kubbel";
    QByteArray one = [&] {
        PbmBuilder b;
        b.records << record;
        return b.build();
    }();
    QByteArray pointing = one;
    pointing[2 + 4] = char(0xFF); // author 1 far beyond the end
    pointing[2 + 5] = char(0xFF);
    QCOMPARE(ConvertPbm(pointing)[14 + 9], QByteArray("['  '],"));
    QByteArray cut = one.left(one.indexOf("Kubbel") + 3);
    QCOMPARE(ConvertPbm(cut)[14 + 9], QByteArray("['Kub  '],"));
}

void TestPbm::randomFilesNeverReadOutside()
{
    QRandomGenerator random(1931);
    PbmBuilder builder;
    PbmBuilder::Record record;
    record.solution = "1.Sf3! ' \r\n \r \n";
    record.twins = " A$, &   0   ";
    record.board = QByteArray(64, '&');
    builder.records << record << record << record;
    const QByteArray good = builder.build();
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round % 3 == 0) {
            bytes.resize(random.bounded(800));
            for (char& b : bytes)
                b = char(random.bounded(256));
        } else {
            bytes = good;
            const int edits = 1 + random.bounded(12);
            for (int e = 0; e < edits; ++e)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
            if (round % 3 == 2)
                bytes.truncate(random.bounded(int(bytes.size()) + 1));
        }
        const Lines lines = ConvertPbm(bytes);
        // Every written collection opens again.
        const int count = ValidateCollection(SplitLines(JoinLines(lines)));
        QCOMPARE(count, int(lines.size() / 14) - 1);
        for (int n = 1; n <= count; ++n)
            ReadItem(lines, 14 * n);
    }
}

void TestPbm::sharedTextsAreBounded_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<bool>("converted");
    QTest::newRow("few records, long texts") << 10 << 60000 << true;
    QTest::newRow("many records, short text") << 20000 << 40 << true;
    QTest::newRow("many records, long text") << 1000 << 65000 << false;
    QTest::newRow("some records, longest text") << 100 << 65535 << false;
}

// Every record may point at the same text: the lines grow with the records times the text.
void TestPbm::sharedTextsAreBounded()
{
    QFETCH(int, records);
    QFETCH(int, textSize);
    QFETCH(bool, converted);
    QByteArray bytes;
    bytes += char((records - 1) & 0xFF);
    bytes += char((records - 1) >> 8);
    const quint32 textAt = quint32(2 + 96 * records);
    for (int r = 0; r < records; ++r) {
        QByteArray record(96, 'A');
        for (int field = 4; field <= 28; field += 4)
            for (int b = 0; b < 4; ++b)
                record[field + b] = char((textAt >> (8 * b)) & 0xFF);
        record[2] = 0;
        record[3] = 2;
        bytes += record;
    }
    bytes += char(textSize & 0xFF);
    bytes += char(textSize >> 8);
    bytes += QByteArray(textSize, 'x') + '\0';
    if (converted) {
        const Lines lines = ConvertPbm(bytes);
        QCOMPARE(ValidateCollection(lines), records);
        QVERIFY(JoinLines(lines).size() <= PbmOutputLimit(bytes.size()));
    } else {
        try {
            ConvertPbm(bytes);
            QFAIL("converted");
        } catch (const Failure& f) {
            QVERIFY2(f.message.contains("pbm"), qPrintable(f.message));
        }
    }
}

QTEST_GUILESS_MAIN(TestPbm)
#include "tst_pbm.moc"
