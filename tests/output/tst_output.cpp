#include "model/fairytext.h"
#include "model/pictureset.h"
#include "output/diagram.h"
#include "output/itemtext.h"
#include "output/printlayout.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QtTest>

Q_DECLARE_METATYPE(vexil::Item)

using namespace vexil;

namespace {

using Squares = QList<QPair<QString, PieceCode>>; // square name, code

Board boardOf(const Squares& squares)
{
    Board board;
    for (const auto& [name, code] : squares)
        board.at(8 - name[1].digitValue(), name[0].unicode() - 'a') = code;
    return board;
}

Item itemOf(const Squares& squares, const QString& condition = QString(),
            const QStringList& twins = {}, const QStringList& solution = {})
{
    Item item;
    item.board = boardOf(squares);
    item.author = QStringLiteral("A. Author");
    item.source = QStringLiteral("The Problemist 2001");
    item.stipulation = QStringLiteral("#2");
    item.condition = condition;
    item.twins = twins;
    item.solution = solution;
    return item;
}

const PieceCode kNeutralKing = piece::make(19, 50, 0);
const PieceCode kRoyalNeutralKing = piece::make(19, 50, 5);
const PieceCode kWhiteGrasshopperKind = piece::make(17, 40, 0);
const PieceCode kBlackChameleonQueen = piece::make(18, 73, 1);
const PieceCode kWhiteAlfil = piece::make(17, 7, 0);

// Where the first and last column with ink (dark pixels) lie in a band of the image.
QPair<int, int> inkColumns(const QImage& image, const QRect& band)
{
    int first = -1, last = -1;
    for (int x = band.left(); x <= band.right(); ++x)
        for (int y = band.top(); y <= band.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT
private slots:
    void itemText_data();
    void itemText();
    void itemTextNotation_data();
    void itemTextNotation();
    void fairyPiecesLine_data();
    void fairyPiecesLine();
    void diagramSquares_data();
    void diagramSquares();
    void diagramPictures_data();
    void diagramPictures();
    void fairyLabelCentred_data();
    void fairyLabelCentred();
    void labelsFitTheirSquare_data();
    void labelsFitTheirSquare();
    void sixteenColours();
    void diagramOnAnyScreen();
    void printScale_data();
    void printScale();
    void printLayout();
    void printColumn_data();
    void printColumn();
};

void TestOutput::itemText_data()
{
    QTest::addColumn<Item>("item");
    QTest::addColumn<QStringList>("fairy");
    QTest::addColumn<QStringList>("expected");
    const QStringList head{QStringLiteral("A. Author"), QStringLiteral("The Problemist 2001")};
    QTest::newRow("every field in its place")
        << itemOf({{"e1", 11}, {"e8", 12}, {"d4", kNeutralKing}}, "Circe", {"b) wKe1-e2"},
                  {"1.Qd1!", "zugzwang"})
        << QStringList{"pieces=K<king>d4"}
        << head + QStringList{"#2 Circe",         "( 1 + 1 + 1 )", "b) wKe1-e2",
                              "pieces=K<king>d4", "1.Qd1!",        "zugzwang"};
    QTest::newRow("empty condition keeps its blank")
        << itemOf({}) << QStringList{} << head + QStringList{"#2 ", "( 0 + 0 )"};
    QTest::newRow("blank condition kept as it is")
        << itemOf({}, "   ") << QStringList{} << head + QStringList{"#2    ", "( 0 + 0 )"};
}

void TestOutput::itemText()
{
    QFETCH(Item, item);
    QFETCH(QStringList, fairy);
    QFETCH(QStringList, expected);
    QCOMPARE(ItemText(item, fairy), expected);
}

void TestOutput::itemTextNotation_data()
{
    QTest::addColumn<Item>("item");
    QTest::addColumn<QStringList>("expected");
    const QStringList head{"Author(s): A. Author", "Source: The Problemist 2001",
                           "Pieces [KQRBSP]: "};
    QTest::newRow("empty board: no list line")
        << itemOf({})
        << head + QStringList{"Count of pieces: ( 0 + 0 )", "Stipulation: #2", "Solution: "};
    QTest::newRow("rank 8 first, file a first")
        << itemOf({{"e1", 11}, {"d1", 9}, {"g8", 5}, {"b5", 13}, {"c3", 16}}, "", {}, {"1.Sf6"})
        << head + QStringList{"White Sg8 Gb5 Qd1 Ke1",
                              "Black Nc3",
                              "Count of pieces: ( 4 + 1 )",
                              "Stipulation: #2",
                              "Fairy pieces: ",
                              "N=nightrider, G=grasshopper",
                              "Solution: ",
                              "1.Sf6"};
    QTest::newRow("only black pieces")
        << itemOf({{"a1", 12}, {"h8", 2}})
        << head + QStringList{"Black Ph8 Ka1", "Count of pieces: ( 0 + 2 )", "Stipulation: #2",
                              "Solution: "};
    QTest::newRow("neutral king without specification")
        << itemOf({{"d4", kNeutralKing}})
        << head + QStringList{"Neutral Kd4", "Count of pieces: ( 0 + 0 + 1 )", "Stipulation: #2",
                              "Solution: "};
    QTest::newRow("specified pieces first, in board order")
        << itemOf({{"d4", kRoyalNeutralKing},
                   {"b7", kBlackChameleonQueen},
                   {"b3", kWhiteAlfil},
                   {"a1", 11}})
        << head + QStringList{"Black chameleon Qb7",
                              "Neutral royal Kd4",
                              "White ALb3 Ka1",
                              "Count of pieces: ( 2 + 1 + 1 )",
                              "Stipulation: #2",
                              "Fairy pieces: ",
                              "AL=alfil",
                              "Solution: "};
    QTest::newRow("markers left out")
        << itemOf({{"a1", 20}, {"b1", 21}, {"c1", 22}, {"d1", 11}})
        << head + QStringList{"White Kd1", "Count of pieces: ( 1 + 0 )", "Stipulation: #2",
                              "Solution: "};
    QTest::newRow("blank condition and twins give no lines")
        << itemOf({}, "  ", {" "})
        << head + QStringList{"Count of pieces: ( 0 + 0 )", "Stipulation: #2", "Solution: "};
    QTest::newRow("condition unchanged, twins line by line")
        << itemOf({}, " Circe ", {"b) -wKe1", "c) +bPa2"})
        << head + QStringList{"Count of pieces: ( 0 + 0 )",
                              "Stipulation: #2",
                              "Condition:  Circe ",
                              "Twins: ",
                              "b) -wKe1",
                              "c) +bPa2",
                              "Solution: "};
}

void TestOutput::itemTextNotation()
{
    QFETCH(Item, item);
    QFETCH(QStringList, expected);
    QCOMPARE(ItemTextNotation(item, FairyPiecesText(item.board)), expected);
}

void TestOutput::fairyPiecesLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    auto fairyText = [](const Squares& squares) {
        return FairyPiecesText(boardOf(squares)).join(QStringLiteral("\r\n"));
    };
    QTest::newRow("nothing") << QString() << QString();
    QTest::newRow("two grasshoppers give one entry")
        << fairyText({{"b3", kWhiteAlfil}, {"c4", 13}, {"e5", kWhiteGrasshopperKind}})
        << "AL=alfil, G=grasshopper";
    QTest::newRow("orthodox kinds left out, specified ones too")
        << fairyText({{"d4", kRoyalNeutralKing}, {"b7", kBlackChameleonQueen}}) << QString();
    QTest::newRow("one-letter and two-letter codes after each separator")
        << "pieces=N<nightrider>a1, LN<nightrider locust>b1\r\nroyal=Z<zebra>c1,15<1,5-leaper>d1"
        << "N=nightrider, LN=nightrider locust, Z=zebra, 15=1,5-leaper";
    QTest::newRow("an entry that only contains another is a kind of its own")
        << "pieces=LN<nightrider locust>b1, N<nightrider>a1"
        << "LN=nightrider locust, N=nightrider";
    QTest::newRow("a wrapped line starts with an entry")
        << "pieces=AL<alfil>b3, \r\nG<grasshopper>c4"
        << "AL=alfil, G=grasshopper";
    QTest::newRow("an unclosed name ends the scan") << "pieces=G<grass" << QString();
}

void TestOutput::fairyPiecesLine()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FairyPiecesLine(text), expected);
}

void TestOutput::diagramSquares_data()
{
    QTest::addColumn<int>("c");
    QTest::newRow("218") << 27;
    QTest::newRow("202") << 25;
}

void TestOutput::diagramSquares()
{
    QFETCH(int, c);
    const QColor light(250, 240, 200), dark(20, 90, 40);
    const QImage image = DiagramBitmap(Board(), c, {light, dark}, PictureSet(), FairyPictures());
    QCOMPARE(image.size(), QSize(8 * c + 2, 8 * c + 2));
    QCOMPARE(image.devicePixelRatio(), 1.0);
    const int last = 8 * c + 1;
    for (int i : {0, c, last / 2, last}) {
        QCOMPARE(image.pixelColor(0, i), QColor(Qt::black));
        QCOMPARE(image.pixelColor(i, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(last, i), QColor(Qt::black));
        QCOMPARE(image.pixelColor(i, last), QColor(Qt::black));
    }
    auto corners = [&](int row, int column) {
        const int x = column * c + 1, y = row * c + 1;
        return QList<QColor>{image.pixelColor(x, y), image.pixelColor(x + c - 1, y + c - 1)};
    };
    QCOMPARE(corners(0, 0), (QList<QColor>{light, light})); // a8
    QCOMPARE(corners(7, 7), (QList<QColor>{light, light})); // h1
    QCOMPARE(corners(7, 0), (QList<QColor>{dark, dark}));   // a1
    QCOMPARE(corners(3, 4), (QList<QColor>{dark, dark}));   // e5
    // Neighbouring squares meet without a gap.
    QCOMPARE(image.pixelColor(c, 1), light);
    QCOMPARE(image.pixelColor(c + 1, 1), dark);

    Settings settings;
    settings.White = 0x000000FF; // stored as 0x00BBGGRR
    settings.Black = 0x00FF0000;
    const QImage custom =
        DiagramBitmap(Board(), c, CustomDiagramColours(settings), PictureSet(), FairyPictures());
    QCOMPARE(custom.pixelColor(1, 1), QColor(255, 0, 0));
    QCOMPARE(custom.pixelColor(1, 7 * c + 1), QColor(0, 0, 255));
    QCOMPARE(StandardDiagramColours().dark, QColor(192, 192, 192));
}

void TestOutput::diagramPictures_data()
{
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("inset");
    QTest::newRow("218: pictures one pixel in") << 27 << 2;
    QTest::newRow("202: pictures fill the square") << 25 << 1;
}

void TestOutput::diagramPictures()
{
    QFETCH(int, c);
    QFETCH(int, inset);
    // A loaded fairy picture of one plain colour shows exactly where pictures go.
    PictureSet set;
    QImage red(25, 25, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    FairyPictures pictures;
    pictures.append(QStringLiteral("WAL"), set.appendLarge(red));
    Board board;
    board.at(2, 3) = kWhiteAlfil;           // d6, plain
    board.at(5, 6) = piece::make(17, 7, 5); // g3, royal
    const QImage image = DiagramBitmap(board, c, StandardDiagramColours(), set, pictures);
    const QColor pure(255, 0, 0);

    auto extent = [&](int row, int column) {
        QRect box;
        for (int y = row * c + 1; y <= (row + 1) * c; ++y)
            for (int x = column * c + 1; x <= (column + 1) * c; ++x)
                if (image.pixelColor(x, y) == pure)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    QCOMPARE(extent(2, 3), QRect(3 * c + inset, 2 * c + inset, 25, 25));
    // The specification letter covers the picture's top-left corner with the square's colour.
    const QRect royal = extent(5, 6);
    QCOMPARE(royal.bottomRight(), QPoint(6 * c + inset + 24, 5 * c + inset + 24));
    QVERIFY(image.pixelColor(6 * c + inset, 5 * c + inset) != pure);
    const auto [first, last] = inkColumns(image, QRect(6 * c + 1, 5 * c + 1, 12, 12));
    QVERIFY2(first >= 6 * c + 1 && first <= 6 * c + 3, qPrintable(QString::number(first)));

    // Markers and orthodox figures are drawn, empty squares are not.
    Board markers;
    markers.at(0, 0) = 22;
    const QImage cross = DiagramBitmap(markers, c, StandardDiagramColours(), set, pictures);
    QVERIFY(inkColumns(cross, QRect(1, 1, c, c)).first > 0);
    QCOMPARE(inkColumns(cross, QRect(c + 1, 1, c, c)).first, -1);
}

void TestOutput::fairyLabelCentred_data()
{
    QTest::addColumn<int>("c");
    QTest::addColumn<PieceCode>("code");
    QTest::newRow("218, G") << 27 << kWhiteGrasshopperKind;
    QTest::newRow("202, G") << 25 << piece::make(18, 40, 0);
    QTest::newRow("218, r15") << 27 << piece::make(19, 1, 5);
    QTest::newRow("202, ZE") << 25 << piece::make(17, 129, 0);
}

void TestOutput::fairyLabelCentred()
{
    QFETCH(int, c);
    QFETCH(PieceCode, code);
    Board board;
    board.at(4, 3) = code; // d4, a dark square
    const QImage image =
        DiagramBitmap(board, c, StandardDiagramColours(), PictureSet(), FairyPictures());
    const QRect top(3 * c + 1, 4 * c + 1, c, 9);
    const auto [first, last] = inkColumns(image, top);
    QVERIFY(first > 0);
    const int width = QFontMetrics(DiagramLabelFont()).horizontalAdvance(FairyLabel(code));
    const int left = 3 * c + 1 + (c - width) / 2;
    // The ink of a label starts within its advance, which is centred by whole pixels.
    QVERIFY2(
        first >= left && last < left + width,
        qPrintable(QStringLiteral("%1..%2 in %3+%4").arg(first).arg(last).arg(left).arg(width)));
    // The text's background is the square's colour, opaque over the figure's space.
    QCOMPARE(image.pixelColor(left, 4 * c + 1), QColor(192, 192, 192));
}

void TestOutput::labelsFitTheirSquare_data()
{
    QTest::addColumn<int>("c");
    QTest::newRow("218") << 27;
    QTest::newRow("202") << 25;
}

void TestOutput::labelsFitTheirSquare()
{
    QFETCH(int, c);
    const QFont base = DiagramLabelFont();
    const QFontMetricsF baseMetrics(base);
    int tooWide = 0;
    PieceCode widest = 0;
    qreal widestWidth = 0;
    for (int specification = 0; specification < piece::kSpecificationCount; ++specification)
        for (int kind = 1; kind <= piece::kKindCount; ++kind) {
            const PieceCode code = piece::make(17, kind, specification);
            const QString label = FairyLabel(code);
            const qreal width = baseMetrics.horizontalAdvance(label);
            if (width > widestWidth) {
                widestWidth = width;
                widest = code;
            }
            const QFont fitted = FitLabelFont(label, c, base);
            const qreal fittedWidth = QFontMetricsF(fitted).horizontalAdvance(label);
            QVERIFY2(fittedWidth <= c - 2,
                     qPrintable(QStringLiteral("%1: %2").arg(label).arg(fittedWidth)));
            if (width <= c - 2)
                QCOMPARE(fitted, base); // a label that fits keeps the usual font
            else
                ++tooWide;
        }
    // The fitting is needed at all: some labels are wider than the square in the usual font.
    QVERIFY(tooWide > 0);

    // In the picture the widest label leaves the squares beside it clean.
    Board board;
    board.at(4, 3) = widest;
    const QImage image =
        DiagramBitmap(board, c, StandardDiagramColours(), PictureSet(), FairyPictures());
    const QRect band(2 * c + 1, 4 * c + 1, 3 * c, 9);
    const auto [first, last] = inkColumns(image, band);
    QVERIFY(first > 0);
    QVERIFY2(first >= 3 * c + 1 && last < 4 * c + 1,
             qPrintable(QStringLiteral("%1: ink %2..%3, square %4..%5")
                            .arg(FairyLabel(widest))
                            .arg(first)
                            .arg(last)
                            .arg(3 * c + 1)
                            .arg(4 * c)));
}

void TestOutput::sixteenColours()
{
    Board board;
    board.at(0, 0) = 9;
    board.at(1, 0) = kWhiteGrasshopperKind;
    const QImage image =
        ReducedTo16Colours(DiagramBitmap(board, 27, StandardDiagramColours(), PictureSet(), {}));
    QVERIFY(image.colorCount() <= 16);
    QCOMPARE(image.pixelColor(27, 27), QColor(255, 255, 255));
    QCOMPARE(image.pixelColor(28, 2), QColor(192, 192, 192));
    QCOMPARE(image.pixelColor(0, 0), QColor(0, 0, 0));
}

void TestOutput::diagramOnAnyScreen()
{
    // The screen's pictures of a high-density screen must not change the diagram's pixels.
    Board board;
    board.at(0, 0) = 9;
    board.at(3, 4) = kWhiteGrasshopperKind;
    board.at(7, 7) = 22;
    for (int c : {27, 25}) {
        const QImage plain = DiagramBitmap(board, c, StandardDiagramColours(), PictureSet(1.0), {});
        const QImage dense = DiagramBitmap(board, c, StandardDiagramColours(), PictureSet(2.0), {});
        QCOMPARE(dense.size(), plain.size());
        QCOMPARE(dense.devicePixelRatio(), 1.0);
        QVERIFY(dense == plain);
    }
}

void TestOutput::printScale_data()
{
    QTest::addColumn<QSize>("page");
    QTest::addColumn<int>("sx");
    QTest::addColumn<int>("sy");
    QTest::addColumn<int>("x0");
    QTest::newRow("A4 at 600 dpi") << QSize(4960, 7016) << 7 << 7 << 446;
    QTest::newRow("large page: multiples of 10") << QSize(13320, 18640) << 20 << 20 << 446;
    QTest::newRow("larger still") << QSize(20000, 28000) << 30 << 30 << 446;
    QTest::newRow("narrow page moves the column") << QSize(6500, 9000) << 10 << 10 << 424;
    QTest::newRow("unequal scales") << QSize(1400, 1000) << 2 << 1 << 446;
    QTest::newRow("smallest page") << QSize(633, 886) << 1 << 1 << 424;
    QTest::newRow("too narrow") << QSize(632, 5000) << 0 << 0 << 446;
    QTest::newRow("too low") << QSize(5000, 885) << 0 << 0 << 446;
}

void TestOutput::printScale()
{
    QFETCH(QSize, page);
    QFETCH(int, sx);
    QFETCH(int, sy);
    QFETCH(int, x0);
    const PrintScale scale = ChoosePrintScale(page.width(), page.height());
    QCOMPARE(scale.fits(), sx * sy > 0);
    if (scale.fits())
        QCOMPARE(scale, (PrintScale{sx, sy, x0}));
}

void TestOutput::printLayout()
{
    Item item = itemOf({{"e1", 11}, {"d4", kNeutralKing}}, QString(), {}, {"1.Kf2!"});
    const PrintScale scale = ChoosePrintScale(4960, 7016);
    const PrintLayout layout = LayOutPrintedItem(scale, 7016, 67, item, {});
    QCOMPARE(layout.pageCount, 1);
    QCOMPARE(layout.diagram, QRect(560, 560, 1532, 1532));
    QCOMPARE(layout.rule, QLine(3122, 840, 4522, 840));
    const QList<PrintedText> expected{{0, {3122, 560}, "A. Author", true},
                                      {0, {3122, 700}, "The Problemist 2001", false},
                                      {0, {3122, 910}, "Solution:", false},
                                      {0, {3122, 1015}, "1.Kf2!", false},
                                      {0, {561, 2170}, "#2  ( 1 + 0 + 1 )", false}};
    QCOMPARE(layout.texts, expected);

    item.condition = QStringLiteral("Madrasi");
    const PrintLayout narrow =
        LayOutPrintedItem(ChoosePrintScale(1400, 1000), 1000, 12, item, {"pieces=K<king>d4"});
    QCOMPARE(narrow.diagram.size(), QSize(437, 218));
    QCOMPARE(narrow.texts.last(), (PrintedText{0, {161, 325}, "Madrasi", false}));
}

void TestOutput::printColumn_data()
{
    QTest::addColumn<int>("twins");
    QTest::addColumn<int>("solution");
    QTest::addColumn<int>("pageHeight");
    QTest::addColumn<QList<int>>("linesPerPage");
    // A4 at 600 dpi, scale 7: line k at 7 * (15k + 130); lines 67 pixels high.
    QTest::newRow("one page") << 2 << 10 << 7016 << QList<int>{14};
    QTest::newRow("just fits") << 0 << 56 << 7016 << QList<int>{58};
    QTest::newRow("one line over") << 0 << 57 << 7016 << QList<int>{58, 1};
    QTest::newRow("three pages") << 3 << 150 << 7016 << QList<int>{58, 58, 39};
    QTest::newRow("page too low for more than one line")
        << 0 << 3 << 910 << QList<int>{1, 1, 1, 1, 1};
}

void TestOutput::printColumn()
{
    QFETCH(int, twins);
    QFETCH(int, solution);
    QFETCH(int, pageHeight);
    QFETCH(QList<int>, linesPerPage);
    Item item = itemOf({});
    for (int i = 0; i < twins; ++i)
        item.twins << QStringLiteral("twin %1").arg(i);
    for (int i = 0; i < solution; ++i)
        item.solution << QStringLiteral("move %1").arg(i);
    const PrintScale scale{7, 7, 446};
    const PrintLayout layout = LayOutPrintedItem(scale, pageHeight, 67, item, {"fairy"});
    QCOMPARE(layout.pageCount, linesPerPage.size());

    // The column: every text at x0 after author and source, in order, page by page.
    QList<int> counted(layout.pageCount, 0);
    QStringList column;
    for (const PrintedText& text : layout.texts) {
        if (text.at.x() != 446 * 7 || text.at.y() < 130 * 7)
            continue;
        column << text.text;
        const int line = counted[text.page]++;
        QCOMPARE(text.at.y(), 7 * (15 * line + 130));
        QVERIFY(line == 0 || text.at.y() + 67 <= pageHeight);
    }
    QCOMPARE(counted, linesPerPage);
    QCOMPARE(column.size(), twins + 1 + 1 + solution);
    QCOMPARE(column.value(twins + 1), QStringLiteral("Solution:"));
    QCOMPARE(column.last(), item.solution.value(solution - 1, QStringLiteral("Solution:")));
    // Only the column goes on: author, source, stipulation stay on the first page.
    for (const PrintedText& text : layout.texts)
        if (text.page > 0)
            QCOMPARE(text.at.x(), 446 * 7);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
