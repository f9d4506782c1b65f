#include "model/fairytext.h"
#include "model/square.h"
#include "model/transform.h"
#include "model/vocabulary.h"
#include "sampleitems.h"

#include <QtTest>

using namespace vexil;
using test::boardFrom;

Q_DECLARE_METATYPE(vexil::Board)
Q_DECLARE_METATYPE(vexil::Transformation)

class TestBoardTools : public QObject {
    Q_OBJECT
private slots:
    void transformations_data();
    void transformations();
    void transformationsThatRestoreTheBoard();
    void fairyPiecesText_data();
    void fairyPiecesText();
    void pieceTexts();
    void squareNames_data();
    void squareNames();
    void twinTemplates();
};

void TestBoardTools::transformations_data()
{
    QTest::addColumn<Board>("before");
    QTest::addColumn<Transformation>("transformation");
    QTest::addColumn<Board>("after");
    using T = Transformation;
    const Board corners = boardFrom("R6r/8/8/8/8/8/8/N6n");
    QTest::newRow("left loses file a")
        << corners << T::MoveLeft << boardFrom("6r1/8/8/8/8/8/8/6n1");
    QTest::newRow("right loses file h")
        << corners << T::MoveRight << boardFrom("1R6/8/8/8/8/8/8/1N6");
    QTest::newRow("up loses rank 8") << corners << T::MoveUp << boardFrom("8/8/8/8/8/8/N6n/8");
    QTest::newRow("down loses rank 1") << corners << T::MoveDown << boardFrom("8/R6r/8/8/8/8/8/8");
    QTest::newRow("only piece on a5, left")
        << boardFrom("8/8/8/K7/8/8/8/8") << T::MoveLeft << Board{};
    QTest::newRow("rotation b8 to h7, h7 to g1")
        << boardFrom("1Q6/7q/8/8/8/8/8/8") << T::Rotation << boardFrom("8/7Q/8/8/8/8/8/6q1");
    QTest::newRow("rotation of the corners")
        << corners << T::Rotation << boardFrom("N6R/8/8/8/8/8/8/n6r");
    QTest::newRow("vertical mirror")
        << boardFrom("K7/1p6/8/8/8/8/8/8") << T::VerticalMirror << boardFrom("7K/6p1/8/8/8/8/8/8");
    QTest::newRow("horizontal mirror") << boardFrom("K7/1p6/8/8/8/8/8/8") << T::HorizontalMirror
                                       << boardFrom("8/8/8/8/8/8/1p6/K7");
    QTest::newRow("exchange colors")
        << boardFrom("{4017}{104018}{7319}{20}{21}{22}Gn/Pp6/8/8/8/8/8/8") << T::ExchangeColors
        << boardFrom("{4018}{104017}{7319}{20}{21}{22}gN/pP6/8/8/8/8/8/8");
    QTest::newRow("codes no editor makes keep their side")
        << boardFrom("{-3}{55}{100}5/8/8/8/8/8/8/8") << T::ExchangeColors
        << boardFrom("{-3}{55}{100}5/8/8/8/8/8/8/8");
    QTest::newRow("odd pieces change side with kind and specification kept")
        << boardFrom("{17}{13018}{4013}{1404017}{4055}{100020}2/8/8/8/8/8/8/8") << T::ExchangeColors
        << boardFrom("{18}{13017}{4014}{1404018}{4055}{100020}2/8/8/8/8/8/8/8");
    QTest::newRow("clear") << corners << T::Clear << Board{};
    QTest::newRow("kind and specification travel")
        << boardFrom("{1312919}7/8/8/8/8/8/8/8") << T::MoveDown
        << boardFrom("8/{1312919}7/8/8/8/8/8/8");
}

void TestBoardTools::transformations()
{
    QFETCH(Board, before);
    QFETCH(Transformation, transformation);
    QFETCH(Board, after);
    QCOMPARE(Transformed(before, transformation), after);
}

void TestBoardTools::transformationsThatRestoreTheBoard()
{
    const Board board = boardFrom("r1b1k2r/pp1{4017}1ppp/2n2n2/{20}1G5/1N6/2{7319}5/PPP2PPP/R3K2R");
    Board turned = board;
    for (int i = 0; i < 4; ++i) {
        turned = Transformed(turned, Transformation::Rotation);
        if (i < 3)
            QVERIFY(turned != board);
    }
    QCOMPARE(turned, board);
    for (auto t : {Transformation::VerticalMirror, Transformation::HorizontalMirror,
                   Transformation::ExchangeColors})
        QCOMPARE(Transformed(Transformed(board, t), t), board);
}

void TestBoardTools::fairyPiecesText_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("grasshopper and fairy g, last scanned first")
        << "G{4018}6/8/8/8/8/8/8/8" << QStringList{"pieces=G<grasshopper>b8, G<grasshopper>a8"};
    QTest::newRow("orthodox kinds are left out")
        << "{7319}{5017}{7417}{1217}{8317}{7018}2/8/8/8/8/8/8/8" << QStringList{};
    QTest::newRow("royal queen") << "8/8/8/8/8/8/8/4{507317}3" << QStringList{"royal=Q<queen>e1"};
    QTest::newRow("pieces first, then specifications as met")
        << "8/8/8/8/3{717}4/2{106217}5/8/8"
        << QStringList{"pieces=AL<alfil>d4", "chameleon=N<nightrider>c3"};
    QTest::newRow("pieces line goes first even when met later")
        << "{104017}{1200117}6/8/8/8/8/8/8/n{12919}6"
        << QStringList{"pieces=ZE<zebu>b1, N<nightrider>a1", "chameleon=G<grasshopper>a8",
                       "magic=15<1,5-leaper>b8"};
    QTest::newRow("same specification gathers")
        << "{104017}7/8/8/8/8/8/8/{109618}7"
        << QStringList{"chameleon=Z<zebra>a1, G<grasshopper>a8"};
    QTest::newRow("orthodox pieces and markers are no fairy pieces")
        << "KQRBSP{20}{21}/kqrbsp{22}1/8/8/8/8/8/8" << QStringList{};
    QTest::newRow("empty board") << "8/8/8/8/8/8/8/8" << QStringList{};
    QTest::newRow("codes from a file are listed, never dropped or named wrongly")
        << "{1404017}{13017}{4055}{4013}{100}{-4017}2/8/8/8/8/8/8/8"
        << QStringList{"pieces=?<unknown>b8", "unknown=G<grasshopper>a8"};
}

void TestBoardTools::fairyPiecesText()
{
    QFETCH(QString, board);
    QFETCH(QStringList, lines);
    QCOMPARE(FairyPiecesText(boardFrom(board)), lines);
}

// A square's name reads back as the square; anything else is no square.
void TestBoardTools::squareNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row"); // -1: no square
    QTest::addColumn<int>("column");
    QTest::newRow("a8") << "a8" << 0 << 0;
    QTest::newRow("h1") << "h1" << 7 << 7;
    QTest::newRow("e4") << "e4" << 4 << 4;
    QTest::newRow("file past h") << "i4" << -1 << -1;
    QTest::newRow("rank 0") << "a0" << -1 << -1;
    QTest::newRow("rank 9") << "a9" << -1 << -1;
    QTest::newRow("capital file") << "E4" << -1 << -1;
    QTest::newRow("too short") << "e" << -1 << -1;
    QTest::newRow("too long") << "e45" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
}

void TestBoardTools::squareNames()
{
    QFETCH(QString, text);
    QFETCH(int, row);
    QFETCH(int, column);
    const std::optional<Square> square = Square::parse(text);
    QCOMPARE(square.has_value(), row >= 0);
    if (!square) {
        QCOMPARE(Square().name(), QString());
        return;
    }
    QCOMPARE(square->row, row);
    QCOMPARE(square->column, column);
    QCOMPARE(square->name(), text);
}

void TestBoardTools::pieceTexts()
{
    QCOMPARE(Square(0, 0).name(), QStringLiteral("a8"));
    QCOMPARE(Square(7, 7).name(), QStringLiteral("h1"));
    QCOMPARE(Square(3, 4).name(), QStringLiteral("e5"));
    QCOMPARE(FairyPieceText(14), QStringLiteral("G<grasshopper>"));
    QCOMPARE(FairyPieceText(15), QStringLiteral("N<nightrider>"));
    QCOMPARE(FairyPieceText(118), QStringLiteral("15<1,5-leaper>"));
    QCOMPARE(FairyPieceText(9919), QStringLiteral("AG<Andernach grasshopper>"));
    QCOMPARE(FairyPieceText(9), QString());
    QCOMPARE(FairyPieceText(17), QStringLiteral("?<unknown>"));
}

void TestBoardTools::twinTemplates()
{
    const QStringList& t = TwinTemplates();
    QCOMPARE(t.size(), 43);
    QCOMPARE(t[0], QStringLiteral("Twin  Move <square1> <square2>"));
    QCOMPARE(t[5], QStringLiteral("Twin  Rotate <n>"));
    QCOMPARE(t[22], QStringLiteral("Twin Cont  PolishType"));
    QCOMPARE(t[42], QStringLiteral("Zero Mirror h1<-->a8"));
}

QTEST_GUILESS_MAIN(TestBoardTools)
#include "tst_boardtools.moc"
