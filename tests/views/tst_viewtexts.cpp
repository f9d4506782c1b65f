#include "model/collection.h"
#include "model/cp1252.h"
#include "views/entry.h"
#include "views/search.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vexil;

namespace {

QByteArray bytes1252(const QString& text)
{
    QByteArray bytes;
    if (!cp1252::encode(text, bytes))
        qFatal("not Windows-1252: %s", qPrintable(text));
    return bytes;
}

// A collection of one item with the three text lines given as stored.
Collection oneItem(const QByteArray& author, const QByteArray& source,
                   const QByteArray& stipulation)
{
    Lines lines;
    EmptyItem(lines, 0);
    EmptyItem(lines, 1);
    lines[kItemLines + 9] = author;
    lines[kItemLines + 10] = source;
    lines[kItemLines + 12] = stipulation;
    return Collection::fromLines(lines);
}

struct SearchItem {
    QString author;
    QString source;
    QString stipulation;
    PieceCode a8 = 0;
};

// Six items whose texts the search table below looks for.
Collection searchCollection()
{
    const QList<SearchItem> items = {
        {"W. A. Shinkman", "American Chess Bulletin", "#2"},
        {"T. R. Dawson", "Fairy Chess Review", "h#2 Circe"},
        {QString::fromUtf8("Émile Pradignat"), "L'Echiquier", "s#3"},
        {QString::fromUtf8("Zoé Dupont"), "Thèmes 64", "#3"},
        {"A. H. Kniest", "Die Schwalbe", "h#3", 12},
        {"C. Mansfield", QString::fromUtf8("Ÿ Magazine"), "#2"},
    };
    Lines lines;
    EmptyItem(lines, 0);
    for (int n = 1; n <= items.size(); ++n) {
        EmptyItem(lines, n);
        Item item;
        item.author = items[n - 1].author;
        item.source = items[n - 1].source;
        item.stipulation = items[n - 1].stipulation;
        item.board.at(0, 0) = items[n - 1].a8;
        WriteItem(lines, n * kItemLines, StorableItem(item));
    }
    return Collection::fromLines(lines);
}

} // namespace

class TestViewTexts : public QObject {
    Q_OBJECT
private slots:
    void entryCutFromStoredLines_data();
    void entryCutFromStoredLines();
    void storedApostropheShowsAsBackquote();
    void missingItemGivesEmptyEntry();
    void accessibleText_data();
    void accessibleText();
    void boardRows_data();
    void boardRows();

    void findNext_data();
    void findNext();
    void finderAgreesWithPlainUpperCaseSearch();
    void upperCaseKeepsBytesWithoutOwnUpperCase();
    void finderStaysLinearOnRepetitiveText_data();
    void finderStaysLinearOnRepetitiveText();
};

void TestViewTexts::entryCutFromStoredLines_data()
{
    QTest::addColumn<QByteArray>("author");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("stipulation");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownSource");
    QTest::addColumn<QString>("shownStipulation");

    QTest::newRow("plain") << QByteArray("['W. A. Shinkman'],")
                           << QByteArray("['American Chess Bulletin'],") << QByteArray("['#2 ']);")
                           << "1. W. A. Shinkman"
                           << "American Chess Bulletin"
                           << "#2 ";
    QTest::newRow("condition kept, twins cut")
        << QByteArray("['A'],") << QByteArray("['B'],")
        << QByteArray("['h#2 Circe\\nb) wKe1-e2\\nc) bPa2-a3']);") << "1. A"
        << "B"
        << "h#2 Circe";
    QTest::newRow("twins with no condition") << QByteArray("['A'],") << QByteArray("['B'],")
                                             << QByteArray("['H#2 \\nb) bSa1-h1']);") << "1. A"
                                             << "B"
                                             << "H#2 ";
    QTest::newRow("a backslash alone stays") << QByteArray("['A\\B'],") << QByteArray("['C'],")
                                             << QByteArray("['#2 a\\b']);") << "1. A\\B"
                                             << "C"
                                             << "#2 a\\b";
    QTest::newRow("empty item") << QByteArray("[''],") << QByteArray("[''],")
                                << QByteArray("['']);") << "1. "
                                << ""
                                << "";
    QTest::newRow("Windows-1252 letters")
        << bytes1252(QString::fromUtf8("['J. Mulc`s'],"))
        << bytes1252(QString::fromUtf8("['Österreichische Schachzeitung'],"))
        << bytes1252(QString::fromUtf8("['#2 Circe Parrain – Anti']);")) << "1. J. Mulc`s"
        << QString::fromUtf8("Österreichische Schachzeitung")
        << QString::fromUtf8("#2 Circe Parrain – Anti");
    QTest::newRow("lines too short for their brackets")
        << QByteArray("['") << QByteArray("") << QByteArray("[']") << "1. "
        << ""
        << "";
}

void TestViewTexts::entryCutFromStoredLines()
{
    QFETCH(QByteArray, author);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, stipulation);
    QFETCH(QString, title);
    QFETCH(QString, shownSource);
    QFETCH(QString, shownStipulation);
    const Entry entry = EntryOf(oneItem(author, source, stipulation), 1);
    QCOMPARE(entry.title, title);
    QCOMPARE(entry.source, shownSource);
    QCOMPARE(entry.stipulation, shownStipulation);
}

void TestViewTexts::storedApostropheShowsAsBackquote()
{
    // Saving turns apostrophes of author and source into backquotes; the stipulation and
    // condition keep theirs. The entry shows what was stored.
    Lines lines;
    EmptyItem(lines, 0);
    EmptyItem(lines, 1);
    Item item;
    item.author = "O'Brien";
    item.source = "L'Echiquier";
    item.stipulation = "#2";
    item.condition = "Madrasi'";
    item.twins = QStringList{"b) O'Brien"};
    WriteItem(lines, kItemLines, StorableItem(item));
    const Entry entry = EntryOf(Collection::fromLines(lines), 1);
    QCOMPARE(entry.title, QStringLiteral("1. O`Brien"));
    QCOMPARE(entry.source, QStringLiteral("L`Echiquier"));
    QCOMPARE(entry.stipulation, QStringLiteral("#2 Madrasi'"));
}

void TestViewTexts::missingItemGivesEmptyEntry()
{
    const Collection collection = searchCollection();
    for (int number : {-1, 0, 7, 1000000}) {
        QCOMPARE(EntryOf(collection, number), Entry());
        QCOMPARE(EntryBoard(collection, number), Board());
    }
    QCOMPARE(EntryOf(Collection(), 1), Entry());
}

void TestViewTexts::accessibleText_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("text");
    QTest::newRow("all") << "12. W. A. Shinkman"
                         << "American Chess Bulletin"
                         << "#2 "
                         << "12. W. A. Shinkman, American Chess Bulletin, #2";
    QTest::newRow("no source") << "3. A. Kniest"
                               << ""
                               << "h#2 Circe"
                               << "3. A. Kniest, h#2 Circe";
    QTest::newRow("empty item") << "7. "
                                << ""
                                << ""
                                << "7.";
}

void TestViewTexts::accessibleText()
{
    QFETCH(QString, title);
    QFETCH(QString, source);
    QFETCH(QString, stipulation);
    QFETCH(QString, text);
    QCOMPARE(AccessibleEntryText(Entry{title, source, stipulation}), text);
}

void TestViewTexts::boardRows_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("first row") << QByteArray("([0,5,0,0,0,0,0,12],")
                               << QList<int>{0, 5, 0, 0, 0, 0, 0, 12};
    QTest::newRow("fairy codes") << QByteArray("[1234518,0,0,0,0,0,0,617],")
                                 << QList<int>{1234518, 0, 0, 0, 0, 0, 0, 617};
    QTest::newRow("a value that is no number")
        << QByteArray("[x,1,2,3,4,5,6,7],") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("too few values") << QByteArray("[1,2],") << QList<int>{1, 2, 0, 0, 0, 0, 0, 0};
    QTest::newRow("no brackets") << QByteArray("1,2,3,4,5,6,7,8")
                                 << QList<int>{0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("closing before opening")
        << QByteArray("]1,2,3,4,5,6,7,8[") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("a value far too large")
        << QByteArray("[99999999999,1,0,0,0,0,0,0],") << QList<int>{0, 1, 0, 0, 0, 0, 0, 0};
}

void TestViewTexts::boardRows()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, codes);
    Lines lines;
    EmptyItem(lines, 0);
    EmptyItem(lines, 1);
    lines[kItemLines + 4] = line;
    const Board board = EntryBoard(Collection::fromLines(lines), 1);
    for (int column = 0; column < 8; ++column)
        QCOMPARE(board.at(3, column), codes[column]);
    for (int row : {0, 1, 2, 4, 5, 6, 7})
        for (int column = 0; column < 8; ++column)
            QCOMPARE(board.at(row, column), 0);
}

void TestViewTexts::findNext_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("currentEntry");
    QTest::addColumn<int>("item"); // -1: not found

    QTest::newRow("header line") << "Dg[5]" << 0 << 5;
    QTest::newRow("header line from behind it") << "Dg[5]" << 5 << 5;
    QTest::newRow("header line in lower case") << "dg[5]" << 2 << 5;
    QTest::newRow("header item is never searched") << "Dg[0]" << 3 << -1;
    QTest::newRow("wraps to an earlier item") << "Shinkman" << 2 << 1;
    QTest::newRow("only match in the current item") << "Dawson" << 1 << 2;
    QTest::newRow("next match comes first") << "Chess" << 0 << 2;
    QTest::newRow("wraps past the end") << "Chess" << 1 << 1;
    QTest::newRow("from the last entry") << "Review" << 5 << 2;
    QTest::newRow("no current entry") << "Dg[1]" << -1 << 1;
    QTest::newRow("condition") << "circe" << 4 << 2;
    QTest::newRow("board row") << "[12,0," << 0 << 5;
    QTest::newRow("stored backquote") << "l`echiquier" << 0 << 3;
    QTest::newRow("lower-case letter finds upper case") << QString::fromUtf8("émile") << 0 << 3;
    QTest::newRow("upper-case letter finds lower case") << QString::fromUtf8("ZOÉ") << 0 << 4;
    QTest::newRow("ÿ finds Ÿ") << QString::fromUtf8("ÿ mag") << 0 << 6;
    QTest::newRow("è finds È") << QString::fromUtf8("THÈMES") << 5 << 4;
    QTest::newRow("empty text") << "" << 0 << -1;
    QTest::newRow("no match") << "Loyd" << 0 << -1;
    QTest::newRow("a letter Windows-1252 has not") << QString::fromUtf8("Łódź") << 0 << -1;
    QTest::newRow("text over two lines") << "Shinkman'],\r\n['American" << 0 << -1;
}

void TestViewTexts::findNext()
{
    QFETCH(QString, text);
    QFETCH(int, currentEntry);
    QFETCH(int, item);
    const Collection collection = searchCollection();
    const int line = FindNextLine(collection, text, currentEntry);
    QCOMPARE(line < 0 ? -1 : line / kItemLines, item);
    if (line >= 0) {
        const QByteArray upper = UpperCase1252(collection.line(line));
        QVERIFY2(upper.contains(UpperCase1252(bytes1252(text))), upper.constData());
    }
}

void TestViewTexts::finderAgreesWithPlainUpperCaseSearch()
{
    // Random Windows-1252 text and patterns, some cut from the text itself: the skipping
    // search finds the same first place as upper-casing everything and looking plainly.
    QRandomGenerator random(1234);
    const QByteArray alphabet = bytes1252(QString::fromUtf8("abcAB éÉÿŸšŠ,[]01"));
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int size = random.bounded(0, 60);
        for (int i = 0; i < size; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        QByteArray pattern;
        if (size > 0 && random.bounded(2)) {
            const int from = random.bounded(size);
            pattern = text.mid(from, random.bounded(1, 6));
        } else {
            for (int i = random.bounded(1, 4); i > 0; --i)
                pattern += alphabet[random.bounded(int(alphabet.size()))];
        }
        const TextFinder finder(cp1252::decode(pattern));
        const qsizetype expected = UpperCase1252(text).indexOf(UpperCase1252(pattern));
        QCOMPARE(finder.find(text), expected);
    }
}

void TestViewTexts::upperCaseKeepsBytesWithoutOwnUpperCase()
{
    // "ß" and "µ" have no single upper-case letter in Windows-1252; "÷" is no letter.
    for (const char* letter : {"ß", "µ", "÷", "1", "["}) {
        const QByteArray byte = bytes1252(QString::fromUtf8(letter));
        QCOMPARE(UpperCase1252(byte), byte);
    }
    QCOMPARE(UpperCase1252(bytes1252(QString::fromUtf8("àéîõüçñšžœÿ"))),
             bytes1252(QString::fromUtf8("ÀÉÎÕÜÇÑŠŽŒŸ")));
}

void TestViewTexts::finderStaysLinearOnRepetitiveText_data()
{
    QTest::addColumn<int>("textSize");
    QTest::addColumn<int>("patternSize");
    QTest::addColumn<int>("rounds");
    QTest::newRow("short") << 400 << 40 << 3000;
    QTest::newRow("long pattern") << 20000 << 3000 << 100;
    QTest::newRow("long line, longest pattern") << 2000000 << 32767 << 1;
}

// Texts and patterns over two letters, where every try matches most of the pattern: the
// first place found is the plain search's, for a number of byte comparisons linear in the text.
void TestViewTexts::finderStaysLinearOnRepetitiveText()
{
    QFETCH(int, textSize);
    QFETCH(int, patternSize);
    QFETCH(int, rounds);
    QRandomGenerator random(99);
    for (int round = 0; round < rounds; ++round) {
        QByteArray text(textSize, 'a');
        QByteArray pattern(patternSize, 'A');
        qsizetype expected = textSize - patternSize;
        if (rounds == 1) {
            // The worst case of skipping searches: the one difference at the pattern's start.
            pattern[0] = 'b';
            text[expected] = 'B';
        } else {
            const int rare = random.bounded(1, 50);
            for (int i = 0; i < textSize; ++i)
                if (random.bounded(rare) == 0)
                    text[i] = random.bounded(2) ? 'b' : 'A';
            pattern[random.bounded(patternSize)] = 'b';
            expected = UpperCase1252(text).indexOf(UpperCase1252(pattern));
        }
        const TextFinder finder(QString::fromLatin1(pattern));
        QCOMPARE(finder.find(text), expected);
        QVERIFY2(finder.comparisons() <= 4 * qsizetype(textSize) + patternSize + 64,
                 qPrintable(QString::number(finder.comparisons())));
    }
}

QTEST_APPLESS_MAIN(TestViewTexts)
#include "tst_viewtexts.moc"
