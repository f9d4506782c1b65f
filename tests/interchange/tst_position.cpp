#include "interchange/position.h"
#include "model/fairytext.h"
#include "model/piece.h"

#include <QRandomGenerator>
#include <QTest>

using namespace vexil;

namespace {

Board boardOf(const QString& squares)
{
    Board board;
    for (const QString& part : squares.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = part.split(QLatin1Char('='));
        board.at(8 - (kv[0][1].unicode() - '0'), kv[0][0].unicode() - 'a') = kv[1].toInt();
    }
    return board;
}

} // namespace

class TestPosition : public QObject {
    Q_OBJECT

private slots:
    void readsPositions_data();
    void readsPositions();
    void refusesWhatIsNoPosition_data();
    void refusesWhatIsNoPosition();
    void writesForsyth_data();
    void writesForsyth();
    void forsythReadsBackWhatItHolds();
    void clipboardPositionKeepsEveryUnit();
    void conventionalCastling_data();
    void conventionalCastling();
    void pastedFenFieldsAnItemCannotHold_data();
    void pastedFenFieldsAnItemCannotHold();
};

void TestPosition::readsPositions_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("notation");
    QTest::addColumn<QString>("board");

    QTest::newRow("fen start")
        << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" << int(PositionNotation::Fen)
        << "a8=4 b8=6 c8=8 d8=10 e8=12 f8=8 g8=6 h8=4 a7=2 b7=2 c7=2 d7=2 e7=2 f7=2 g7=2 h7=2 "
           "a2=1 b2=1 c2=1 d2=1 e2=1 f2=1 g2=1 h2=1 a1=3 b1=5 c1=7 d1=9 e1=11 f1=7 g1=5 h1=3";
    QTest::newRow("fen knight") << "4k3/8/8/8/8/8/8/N3K3" << int(PositionNotation::Fen)
                                << "e8=12 a1=5 e1=11";
    QTest::newRow("forsyth keyword")
        << "Forsyth 4k3/8/8/8/8/8/8/N3K3" << int(PositionNotation::Forsyth) << "e8=12 a1=15 e1=11";
    QTest::newRow("forsyth fairy") << "4k3/8/8/3.AL4/8/2s5/8/4K2G" << int(PositionNotation::Forsyth)
                                   << "e8=12 d5=717 c3=6 e1=11 h1=13";
    QTest::newRow("forsyth neutral")
        << "forsyth 8/8/8/3=.al4/8/8/8/=k7" << int(PositionNotation::Forsyth) << "d5=719 a1=5019";
    QTest::newRow("forsyth without slashes")
        << "Forsyth 4k14.ZE44" << int(PositionNotation::Forsyth) << "e8=12 d6=12917";
    QTest::newRow("fairy-fen brackets")
        << "4k3/8/8/3(al)4/8/2{G2}5/8/4K3" << int(PositionNotation::FairyFen)
        << "e8=12 d5=718 c3=4117 e1=11";
    QTest::newRow("fairy-fen neutral and turned")
        << "4k3/8/8/3-Q4/8/2*2Q5/8/*2n3K3" << int(PositionNotation::FairyFen)
        << "e8=12 d5=7319 c3=13 a1=16 e1=11";
}

void TestPosition::readsPositions()
{
    QFETCH(QString, line);
    QFETCH(QString, board);
    const ParsedPosition p = ParsePositionLine(line);
    QVERIFY2(p.ok(), qPrintable(p.error));
    QTEST(int(p.notation), "notation");
    QCOMPARE(p.board, boardOf(board));
}

void TestPosition::refusesWhatIsNoPosition_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty") << "   "
                           << "The text is empty; it holds no position.";
    QTest::newRow("words") << "hello world"
                           << "The text holds no position.";
    QTest::newRow("short rank") << "4k2/8/8/8/8/8/8/4K3"
                                << "Rank 8 does not have 8 squares.";
    QTest::newRow("long rank") << "4k4/8/8/8/8/8/8/4K3"
                               << "Rank 8 has more than 8 squares.";
    QTest::newRow("seven ranks") << "4k3/8/8/8/8/8/4K3"
                                 << "The position has only 56 of 64 squares.";
    QTest::newRow("nine ranks") << "4k3/8/8/8/8/8/8/8/4K3"
                                << "The position has more than 64 squares.";
    QTest::newRow("unknown piece") << "4k3/8/8/8/8/8/8/4K2X"
                                   << "\"X\" is no piece Vexil knows.";
    QTest::newRow("unknown walk") << "Forsyth 4k3/8/8/8/8/8/8/4K2.XY"
                                  << "\".XY\" is no piece Vexil knows.";
    QTest::newRow("keyword alone") << "Forsyth"
                                   << "\"Forsyth\" stands without a position after it.";
    QTest::newRow("open bracket") << "4k3/8/8/8/8/8/8/4K2(al"
                                  << "A \"(\" is not closed.";
    QTest::newRow("other character") << "4k3/8/8/8/8/8/8/4K2#"
                                     << "\"#\" has no place in a position.";
    QTest::newRow("fen zero") << "4k3/8/8/8/8/8/8/04K3"
                              << "0 is no number of empty squares.";
}

void TestPosition::refusesWhatIsNoPosition()
{
    QFETCH(QString, line);
    const ParsedPosition p = ParsePositionLine(line);
    QVERIFY(!p.ok());
    QTEST(p.error, "error");
    QCOMPARE(p.board, Board());
}

void TestPosition::writesForsyth_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("forsyth");
    QTest::addColumn<QStringList>("notHeld");

    QTest::newRow("empty") << ""
                           << "8/8/8/8/8/8/8/8" << QStringList();
    QTest::newRow("orthodox") << "e8=12 a1=5 e1=11 h1=16"
                              << "4k3/8/8/8/8/8/8/S3K2n" << QStringList();
    QTest::newRow("fairy") << "d5=719 c3=4018 b2=9617"
                           << "8/8/8/3=.AL4/8/2g5/1Z6/8" << QStringList();
    QTest::newRow("specification and marker")
        << "c3=504017 a8=21"
        << "8/8/8/8/8/2G5/8/8"
        << QStringList{"marker on a8", "the specification of white royal G on c3"};
}

void TestPosition::writesForsyth()
{
    QFETCH(QString, board);
    QStringList notHeld;
    QTEST(ForsythOf(boardOf(board), &notHeld), "forsyth");
    QTEST(notHeld, "notHeld");
}

void TestPosition::forsythReadsBackWhatItHolds()
{
    QRandomGenerator random(64);
    for (int n = 0; n < 500; ++n) {
        Board board;
        for (int p = random.bounded(30); p > 0; --p) {
            const int roll = random.bounded(3);
            const PieceCode code =
                roll == 0 ? 1 + random.bounded(16)
                          : piece::make(17 + random.bounded(3), 1 + random.bounded(129), 0);
            board.at(random.bounded(8), random.bounded(8)) = code;
        }
        QStringList notHeld;
        const QString text = ForsythOf(board, &notHeld);
        for (const QString& lost : notHeld)
            QVERIFY2(lost.startsWith("the colour of black"), qPrintable(lost));
        const ParsedPosition p = ParsePositionLine(QStringLiteral("Forsyth ") + text);
        QVERIFY2(p.ok(), qPrintable(text + ": " + p.error));
        // Fairy pieces of kinds with a base of their own come back as that base.
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                const Piece before(board.at(r, c));
                const Piece after(p.board.at(r, c));
                if (notHeld.join(' ').contains(Square{r, c}.name()))
                    continue;
                QCOMPARE(after.side(), before.side());
                QCOMPARE(after.letter(), before.letter());
            }
    }
}

void TestPosition::clipboardPositionKeepsEveryUnit()
{
    // Whatever the board holds, what goes to the clipboard reads back as the same units: FEN
    // where it can, Fairy-FEN where a FEN would drop a unit.
    QRandomGenerator random(65);
    int fairyLines = 0;
    for (int n = 0; n < 500; ++n) {
        Board board;
        for (int p = random.bounded(12); p > 0; --p) {
            const int roll = random.bounded(3);
            const PieceCode code =
                roll == 0 ? 1 + random.bounded(16)
                          : piece::make(17 + random.bounded(3), 1 + random.bounded(129), 0);
            board.at(random.bounded(8), random.bounded(8)) = code;
        }
        bool fairy = false;
        const QString text = ClipboardPosition(board, QString(), {}, &fairy);
        fairyLines += fairy;
        QCOMPARE(fairy, FenLeavesOutUnits(board));
        const ParsedPosition p = ParsePositionLine(text);
        QVERIFY2(p.ok(), qPrintable(text + ": " + p.error));
        QStringList notHeld;
        FairyFenOf(board, &notHeld);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                // Named as not held: a walk of digits for black, a kind with no walk code.
                if (notHeld.join(' ').contains(Square{r, c}.name()))
                    continue;
                const Piece before(board.at(r, c));
                const Piece after(p.board.at(r, c));
                QVERIFY2(after.side() == before.side() && after.letter() == before.letter(),
                         qPrintable(text + QStringLiteral(" at %1: %2")
                                               .arg((Square{r, c}).name())
                                               .arg(before.code())));
            }
    }
    QVERIFY(fairyLines > 100);
}

void TestPosition::conventionalCastling_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("castling");
    QTest::newRow("kings and rooks at home") << "e1=11 a1=3 h1=3 e8=12 a8=4 h8=4"
                                             << ""
                                             << "KQkq";
    QTest::newRow("king moved") << "f1=11 a1=3 h1=3 e8=12 h8=4"
                                << ""
                                << "k";
    QTest::newRow("a rook of the other side is no rook") << "e1=11 h1=4 a1=3"
                                                         << ""
                                                         << "Q";
    QTest::newRow("a fairy king does not castle") << "e1=5017 h1=3"
                                                  << ""
                                                  << "-";
    QTest::newRow("the condition forbids it") << "e1=11 h1=3"
                                              << "NoCastling"
                                              << "-";
}

void TestPosition::conventionalCastling()
{
    QFETCH(QString, board);
    QFETCH(QString, condition);
    const QString line = ClipboardPosition(boardOf(board), condition, {});
    QTEST(line.section(QLatin1Char(' '), 2, 2), "castling");
}

void TestPosition::pastedFenFieldsAnItemCannotHold_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("lost");
    QTest::newRow("placement only") << "4k3/8/8/8/8/8/8/4K2R" << 0;
    QTest::newRow("the conventional rights") << "4k3/8/8/8/8/8/8/4K2R w K - 0 1" << 0;
    QTest::newRow("rights taken away") << "4k3/8/8/8/8/8/8/4K2R w - - 0 1" << 1;
    QTest::newRow("an en passant square") << "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1" << 1;
    QTest::newRow("both") << "r3k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1" << 2;
}

void TestPosition::pastedFenFieldsAnItemCannotHold()
{
    QFETCH(QString, line);
    const ParsedPosition p = ParsePositionLine(line);
    QVERIFY(p.ok());
    QTEST(int(FenFieldsNotHeld(line, p.board).size()), "lost");
}

QTEST_GUILESS_MAIN(TestPosition)
#include "tst_position.moc"
