// What the solve window says after a run: Popeye's input errors, Stockfish's answer in a line,
// and why a program cannot be started.
#include "model/sampleitems.h"
#include "solve/solverreport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexil;

class TestSolverReport : public QObject {
    Q_OBJECT
private slots:
    void popeyeInputErrors_data();
    void popeyeInputErrors();
    void stockfishSummary_data();
    void stockfishSummary();
    void programProblem_data();
    void programProblem();
};

void TestSolverReport::popeyeInputErrors_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("eight complaints")
        << "09-input-errors/stderr.txt" << 8 << "Popeye finished: 8 input errors";
    QTest::newRow("in French") << "14-no-beginproblem/stderr.txt" << 1
                               << "Popeye finished: 1 input error";
    QTest::newRow("none") << "06-twins/stdout.txt" << 0 << "";
}

void TestSolverReport::popeyeInputErrors()
{
    QFETCH(QString, file);
    QFETCH(int, count);
    QFETCH(QString, text);
    const QByteArray bytes =
        test::fileBytes(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/data/") + file);
    QVERIFY(!bytes.isEmpty());
    const int found = PopeyeInputErrors(QString::fromLatin1(bytes).split(u'\n'));
    QCOMPARE(found, count);
    QCOMPARE(PopeyeInputErrorText(found), text);
}

void TestSolverReport::stockfishSummary_data()
{
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<QStringList>("positions");
    QTest::addColumn<QString>("summary");
    const QStringList kings{"7k/8/5K2/8/8/8/8/6R1 w - -"};
    QTest::newRow("mate, from the last score")
        << QStringList{"info depth 1 score cp 50 pv f6f7",
                       "info depth 8 seldepth 4 score mate 2 nodes 9 pv f6f7 h8h7",
                       "bestmove f6f7 ponder h8h7"}
        << kings << "Mate in 2: 1.Kf7";
    QTest::newRow("best move and pawns")
        << QStringList{"info depth 20 score cp 320 pv g1g7", "bestmove g1g7"} << kings
        << "Best move 1.Rg7, +3.2";
    QTest::newRow("black to move counts for White")
        << QStringList{"info depth 20 score cp 150 pv h8g8", "bestmove h8g8"}
        << QStringList{"7k/8/5K2/8/8/8/8/6R1 b - -"} << "Best move 1...Kg8, -1.5";
    QTest::newRow("mated") << QStringList{"info depth 5 score mate -1 pv h8h7", "bestmove h8h7"}
                           << QStringList{"7k/8/5K2/8/8/8/8/6R1 b - -"} << "Mated in 1: 1...Kh7";
    QTest::newRow("knight capture, as the program writes it")
        << QStringList{"info score cp -20 pv g1f3", "bestmove g1f3"}
        << QStringList{"4k3/8/8/8/8/5p2/8/4K1N1 w - -"} << "Best move 1.Sxf3, -0.2";
    QTest::newRow("pawn capture en passant")
        << QStringList{"info score cp 0 pv e5d6", "bestmove e5d6"}
        << QStringList{"4k3/8/8/3pP3/8/8/8/4K3 w - d6"} << "Best move 1.exd6, +0.0";
    QTest::newRow("promotion") << QStringList{"info score mate 1 pv b7b8q", "bestmove b7b8q"}
                               << QStringList{"k7/1P6/1K6/8/8/8/8/8 w - -"} << "Mate in 1: 1.b8=Q";
    QTest::newRow("castling") << QStringList{"info score cp 10 pv e1g1", "bestmove e1g1"}
                              << QStringList{"4k3/8/8/8/8/8/8/4K2R w K -"}
                              << "Best move 1.O-O, +0.1";
    QTest::newRow("the second position's answer")
        << QStringList{"info score cp 5 pv e1e2", "bestmove e1e2", "info score mate 1 pv g1g8",
                       "bestmove g1g8"}
        << QStringList{"4k3/8/8/8/8/8/8/4K3 w - -", "7k/8/6K1/8/8/8/8/6R1 w - -"}
        << "Mate in 1: 1.Rg8";
    QTest::newRow("no position to read the move in")
        << QStringList{"info score cp 30 pv e2e4", "bestmove e2e4"} << QStringList()
        << "Best move 1.e2e4, +0.3";
    QTest::newRow("no move") << QStringList{"info depth 0 score mate 0", "bestmove (none)"} << kings
                             << "";
    QTest::newRow("nothing but a bench summary")
        << QStringList{"Total time (ms) : 10", "Nodes searched  : 5"} << kings << "";
}

void TestSolverReport::stockfishSummary()
{
    QFETCH(QStringList, output);
    QFETCH(QStringList, positions);
    QFETCH(QString, summary);
    QCOMPARE(StockfishSummary(output, positions), summary);
}

void TestSolverReport::programProblem_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem");
    QTest::newRow("nothing set") << "  "
                                 << "no program is set";
    QTest::newRow("missing") << "/no/such/popeye"
                             << "not found";
    QTest::newRow("bare name not in PATH") << "no-such-popeye-anywhere"
                                           << "not found";
    QTest::newRow("bare name in PATH") << "sh"
                                       << "";
    QTest::newRow("a folder") << VEXIL_SOURCE_DIR "/tests"
                              << "not a program";
    QTest::newRow("not executable") << VEXIL_SOURCE_DIR "/README.md"
                                    << "not executable";
    QTest::newRow("a program") << VEXIL_SOURCE_DIR "/tests/solve/fake-popeye"
                               << "";
}

void TestSolverReport::programProblem()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    QCOMPARE(ProgramProblem(path), problem);
}

QTEST_GUILESS_MAIN(TestSolverReport)
#include "tst_solverreport.moc"
