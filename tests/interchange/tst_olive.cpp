#include "interchange/convert.h"
#include "interchange/olive.h"
#include "model/failure.h"
#include "model/piece.h"
#include "randomitems.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vexil;

Q_DECLARE_METATYPE(vexil::Item)

namespace {

// "a8=12 e1=11": squares and codes; every other square empty.
Board boardOf(const QString& squares)
{
    Board board;
    for (const QString& part : squares.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = part.split(QLatin1Char('='));
        const int column = kv[0][0].unicode() - 'a';
        const int row = 8 - (kv[0][1].unicode() - '0');
        board.at(row, column) = kv[1].toInt();
    }
    return board;
}

Item only(const QByteArray& yaml, QStringList* notes = nullptr)
{
    const ImportedItems read = ReadOlive(yaml);
    if (read.items.size() != 1)
        qFatal("expected one item");
    if (notes)
        *notes = read.report.notesOf(1);
    return read.items[0];
}

// The fields a note names: "board: ..." -> "board".
QSet<QString> fieldsNoted(const QStringList& notes)
{
    QSet<QString> fields;
    for (const QString& note : notes)
        fields << note.section(QLatin1Char(':'), 0, 0);
    return fields;
}

QStringList differingFields(const Item& a, const Item& b)
{
    QStringList out;
    if (a.board != b.board)
        out << QStringLiteral("board");
    if (a.author != b.author)
        out << QStringLiteral("author");
    if (a.source != b.source)
        out << QStringLiteral("source");
    if (a.stipulation != b.stipulation)
        out << QStringLiteral("stipulation");
    if (a.condition != b.condition)
        out << QStringLiteral("condition");
    if (a.twins != b.twins)
        out << QStringLiteral("twins");
    if (a.solution != b.solution)
        out << QStringLiteral("solution");
    return out;
}

QList<Item> readBackThroughCollection(const QByteArray& olv, InterchangeReport* report = nullptr)
{
    const ConvertedFile file = ConvertOlive(olv);
    if (report)
        *report = file.report;
    const Lines lines = SplitLines(JoinLines(file.lines));
    const int count = ValidateCollection(lines);
    QList<Item> items;
    for (int n = 1; n <= count; ++n)
        items << ReadItem(lines, n * kItemLines);
    return items;
}

} // namespace

class TestOlive : public QObject {
    Q_OBJECT

private slots:
    // Entry -> item: one row per field rule.
    void readsEntryFields_data();
    void readsEntryFields();
    // Item -> entry: one row per field rule.
    void writesEntryFields_data();
    void writesEntryFields();
    void reportsWhatItemsCannotHold_data();
    void reportsWhatItemsCannotHold();
    void reportsWhatEntriesCannotHold_data();
    void reportsWhatEntriesCannotHold();
    void readsOliveStyleFile();
    void everyFieldOfAnEntryLandsAndGoesBack();
    void roundTripKeepsWhatTheFormatHolds();
    void writtenEntriesMatchTheSchema();
    void charactersOutsideWindows1252AreReported();
    void badInputGivesMessageOrReport_data();
    void badInputGivesMessageOrReport();
    void readsTenThousandEntries();
    void findsEntriesByTheirMarkers();
    void appendsToAnExistingFile();
    void convertsAndExportsFilesByFormat();
    void hostileFilesAreRefusedOrKeptSmall_data();
    void hostileFilesAreRefusedOrKeptSmall();
};

void TestOlive::readsEntryFields_data()
{
    QTest::addColumn<QByteArray>("yaml");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("authors joined")
        << QByteArray("authors:\n  - Ugren, Ljubomir\n  - Abdurahmanovic, Fadil\n") << "author"
        << "Ugren, Ljubomir; Abdurahmanovic, Fadil";
    QTest::newRow("source name issue date")
        << QByteArray("source:\n  name: feenschach\n  issue: 01-02\n  date:\n    year: 1965\n")
        << "source"
        << "feenschach 01-02 1965";
    QTest::newRow("source full date")
        << QByteArray(
               "source:\n  name: Schwalbe\n  date:\n    year: 1930\n    month: 2\n    day: 5\n")
        << "source"
        << "Schwalbe 1930-02-05";
    QTest::newRow("older plain source") << QByteArray("source: Probleemblad, 1950\n") << "source"
                                        << "Probleemblad, 1950";
    QTest::newRow("award ditto")
        << QByteArray("source:\n  name: feenschach\n  date:\n    year: 1965\naward:\n  tourney:\n  "
                      "  name: feenschach\n  distinction: 1st Prize\n")
        << "source"
        << "feenschach 1965, 1st Prize";
    QTest::newRow("award other tourney")
        << QByteArray("source:\n  name: Schwalbe\n  date: 1930\naward:\n  tourney:\n    name: "
                      "Schwalbe TT\n  distinction: 2nd HM\n")
        << "source"
        << "Schwalbe 1930, 2nd HM, Schwalbe TT";
    QTest::newRow("stipulation") << QByteArray("stipulation: \"h#4\"\n") << "stipulation"
                                 << "h#4";
    QTest::newRow("conditions joined")
        << QByteArray("options:\n  - Circe\n  - Duplex\n  - WhiteToPlay\n") << "condition"
        << "Circe Duplex WhiteToPlay";
    QTest::newRow("solving options dropped")
        << QByteArray("options:\n  - SetPlay\n  - Madrasi\n  - Defence 1\n") << "condition"
        << "Madrasi";
    QTest::newRow("twins in key order")
        << QByteArray("twins:\n  c: Continued Exchange a2 h7\n  b: Move a1 a2\n  a: Remove e4\n")
        << "twins"
        << "Zero Remove e4|Twin Move a1 a2|Twin Cont Exchange a2 h7";
    QTest::newRow("twins past z")
        << QByteArray(
               "twins:\n  z2: Rotate 90\n  z1: Rotate 180\n  z: Rotate 270\n  b: Move a1 a2\n")
        << "twins"
        << "Twin Move a1 a2|Twin Rotate 270|Twin Rotate 180|Twin Rotate 90";
    QTest::newRow("solution block")
        << QByteArray("solution: |\n  1.Rb3-g3 ! threat:\n\n    2.Rg3-g8 #\n") << "solution"
        << "1.Rb3-g3 ! threat:||  2.Rg3-g8 #";
    QTest::newRow("solution quoted") << QByteArray("solution: \"1.e4\"\n") << "solution"
                                     << "1.e4";
    QTest::newRow("solution empty") << QByteArray("solution: \"\\n\"\n") << "solution"
                                    << "";
    QTest::newRow("source kept as comment")
        << QByteArray("comments:\n  - \"Source: original\"\n") << "source"
        << "original";
}

void TestOlive::readsEntryFields()
{
    QFETCH(QByteArray, yaml);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const Item item = only("algebraic: {}\n" + yaml);
    const QString actual = field == "author"        ? item.author
                           : field == "source"      ? item.source
                           : field == "stipulation" ? item.stipulation
                           : field == "condition"   ? item.condition
                           : field == "twins"       ? item.twins.join(QLatin1Char('|'))
                                                    : item.solution.join(QLatin1Char('|'));
    QCOMPARE(actual, expected);
}

void TestOlive::writesEntryFields_data()
{
    QTest::addColumn<Item>("item");
    QTest::addColumn<QString>("expected"); // lines that must appear, in this order

    Item pieces;
    pieces.board = boardOf("a1=11 b2=6 c3=504017 d4=719 e5=16 f6=2218 g7=13");
    QTest::newRow("pieces") << pieces
                            << "algebraic:\n  white: [Gg7, Royal Gc3, Ka1]\n  black: [CAf6, Ne5, "
                               "Sb2]\n  neutral: [ALd4]";
    Item authors;
    authors.author = "Loyd, Samuel; Dawson, T. R.";
    QTest::newRow("authors") << authors << "authors:\n  - Loyd, Samuel\n  - Dawson, T. R.";
    Item source;
    source.source = "The Problemist 1965, 1st Prize";
    QTest::newRow("source and award")
        << source
        << "source:\n  name: The Problemist\n  date:\n    year: 1965\naward:\n  tourney: ditto\n  "
           "distinction: \"1st Prize\"";
    Item month;
    month.source = "Schwalbe 1930-02";
    QTest::newRow("year and month") << month << "source:\n  name: Schwalbe\n  date: \"1930-02\"";
    Item undated;
    undated.source = "original";
    QTest::newRow("source without year") << undated << "comments:\n  - \"Source: original\"";
    Item conditions;
    conditions.condition = "Circe Parrain Duplex WhiteToPlay";
    QTest::newRow("conditions") << conditions
                                << "options:\n  - Circe Parrain\n  - Duplex\n  - WhiteToPlay";
    Item twins;
    twins.twins = QStringList{"Zero Remove e4", "Twin Move a1 a2", "Twin Cont Exchange a2 h7"};
    QTest::newRow("twins")
        << twins << "twins:\n  a: Remove e4\n  b: Move a1 a2\n  c: Continued Exchange a2 h7";
    Item solution;
    solution.stipulation = "#2";
    solution.solution = QStringList{"1.Rb3-g3 ! threat:", "", "   2.Rg3-g8 #"};
    QTest::newRow("solution")
        << solution << "stipulation: \"#2\"\nsolution: |\n  1.Rb3-g3 ! threat:\n\n     2.Rg3-g8 #";
    QTest::newRow("empty item") << Item() << "algebraic: {}\nstipulation: \"\"\nsolution: \"\\n\"";
}

void TestOlive::writesEntryFields()
{
    QFETCH(Item, item);
    QFETCH(QString, expected);
    const ExportedFile file = WriteOlive({item});
    const QString text = QString::fromUtf8(file.bytes);
    QVERIFY2(text.startsWith("---\n"), qPrintable(text));
    const QString wanted = expected + QLatin1Char('\n');
    QVERIFY2(text.contains(wanted), qPrintable(text));
}

void TestOlive::reportsWhatItemsCannotHold_data()
{
    QTest::addColumn<QByteArray>("yaml");
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("keywords") << QByteArray("algebraic: {}\nkeywords:\n  - Rundlauf\n")
                              << QStringList{"keywords Rundlauf kept at the end of the solution"};
    QTest::newRow("comment") << QByteArray("algebraic: {}\ncomments:\n  - See also 123\n")
                             << QStringList{
                                    "comment \"See also 123\" kept at the end of the solution"};
    QTest::newRow("walk without row")
        << QByteArray("algebraic:\n  white: [LSd4, Ka1]\n")
        << QStringList{"board: walk \"LS\" of white \"LSd4\" has no FairyKinds row"};
    QTest::newRow("specification without row")
        << QByteArray("algebraic:\n  white: [Bul Gc3]\n")
        << QStringList{"board: specification \"Bul\" of \"Bul Gc3\" is not one of the rows"};
    QTest::newRow("second specification")
        << QByteArray("algebraic:\n  black: [Royal Chameleon Gc3]\n")
        << QStringList{
               "board: second specification \"Chameleon\" of \"Royal Chameleon Gc3\" left out"};
    QTest::newRow("solving option")
        << QByteArray("algebraic: {}\noptions:\n  - SetPlay\n")
        << QStringList{"options: solving options \"SetPlay\" kept at the end of the solution"};
    QTest::newRow("problem id")
        << QByteArray("algebraic: {}\nsource:\n  name: x\n  problemid: 7100\n  date: 1965\n")
        << QStringList{"source: problemid \"7100\" kept at the end of the solution"};
    QTest::newRow("no board")
        << QByteArray("stipulation: \"#2\"\n")
        << QStringList{"board: the entry has no board (algebraic); the board is empty"};
    QTest::newRow("stipulation words")
        << QByteArray("algebraic: {}\nstipulation: = black to move\n")
        << QStringList{
               "stipulation: the words after \"=\" (black to move) have no place in an item"};
    QTest::newRow("all held")
        << QByteArray("algebraic:\n  white: [Functionary Sb1, Protean Gc3]\n  neutral: [Kd4]\n")
        << QStringList();
}

void TestOlive::reportsWhatItemsCannotHold()
{
    QFETCH(QByteArray, yaml);
    QFETCH(QStringList, notes);
    QStringList actual;
    only(yaml, &actual);
    QCOMPARE(actual, notes);
}

void TestOlive::reportsWhatEntriesCannotHold_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("marker") << "d4=21" << QStringList()
                            << QStringList{"board: marker on d4 left out"};
    QTest::newRow("andernach grasshopper")
        << "c3=9917" << QStringList()
        << QStringList{"board: white AG on c3 left out (Popeye has no Andernach grasshopper)"};
    QTest::newRow("beamtet")
        << "c3=704017" << QStringList()
        << QStringList{"board: specification beamtet of the white beamtet G on c3 left out"};
    QTest::newRow("fairy king")
        << "e1=5017" << QStringList()
        << QStringList{"board: fairy white K on e1 is written as the piece of its own base"};
    QTest::newRow("not popeye twin")
        << "" << QStringList{"b) Twin Rotate 90"}
        << QStringList{"twins: \"b) Twin Rotate 90\" is no Popeye twin; written as it stands"};
    QTest::newRow("zero alone") << "" << QStringList{"Zero Move a1 a2"}
                                << QStringList{"twins: a zero position without a twin left out"};
    QTest::newRow("neutral king is held") << "e1=5019 e8=104018" << QStringList() << QStringList();
}

void TestOlive::reportsWhatEntriesCannotHold()
{
    QFETCH(QString, board);
    QFETCH(QStringList, twins);
    QFETCH(QStringList, notes);
    Item item;
    item.board = boardOf(board);
    item.twins = twins;
    QCOMPARE(WriteOlive({item}, {7}).report.notesOf(1), notes);
    if (!notes.isEmpty())
        QCOMPARE(WriteOlive({item}, {7}).report.lines().first(), "item 7: " + notes.first());
}

void TestOlive::readsOliveStyleFile()
{
    // Block style as Olive writes it, with an entry in the older layout between.
    const QByteArray file = "---\n"
                            "authors: \n"
                            "  - Ugren, Ljubomir\n"
                            "source: \n"
                            "  name: feenschach\n"
                            "  issue: 01-02\n"
                            "  date:\n"
                            "    year: 1965 \n"
                            "algebraic: \n"
                            "  white: [Kh1, Re4, Pg2]\n"
                            "  black: [Kd1, Bc3]\n"
                            "  neutral: [HurdleColourChanging Ga5]\n"
                            "stipulation: h#4\n"
                            "options: \n"
                            "  - SetPlay\n"
                            "solution: |\n"
                            "  1...Re4-d4 2.Kd1-e2\n"
                            "  1.Bc3-d4 Re4-e5\n"
                            "---\n"
                            "authors:\n"
                            "  - Loyd, Samuel\n"
                            "source: American Chess Journal, 1878\n"
                            "algebraic:\n"
                            "  white: [Ka1, Royal Zf3, Pag7]\n"
                            "  black: [Kh8]\n"
                            "stipulation: \"#2\"\n"
                            "solution: \"\"\n";
    const ImportedItems read = ReadOlive(file);
    QCOMPARE(read.items.size(), 2);
    const Item& first = read.items[0];
    QCOMPARE(first.author, "Ugren, Ljubomir");
    QCOMPARE(first.source, "feenschach 01-02 1965");
    QCOMPARE(first.board, boardOf("h1=11 e4=3 g2=1 d1=12 c3=8 a5=1004019"));
    QCOMPARE(first.solution,
             QStringList({"1...Re4-d4 2.Kd1-e2", "1.Bc3-d4 Re4-e5", "Options: SetPlay"}));
    QCOMPARE(read.report.notesOf(1),
             QStringList{"options: solving options \"SetPlay\" kept at the end of the solution"});
    const Item& second = read.items[1];
    QCOMPARE(second.source, "American Chess Journal, 1878");
    QCOMPARE(second.board, boardOf("a1=11 f3=509617 g7=7117 h8=12"));
    QCOMPARE(second.solution, QStringList());
    QVERIFY(read.report.notesOf(2).isEmpty());
}

void TestOlive::roundTripKeepsWhatTheFormatHolds()
{
    // .dgr -> .olv -> .dgr: a field comes back changed exactly when the export report names
    // it for that item.
    const QList<Item> items = test::randomItems(600, 15);
    const ExportedFile olv = WriteOlive(items);
    InterchangeReport back;
    const QList<Item> read = readBackThroughCollection(olv.bytes, &back);
    QCOMPARE(read.size(), items.size());
    int exact = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QSet<QString> noted = fieldsNoted(olv.report.notesOf(int(i) + 1));
        const QStringList differing = differingFields(items[i], read[i]);
        const QSet<QString> changed(differing.begin(), differing.end());
        QVERIFY2(changed == noted,
                 qPrintable(QStringLiteral("item %1: changed %2, reported %3\n%4")
                                .arg(i + 1)
                                .arg(differing.join(", "))
                                .arg(olv.report.notesOf(int(i) + 1).join("; "))
                                .arg(QString::fromUtf8(WriteOlive({items[i]}).bytes))));
        exact += differing.isEmpty();
    }
    QVERIFY(exact > 100); // the test says something only if most items come back whole
    // Reading what was written reports only on items whose export was already reported.
    for (const ReportNote& note : back.notes())
        QVERIFY2(!olv.report.notesOf(note.entry).isEmpty(), qPrintable(note.text));
}

void TestOlive::everyFieldOfAnEntryLandsAndGoesBack()
{
    const QByteArray yaml = "authors:\n  - Loyd, Samuel\n"
                            "source:\n  name: Die Schwalbe\n  date: 1995\n  problemid: 7100\n"
                            "award:\n  distinction: 1st Prize\n"
                            "  tourney:\n    name: Schwalbe TT\n    date: 1996-02\n"
                            "  judges:\n    - Dawson, T. R.\n"
                            "algebraic:\n  white: [Ke1, Pe5]\n  black: [Ke8, Pf5]\n"
                            "stipulation: \"#2\"\n"
                            "options:\n  - SetPlay\n  - EnPassant f6\n"
                            "solution: 1.exf6 ep.\n"
                            "keywords:\n  - Rundlauf\n  - Albino\n"
                            "comments:\n  - See also 123\n"
                            "foreignids:\n  - 4711\n";
    const ImportedItems read = ReadOlive(yaml);
    QCOMPARE(read.items.size(), 1);
    const Item& item = read.items[0];
    QCOMPARE(item.source, QStringLiteral("Die Schwalbe 1995, 1st Prize, Schwalbe TT"));
    // The en passant right changes what the position is: it stays with the condition.
    QCOMPARE(item.condition, QStringLiteral("EnPassant f6"));
    QCOMPARE(item.solution,
             (QStringList{"1.exf6 ep.", "Source problemid: 7100", "Tourney date: 1996-02",
                          "Judges: Dawson, T. R.", "Options: SetPlay", "Keywords: Rundlauf, Albino",
                          "Comment: See also 123", "Foreignids: 4711"}));
    for (const QString& note : read.report.notesOf(1))
        QVERIFY2(note.endsWith(u"kept at the end of the solution"), qPrintable(note));

    // Written back, the fields that have a place in an entry are there again.
    const QString written = QString::fromUtf8(WriteOlive({item}).bytes);
    for (const char* wanted :
         {"options:\n  - EnPassant f6\n  - SetPlay\n", "keywords:\n  - Rundlauf\n  - Albino\n",
          "comments:\n  - See also 123\n"})
        QVERIFY2(written.contains(QLatin1String(wanted)), qPrintable(written));
    QVERIFY(!written.contains(u"Keywords: "));
    const Item again = ReadOlive(written.toUtf8()).items.value(0);
    QCOMPARE(
        again.solution.mid(again.solution.size() - 3),
        (QStringList{"Options: SetPlay", "Keywords: Rundlauf, Albino", "Comment: See also 123"}));
}

void TestOlive::writtenEntriesMatchTheSchema()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed (scripts/setup.sh --test)");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("written.olv"));
    QList<Item> items = test::randomItems(400, 99);
    Item empty;
    items << empty;
    WriteInterchangeFile(path, WriteOlive(items).bytes);
    QProcess check;
    check.start(python,
                {QStringLiteral(VEXIL_SOURCE_DIR "/tests/interchange/check_schema.py"),
                 QStringLiteral(VEXIL_SOURCE_DIR "/tests/interchange/yacpdb-entry.schema.json"),
                 path});
    QVERIFY(check.waitForFinished(120000));
    const QString output =
        QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
    if (output.contains(QLatin1String("ModuleNotFoundError")))
        QSKIP("python3-jsonschema or python3-yaml is not installed (scripts/setup.sh --test)");
    QVERIFY2(check.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("checked %1 entries, 0 errors").arg(items.size())),
             qPrintable(output));
}

void TestOlive::charactersOutsideWindows1252AreReported()
{
    // Names in other scripts come out in Latin letters, one report line for each field.
    const QByteArray yaml =
        "---\n- skipped\n---\nauthors:\n  - \"\xd0\x96\xd0\xb8\xd0\xb2\xd0\xba\xd0\xbe "
        "\xd0\x88\xd0\xb0\xd0\xbd\xd0\xb5\xd0\xb2\xd1\x81\xd0\xba\xd0\xb8\"\n"
        "  - \"Abdurahmanovi\xc4\x87, Fadil\"\n"
        "source:\n  name: \"\xce\xa0\xce\xb1\xcf\x81\xce\xbf\xcf\x85\xcf\x83\xce\xaf\xce\xb1\"\n"
        "algebraic: {}\nsolution: \"1.e4 \xc3\xa9\xe2\x82\xac \xf0\x9f\x98\x80\"\n";
    const ConvertedFile file = ConvertOlive(yaml);
    const Item item = ReadItem(file.lines, kItemLines);
    QCOMPARE(item.author, QString::fromUtf8("\xc5\xbdivko Janevski; Abdurahmanovic, Fadil"));
    QCOMPARE(item.source, QString::fromUtf8("Parous\xc3\xad"
                                            "a"));
    QCOMPARE(item.solution, QStringList{QString::fromUtf8("1.e4 \xc3\xa9\xe2\x82\xac ")});
    const QStringList report = file.report.lines();
    QCOMPARE(report.size(), 4);
    QCOMPARE(report[1],
             QString::fromUtf8("entry 2: author: '\xd0\x96\xd0\xb8\xd0\xb2\xd0\xba\xd0\xbe "
                               "\xd0\x88\xd0\xb0\xd0\xbd\xd0\xb5\xd0\xb2\xd1\x81\xd0\xba\xd0\xb8; "
                               "Abdurahmanovi\xc4\x87, Fadil' written as '\xc5\xbdivko "
                               "Janevski; Abdurahmanovic, Fadil'"));
    QVERIFY(report[2].startsWith(u"entry 2: source: '"));
    QVERIFY(report[3].startsWith(u"entry 2: solution: '1.e4"));
    // The bytes written are the Windows-1252 ones, e with acute and the euro sign.
    QVERIFY(file.lines[kItemLines + 11].contains("\xe9\x80"));
}

void TestOlive::badInputGivesMessageOrReport_data()
{
    QTest::addColumn<QByteArray>("yaml");
    QTest::addColumn<QString>("failure"); // empty: read, with the report below
    QTest::addColumn<QString>("report");

    QTest::newRow("broken yaml") << QByteArray("algebraic: {white: [Ka1\nstipulation: #2\n")
                                 << "The file is no valid YAML: line"
                                 << "";
    QTest::newRow("tab indentation")
        << QByteArray("algebraic:\n\twhite: [Ka1]\n") << "The file is no valid YAML"
        << "";
    QTest::newRow("empty file") << QByteArray("") << "The file holds no problem that could be read."
                                << "";
    QTest::newRow("only a list") << QByteArray("- a\n- b\n")
                                 << "The file holds no problem that could be read."
                                 << "";
    QTest::newRow("list between entries")
        << QByteArray("algebraic: {}\n---\n- a\n---\nalgebraic: {}\n") << ""
        << "entry 2: not a YACPDB entry; skipped";
    QTest::newRow("empty entry") << QByteArray("---\n---\nalgebraic: {}\n") << ""
                                 << "entry 1: empty entry skipped";
    QTest::newRow("wrong types") << QByteArray(
                                        "algebraic: [Ka1]\ntwins: Move a1 a2\nsolution: [a, b]\n")
                                 << ""
                                 << "entry 1: board: algebraic is not a board";
    QTest::newRow("deep nesting") << QByteArray(20000, '[') << "The file is no valid YAML"
                                  << "";
    QTest::newRow("deep closed nesting")
        << QByteArray(100000, '[') + QByteArray(100000, ']') << "The file is no valid YAML"
        << "";
    QTest::newRow("deep maps") << QByteArray(50000, '{') + QByteArray(50000, '}')
                               << "The file is no valid YAML"
                               << "";
    // Documents on which the YAML parser would never return.
    QTest::newRow("comma alone") << QByteArray(",-\xbf-")
                                 << "The file is no valid YAML: line 1, column 1"
                                 << "";
    QTest::newRow("comma after a list") << QByteArray("algebraic: {}\n---\n- a\n- b\n,\n")
                                        << "The file is no valid YAML: line 5, column 1"
                                        << "";
    QTest::newRow("comma after a quote")
        << QByteArray("\"a\" ,") << "The file is no valid YAML: line 1, column 5"
        << "";
    QTest::newRow("comma after a tag") << QByteArray("--- !t ,") << "The file is no valid YAML"
                                       << "";
    QTest::newRow("comma after an anchor") << QByteArray("&N,\xff-") << "The file is no valid YAML"
                                           << "";
    QTest::newRow("comma after a document end")
        << QByteArray("- a\n...  ,x\n") << "The file is no valid YAML"
        << "";
    QTest::newRow("bracket inside a text")
        << QByteArray("a: x[b, #c\n,d\n") << "The file is no valid YAML"
        << "";
    QTest::newRow("control character")
        << QByteArray("a: b\n\0,-,,", 11)
        << "The file is no valid YAML: line 2, column 1: a control character"
        << "";
    QTest::newRow("comma in a block text")
        << QByteArray("algebraic: {}\nsolution: |\n  , 1.e4\n  ,\n") << ""
        << "";
    QTest::newRow("not utf-8") << QByteArray("authors:\n  - Andr\xe9\nalgebraic: {}\n") << ""
                               << "The file is not UTF-8; it was read as Windows-1252.";
}

void TestOlive::badInputGivesMessageOrReport()
{
    QFETCH(QByteArray, yaml);
    QFETCH(QString, failure);
    QFETCH(QString, report);
    try {
        const ConvertedFile file = ConvertOlive(yaml);
        QVERIFY2(failure.isEmpty(), "read a file that should have been refused");
        QVERIFY2(report.isEmpty() ? file.report.isEmpty() : file.report.lines().contains(report),
                 qPrintable(file.report.text()));
        QCOMPARE(ValidateCollection(SplitLines(JoinLines(file.lines))),
                 int(file.lines.size() / kItemLines) - 1);
    } catch (const Failure& f) {
        QVERIFY2(!failure.isEmpty() && f.message.startsWith(failure), qPrintable(f.message));
    }
}

void TestOlive::readsTenThousandEntries()
{
    const QList<Item> items = test::randomItems(200, 7);
    QList<Item> many;
    for (int i = 0; i < 50; ++i)
        many << items;
    const ExportedFile olv = WriteOlive(many);
    const ConvertedFile file = ConvertOlive(olv.bytes);
    QCOMPARE(file.lines.size(), (10000 + 1) * kItemLines);
    QVERIFY(file.report.notes().size() <= InterchangeReport::kMaxNotes);
}

void TestOlive::findsEntriesByTheirMarkers()
{
    // A leading comment is no entry; "..." ends one; a block text may hold "---" indented.
    const QByteArray file =
        "# Olive file\n\n---\nstipulation: \"#2\"\nalgebraic: {}\nsolution: |\n  ---\n  1.e4\n"
        "...\n# between\n--- \nstipulation: h#2\nalgebraic: {}\n";
    const ImportedItems read = ReadOlive(file);
    QCOMPARE(read.items.size(), 2);
    QCOMPARE(read.items[0].solution, QStringList({"---", "1.e4"}));
    QCOMPARE(read.items[1].stipulation, "h#2");
    QVERIFY2(read.report.isEmpty(), qPrintable(read.report.text()));
    // A broken entry is named by its line in the whole file.
    try {
        ReadOlive("algebraic: {}\n---\nalgebraic: {}\n---\nalgebraic: {white: [Ka1\n");
        QFAIL("a broken entry was read");
    } catch (const Failure& f) {
        QVERIFY2(f.message.startsWith("The file is no valid YAML: line 5") ||
                     f.message.startsWith("The file is no valid YAML: line 6"),
                 qPrintable(f.message));
    }
}

void TestOlive::appendsToAnExistingFile()
{
    Item first;
    first.stipulation = "#2";
    Item second;
    second.stipulation = "h#3";
    const QByteArray existing = WriteOlive({first}).bytes;
    const ExportedFile appended = AppendOlive(existing.chopped(1), {second});
    const ImportedItems read = ReadOlive(appended.bytes);
    QCOMPARE(read.items.size(), 2);
    QCOMPARE(read.items[0].stipulation, "#2");
    QCOMPARE(read.items[1].stipulation, "h#3");
}

void TestOlive::convertsAndExportsFilesByFormat()
{
    QTemporaryDir dir;
    Item item;
    item.stipulation = "#2";
    item.author = QString::fromUtf8("Andr\xc3\xa9");
    item.board.at(0, 4) = 12;
    const auto popeyeText = [](const Item& i) {
        return QStringList{"BeginProblem", "Author " + i.author,           "Pieces",
                           "Black Ke8",    "Stipulation " + i.stipulation, "EndProblem"};
    };
    // Copy appends to what the file holds, in the format its extension names.
    for (const QString& name : {QStringLiteral("out.olv"), QStringLiteral("out.inp")}) {
        const QString path = dir.filePath(name);
        WriteInterchangeFile(path, PrepareExport(path, {item}, {3}, popeyeText).bytes);
        WriteInterchangeFile(path, PrepareExport(path, {item}, {4}, popeyeText).bytes);
        const ConvertedFile back = ConvertInterchangeFile(path);
        QCOMPARE(ValidateCollection(back.lines), 2);
        const Item read = ReadItem(back.lines, 2 * kItemLines);
        QCOMPARE(read.author, item.author);
        QCOMPARE(read.board, item.board);
        QCOMPARE(read.stipulation, "#2");
    }
    // A Popeye file is known by its first word whatever its name; the 8-bit text is Windows-1252.
    const QString text = dir.filePath("problems.txt");
    QFile::copy(dir.filePath("out.inp"), text);
    QCOMPARE(InterchangeFormatOf(text, ReadWholeFile(text)), InterchangeFormat::Popeye);
    QVERIFY(ReadWholeFile(text).contains("Author Andr\xe9\r\n"));
    QCOMPARE(InterchangeFormatOf(dir.filePath("x.dgr"), "BeginProblem"), InterchangeFormat::Dgr);
    try {
        PrepareExport(dir.filePath("x.dgr"), {item}, {1}, popeyeText);
        QFAIL("a collection target was taken for another format");
    } catch (const Failure& f) {
        QCOMPARE(f.message, kInvalidFileFormat);
    }
}

void TestOlive::hostileFilesAreRefusedOrKeptSmall_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("items");

    const QByteArray entry = "---\nalgebraic:\n  white: [Ka1]\n";
    QTest::newRow("an anchor used twice")
        << entry + "authors: &a [\"Loyd, Samuel\"]\nkeywords: *a\ncomments: *a\n"
        << false << 1;
    QByteArray laughs = entry + "a0: &a0 [lol]\n";
    for (int level = 1; level <= 9; ++level)
        laughs += "a" + QByteArray::number(level) + ": &a" + QByteArray::number(level) + " [" +
                  ("*a" + QByteArray::number(level - 1) + ", ").repeated(10) + "x]\n";
    QTest::newRow("aliases in aliases") << laughs << true << 0;
    // One list of long texts named a thousand times: each use was copied into the report.
    QByteArray reused =
        entry + "list: &list [" + (QByteArray(1000, 'x') + ", ").repeated(1000) + "x]\n";
    for (int use = 0; use < 1000; ++use)
        reused += "k" + QByteArray::number(use) + ": *list\n";
    QTest::newRow("one list used a thousand times") << reused << true << 0;
    QByteArray longTexts = entry;
    for (int key = 0; key < 50; ++key)
        longTexts += "k" + QByteArray::number(key) + ": " + QByteArray(100000, 'y') + "\n";
    QTest::newRow("long texts without a place") << longTexts << false << 1;
    QByteArray manyNodes = entry;
    for (int copy = 0; copy < 3; ++copy)
        manyNodes += "---\nalgebraic:\n  white: [" + QByteArray("Ka1, ").repeated(30000) + "Kb1]\n";
    QTest::newRow("many entries of long piece lists") << manyNodes << false << 4;
    QTest::newRow("one entry of 400,000 pieces")
        << entry + "  black: [" + QByteArray("Pa2,").repeated(400000) + "Pa2]\n"
        << true << 0;
}

// Files small on disk that once took gigabytes to read: refused with a message before they
// are built, or read with a report of bounded size.
void TestOlive::hostileFilesAreRefusedOrKeptSmall()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refused);
    QFETCH(int, items);
    try {
        const ImportedItems read = ReadOlive(bytes);
        QVERIFY(!refused);
        QCOMPARE(read.items.size(), items);
        const QString report = read.report.text();
        QVERIFY2(report.size() <= InterchangeReport::kMaxCharacters + 100,
                 qPrintable(QString::number(report.size())));
    } catch (const Failure& f) {
        QVERIFY2(refused, qPrintable(f.message));
        QVERIFY2(f.message.contains("MB"), qPrintable(f.message));
    }
}

QTEST_GUILESS_MAIN(TestOlive)
#include "tst_olive.moc"
