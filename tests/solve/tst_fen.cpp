#include "boards.h"
#include "model/failure.h"
#include "solve/fen.h"

#include <QProcess>
#include <QtTest>

using namespace vexil;
using test::boardOf;

class TestFen : public QObject {
    Q_OBJECT
private slots:
    void fenLine_data();
    void fenLine();
    void positionCheck_data();
    void positionCheck();
    void checkNamesTheLine();
    void arguments_data();
    void arguments();
    void timeMustBeAnInteger();
};

void TestFen::fenLine_data()
{
    QTest::addColumn<QStringList>("board");
    QTest::addColumn<QString>("flags"); // b: black to move, K Q k q: castling
    QTest::addColumn<QString>("ep");
    QTest::addColumn<QString>("expected");
    QTest::newRow("example") << QStringList{"e1=11", "h1=3", "e8=12", "d5=2"} << "K"
                             << ""
                             << "4k3/8/8/3p4/8/8/8/4K2R w K -";
    QTest::newRow("empty board") << QStringList() << ""
                                 << ""
                                 << "8/8/8/8/8/8/8/8 w - -";
    QTest::newRow("black king a8") << QStringList{"a8=12"} << ""
                                   << ""
                                   << "k7/8/8/8/8/8/8/8 w - -";
    QTest::newRow("fairy, grasshopper, nightrider, marker count as empty")
        << QStringList{"a7=4017", "b6=13", "c5=16", "d4=20", "h3=719", "g2=504018"} << ""
        << ""
        << "8/8/8/8/8/8/8/8 w - -";
    QTest::newRow("knights are N, counts split by letters")
        << QStringList{"b1=5", "g8=6", "d2=9", "e2=10", "h2=7", "a2=8", "c7=1", "f7=4"} << ""
        << ""
        << "6n1/2P2r2/8/8/8/8/b2Qq2B/1N6 w - -";
    QTest::newRow("everything set") << QStringList{"e1=11", "e8=12"} << "bKQkq"
                                    << "e3"
                                    << "4k3/8/8/8/8/8/8/4K3 b KQkq e3";
    QTest::newRow("ep passed unchanged") << QStringList() << "q"
                                         << "x 9"
                                         << "8/8/8/8/8/8/8/8 w q x 9";
}

void TestFen::fenLine()
{
    QFETCH(QStringList, board);
    QFETCH(QString, flags);
    QFETCH(QString, ep);
    QFETCH(QString, expected);
    FenOptions options;
    options.blackToMove = flags.contains('b');
    options.whiteShort = flags.contains('K');
    options.whiteLong = flags.contains('Q');
    options.blackShort = flags.contains('k');
    options.blackLong = flags.contains('q');
    options.enPassant = ep;
    QCOMPARE(BuildFenLine(boardOf(board), options), expected);
}

void TestFen::positionCheck_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("problem"); // a word of the message; empty when sound
    QTest::newRow("start position") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
                                    << "";
    QTest::newRow("four fields, extra blanks") << "  4k3/8/8/3p4/8/8/8/4K2R   w K -  "
                                               << "";
    QTest::newRow("ep on the sixth rank") << "4k3/8/8/3pP3/8/8/8/R3K3 b Q d6"
                                          << "";
    QTest::newRow("white to move in check") << "4k3/8/8/8/8/8/4r3/4K3 w - -"
                                            << "";
    QTest::newRow("three fields") << "4k3/8/8/8/8/8/8/4K3 w -"
                                  << "fields";
    QTest::newRow("five fields") << "4k3/8/8/8/8/8/8/4K3 w - - 0"
                                 << "fields";
    QTest::newRow("blank") << "   "
                           << "fields";
    QTest::newRow("no FEN") << "Stipulation #2"
                            << "fields";
    QTest::newRow("seven ranks") << "4k3/8/8/8/8/8/4K3 w - -"
                                 << "ranks";
    QTest::newRow("rank of nine") << "4k3/9/8/8/8/8/8/4K3 w - -"
                                  << "piece letter";
    QTest::newRow("rank of seven") << "4k3/7/8/8/8/8/8/4K3 w - -"
                                   << "rank 7";
    QTest::newRow("rank too long") << "4k3/p8/8/8/8/8/8/4K3 w - -"
                                   << "rank 7";
    QTest::newRow("unknown letter") << "4k3/8/8/3x4/8/8/8/4K3 w - -"
                                    << "piece letter";
    QTest::newRow("empty board") << "8/8/8/8/8/8/8/8 w - -"
                                 << "white king";
    QTest::newRow("no black king") << "8/8/8/8/8/8/8/4K3 w - -"
                                   << "black king";
    QTest::newRow("two white kings") << "4k3/8/8/8/8/8/8/3KK3 w - -"
                                     << "white king";
    QTest::newRow("kings side by side") << "8/8/8/8/8/8/4k3/4K3 w - -"
                                        << "check";
    QTest::newRow("pawn on rank 8") << "P3k3/8/8/8/8/8/8/4K3 w - -"
                                    << "a8";
    QTest::newRow("pawn on rank 1") << "4k3/8/8/8/8/8/8/p3K3 w - -"
                                    << "a1";
    QTest::newRow("side letter") << "4k3/8/8/8/8/8/8/4K3 x - -"
                                 << "side";
    QTest::newRow("castling without rook") << "4k3/8/8/8/8/8/8/4K3 w K -"
                                           << "h1";
    QTest::newRow("castling king moved") << "r3k3/8/8/8/8/8/8/R2K4 w Q -"
                                         << "e1";
    QTest::newRow("black castling") << "r3k3/8/8/8/8/8/8/4K3 w k -"
                                    << "h8";
    QTest::newRow("castling letters twice") << "4k2r/8/8/8/8/8/8/4K3 w kk -"
                                            << "castling";
    QTest::newRow("castling letter unknown") << "4k3/8/8/8/8/8/8/4K3 w X -"
                                             << "castling";
    QTest::newRow("ep rank 4") << "4k3/8/8/8/4P3/8/8/4K3 b - e4"
                               << "en passant";
    QTest::newRow("ep not a square") << "4k3/8/8/8/8/8/8/4K3 b - e"
                                     << "en passant";
    QTest::newRow("counters not numbers") << "4k3/8/8/8/8/8/8/4K3 w - - x 1"
                                          << "counters";
    QTest::newRow("negative counter") << "4k3/8/8/8/8/8/8/4K3 w - - -1 1"
                                      << "counters";
    QTest::newRow("black in check, white to move") << "4k3/8/8/8/8/8/8/4RK2 w - -"
                                                   << "check";
    QTest::newRow("check by a pawn") << "8/8/8/8/8/5k2/4P3/4K3 w - -"
                                     << "check";
    QTest::newRow("a pawn attacks only forward") << "8/8/8/8/8/4P3/5k2/K7 w - -"
                                                 << "";
    QTest::newRow("check by a knight") << "4k3/8/3N4/8/8/8/8/4K3 w - -"
                                       << "check";
    QTest::newRow("check by a queen on the diagonal") << "4k3/8/8/8/Q7/8/8/4K3 w - -"
                                                      << "check";
    QTest::newRow("blocked bishop gives no check") << "4k3/3p4/8/8/Q7/8/8/4K3 w - -"
                                                   << "";
    QTest::newRow("white in check, black to move") << "4k3/8/8/8/8/8/8/4K2r b - -"
                                                   << "check";
}

void TestFen::positionCheck()
{
    QFETCH(QString, line);
    QFETCH(QString, problem);
    const std::optional<QString> found = FenPositionProblem(line);
    if (problem.isEmpty()) {
        QVERIFY2(!found, qPrintable(found.value_or(QString())));
        return;
    }
    QVERIFY(found.has_value());
    QVERIFY2(found->contains(problem), qPrintable(*found));
}

void TestFen::checkNamesTheLine()
{
    const QStringList lines = {"", "4k3/8/8/8/8/8/8/4K3 w - -", "  ", "8/8/8/8/8/8/8/8 w - -",
                               "junk"};
    const auto problem = CheckStockfishPositions(lines);
    QVERIFY(problem.has_value());
    QCOMPARE(problem->line, 4);
    QVERIFY(problem->message().startsWith(QStringLiteral("Line 4 ")));
    QCOMPARE(StockfishPositions(lines), QStringList({lines[1], lines[3], lines[4]}));
    QVERIFY(!CheckStockfishPositions({"", "4k3/8/8/8/8/8/8/4K3 w - -", ""}));
}

void TestFen::arguments_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("defaults") << "10"
                              << "/tmp/v/"
                              << QStringList{"bench",   "32", "1", "600000", "/tmp/v/ibench.txt",
                                             "movetime"};
    QTest::newRow("3 minutes") << "3"
                               << "/tmp/v/"
                               << QStringList{"bench",   "32", "1", "180000", "/tmp/v/ibench.txt",
                                              "movetime"};
    QTest::newRow("long limit does not overflow")
        << "100000"
        << "/v/" << QStringList{"bench", "32", "1", "6000000000", "/v/ibench.txt", "movetime"};
    QTest::newRow("folder with blanks and a quote stays one argument")
        << " 1"
        << "/home/a b/\"x\"/"
        << QStringList{"bench", "32", "1", "60000", "/home/a b/\"x\"/ibench.txt", "movetime"};
}

void TestFen::arguments()
{
    QFETCH(QString, minutes);
    QFETCH(QString, folder);
    QFETCH(QStringList, expected);
    QCOMPARE(StockfishArguments("32", "1", minutes, folder), expected);
}

void TestFen::timeMustBeAnInteger()
{
    for (const char* text : {"", "1.5", "ten", "10 min"}) {
        try {
            StockfishArguments("32", "1", QString::fromLatin1(text), "/v/");
            QFAIL(text);
        } catch (const Failure& failure) {
            QCOMPARE(failure.message,
                     QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

QTEST_GUILESS_MAIN(TestFen)
#include "tst_fen.moc"
