#include "model/blockindex.h"
#include "model/collection.h"
#include "model/cp1252.h"
#include "model/failure.h"

#include <QRandomGenerator>
#include <QThread>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

using namespace vexil;

namespace {

Lines blocks(const QList<int>& numbers)
{
    Lines lines;
    for (int n : numbers)
        EmptyItem(lines, n);
    return lines;
}

// The failure message of `body`, or an empty text when it did not fail.
template <class F> QString failureOf(F body)
{
    try {
        body();
    } catch (const Failure& failure) {
        return failure.message;
    }
    return {};
}

Item itemWith(const QString& stipulation, const QString& condition, const QStringList& twins)
{
    Item item;
    item.stipulation = stipulation;
    item.condition = condition;
    item.twins = twins;
    return item;
}

// Writes an item as Save does into a one-item collection and returns the collection.
Lines saved(const Item& item)
{
    Lines lines = blocks({0, 1});
    WriteItem(lines, kItemLines, StorableItem(item));
    return lines;
}

} // namespace

class TestCollection : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data();
    void splitLines();
    void joinLinesEndsEveryLineWithCrLf();
    void everyByteSurvivesDecodeAndEncode();

    void validate_data();
    void validate();
    void validateReportsConversionErrors();

    void findItemLine();

    void stipulationLine_data();
    void stipulationLine();
    void textFields();
    void readingMalformedItems_data();
    void readingMalformedItems();
    void unencodableTextIsRefusedBeforeAnyLineChanges();
    void refusalNamesTheWholeCharacter_data();
    void refusalNamesTheWholeCharacter();
    void eightBitBytesComeBackUnchanged();

    void roundTripOfRandomItems();

    void fileWriteAndRead();
    void failedWriteIsReportedAndLeavesNoFile();

    void writtenItemsKeepTheBlocks_data();
    void writtenItemsKeepTheBlocks();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void writesInPlaceWhereTheFolderTakesNoNewFile();
    void openingWhileAnotherProgramRewritesTheFile();
    void readingInChunksIndexesAsReadingWhole_data();
    void readingInChunksIndexesAsReadingWhole();
    void scansAgreeAcrossTheirChunks_data();
    void scansAgreeAcrossTheirChunks();
};

void TestCollection::splitLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
    QTest::newRow("lone cr") << QByteArray("a\rb") << Lines{"a", "b"};
    QTest::newRow("lone lf, final break") << QByteArray("a\nb\n") << Lines{"a", "b"};
    QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb") << Lines{"a", "", "b"};
    QTest::newRow("lf then cr is two breaks") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
    QTest::newRow("nothing") << QByteArray() << Lines{};
    QTest::newRow("one break") << QByteArray("\r\n") << Lines{""};
    QTest::newRow("two final breaks") << QByteArray("x\r\n\r\n") << Lines{"x", ""};
}

void TestCollection::splitLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(SplitLines(bytes), lines);
}

void TestCollection::joinLinesEndsEveryLineWithCrLf()
{
    QCOMPARE(JoinLines({"a", "", "b"}), QByteArray("a\r\n\r\nb\r\n"));
    QCOMPARE(JoinLines({}), QByteArray());
    const QByteArray file = JoinLines(blocks({0, 1}));
    QCOMPARE(SplitLines(file), blocks({0, 1}));
    QVERIFY(file.endsWith("['']);\r\n\r\n"));
}

void TestCollection::everyByteSurvivesDecodeAndEncode()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QByteArray back;
    QVERIFY(cp1252::encode(cp1252::decode(all), back));
    QCOMPARE(back, all);
    QCOMPARE(cp1252::decode("\x80\x8A\x9F"), QStringLiteral("\u20AC\u0160\u0178"));
    QVERIFY(!cp1252::canEncode(QStringLiteral("\u0100")));
    QCOMPARE(cp1252::firstUnencodable(QStringLiteral("ab\u4E2Dc")), QChar(0x4E2D));
}

void TestCollection::validate_data()
{
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("count"); // -2: invalid
    const Lines two = blocks({0, 1});
    QTest::newRow("28 lines") << two << 1;
    QTest::newRow("27 lines") << two.mid(0, 27) << -2;
    QTest::newRow("29 lines") << (two + Lines{""}) << -2;
    QTest::newRow("header only") << blocks({0}) << 0;
    QTest::newRow("nothing") << Lines{} << -1;
    QTest::newRow("out of order") << blocks({0, 2, 1}) << -2;
    QTest::newRow("gap") << blocks({0, 1, 3}) << -2;
    QTest::newRow("first block not 0") << blocks({1, 2}) << -2;
    Lines blank = two;
    blank[13] = " ";
    QTest::newRow("blank on 14th line") << blank << -2;
    Lines missingEnd = SplitLines(JoinLines(two).chopped(2));
    QTest::newRow("final empty line missing") << missingEnd << -2;
    Lines noBrackets = two;
    noBrackets[14] = "Dg1=new Array";
    QTest::newRow("header without brackets") << noBrackets << -2;
    Lines textLines = two;
    textLines[16] = "garbage";
    QTest::newRow("inner lines are not examined") << textLines << 1;
    QTest::newRow("three items") << blocks({0, 1, 2, 3}) << 3;
}

void TestCollection::validate()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, count);
    if (count == -2) {
        QCOMPARE(failureOf([&] { ValidateCollection(lines); }),
                 QStringLiteral("Invalid file format!"));
    } else {
        QCOMPARE(ValidateCollection(lines), count);
    }
}

void TestCollection::validateReportsConversionErrors()
{
    Lines lines = blocks({0, 1});
    lines[14] = "Dg[one]=new Array";
    QCOMPARE(failureOf([&] { ValidateCollection(lines); }),
             QStringLiteral("'one' is not a valid integer value"));
    lines[14] = "Dg[99999999999]=new Array";
    QCOMPARE(failureOf([&] { ValidateCollection(lines); }),
             QStringLiteral("'99999999999' is not a valid integer value"));
}

void TestCollection::findItemLine()
{
    Lines lines = blocks({0, 1, 2, 3});
    QCOMPARE(FindItemLine(lines, 0), 0);
    QCOMPARE(FindItemLine(lines, 2), 28);
    QCOMPARE(FindItemLine(lines, 3), 42);
    QCOMPARE(FindItemLine(lines, 4), -1);
    QCOMPARE(FindItemLine(lines, -1), -1);
    QCOMPARE(FindItemLine({}, 1), -1);

    // A text line that looks like a header is never taken for one.
    lines[9] = "['Dg[3]=new Array'],";
    lines[23] = "['Dg[x]'],";
    QCOMPARE(FindItemLine(lines, 3), 42);

    // While items are renumbered, two headers can carry one number: the first one wins.
    lines[28] = ItemHeaderLine(1);
    QCOMPARE(FindItemLine(lines, 1), 14);
    QCOMPARE(FindItemLine(lines, 2), -1);

    lines[42] = "Dg[three]=new Array";
    QCOMPARE(failureOf([&] { FindItemLine(lines, 3); }),
             QStringLiteral("'three' is not a valid integer value"));
}

void TestCollection::stipulationLine_data()
{
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("readStipulation");
    QTest::addColumn<QString>("readCondition");
    QTest::addColumn<QStringList>("readTwins");

    QTest::newRow("condition") << "#2"
                               << "Circe" << QStringList{} << QByteArray("['#2 Circe']);") << "#2"
                               << "Circe" << QStringList{};
    QTest::newRow("no condition") << "#2"
                                  << "" << QStringList{} << QByteArray("['#2 ']);") << "#2"
                                  << "" << QStringList{};
    QTest::newRow("trimmed stipulation") << " \t#3  "
                                         << "" << QStringList{} << QByteArray("['#3 ']);") << "#3"
                                         << "" << QStringList{};
    QTest::newRow("inner blank") << "H#2 x"
                                 << "Madrasi" << QStringList{} << QByteArray("['H#2 x Madrasi']);")
                                 << "H#2"
                                 << "x Madrasi" << QStringList{};
    QTest::newRow("twins, no condition")
        << "H#2"
        << "" << QStringList{"b) bKe8-d8", "c) +wPa2"}
        << QByteArray("['H#2 \\nb) bKe8-d8\\nc) +wPa2']);") << "H#2"
        << "" << QStringList{"b) bKe8-d8", "c) +wPa2"};
    QTest::newRow("twins and condition") << "#2"
                                         << "Circe" << QStringList{"Twin  Rotate 90"}
                                         << QByteArray("['#2 Circe\\nTwin  Rotate 90']);") << "#2"
                                         << "Circe" << QStringList{"Twin  Rotate 90"};
    QTest::newRow("one empty twin") << "#2"
                                    << "" << QStringList{""} << QByteArray("['#2 \\n']);") << "#2"
                                    << "" << QStringList{""};
    QTest::newRow("apostrophes stay in stipulation and condition")
        << "#2'"
        << "Anti'Circe" << QStringList{"it's"} << QByteArray("['#2' Anti'Circe\\nit`s']);") << "#2'"
        << "Anti'Circe" << QStringList{"it`s"};
    QTest::newRow("pasted break in the condition")
        << "#2"
        << "Circe\r\nMadrasi" << QStringList{} << QByteArray("['#2 Circe Madrasi']);") << "#2"
        << "Circe Madrasi" << QStringList{};
}

void TestCollection::stipulationLine()
{
    QFETCH(QString, stipulation);
    QFETCH(QString, condition);
    QFETCH(QStringList, twins);
    QFETCH(QByteArray, line);
    QFETCH(QString, readStipulation);
    QFETCH(QString, readCondition);
    QFETCH(QStringList, readTwins);

    const Lines lines = saved(itemWith(stipulation, condition, twins));
    QCOMPARE(lines[kItemLines + 12], line);
    const Item back = ReadItem(lines, kItemLines);
    QCOMPARE(back.stipulation, readStipulation);
    QCOMPARE(back.condition, readCondition);
    QCOMPARE(back.twins, readTwins);
}

void TestCollection::textFields()
{
    const Lines empty = blocks({0, 1});
    const Item nothing = ReadItem(empty, kItemLines);
    QCOMPARE(nothing, Item{});

    Item item;
    item.board.at(0, 0) = 4017;
    item.board.at(7, 7) = 12;
    item.board.at(3, 4) = 104018;
    item.author = QStringLiteral("O'Keefe\nand Smith");
    item.source = QStringLiteral("L'Echiquier");
    item.solution = {QStringLiteral("1.e4! it's"), QString(), QStringLiteral("a\\nb \\ c")};
    const Lines lines = saved(item);
    QCOMPARE(lines[kItemLines + 1], QByteArray("([4017,0,0,0,0,0,0,0],"));
    QCOMPARE(lines[kItemLines + 4], QByteArray("[0,0,0,0,104018,0,0,0],"));
    QCOMPARE(lines[kItemLines + 8], QByteArray("[0,0,0,0,0,0,0,12],"));
    QCOMPARE(lines[kItemLines + 9], QByteArray("['O`Keefe and Smith'],"));
    QCOMPARE(lines[kItemLines + 10], QByteArray("['L`Echiquier'],"));
    QCOMPARE(lines[kItemLines + 11], QByteArray("['1.e4! it`s\\n\\na\\nb \\ c'],"));
    QCOMPARE(lines[kItemLines + 12], QByteArray("[' ']);"));
    QCOMPARE(lines[kItemLines], QByteArray("Dg[1]=new Array"));
    QCOMPARE(lines[kItemLines + 13], QByteArray());

    const Item back = ReadItem(lines, kItemLines);
    QCOMPARE(back.board, item.board);
    QCOMPARE(back.author, QStringLiteral("O`Keefe and Smith"));
    // A typed backslash and n reads back as a line break.
    QCOMPARE(back.solution, (QStringList{"1.e4! it`s", "", "a", "b \\ c"}));
    QCOMPARE(back.stipulation, QString());
}

void TestCollection::readingMalformedItems_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Invalid file format!");
    QTest::newRow("letter on the board")
        << 3 << QByteArray("[0,0,x,0,0,0,0,0],") << "'x' is not a valid integer value";
    QTest::newRow("nine values") << 1 << QByteArray("([0,0,0,0,0,0,0,0,0],")
                                 << "'0,0' is not a valid integer value";
    QTest::newRow("seven values") << 8 << QByteArray("[0,0,0,0,0,0,0],")
                                  << "'' is not a valid integer value";
    QTest::newRow("empty value") << 2 << QByteArray("[0,,0,0,0,0,0,0],")
                                 << "'' is not a valid integer value";
    QTest::newRow("no brackets") << 5 << QByteArray("0,0,0,0,0,0,0,0") << invalid;
    QTest::newRow("short author") << 9 << QByteArray("['") << invalid;
    QTest::newRow("short stipulation") << 12 << QByteArray("['])") << invalid;
}

void TestCollection::readingMalformedItems()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    Lines lines = blocks({0, 1});
    lines[kItemLines + offset] = line;
    QCOMPARE(failureOf([&] { ReadItem(lines, kItemLines); }), message);

    // A block cut short by the end of the file.
    QCOMPARE(failureOf([&] {
                 ReadItem(blocks({0, 1}).mid(0, 20), kItemLines);
             }),
             QStringLiteral("Invalid file format!"));
    // Negative board values and codes the editor never makes are read as they stand.
    lines = blocks({0, 1});
    lines[kItemLines + 1] = "([-5,23,99,100,1400017,13017,0,2147483647],";
    const Item item = ReadItem(lines, kItemLines);
    QCOMPARE(item.board.at(0, 0), -5);
    QCOMPARE(item.board.at(0, 7), 2147483647);
    QCOMPARE(saved(item)[kItemLines + 1], lines[kItemLines + 1]);
}

void TestCollection::unencodableTextIsRefusedBeforeAnyLineChanges()
{
    const char* fields[] = {"author", "source", "stipulation", "condition", "twins", "solution"};
    for (int f = 0; f < 6; ++f) {
        Item item;
        item.board.at(0, 0) = 11;
        const QString bad = QStringLiteral("Ke1 \u2192 e2");
        switch (f) {
        case 0:
            item.author = bad;
            break;
        case 1:
            item.source = bad;
            break;
        case 2:
            item.stipulation = bad;
            break;
        case 3:
            item.condition = bad;
            break;
        case 4:
            item.twins = {bad};
            break;
        case 5:
            item.solution = {bad};
            break;
        }
        Lines lines = blocks({0, 1});
        const Lines before = lines;
        const QString message = failureOf([&] { WriteItem(lines, kItemLines, item); });
        QVERIFY2(message.contains(QLatin1String(fields[f])), qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("U+2192")));
        QCOMPARE(lines, before);
    }
}

void TestCollection::refusalNamesTheWholeCharacter_data()
{
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("codePoint");
    QTest::newRow("arrow") << QStringLiteral("Ke1 \u2192 e2") << QStringLiteral("\u2192")
                           << QStringLiteral("U+2192");
    QTest::newRow("emoji") << QStringLiteral("ab \U0001F600 cd") << QStringLiteral("\U0001F600")
                           << QStringLiteral("U+1F600");
    QTest::newRow("emoji after a good character")
        << QStringLiteral("\u00E9\U0001F9E9") << QStringLiteral("\U0001F9E9")
        << QStringLiteral("U+1F9E9");
    // Half a pair on its own (from a damaged paste) is still named, as itself.
    QTest::newRow("lone half") << QStringLiteral("x") + QChar(0xD83D) << QString(QChar(0xD83D))
                               << QStringLiteral("U+D83D");
}

void TestCollection::refusalNamesTheWholeCharacter()
{
    QFETCH(QString, author);
    QFETCH(QString, character);
    QFETCH(QString, codePoint);
    Item item;
    item.author = author;
    Lines lines = blocks({0, 1});
    const QString message = failureOf([&] { WriteItem(lines, kItemLines, item); });
    QVERIFY2(message.contains(QLatin1Char('"') + character + QLatin1Char('"')),
             qPrintable(message));
    QVERIFY2(message.contains(QLatin1Char('(') + codePoint + QLatin1Char(')')),
             qPrintable(message));
}

void TestCollection::eightBitBytesComeBackUnchanged()
{
    // All high bytes, the five undefined ones included, in author, source and solution.
    QByteArray high;
    for (int b = 0x80; b < 0x100; ++b)
        high += char(b);
    Lines lines = blocks({0, 1});
    lines[kItemLines + 9] = "['" + high + "'],";
    lines[kItemLines + 10] = "['\x81\x8D\x8F\x90\x9D'],";
    lines[kItemLines + 11] = "['\xE9t\xE9\\n\xFC'],";
    lines[kItemLines + 12] = "['#2 \xC9"
                             "checs\\n\x80']);";
    const Lines before = lines;
    WriteItem(lines, kItemLines, StorableItem(ReadItem(lines, kItemLines)));
    QCOMPARE(lines, before);
}

void TestCollection::roundTripOfRandomItems()
{
    QRandomGenerator random(20261208);
    const QString alphabet =
        QStringLiteral("abcXYZ019 #=+-'`\\n[]();,\u00E9\u00D6\u0160\u20AC\u0081");
    auto text = [&](int maxLength, bool breaks) {
        QString t;
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i) {
            if (breaks && random.bounded(12) == 0)
                t += random.bounded(2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
            else
                t += alphabet[random.bounded(int(alphabet.size()))];
        }
        return t;
    };
    auto lines = [&](int max) {
        QStringList list;
        const int count = random.bounded(max + 1);
        for (int i = 0; i < count; ++i)
            list << text(30, false);
        return list;
    };
    for (int round = 0; round < 2000; ++round) {
        Item item;
        for (auto& row : item.board.squares)
            for (PieceCode& code : row)
                code = random.bounded(4) ? 0 : int(random.bounded(2000000));
        item.author = text(40, true);
        item.source = text(40, true);
        item.stipulation = text(8, true);
        item.condition = text(20, true);
        item.twins = lines(3);
        item.solution = lines(5);

        Lines collection = blocks({0, 1, 2});
        WriteItem(collection, kItemLines, StorableItem(item));
        QCOMPARE(ValidateCollection(collection), 2);
        QCOMPARE(collection.size(), 3 * kItemLines);
        const Item once = ReadItem(collection, kItemLines);
        QCOMPARE(once.board, item.board);
        QVERIFY(!once.author.contains(QLatin1Char('\'')));
        QVERIFY(!once.author.contains(QLatin1Char('\n')));
        QCOMPARE(once.author,
                 QuoteToBackquote(item.author).replace("\r\n", " ").replace('\n', ' '));

        // Saving again settles at once: a condition holding a typed "\n" comes back as
        // twins, whose apostrophes the next Save turns into backquotes; after that the
        // stored bytes no longer move.
        WriteItem(collection, kItemLines, StorableItem(once));
        const Item twice = ReadItem(collection, kItemLines);
        const Lines second = collection;
        WriteItem(collection, kItemLines, StorableItem(twice));
        QCOMPARE(collection, second);
        QCOMPARE(ReadItem(collection, kItemLines), twice);
        if (!item.condition.contains(QLatin1String("\\n")))
            QCOMPARE(twice, once);
        QCOMPARE(ReadItem(collection, 2 * kItemLines), Item{});
    }
}

void TestCollection::fileWriteAndRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.dgr"));
    const Lines lines = blocks({0, 1, 2});
    WriteLinesFile(path, lines);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), JoinLines(lines));
    file.close();
    QCOMPARE(ReadLinesFile(path), lines);
    WriteLinesFile(path, blocks({0, 1}));
    QCOMPARE(ReadLinesFile(path), blocks({0, 1}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"c.dgr"});
    QCOMPARE(failureOf([&] { ReadLinesFile(dir.filePath("missing.dgr")); }),
             QStringLiteral("Cannot open file %1").arg(dir.filePath("missing.dgr")));
}

void TestCollection::failedWriteIsReportedAndLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/folder/c.dgr"));
    QCOMPARE(failureOf([&] {
                 WriteLinesFile(path, blocks({0, 1}));
             }),
             QStringLiteral("Cannot create file %1").arg(path));
    // A folder in the place of the file: the write fails and the folder stays.
    const QString folder = dir.filePath(QStringLiteral("taken.dgr"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(!failureOf([&] { WriteLinesFile(folder, blocks({0, 1})); }).isEmpty());
    QVERIFY(QFileInfo(folder).isDir());
}

void TestCollection::writtenItemsKeepTheBlocks_data()
{
    QTest::addColumn<Item>("item");
    QTest::addColumn<Item>("back"); // the item as the file gives it back
    for (const char* br : {"\r\n", "\n", "\r", "\n\r"}) {
        const QString b = QLatin1String(br);
        const QString tag = QString(br).replace('\r', "CR").replace('\n', "LF");
        Item one;
        one.author = "Loyd" + b + "Shinkman";
        one.source = b + "Tidskrift" + b;
        one.stipulation = "#2" + b;
        one.condition = "Circe" + b + "Madrasi";
        Item oneBack = one;
        const QString blanks = QString(b == "\r\n" ? 1 : int(b.size()), ' ');
        oneBack.author = "Loyd" + blanks + "Shinkman";
        oneBack.source = blanks + "Tidskrift" + blanks;
        oneBack.stipulation = "#2";
        oneBack.condition = "Circe" + blanks + "Madrasi";
        QTest::newRow(qPrintable("one-line fields " + tag)) << one << oneBack;

        Item multi;
        multi.stipulation = "h#2";
        multi.twins = {"b) wKe1" + b + "c) bKe8", "d) -wPa2"};
        multi.solution = {"1.Ke2" + b + "2.Ke3", b};
        Item multiBack = multi;
        // LF CR is two breaks, so one more line.
        const QStringList gap = b == "\n\r" ? QStringList{QString()} : QStringList{};
        multiBack.twins = QStringList{"b) wKe1"} + gap + QStringList{"c) bKe8", "d) -wPa2"};
        multiBack.solution = QStringList{"1.Ke2"} + gap + QStringList{"2.Ke3", "", ""} + gap;
        QTest::newRow(qPrintable("multi-line fields " + tag)) << multi << multiBack;
    }
    Item only;
    only.condition = "\n";
    only.solution = {"\r\n"};
    Item onlyBack;
    onlyBack.condition = " ";
    onlyBack.solution = {"", ""};
    QTest::newRow("nothing but breaks") << only << onlyBack;
}

void TestCollection::writtenItemsKeepTheBlocks()
{
    QFETCH(Item, item);
    QFETCH(Item, back);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.dgr"));
    Collection collection = Collection::fromLines(blocks({0, 1, 2}));
    collection.writeItem(kItemLines, item);
    collection.writeItem(2 * kItemLines, item);
    collection.write(path);
    QCOMPARE(ValidateCollection(ReadLinesFile(path)), 2);
    const Collection read = Collection::fromFile(path);
    QCOMPARE(read.itemCount(), 2);
    QCOMPARE(read.readItem(kItemLines), back);
    QCOMPARE(read.readItem(2 * kItemLines), back);
    QCOMPARE(read, collection);
    // The lines kept in memory are the ones written.
    QCOMPARE(collection.readItem(kItemLines), back);
}

void TestCollection::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("device that is always empty") << QStringLiteral("/dev/null");
    QTest::newRow("endless device") << QStringLiteral("/dev/zero");
    QTest::newRow("folder") << QStringLiteral("FOLDER");
    QTest::newRow("pipe") << QStringLiteral("PIPE");
    QTest::newRow("link to a pipe") << QStringLiteral("LINK");
}

void TestCollection::onlyRegularFilesAreRead()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.dgr"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(QFile::link(pipe, dir.filePath(QStringLiteral("link.dgr"))));
    path.replace(QLatin1String("FOLDER"), dir.path());
    path.replace(QLatin1String("PIPE"), pipe);
    path.replace(QLatin1String("LINK"), dir.filePath(QStringLiteral("link.dgr")));
    if (!QFileInfo::exists(path))
        QSKIP("no such device here");
    const QString refused = QStringLiteral("%1 is not a regular file").arg(path);
    QCOMPARE(failureOf([&] { Collection::fromFile(path); }), refused);
    QCOMPARE(failureOf([&] { ReadWholeFile(path); }), refused);
    if (path.startsWith(dir.path())) {
        // Nothing takes the place of what is there.
        const QString cannot = QStringLiteral("Cannot create file %1").arg(path);
        QCOMPARE(failureOf([&] { Collection::newCollection().write(path); }), cannot);
        QCOMPARE(failureOf([&] { WriteLinesFile(path, blocks({0, 1})); }), cannot);
        QVERIFY(!QFileInfo(path).isFile());
    }

    // A link to a regular file is read as the file.
    const QString file = dir.filePath(QStringLiteral("c.dgr"));
    Collection::newCollection().write(file);
    QVERIFY(QFile::link(file, dir.filePath(QStringLiteral("to-c.dgr"))));
    QCOMPARE(Collection::fromFile(dir.filePath(QStringLiteral("to-c.dgr"))),
             Collection::newCollection());
}

void TestCollection::writesInPlaceWhereTheFolderTakesNoNewFile()
{
    // The folder takes no new file (no temporary beside the target), the file itself is
    // writable. Run as root, the check of permissions is had by acting as another user.
    QTemporaryDir dir;
    // Group and others alike: acting as another user keeps the groups.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ExeGroup |
                                                  QFile::ExeOther));
    const QString folder = dir.filePath(QStringLiteral("readonly"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/c.dgr");
    const QString linesPath = folder + QStringLiteral("/lines.dgr");
    Collection::newCollection().write(path);
    Collection::newCollection().write(linesPath);
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                     QFile::ReadOther | QFile::WriteOther;
    QVERIFY(QFile::setPermissions(path, all));
    QVERIFY(QFile::setPermissions(linesPath, all));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther |
                                              QFile::ExeOther));
    const uid_t user = ::geteuid();
    if (user == 0 && ::seteuid(65534) != 0)
        QSKIP("running as root and cannot act as another user");
    const auto restore = qScopeGuard([&] {
        if (user == 0)
            QVERIFY(::seteuid(0) == 0);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    QVERIFY(!QFile(folder + QStringLiteral("/probe")).open(QIODevice::WriteOnly));

    Collection collection = Collection::newCollection();
    collection.appendEmptyItem();
    Item item;
    item.author = QStringLiteral("Kniest");
    collection.writeItem(2 * kItemLines, item);
    QCOMPARE(failureOf([&] { collection.write(path); }), QString());
    QCOMPARE(failureOf([&] { WriteLinesFile(linesPath, collection.lines()); }), QString());
    QCOMPARE(Collection::fromFile(path), collection);
    QCOMPARE(ReadLinesFile(linesPath), collection.lines());
    QCOMPARE(QDir(folder).entryList(QDir::Files), (QStringList{"c.dgr", "lines.dgr"}));
}

void TestCollection::openingWhileAnotherProgramRewritesTheFile()
{
    // Another program cuts the file short and writes it again while it is read: every open
    // gives a collection or a failure, never a crash. The file is large enough to be indexed
    // on a thread of its own while it is read.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.dgr"));
    Lines lines;
    for (int n = 0; n <= 6000; ++n)
        EmptyItem(lines, n);
    const QByteArray bytes = JoinLines(lines);
    WriteLinesFile(path, lines);
    std::atomic<bool> done = false;
    QThread* writer = QThread::create([&] {
        while (!done) {
            QFile file(path);
            if (!file.open(QIODevice::ReadWrite))
                continue;
            file.resize(bytes.size() / 3);
            file.seek(bytes.size() / 3);
            file.write(bytes.mid(bytes.size() / 3));
        }
    });
    writer->start();
    int opened = 0, refused = 0;
    for (int round = 0; round < 200; ++round) {
        try {
            const Collection collection = Collection::fromFile(path);
            QCOMPARE(collection.bytes().size(), collection.byteSize());
            ++opened;
        } catch (const Failure& failure) {
            QVERIFY(!failure.message.isEmpty());
            ++refused;
        }
    }
    done = true;
    writer->wait();
    delete writer;
    QCOMPARE(opened + refused, 200);
}

void TestCollection::readingInChunksIndexesAsReadingWhole_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<qsizetype>("at"); // where the line end of the padded line starts
    // A file is indexed as its chunks of 512 KiB come in: a line end on either side of a
    // chunk's end must be found as in the whole buffer.
    constexpr qsizetype kChunk = qsizetype(1) << 19;
    for (const char* end : {"\r\n", "\r", "\n"})
        for (qsizetype at : {kChunk - 2, kChunk - 1, kChunk, 2 * kChunk - 1})
            QTest::addRow("%s at %lld", QByteArray(end).toPercentEncoding().constData(),
                          qlonglong(at))
                << QByteArray(end) << at;
}

void TestCollection::readingInChunksIndexesAsReadingWhole()
{
    QFETCH(QByteArray, lineEnd);
    QFETCH(qsizetype, at);
    Lines lines;
    for (int n = 0; n <= 6000; ++n)
        EmptyItem(lines, n);
    QByteArray bytes;
    // Lines end in turn with CR LF, CR and LF (never a lone CR before the empty last line,
    // which would make CR LF of it); the first text line of the item around `at` is padded
    // so that its line end starts exactly there.
    const QByteArray ends[] = {"\r\n", "\r", "\n"};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        const bool text = i % kItemLines == 9;
        const QByteArray end = text ? lineEnd : i % kItemLines == 12 ? ends[0] : ends[i % 3];
        const qsizetype pad = at - bytes.size() - line.size();
        if (text && pad >= 0 && pad < 600)
            line = "['" + QByteArray(pad, 'x') + "'],";
        bytes += line + end;
    }
    QVERIFY(bytes.size() > at + 2);
    QCOMPARE(bytes.mid(at, lineEnd.size()), lineEnd);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.dgr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Collection whole = Collection::fromBytes(bytes);
    const Collection read = Collection::fromFile(path);
    QCOMPARE(read.itemCount(), 6000);
    QCOMPARE(read, whole);
    QCOMPARE(read.bytes(), whole.bytes());
    for (int n : {1, 2999, 6000})
        QCOMPARE(read.readItem(read.FindItemLine(n)), whole.readItem(whole.FindItemLine(n)));
}

void TestCollection::scansAgreeAcrossTheirChunks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Six blocks with one change each; the padding of a text line of block 1 moves every line
    // end behind it across all 64 places of a chunk, so that each header's line end, each
    // block's last line and each CR LF comes to stand on a chunk's first and last byte.
    struct Shape {
        const char* name;
        QList<QByteArray> ends; // taken in turn, line by line
        int line;               // the line changed, counted over the whole file
        QByteArray text;        // what it reads then
    };
    const QList<Shape> shapes = {
        {"crlf", {"\r\n"}, -1, {}},
        {"lf", {"\n"}, -1, {}},
        {"lone cr", {"\r"}, -1, {}},
        {"mixed", {"\r\n", "\n", "\r", "\n", "\r\n"}, -1, {}},
        {"cr lf and lf", {"\r\n", "\r\n", "\n"}, -1, {}},
        {"non-empty last line", {"\r\n"}, 2 * kItemLines + 13, " "},
        {"non-empty last line, lf", {"\n"}, 3 * kItemLines + 13, "x"},
        {"header of another number", {"\r\n"}, 3 * kItemLines, "Dg[7]=new Array"},
        {"header without Dg", {"\n"}, 2 * kItemLines, "[2]=new Array"},
        {"header of ten digits", {"\r\n"}, 4 * kItemLines, "Dg[0000000004]=new Array"},
        {"header with a leading zero", {"\r\n"}, 4 * kItemLines, "Dg[04]=new Array"},
        {"header with a letter", {"\n"}, 2 * kItemLines, "Dg[2x]=new Array"},
        {"header without a number", {"\r\n"}, 0, "Dg[]=new Array"},
        {"lone cr in a text line", {"\r\n"}, 2 * kItemLines + 10, "['a\rb'],"},
        {"cr lf in a text line", {"\n"}, 3 * kItemLines + 10, "['a\r\nb'],"},
        {"lines missing", {"\r\n"}, 4 * kItemLines + 5, "[0,0,0,0,0,0,0,0],\r\n\r\n"},
    };
    const Lines lines = blocks({0, 1, 2, 3, 4, 5});
    for (const Shape& shape : shapes) {
        for (int pad = 0; pad < 128; ++pad) {
            QByteArray bytes;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QByteArray line = i == shape.line ? shape.text : lines[i];
                if (i == kItemLines + 9)
                    line = "['" + QByteArray(pad, 'x') + "'],";
                bytes += line + shape.ends[i % shape.ends.size()];
            }
            QTest::addRow("%s, %d", shape.name, pad) << bytes;
            if (pad == 0)
                QTest::addRow("%s, no last line end", shape.name) << bytes.chopped(1);
        }
    }
}

void TestCollection::scansAgreeAcrossTheirChunks()
{
    QFETCH(QByteArray, bytes);
    // Byte by byte, the plain scan.
    BlockIndex plain{bytes.constData(), bytes.size(), {}};
    const QString verdict = failureOf([&] { plain.finish(); });
    QCOMPARE(verdict, failureOf([&] { ValidateCollection(SplitLines(bytes)); }));
    auto compareWith = [&](BlockIndex& index) {
        QCOMPARE(failureOf([&] { index.finish(); }), verdict);
        QCOMPARE(index.lines, plain.lines);
        if (!verdict.isEmpty())
            return;
        QCOMPARE(index.starts, plain.starts);
        QCOMPARE(index.crlf, plain.crlf);
        QCOMPARE(index.dgHeaders, plain.dgHeaders);
    };
    BlockIndex sse2{bytes.constData(), bytes.size(), {}};
    sse2.advanceWith<BlockIndex::Sse2>(bytes.size());
    compareWith(sse2);
#ifdef VEXIL_INDEX_AVX2
    if (BlockIndex::hasAvx2()) {
        BlockIndex avx2{bytes.constData(), bytes.size(), {}};
        avx2.advanceWith<BlockIndex::Avx2>(bytes.size());
        compareWith(avx2);
    }
#endif
    // And the collection against the reference reader.
    Collection collection;
    QCOMPARE(failureOf([&] { collection = Collection::fromBytes(bytes); }), verdict);
    if (verdict.isEmpty()) {
        QCOMPARE(collection.lines(), SplitLines(bytes));
        QCOMPARE(collection.bytes(), JoinLines(SplitLines(bytes)));
        for (int n = 0; n <= 6; ++n)
            QCOMPARE(collection.FindItemLine(n), FindItemLine(SplitLines(bytes), n));
    }
}

QTEST_GUILESS_MAIN(TestCollection)
#include "tst_collection.moc"
