#include "boards.h"
#include "model/sampleitems.h"
#include "solve/popeyetext.h"

#include <QtTest>

using namespace vexil;
using test::boardOf;

namespace {

const QString kFolder = QStringLiteral("C:\\Chess\\");

Item itemWith(const QStringList& pieces, const QString& condition = QString())
{
    Item item;
    item.board = boardOf(pieces);
    item.author = QStringLiteral("A");
    item.source = QStringLiteral("S");
    item.stipulation = QStringLiteral("#2");
    item.condition = condition;
    return item;
}

// The lines between "Pieces" and "Stipulation".
QStringList pieceLines(const QStringList& lines)
{
    const qsizetype from = lines.indexOf(QStringLiteral("Pieces")) + 1;
    qsizetype to = from;
    while (to < lines.size() && !lines[to].startsWith(QLatin1String("Stipulation")))
        ++to;
    return lines.mid(from, to - from);
}

QStringList linesStarting(const QStringList& lines, const QString& keyword)
{
    QStringList found;
    for (const QString& line : lines)
        if (line == keyword || line.startsWith(keyword + QLatin1Char(' ')))
            found << line;
    return found;
}

} // namespace

class TestPopeyeText : public QObject {
    Q_OBJECT
private slots:
    void workedExample();
    void pieces_data();
    void pieces();
    void conditionAndOptions_data();
    void conditionAndOptions();
    void twins_data();
    void twins();
    void printedTwins_data();
    void printedTwins();
    void recordedTwinHeadings_data();
    void recordedTwinHeadings();
    void sampleItemsReadable();
    void headerLines_data();
    void headerLines();
    void lineTooLong_data();
    void lineTooLong();
    void itemFileWord_data();
    void itemFileWord();
    void textFileWord_data();
    void textFileWord();
};

void TestPopeyeText::workedExample()
{
    Item item;
    item.author = QStringLiteral("Composer 1");
    item.source = QStringLiteral("Problem");
    item.stipulation = QStringLiteral("#2");
    item.condition = QStringLiteral("Circe Duplex");
    item.twins = {QStringLiteral("Twin Move e1 f1")};
    item.board = boardOf({"b8=5", "e8=12", "e7=2", "d4=719", "c3=504017", "d1=9", "e1=11"});
    const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), kFolder);
    const QStringList expected = {"BeginProblem",
                                  "Author Composer 1",
                                  "Origin Problem",
                                  "Protocol C:\\Chess\\py.txt",
                                  "Pieces",
                                  "White royal Gc3",
                                  "White Sb8 Qd1 Ke1",
                                  "Black Ke8 Pe7",
                                  "Neutral ALd4",
                                  "Stipulation #2",
                                  "Condition Circe ",
                                  "Option Duplex Variation NoBoard",
                                  "Twin Move e1 f1",
                                  "EndProblem"};
    for (qsizetype i = 0; i < qMax(expected.size(), input.lines.size()); ++i)
        QCOMPARE(input.lines.value(i, "<none>"), expected.value(i, "<none>"));
    QVERIFY(input.refusedTwins.isEmpty());
}

void TestPopeyeText::pieces_data()
{
    QTest::addColumn<QStringList>("board");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty board") << QStringList() << QStringList();
    QTest::newRow("only black: no White line")
        << QStringList{"a1=12", "b2=2", "h8=14"} << QStringList{"Black Gh8 Pb2 Ka1"};
    QTest::newRow("row by row from rank 8, file a to h")
        << QStringList{"h1=11", "a1=3", "h8=3", "a8=7"} << QStringList{"White Ba8 Rh8 Ra1 Kh1"};
    QTest::newRow("nightriders and white, black fairy pieces")
        << QStringList{"c3=15", "d4=17" /* kind 0 */, "e5=4117", "f6=118"}
        << QStringList{"White G2e5 Nc3", "Black 15f6", "White ?d4"};
    QTest::newRow("neutral of an orthodox kind is named by its kind")
        << QStringList{"e4=5019"} << QStringList{"Neutral Ke4"};
    QTest::newRow("markers are left out")
        << QStringList{"a1=20", "b1=21", "c1=22", "d1=11"} << QStringList{"White Kd1"};
    QTest::newRow("specified pieces first, each alone, in scan order")
        << QStringList{"h1=504017", "a8=104018", "e1=11", "d5=1304019"}
        << QStringList{"Black chameleon Ga8", "Neutral uncapturable Gd5", "White royal Gh1",
                       "White Ke1"};
    QTest::newRow("proten and beamtet take Popeye's words")
        << QStringList{"a1=1104017", "b1=704018", "c1=804017"}
        << QStringList{"White protean Ga1", "Black functionary Gb1", "White functionary Gc1"};
    QTest::newRow("unknown kind or specification stands alone at the end")
        << QStringList{"a2=13017", "b2=1404017", "c2=11"}
        << QStringList{"White Kc2", "White ?a2", "White ?b2"};
}

void TestPopeyeText::pieces()
{
    QFETCH(QStringList, board);
    QFETCH(QStringList, expected);
    const PopeyeInput input = BuildPopeyeInput(itemWith(board), PopeyeOptions(), kFolder);
    QCOMPARE(pieceLines(input.lines), expected);
    // The block sits between its keywords whatever it holds.
    QCOMPARE(input.lines.indexOf(QStringLiteral("Pieces")), 4);
    QCOMPARE(input.lines.value(5 + expected.size()), QStringLiteral("Stipulation #2"));
}

void TestPopeyeText::conditionAndOptions_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("setting");
    QTest::addColumn<QStringList>("conditionLines");
    QTest::addColumn<QString>("optionLine");
    // setting: 0 defaults, 1 nothing at all, 2 every option, 3 Defence 2, 4 an option text.
    QTest::newRow("no condition") << "" << 0 << QStringList() << "Option Variation NoBoard";
    QTest::newRow("nothing selected") << "" << 1 << QStringList() << "Option NoBoard";
    QTest::newRow("Duplex alone leaves no Condition line")
        << "Duplex" << 0 << QStringList() << "Option Duplex Variation NoBoard";
    QTest::newRow("inside a longer word")
        << "HalfDuplex" << 0 << QStringList{"Condition Half"} << "Option Duplex Variation NoBoard";
    QTest::newRow("only blanks remain: no Condition line")
        << "WhiteToPlay Duplex" << 0 << QStringList()
        << "Option Duplex WhiteToPlay Variation NoBoard";
    QTest::newRow("blank condition is no condition to write")
        << "  " << 1 << QStringList() << "Option NoBoard";
    QTest::newRow("only the first occurrence moves")
        << "Duplex Duplex" << 1 << QStringList{"Condition  Duplex"} << "Option Duplex NoBoard";
    QTest::newRow("an option of the position, with its square")
        << "Circe EnPassant f6" << 0 << QStringList{"Condition Circe "}
        << "Option EnPassant f6 Variation NoBoard";
    QTest::newRow("an option of the position, with its squares, alone")
        << "NoCastling a1 e1" << 0 << QStringList() << "Option NoCastling a1 e1 Variation NoBoard";
    QTest::newRow("case matters") << "duplex" << 1 << QStringList{"Condition duplex"}
                                  << "Option NoBoard";
    QTest::newRow("blanks kept") << "Circe  Madrasi " << 1
                                 << QStringList{"Condition Circe  Madrasi "} << "Option NoBoard";
    QTest::newRow("every option in order")
        << "Circe WhiteToPlay" << 2 << QStringList{"Condition Circe "}
        << "Option WhiteToPlay Try Set Variation Defence 99 MaxSolutions 7 NoThreat PostKeyPlay "
           "NoWk StopOnShortSolutions NoBoard";
    QTest::newRow("Defence 1 and MaxSolutions 0 add nothing, Defence 2 does")
        << "" << 3 << QStringList() << "Option Variation Defence 2 NoBoard";
    QTest::newRow("a typed option text goes unchanged")
        << "" << 4 << QStringList() << "Option Variation MaxTime 5 NoBoard";
}

void TestPopeyeText::conditionAndOptions()
{
    QFETCH(QString, condition);
    QFETCH(int, setting);
    QFETCH(QStringList, conditionLines);
    QFETCH(QString, optionLine);
    PopeyeOptions options;
    if (setting == 1)
        options.Variation = false;
    if (setting == 2)
        options = {
            true, true, true, 99, 7, true, true, true, QStringLiteral("StopOnShortSolutions")};
    if (setting == 3)
        options.Defence = 2;
    if (setting == 4)
        options.Option = QStringLiteral("MaxTime 5");
    const QStringList lines =
        BuildPopeyeInput(itemWith({"e1=11"}, condition), options, kFolder).lines;
    QCOMPARE(linesStarting(lines, QStringLiteral("Condition")), conditionLines);
    QCOMPARE(linesStarting(lines, QStringLiteral("Option")), QStringList{optionLine});
    // Condition and options follow the stipulation at once.
    const qsizetype stipulation = lines.indexOf(QStringLiteral("Stipulation #2"));
    QCOMPARE(lines.value(stipulation + 1 + conditionLines.size()), optionLine);
}

void TestPopeyeText::twins_data()
{
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QStringList>("refused");
    QTest::newRow("AfterKey refused, the rest kept in order")
        << QStringList{"Twin Rotate 90", "Twin AfterKey", "Twin Mirror a1<-->h1"}
        << QStringList{"Twin Rotate 90", "Twin Mirror a1<-->h1"} << QStringList{"Twin AfterKey"};
    QTest::newRow("placeholders and empty lines pass unchanged")
        << QStringList{"Twin Move <square1> <square2>", ""}
        << QStringList{"Twin Move <square1> <square2>", ""} << QStringList();
    QTest::newRow("one message per line")
        << QStringList{"AfterKey", "Zero AfterKey x"} << QStringList()
        << QStringList{"AfterKey", "Zero AfterKey x"};
}

void TestPopeyeText::twins()
{
    QFETCH(QStringList, twins);
    QFETCH(QStringList, written);
    QFETCH(QStringList, refused);
    Item item = itemWith({"e1=11"});
    item.twins = twins;
    const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), kFolder);
    const qsizetype option = input.lines.indexOf(QStringLiteral("Option Variation NoBoard"));
    QCOMPARE(input.lines.mid(option + 1), written + QStringList{"EndProblem"});
    QCOMPARE(input.refusedTwins, refused);
}

void TestPopeyeText::printedTwins_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("command"); // "<none>": passed on unchanged
    const QString none = QStringLiteral("<none>");
    QTest::newRow("move") << "b) wRg6-->g7  "
                          << "Twin Move g6 g7";
    QTest::newRow("continued remove") << "+c) -bPc4"
                                      << "Twin Cont Remove c4";
    QTest::newRow("exchange") << "d) wQh1<-->wSe5"
                              << "Twin Exchange h1 e5";
    QTest::newRow("substitute") << "e) Q ==> R"
                                << "Twin Substitute Q R";
    QTest::newRow("add") << "f) +wBc1"
                         << "Twin Add White Bc1";
    QTest::newRow("add a neutral fairy piece") << "b) +nALd4"
                                               << "Twin Add Neutral ALd4";
    QTest::newRow("rotate without heading") << "rotate 90"
                                            << "Twin Rotate 90";
    QTest::newRow("mirror without heading") << "mirror a1<-->h1"
                                            << "Twin Mirror a1<-->h1";
    QTest::newRow("stipulation") << "d) h#1"
                                 << "Twin Stipulation h#1";
    QTest::newRow("condition") << "e) Circe"
                               << "Twin Condition Circe";
    QTest::newRow("several changes in one twin") << "+b) -bPc4 wRg6-->g7"
                                                 << "Twin Cont Remove c4 Move g6 g7";
    QTest::newRow("move written with one dash") << "b) bSa1-h1"
                                                << "Twin Move a1 h1";
    QTest::newRow("heading of the diagram: no command") << "a)"
                                                        << "";
    QTest::newRow("twin command") << "Twin Move g6 g7" << none;
    QTest::newRow("zero position") << "Zero Remove c4" << none;
    QTest::newRow("placeholder") << "Twin  Move <square1> <square2>" << none;
    QTest::newRow("free text after a heading") << "b) Zebra e6 -> d6" << none;
    QTest::newRow("empty line") << "" << none;
    QTest::newRow("continued heading alone") << "+b)" << none;
}

void TestPopeyeText::printedTwins()
{
    QFETCH(QString, line);
    QFETCH(QString, command);
    QCOMPARE(TwinCommandOf(line).value_or(QStringLiteral("<none>")), command);

    // The text Popeye reads carries the command, and says which line it rewrote.
    Item item = itemWith({"e1=11"});
    item.twins = {line};
    const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), kFolder);
    const qsizetype option = input.lines.indexOf(QStringLiteral("Option Variation NoBoard"));
    const bool rewritten = command != u"<none>";
    QCOMPARE(input.lines.mid(option + 1, input.lines.size() - option - 2),
             !rewritten          ? QStringList{line}
             : command.isEmpty() ? QStringList()
                                 : QStringList{command});
    QCOMPARE(input.rewrittenTwins, rewritten ? QStringList{line} : QStringList());
}

// Popeye's twin headings in recorded runs, read back into the commands of their input.
void TestPopeyeText::recordedTwinHeadings_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("moves, remove, stipulation, condition, rotate, mirror") << "06-twins";
    QTest::newRow("exchange, polish type, substitute, add") << "28-twins-more";
}

void TestPopeyeText::recordedTwinHeadings()
{
    QFETCH(QString, folder);
    const QString base = QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/data/") + folder;
    const QStringList out = QString::fromLatin1(test::fileBytes(base + "/stdout.txt")).split(u'\n');
    QStringList commands;
    for (const QString& line :
         QString::fromLatin1(test::fileBytes(base + "/input.in")).split(u'\n'))
        if (line.startsWith(u"Twin "))
            commands << line.trimmed();
    QStringList headings;
    for (const QString& line : out)
        if (QRegularExpression(QStringLiteral("^\\+?[b-z]\\) ")).match(line).hasMatch())
            headings << line;
    QCOMPARE(headings.size(), commands.size());
    int compared = 0;
    for (qsizetype i = 0; i < headings.size(); ++i) {
        // A twin Popeye could not make is printed without its change.
        if (headings[i].trimmed().endsWith(u')'))
            continue;
        QCOMPARE(TwinCommandOf(headings[i]).value_or(QStringLiteral("<none>")), commands[i]);
        ++compared;
    }
    QVERIFY(compared >= 5);
}

// Every item of the bundled sample gives Popeye a text it reads: twin commands only, every
// piece named, no line too long.
void TestPopeyeText::sampleItemsReadable()
{
    static const QStringList twinWords{QStringLiteral("Twin"), QStringLiteral("Zero")};
    for (const Item& item : test::sampleItems()) {
        const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), kFolder);
        QVERIFY2(input.refusedTwins.isEmpty(), qPrintable(item.author));
        QVERIFY2(!PopeyeLineTooLong(input.lines), qPrintable(item.author));
        for (const QString& line : pieceLines(input.lines))
            QVERIFY2(!line.contains(u'?'), qPrintable(item.author + ": " + line));
        const qsizetype option =
            input.lines.indexOf(QRegularExpression(QStringLiteral("Option .*")));
        QVERIFY(option > 0);
        for (const QString& line : input.lines.mid(option + 1, input.lines.size() - option - 2))
            QVERIFY2(line.isEmpty() || twinWords.contains(line.section(u' ', 0, 0)),
                     qPrintable(item.author + ": " + line));
    }
}

void TestPopeyeText::headerLines_data()
{
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty author and source")
        << ""
        << ""
        << "h#2" << QStringList{"Author Unknown", "Origin Unknown", "Stipulation h#2"};
    QTest::newRow("texts unchanged")
        << " Mr. X  "
        << "Die Schwalbe, 1990"
        << "" << QStringList{"Author  Mr. X  ", "Origin Die Schwalbe, 1990", "Stipulation "};
    QTest::newRow("a line break stays inside its line")
        << "A\nB"
        << "C\r\nD"
        << "#\n3" << QStringList{"Author A B", "Origin C D", "Stipulation # 3"};
}

void TestPopeyeText::headerLines()
{
    QFETCH(QString, author);
    QFETCH(QString, source);
    QFETCH(QString, stipulation);
    QFETCH(QStringList, expected);
    Item item;
    item.author = author;
    item.source = source;
    item.stipulation = stipulation;
    const QStringList lines =
        BuildPopeyeInput(item, PopeyeOptions(), "/home/u/.local/solve/").lines;
    QCOMPARE(lines.size(), 8);
    QCOMPARE(QStringList({lines[1], lines[2], lines[5]}), expected);
    QCOMPARE(lines[3], QStringLiteral("Protocol /home/u/.local/solve/py.txt"));
}

void TestPopeyeText::lineTooLong_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("refusedLine"); // 0: accepted
    const QString x255(255, QLatin1Char('x'));
    const QString x256(256, QLatin1Char('x'));
    QTest::newRow("255 characters are read") << QStringList{"BeginProblem", "Author " + x255} << 0;
    QTest::newRow("256 characters overflow") << QStringList{"BeginProblem", "Author " + x256} << 2;
    QTest::newRow("Origin") << QStringList{"Origin " + x256} << 1;
    QTest::newRow("Protocol with a long folder")
        << QStringList{"Pieces", "x", "Protocol /" + x256.left(250) + "/py.txt"} << 3;
    QTest::newRow("keyword in any case, after blanks, text after many blanks")
        << QStringList{"  author    " + x256} << 1;
    QTest::newRow("blanks between keyword and text do not count")
        << QStringList{"Author" + QString(10, ' ') + x255} << 0;
    QTest::newRow("other keywords may be long")
        << QStringList{"Twin " + x256, "AuthorX " + x256, "Stipulation " + x256} << 0;
    QTest::newRow("the first of two is named")
        << QStringList{"Origin " + x256, "Author " + x256} << 1;
}

void TestPopeyeText::lineTooLong()
{
    QFETCH(QStringList, lines);
    QFETCH(int, refusedLine);
    const std::optional<QString> message = PopeyeLineTooLong(lines);
    QCOMPARE(message.has_value(), refusedLine != 0);
    if (message)
        QVERIFY2(message->startsWith(QStringLiteral("Line %1 ").arg(refusedLine)),
                 qPrintable(*message));
}

// An item whose text would make Popeye write a file is named with the field and the word.
void TestPopeyeText::itemFileWord_data()
{
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QString>("field"); // empty: nothing found
    QTest::addColumn<QString>("word");
    QTest::newRow("condition") << ""
                               << "#2"
                               << "Circe protocol ~/.bashrc" << QStringList() << "condition"
                               << "protocol";
    QTest::newRow("after the stipulation, any case") << ""
                                                     << "#2 PROTOCOL out.txt"
                                                     << "" << QStringList() << "stipulation"
                                                     << "PROTOCOL";
    QTest::newRow("shortening in a twin line")
        << ""
        << "#2"
        << "" << QStringList{"Twin Move e1 f1", "Twin Rotate 90 ProT x"} << "twins"
        << "ProT";
    QTest::newRow("each shortening down to four letters")
        << ""
        << "#2 proto a"
        << "Circe protoc b" << QStringList{"protoco c"} << "stipulation"
        << "proto";
    QTest::newRow("a word parted by punctuation")
        << ""
        << "#2"
        << "Circe;protocol,x" << QStringList() << "condition"
        << "protocol";
    QTest::newRow("a word left where Duplex is taken out")
        << ""
        << "#2"
        << "Circe proDuplextocol x" << QStringList() << "condition"
        << "protocol";
    QTest::newRow("a line break does not hide a word") << ""
                                                       << "#2\nprotocol x"
                                                       << "" << QStringList() << "stipulation"
                                                       << "protocol";
    QTest::newRow("three letters, longer words and protean are no keyword")
        << ""
        << "#2 pro"
        << "protean Circe protocols" << QStringList{"Twin Protect"} << ""
        << "";
    QTest::newRow("author and source are read as text") << "protocol x"
                                                        << "#2"
                                                        << "" << QStringList() << ""
                                                        << "";
    QTest::newRow("an AfterKey twin line never reaches Popeye")
        << ""
        << "#2"
        << "" << QStringList{"Twin AfterKey protocol x"} << ""
        << "";
}

void TestPopeyeText::itemFileWord()
{
    QFETCH(QString, author);
    QFETCH(QString, stipulation);
    QFETCH(QString, condition);
    QFETCH(QStringList, twins);
    QFETCH(QString, field);
    QFETCH(QString, word);
    Item item = itemWith({"e1=11"}, condition);
    item.author = author;
    item.source = author;
    item.stipulation = stipulation;
    item.twins = twins;
    const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), kFolder);
    QCOMPARE(input.fileWord.has_value(), !field.isEmpty());
    if (!input.fileWord)
        return;
    QCOMPARE(input.fileWord->field, field);
    QCOMPARE(input.fileWord->word, word);
    // The text is built whole all the same: the user may read it.
    QVERIFY(input.lines[input.fileWord->line - 1].contains(word));
    QCOMPARE(input.lines.last(), QStringLiteral("EndProblem"));
    const QString message = PopeyeFileWordMessage(QStringLiteral("Item 7"), *input.fileWord);
    QVERIFY2(message.startsWith(QStringLiteral("Item 7 ")) && message.contains(field) &&
                 message.contains(QLatin1Char('"') + word + QLatin1Char('"')),
             qPrintable(message));
}

// A text edited by hand: only the program's own "Protocol" line may hold the word.
void TestPopeyeText::textFileWord_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("line"); // 0: accepted
    const QString own = PopeyeProtocolLine(kFolder);
    QTest::newRow("the program's own line") << QStringList{"BeginProblem", own, "EndProblem"} << 0;
    QTest::newRow("the own line changed by hand")
        << QStringList{"BeginProblem", "Protocol /tmp/py.txt"} << 2;
    QTest::newRow("the own line twice") << QStringList{own, "Pieces", own} << 3;
    QTest::newRow("a typed option") << QStringList{own, "Option Variation prot x NoBoard"} << 2;
    QTest::newRow("author and origin text")
        << QStringList{"Author protocol x", "  origin Protocol y", own} << 0;
    QTest::newRow("a word after the author keyword") << QStringList{"Authority protocol x"} << 1;
}

void TestPopeyeText::textFileWord()
{
    QFETCH(QStringList, lines);
    QFETCH(int, line);
    const auto found = FindPopeyeFileWord(lines, PopeyeProtocolLine(kFolder));
    QCOMPARE(found ? found->line : 0, line);
}

QTEST_GUILESS_MAIN(TestPopeyeText)
#include "tst_popeyetext.moc"
