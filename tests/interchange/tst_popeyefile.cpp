#include "interchange/convert.h"
#include "interchange/popeyefile.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/piece.h"
#include "randomitems.h"

#include <QFile>
#include <QTest>

using namespace vexil;

namespace {

QByteArray recorded(const QString& folder)
{
    QFile file(QStringLiteral(VEXIL_SOURCE_DIR "/tests/interchange/popeye/%1.inp").arg(folder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

Board boardOf(const QString& squares)
{
    Board board;
    for (const QString& part : squares.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = part.split(QLatin1Char('='));
        board.at(8 - (kv[0][1].unicode() - '0'), kv[0][0].unicode() - 'a') = kv[1].toInt();
    }
    return board;
}

// A small stand-in for the solve window's text: enough of it to be read back.
QStringList simpleText(const Item& item)
{
    QStringList lines{"BeginProblem", "Author " + (item.author.isEmpty() ? "Unknown" : item.author),
                      "Origin " + (item.source.isEmpty() ? "Unknown" : item.source),
                      "Protocol py.txt", "Pieces"};
    QStringList sides[3] = {{"White"}, {"Black"}, {"Neutral"}};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const Piece p(item.board.at(r, c));
            if (!p.isPiece() || !p.isKnown() || (p.isFairy() && KindCode(p.kind()) == "AG"))
                continue;
            const int side = p.isNeutral() ? 2 : p.isWhite() ? 0 : 1;
            const QString name =
                (p.isFairy() ? KindCode(p.kind()) : QString(QLatin1Char(PieceLetters[p.base()]))) +
                Square{r, c}.name();
            if (p.isFairy() && p.specification() > 0)
                lines << sides[side][0] + " " + SpecificationName(p.specification()) + " " + name;
            else
                sides[side] << name;
        }
    for (const QStringList& side : sides)
        if (side.size() > 1)
            lines << side.join(' ');
    lines << "Stipulation " + item.stipulation;
    if (!item.condition.isEmpty())
        lines << "Condition " + item.condition;
    lines << "Option Variation NoBoard";
    for (const QString& twin : item.twins)
        if (!twin.contains("AfterKey"))
            lines << twin;
    lines << "EndProblem";
    return lines;
}

} // namespace

class TestPopeyeFile : public QObject {
    Q_OBJECT

private slots:
    void readsRecordedInputs_data();
    void readsRecordedInputs();
    void acceptsUniquePrefixes_data();
    void acceptsUniquePrefixes();
    void reportsWhatItemsCannotHold_data();
    void reportsWhatItemsCannotHold();
    void fileCutAnywhereIsReadOrRefused();
    void recognisesPopeyeFiles_data();
    void recognisesPopeyeFiles();
    void roundTripThroughTheWriter();
    void writerReportsWhatTheFileCannotHold();
    void appendsProblems();
    void readsEveryLineEndAlike_data();
    void readsEveryLineEndAlike();
    void readsLongLinesOfKeywords_data();
    void readsLongLinesOfKeywords();
};

void TestPopeyeFile::readsRecordedInputs_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QString>("board");

    QTest::newRow("fairy") << "05-fairy-grasshopper-circe" << 1 << "Test Author"
                           << "Vexil research 05"
                           << "h#2"
                           << "Circe" << QStringList()
                           << "h5=11 d8=3 f4=13 c3=5 d6=12 e6=6 e4=4 h3=14";
    QTest::newRow("twins") << "06-twins" << 1 << "Test Author"
                           << "Vexil research 06"
                           << "h#2"
                           << "" << QStringList{"Twin Move g6 g7",      "Twin Cont Remove c4",
                                                "Twin Stipulation h#1", "Twin Condition Circe",
                                                "Twin Rotate 90",       "Twin Mirror a1<-->h1"}
                           << "h4=11 a4=7 g6=3 c1=12 f5=4 h3=2 c4=2";
    QTest::newRow("third of three")
        << "10-multi-problem-file" << 3 << "Test Author"
        << "Vexil research 10/3, Item 3"
        << "h#2"
        << "" << QStringList{"Twin Move g6 g7"} << "h4=11 a4=7 g6=3 c1=12 f5=4 h3=2 c4=2";
    QTest::newRow("royal and neutral") << "12b-royal-piece-neutral-twin" << 1 << "Composer 1"
                                       << "Problem"
                                       << "#2"
                                       << "Circe Duplex" << QStringList{"Twin Move d1 f1"}
                                       << "c3=504017 b8=5 d1=9 e8=12 e7=2 d4=719";
    QTest::newRow("zero position") << "24-duplex-and-zeroposition" << 1 << "Test Author"
                                   << "Vexil research 24"
                                   << "h#2"
                                   << "Duplex" << QStringList{"Zero Move g6 g7", "Twin Move g7 g6"}
                                   << "h4=11 a4=7 g6=3 c1=12 f5=4 h3=2 c4=2";
}

void TestPopeyeFile::readsRecordedInputs()
{
    QFETCH(QString, folder);
    QFETCH(int, problem);
    const QByteArray bytes = recorded(folder);
    QVERIFY(!bytes.isEmpty());
    const ImportedItems read = ReadPopeyeFile(bytes);
    QVERIFY(read.items.size() >= problem);
    const Item& item = read.items[problem - 1];
    QTEST(item.author, "author");
    QTEST(item.source, "source");
    QTEST(item.stipulation, "stipulation");
    QTEST(item.condition, "condition");
    QTEST(item.twins, "twins");
    QFETCH(QString, board);
    QCOMPARE(item.board, boardOf(board));
}

void TestPopeyeFile::acceptsUniquePrefixes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("board");

    QTest::newRow("prefixes") << QByteArray(
                                     "beginp\nAuth A. B.\nPie whi Ke1 bla Ke8\nStip #2\nendp\n")
                              << "#2"
                              << "A. B."
                              << "e1=11 e8=12";
    QTest::newRow("keywords on one line")
        << QByteArray("BeginProblem\nPieces White Ka1 Stipulation #3 Option Try\nEndProblem\n")
        << "#3"
        << ""
        << "a1=11";
    QTest::newRow("forsyth")
        << QByteArray(
               "BeginProblem\nForsyth 4k3/8/8/3=.AL4/8/2S5/8/4K3\nStipulation h#2\nEndProblem\n")
        << "h#2"
        << ""
        << "e8=12 d5=719 c3=5 e1=11";
    QTest::newRow("lower case and several squares")
        << QByteArray("beginproblem\npieces white pa2b2 black royal sc6\nendproblem\n") << ""
        << ""
        << "a2=1 b2=1 c6=508318";
    QTest::newRow("Protean and proten")
        << QByteArray("BeginProblem\nPieces White Protean Gc3 Black proten Gd4\nEndProblem\n") << ""
        << ""
        << "c3=1104017 d4=1104018";
    QTest::newRow("pieces on the next lines")
        << QByteArray("BeginProblem\nPieces\nWhite Ka1\n  Qb2\nBlack Kh8\nEndProblem\n") << ""
        << ""
        << "a1=11 b2=9 h8=12";
}

void TestPopeyeFile::acceptsUniquePrefixes()
{
    QFETCH(QByteArray, text);
    const ImportedItems read = ReadPopeyeFile(text);
    QCOMPARE(read.items.size(), 1);
    QTEST(read.items[0].stipulation, "stipulation");
    QTEST(read.items[0].author, "author");
    QFETCH(QString, board);
    QCOMPARE(read.items[0].board, boardOf(board));
}

void TestPopeyeFile::reportsWhatItemsCannotHold_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("remark and options")
        << QByteArray("BeginProblem\nRemark see text\nPieces White Ka1\nOption Try Defence 2 "
                      "Duplex\nEndProblem\n")
        << QStringList{"remark \"see text\" left out", "option: Try Defence 2 left out"};
    QTest::newRow("unknown walk") << QByteArray("BeginProblem\nPieces White LSd4 Ka1\nEndProblem\n")
                                  << QStringList{
                                         "board: walk \"LS\" of LSd4 has no FairyKinds row"};
    QTest::newRow("attribute without row")
        << QByteArray("BeginProblem\nPieces White Patrol Gc3\nEndProblem\n")
        << QStringList{"board: specification \"Patrol\" is not one of the rows"};
    QTest::newRow("no board") << QByteArray("BeginProblem\nStipulation #2\nEndProblem\n")
                              << QStringList{"board: no Pieces or Forsyth; the board is empty"};
    QTest::newRow("structured stipulation")
        << QByteArray("BeginProblem\nPieces White Ka1\nSStipulation white 5s[#]\nEndProblem\n")
        << QStringList{"stipulation: structured stipulation \"white 5s[#]\" left out"};
    QTest::newRow("bad forsyth") << QByteArray("BeginProblem\nForsyth 9/8\nEndProblem\n")
                                 << QStringList{
                                        "board: Forsyth 9/8: Rank 8 has more than 8 squares.",
                                        "board: no Pieces or Forsyth; the board is empty"};
}

void TestPopeyeFile::reportsWhatItemsCannotHold()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, notes);
    QCOMPARE(ReadPopeyeFile(text).report.notesOf(1), notes);
}

void TestPopeyeFile::fileCutAnywhereIsReadOrRefused()
{
    const QByteArray whole = recorded(QStringLiteral("10-multi-problem-file"));
    QVERIFY(!whole.isEmpty());
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const QByteArray part = whole.first(cut);
        try {
            const ConvertedFile file = ConvertPopeyeFile(part);
            QVERIFY(ValidateCollection(SplitLines(JoinLines(file.lines))) >= 1);
            // Any prefix of EndProblem ends the problem too.
            if (!part.contains("\nE"))
                QVERIFY2(file.report.text().contains("the file ends before EndProblem"),
                         qPrintable(file.report.text()));
        } catch (const Failure& f) {
            QVERIFY2(!part.contains("BeginProblem\n"), qPrintable(f.message));
        }
    }
}

void TestPopeyeFile::recognisesPopeyeFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("popeye");
    QTest::newRow("begin") << QByteArray("  beginproblem\r\nPieces") << true;
    QTest::newRow("bom") << QByteArray("\xef\xbb\xbf"
                                       "BeginProblem\n")
                         << true;
    QTest::newRow("other first word") << QByteArray("Remark x\nBeginProblem\n") << false;
    QTest::newRow("collection") << QByteArray("Dg[0]=new Array\r\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestPopeyeFile::recognisesPopeyeFiles()
{
    QFETCH(QByteArray, text);
    QTEST(IsPopeyeFile(text), "popeye");
}

void TestPopeyeFile::roundTripThroughTheWriter()
{
    // .dgr -> Popeye file -> .dgr: board, author, source, stipulation and twins come back
    // wherever the writer's report does not name them.
    QList<Item> items = test::randomItems(300, 4);
    for (Item& item : items)
        item.condition.remove("Duplex").remove("WhiteToPlay");
    items = test::throughCollection(items);
    const ExportedFile file = WritePopeyeFile(items, simpleText);
    const ImportedItems read = ReadPopeyeFile(file.bytes);
    QCOMPARE(read.items.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString notes = file.report.notesOf(int(i) + 1).join("; ");
        const Item& a = items[i];
        const Item& b = read.items[i];
        if (!notes.contains("board:"))
            QVERIFY2(a.board == b.board, qPrintable(QString::number(i)));
        // Popeye's text lines lose the blanks around the author and the source.
        QCOMPARE(b.author, a.author.trimmed());
        QCOMPARE(b.source, a.source.trimmed());
        QCOMPARE(b.stipulation, a.stipulation);
        if (!a.condition.trimmed().isEmpty())
            QCOMPARE(b.condition, a.condition.simplified());
        QStringList twins;
        for (const QString& twin : a.twins)
            if (twin.startsWith("Twin ") || twin.startsWith("Zero "))
                twins << twin;
        if (twins == a.twins)
            QCOMPARE(b.twins, a.twins);
        QCOMPARE(notes.contains("solution:"), !a.solution.isEmpty());
    }
}

void TestPopeyeFile::writerReportsWhatTheFileCannotHold()
{
    Item item;
    item.board.at(0, 0) = 20;
    item.board.at(1, 1) = piece::make(17, 99, 0);
    item.stipulation = "= black";
    item.twins << "Twin AfterKey";
    item.solution << "1.e4";
    const ExportedFile file = WritePopeyeFile({item}, simpleText, {12});
    QCOMPARE(
        file.report.lines(),
        QStringList({"item 12: board: marker on a8 left out",
                     "item 12: board: white AG on b7: Popeye has no Andernach grasshopper",
                     "item 12: stipulation: \"= black\" holds blanks",
                     "item 12: twins: \"Twin AfterKey\": Popeye does not support \"AfterKey\" twin",
                     "item 12: solution: a Popeye file has no place for the solution"}));
    QVERIFY(file.bytes.startsWith("BeginProblem\r\nAuthor Unknown\r\n"));
    QVERIFY(file.bytes.endsWith("\r\nEndProblem\r\n"));
}

void TestPopeyeFile::appendsProblems()
{
    Item a;
    a.stipulation = "#2";
    Item b;
    b.stipulation = "#3";
    const QByteArray first = WritePopeyeFile({a}, simpleText).bytes;
    const QByteArray both = AppendPopeyeFile(first, {b}, simpleText).bytes;
    QCOMPARE(both.count("BeginProblem"), 1);
    QCOMPARE(both.count("NextProblem"), 1);
    QCOMPARE(both.count("EndProblem"), 1);
    const ImportedItems read = ReadPopeyeFile(both);
    QCOMPARE(read.items.size(), 2);
    QCOMPARE(read.items[1].stipulation, "#3");
}

void TestPopeyeFile::readsEveryLineEndAlike_data()
{
    QTest::addColumn<QByteArray>("end");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("CR") << QByteArray("\r");
    QTest::newRow("LF CR") << QByteArray("\n\r");
}

void TestPopeyeFile::readsEveryLineEndAlike()
{
    QFETCH(QByteArray, end);
    const QByteArray text = QByteArray("BeginProblem|Author A. Author|Pieces White Ka1 Black Kc3|"
                                       "Stipulation #2|Twin Move a1 a2|Cont Remove c3|EndProblem|")
                                .replace('|', end);
    const ImportedItems read = ReadPopeyeFile(text);
    QCOMPARE(read.items.size(), 1);
    QCOMPARE(read.items[0].author, "A. Author");
    QCOMPARE(read.items[0].stipulation, "#2");
    QCOMPARE(read.items[0].twins, QStringList{"Twin Move a1 a2 Cont Remove c3"});
    QCOMPARE(read.items[0].board, boardOf("a1=11 c3=12"));
    QCOMPARE(read.report.lines(), QStringList());
}

// Thousands of keywords on one line once took time and stack by the square of their number.
void TestPopeyeFile::readsLongLinesOfKeywords_data()
{
    QTest::addColumn<QByteArray>("repeated");
    QTest::addColumn<QString>("condition");
    QTest::newRow("Pieces") << QByteArray("Pieces ") << "";
    QTest::newRow("Condition") << QByteArray("Condition ") << "";
    QTest::newRow("BeginProblem") << QByteArray("BeginProblem ") << "";
    QTest::newRow("Stipulation") << QByteArray("Stipulation #2 ") << "";
    QTest::newRow("Forsyth") << QByteArray("Forsyth 8/8/8/8/8/8/8/K7 ") << "";
    QTest::newRow("Condition words") << QByteArray("Condition Circe ") << "Circe";
}

void TestPopeyeFile::readsLongLinesOfKeywords()
{
    QFETCH(QByteArray, repeated);
    QFETCH(QString, condition);
    const QByteArray text =
        "BeginProblem\nPieces " + repeated.repeated(100000) + "Pieces White Ka1\nEndProblem\n";
    const ImportedItems read = ReadPopeyeFile(text);
    QCOMPARE(read.items.size(), 1);
    QCOMPARE(read.items[0].board.at(7, 0), 11);
    QCOMPARE(read.items[0].condition.split(' ', Qt::SkipEmptyParts).size(),
             condition.isEmpty() ? 0 : 100000);
}

QTEST_GUILESS_MAIN(TestPopeyeFile)
#include "tst_popeyefile.moc"
