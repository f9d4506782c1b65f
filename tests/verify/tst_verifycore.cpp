// The pieces of a verification that need no process: reading Popeye's output, judging it,
// comparing moves, the results file, the input text and the progress figures.
#include "interchange/position.h"
#include "model/failure.h"
#include "verify/movecompare.h"
#include "verify/popeyeoutput.h"
#include "verify/verifyresults.h"
#include "verify/scratchfolders.h"
#include "verify/verifyrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace vexil;

Q_DECLARE_METATYPE(vexil::Outcome)
Q_DECLARE_METATYPE(vexil::MoveMatch)

namespace {

QString recorded(const QString& folder, const QString& name)
{
    QFile file(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/data/%1/%2").arg(folder, name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll());
}

VerifyRecord sampleRecord(int number, const QByteArray& key, Outcome outcome)
{
    VerifyRecord record;
    record.number = number;
    record.key = key;
    record.options = QStringLiteral("MaxTime 60");
    record.outcome = outcome;
    record.detail = QStringLiteral("Xq4, \"quoted\"");
    record.solutions = 2;
    record.firstMoves = {QStringLiteral("Rf5-f2"), QStringLiteral("Rf5-b5")};
    record.storedMove = MoveMatch::Yes;
    record.seconds = 0.25;
    record.output = QStringLiteral("  1.Rf5-f2 Rg6-d6   2.Rf2-b2 Rd6-d1 #\n\u00e9");
    return record;
}

} // namespace

class TestVerifyCore : public QObject {
    Q_OBJECT
private slots:
    void recordedRuns_data();
    void recordedRuns();
    void solutionText();
    void expectedSolutions_data();
    void expectedSolutions();
    void compareMoves_data();
    void compareMoves();
    void compareFirstMove_data();
    void compareFirstMove();
    void readByTheItem_data();
    void readByTheItem();
    void resultsFileRoundTrip();
    void staleItems();
    void damagedResultsFile();
    void unwritableResultsFile();
    void resultsFileNotOurs_data();
    void resultsFileNotOurs();
    void staleScratchFoldersGo();
    void prepareInput_data();
    void prepareInput();
    void progress_data();
    void progress();
    void interruptedOutcomes_data();
    void interruptedOutcomes();
};

void TestVerifyCore::recordedRuns_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("outName");
    QTest::addColumn<QString>("errName");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("twins");
    QTest::addColumn<int>("solutions");
    QTest::addColumn<QString>("firstMoves");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("detail");

    const QString out = QStringLiteral("stdout.txt");
    const QString err = QStringLiteral("stderr.txt");
    const QStringList none;
    const QStringList twoLines{QStringLiteral("1.Rf2 Rd6 2.Rb2 Rd1#"),
                               QStringLiteral("1.Rb5 Rd6 2.Rb2 Rd1#")};
    QTest::newRow("one key") << "01-direct-unique" << out << err << none << false << 1 << 1
                             << "Rb3-g3" << Outcome::Sound << "";
    QTest::newRow("six keys and a short mate")
        << "02-direct-cooked" << out << err << none << false << 1 << 7
        << "Qg1-a7, Qg1-g7, Qg1-g5, Qg1-g4, Qg1-g3, Qg1-g2, Kf6-f7" << Outcome::Cooked << "";
    QTest::newRow("nothing found") << "03-no-solution" << out << err << none << false << 1 << 0
                                   << "" << Outcome::NoSolution << "";
    QTest::newRow("help play, one intended") << "04-helpmate-2sol" << out << err << none << false
                                             << 1 << 2 << "Rf5-f2, Rf5-b5" << Outcome::Cooked << "";
    QTest::newRow("help play, two intended")
        << "04-helpmate-2sol" << out << err << twoLines << false << 1 << 2 << "Rf5-f2, Rf5-b5"
        << Outcome::Sound << "";
    QTest::newRow("help play, three intended")
        << "04-helpmate-2sol" << out << err << (twoLines + QStringList{"1.Rf3"}) << false << 1 << 2
        << "Rf5-f2, Rf5-b5" << Outcome::NoSolution << "fewer solutions than stored";
    QTest::newRow("Circe rebirth") << "05-fairy-grasshopper-circe" << out << err << none << false
                                   << 1 << 1 << "Kd6-e5" << Outcome::Sound << "";
    const QStringList twinsAsPrinted = recorded("06-twins", "stdout.txt").split(u'\n');
    QTest::newRow("twins, Popeye's own output stored")
        << "06-twins" << out << err << twinsAsPrinted << false << 7 << 14
        << "Rf5-f2, Rf5-b5, Rf5-d5, Rd6-d2, Rd6-g6, Rc5-c2, Rc5-g5" << Outcome::Sound << "";
    QTest::newRow("twins, one without solution")
        << "06-twins" << out << err << twoLines << false << 7 << 14
        << "Rf5-f2, Rf5-b5, Rf5-d5, Rd6-d2, Rd6-g6, Rc5-c2, Rc5-g5" << Outcome::Cooked << "";
    QTest::newRow("set play and a try are no keys")
        << "07-setplay-try" << out << err << none << false << 1 << 1 << "Qh4-e7" << Outcome::Sound
        << "";
    QTest::newRow("MaxTime") << "08a-timeout-option-maxtime" << out << err << none << false << 1
                             << 0 << "" << Outcome::TimeLimit << "";
    QTest::newRow("interrupted after many solutions")
        << "08c-timeout-helpmate-partial" << out << err << none << false << 1 << 642
        << "Sb1-c3, Sb1-a3, Sg1-h3, a2-a4, a2-a3, b2-b4, b2-b3, c2-c4, c2-c3, d2-d4, "
           "d2-d3, e2-e4, e2-e3, f2-f4, g2-g3, h2-h4, h2-h3"
        << Outcome::Cooked << "";
    QTest::newRow("unknown piece") << "09-input-errors" << out << err << none << false << 1 << 0
                                   << "" << Outcome::InputError << "Xq4";
    QTest::newRow("unknown piece, streams merged")
        << "09-input-errors" << QStringLiteral("combined.txt") << QString() << none << false << 1
        << 0 << "" << Outcome::InputError << "Xq4";
    QTest::newRow("second problem wrong") << "10-multi-problem-file" << out << err << none << false
                                          << 1 << 1 << "Rb3-g3" << Outcome::InputError << "#x";
    QTest::newRow("royal piece beside a king")
        << "12-royal-piece-and-king" << out << err << none << false << 1 << 0 << ""
        << Outcome::InputError << "only one king allowed";
    QTest::newRow("no end line") << "13-eof-without-endproblem" << out << err << none << false << 1
                                 << 0 << "" << Outcome::Failed << "no end line";
    QTest::newRow("complaint in French") << "14-no-beginproblem" << out << err << none << false << 1
                                         << 0 << "" << Outcome::InputError << "Author";
    QTest::newRow("killed by a signal") << "16-sigkill" << out << err << none << true << 1 << 0
                                        << "" << Outcome::Failed << "Popeye crashed";
    QTest::newRow("missing input file")
        << "19-missing-input-file" << out << err << none << false << 1 << 0 << ""
        << Outcome::InputError << "error opening input file: No such file or directory";
    QTest::newRow("zero position and a twin error")
        << "24-duplex-and-zeroposition" << out << err << none << false << 2 << 4 << "Rf5-f2, Rf5-b5"
        << Outcome::InputError << "g7: square is empty - cannot (re)move any piece.";
    QTest::newRow("bad stipulation")
        << "25-e3" << out << err << none << false << 1 << 0 << "" << Outcome::InputError << "#x";
    QTest::newRow("twin without squares")
        << "25-e12" << out << err << none << false << 2 << 2 << "Rb3-g3" << Outcome::InputError
        << "wrong terminated SquareList - ignored";
}

void TestVerifyCore::recordedRuns()
{
    QFETCH(QString, folder);
    QFETCH(QString, outName);
    QFETCH(QString, errName);
    QFETCH(QStringList, stored);
    QFETCH(bool, crashed);
    QFETCH(int, twins);
    QFETCH(int, solutions);
    QFETCH(QString, firstMoves);
    QFETCH(Outcome, outcome);
    QFETCH(QString, detail);

    const QString out = recorded(folder, outName);
    QVERIFY(!out.isEmpty() || folder.startsWith(u"19"));
    const PopeyeReport report =
        ParsePopeyeOutput(out, errName.isEmpty() ? QString() : recorded(folder, errName));
    QCOMPARE(report.twins.size(), twins);
    QCOMPARE(report.solutionCount(), solutions);
    QCOMPARE(report.firstMoves().join(QStringLiteral(", ")), firstMoves);
    const Verdict verdict = JudgeReport(report, stored, false, crashed);
    QCOMPARE(OutcomeText(verdict.outcome), OutcomeText(outcome));
    QCOMPARE(verdict.detail, detail);
}

void TestVerifyCore::solutionText()
{
    // The board, the version line and the end line are no part of the solution.
    const PopeyeReport board = ParsePopeyeOutput(recorded("01-direct-unique", "stdout.txt"), {});
    QCOMPARE(board.solutionText, QStringLiteral("   1.Rb3-g3 ! threat:\n          2.Rg3-g8 #"));
    const PopeyeReport twins = ParsePopeyeOutput(recorded("06-twins", "stdout.txt"), {});
    QVERIFY(twins.solutionText.startsWith(u"a) \n\n  1.Rf5-f2 Rg6-d6"));
    QVERIFY(twins.solutionText.endsWith(u"  1.Rc5-g5 Rb6-e6   2.Rg5-g2 Re6-e1 #"));
    QCOMPARE(board.end, PopeyeReport::End::Finished);
    QCOMPARE(ParsePopeyeOutput(recorded("08a-timeout-option-maxtime", "stdout.txt"), {}).end,
             PopeyeReport::End::Interrupted);
    // A deadline kill of a search that found nothing yet is a time limit, not a failure.
    const PopeyeReport cut = ParsePopeyeOutput(recorded("16-sigkill", "stdout.txt"), {});
    QCOMPARE(JudgeReport(cut, {}, true, true).outcome, Outcome::TimeLimit);
}

void TestVerifyCore::expectedSolutions_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("twin");
    QTest::addColumn<int>("expected");
    QTest::newRow("none stored") << QStringList() << "" << 1;
    QTest::newRow("comment only") << QStringList{"A nice problem"} << "" << 1;
    QTest::newRow("two lines and a remark")
        << QStringList{"1.Rf2 Rd6 2.Rb2 Rd1#", " 1.Rb5 Rd6 2.Rb2 Rd1#", "", "Echo."} << "" << 2;
    QTest::newRow("black first") << QStringList{"1...Sc3 2.f5 e4", "1...a4 2.f5 e4"} << "" << 2;
    QTest::newRow("moves of later turns do not count")
        << QStringList{"1.Kd6-e5 Gc4-e6", "2.Ke5-f4 Kd3-e2"} << "" << 1;
    QTest::newRow("per twin") << QStringList{"a) 1.Kd6-e5 Gc4-e6", "1.Kd6-d5 Gc4-e6",
                                             "b) 1.Kd6-c5 Gc4-b5"}
                              << "a" << 2;
    QTest::newRow("per twin, second")
        << QStringList{"a) 1.Kd6-e5", "1.Kd6-d5", "b) 1.Kd6-c5"} << "b" << 1;
    QTest::newRow("twin not named in the stored solution")
        << QStringList{"a) 1.Kd6-e5", "1.Kd6-d5"} << "c" << 1;
    QTest::newRow("Popeye's twins, stored without labels")
        << QStringList{"1.Kd6-e5", "1.Kd6-d5"} << "b" << 2;
    QTest::newRow("continued twin heading")
        << QStringList{"a) 1.Kd6-e5", "+b) -bPc4", "1.Kd6-d5", "1.Kd6-c5"} << "b" << 2;
    QTest::newRow("lines behind a continued heading are not the twin before")
        << QStringList{"a) 1.Kd6-e5", "+b) -bPc4", "1.Kd6-d5", "1.Kd6-c5"} << "a" << 1;
    QTest::newRow("named without a line tells nothing")
        << QStringList{"a) 1.Kd6-e5", "b) ..."} << "b" << -1;
}

void TestVerifyCore::expectedSolutions()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, twin);
    QFETCH(int, expected);
    QCOMPARE(ExpectedSolutions(stored, twin), expected);
}

void TestVerifyCore::compareMoves_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("popeye");
    QTest::addColumn<MoveMatch>("expected");
    QTest::newRow("short king move") << "Kf7"
                                     << "Kf6-f7" << MoveMatch::Yes;
    QTest::newRow("capture") << "Sxf3"
                             << "Sg1*f3" << MoveMatch::Yes;
    QTest::newRow("promotion") << "e8Q"
                               << "e7-e8=Q" << MoveMatch::Yes;
    QTest::newRow("promotion with =") << "e8=Q"
                                      << "e7-e8=Q" << MoveMatch::Yes;
    QTest::newRow("other promotion") << "e8Q"
                                     << "e7-e8=S" << MoveMatch::No;
    QTest::newRow("promotion not named") << "e8"
                                         << "e7-e8=Q" << MoveMatch::Yes;
    QTest::newRow("numbered, with mark") << "1.Kf7!"
                                         << "Kf6-f7" << MoveMatch::Yes;
    QTest::newRow("long form with check") << "Qc4-c5+!"
                                          << "Qc4-c5" << MoveMatch::Yes;
    QTest::newRow("other square") << "Kf7"
                                  << "Kf6-e7" << MoveMatch::No;
    QTest::newRow("other piece") << "Qf7"
                                 << "Kf6-f7" << MoveMatch::No;
    QTest::newRow("pawn against piece") << "f7"
                                        << "Kf6-f7" << MoveMatch::No;
    QTest::newRow("long castling") << "O-O-O"
                                   << "0-0-0" << MoveMatch::Yes;
    QTest::newRow("short against long castling") << "O-O"
                                                 << "0-0-0" << MoveMatch::No;
    QTest::newRow("pawn capture") << "exd5"
                                  << "e4*d5" << MoveMatch::Yes;
    QTest::newRow("English knight") << "Nf3"
                                    << "Sg1-f3" << MoveMatch::Yes;
    QTest::newRow("nightrider is no knight") << "Sf3"
                                             << "Ng1-f3" << MoveMatch::No;
    QTest::newRow("neutral piece") << "nQh5"
                                   << "nQh1-h5" << MoveMatch::Yes;
    QTest::newRow("two-letter fairy piece") << "ALd4"
                                            << "ALb2-d4" << MoveMatch::Yes;
    QTest::newRow("Circe rebirth") << "Re4xf4"
                                   << "Re4*f4[+wGf8]" << MoveMatch::Yes;
    QTest::newRow("ellipsis") << "..."
                              << "Kf6-f7" << MoveMatch::Unknown;
    QTest::newRow("a word") << "zz"
                            << "Kf6-f7" << MoveMatch::Unknown;
    QTest::newRow("no Popeye move") << "Kf7"
                                    << "" << MoveMatch::Unknown;
}

void TestVerifyCore::compareMoves()
{
    QFETCH(QString, stored);
    QFETCH(QString, popeye);
    QFETCH(MoveMatch, expected);
    QCOMPARE(MoveMatchText(CompareMoves(stored, popeye)), MoveMatchText(expected));
}

void TestVerifyCore::compareFirstMove_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("popeye");
    QTest::addColumn<QString>("expected");
    QTest::newRow("key among one")
        << QStringList{"1.Ra7-b7! zz", "1...Kh8-g8 2.Rb7-b8#"} << QStringList{"Ra7-b7"} << "yes";
    QTest::newRow("twin label") << QStringList{"a) 1.Kd6-e5 Gc4-e6"}
                                << QStringList{"Kd6-c5", "Kd6-e5"} << "yes";
    QTest::newRow("first numbered line counts")
        << QStringList{"Some remark", "1.Qd1-h5!"} << QStringList{"Qd1-g4"} << "no";
    QTest::newRow("black first") << QStringList{"1...Sc3 2.f5 e4"} << QStringList{"Sb1-c3"}
                                 << "yes";
    QTest::newRow("nothing stored") << QStringList() << QStringList{"Kf6-f7"} << "?";
    QTest::newRow("Popeye found nothing") << QStringList{"1.Kf7"} << QStringList() << "?";
    QTest::newRow("unreadable stored move")
        << QStringList{"1.? Rf1#"} << QStringList{"Kf6-f7"} << "?";
    QTest::newRow("set play before the key")
        << QStringList{"1...Ka5 2.Qd8#", "1...Kc5 2.Qd4#", "1.Qe7! zz"} << QStringList{"Qh4-e7"}
        << "yes";
    QTest::newRow("a try before the key")
        << QStringList{"1.Qh7? zz 1...Ka5 2.Qa7#", "but 1...Kc5!", "1.Qe7! zz"}
        << QStringList{"Qh4-e7"} << "yes";
    QTest::newRow("the key marked apart, after an unmarked line")
        << QStringList{"1.Rb7 zz", "1.Rg3 ! threat: 2.Rg8#"} << QStringList{"Rb3-g3"} << "yes";
    QTest::newRow("Popeye's own output stored")
        << recorded("07-setplay-try", "stdout.txt").split(u'\n') << QStringList{"Qh4-e7"} << "yes";
    QTest::newRow("English knight, capturing")
        << QStringList{"1.Nxd5! Kc6"} << QStringList{"Sf4*d5"} << "yes";
    QTest::newRow("every twin's key found") << QStringList{"a) 1.Kd6-e5!", "+b) -bPc4", "1.Kd6-c5!"}
                                            << QStringList{"Kd6-e5", "Kd6-c5"} << "yes";
    QTest::newRow("one twin's key missing")
        << QStringList{"a) 1.Kd6-e5!", "+b) -bPc4", "1.Kd6-c5!"} << QStringList{"Kd6-e5"} << "no";
}

void TestVerifyCore::compareFirstMove()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, popeye);
    QFETCH(QString, expected);
    QCOMPARE(MoveMatchText(CompareFirstMove(stored, popeye)), expected);
}

// The stored solution read by the item's own twins: its stipulation and its boards.
void TestVerifyCore::readByTheItem_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("help play, White to play")
        << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"
        << "h#3"
        << "WhiteToPlay" << QStringList()
        << QStringList{"1...Sc3 2.f5 e4 3.g5 Qh5#", "1...e4 2.f5 Sc3 3.g5 Qh5#"} << "" << 2
        << QStringList{"Sc3"};
    QTest::newRow("set play, a try and the key marked apart")
        << "8/8/1k6/1B6/7Q/2KB4/8/8"
        << "#2"
        << "" << QStringList()
        << QStringList{"1...Ka5 2.Qd8#", "1.Qh7 ? zz", "but 1...Kc5 !", "1.Qe7 ! zz"} << "" << 1
        << QStringList{"Qe7"};
    QTest::newRow("twins by their headings")
        << "8/8/8/8/2p2r2/7p/8/2k4K"
        << "h#2"
        << "" << QStringList{"Twin Remove c4"}
        << QStringList{"a) 1.Rf2 Kg3 2.Rb2 Kh2 ...", "1.Rb5 Kg4 ...", "+b) -bPc4", "1.Rd5 Kg3 ..."}
        << "b" << 1 << QStringList{"Rf2", "Rd5"};
}

void TestVerifyCore::readByTheItem()
{
    QFETCH(QString, position);
    QFETCH(QString, stipulation);
    QFETCH(QString, condition);
    QFETCH(QStringList, twins);
    QFETCH(QStringList, stored);
    QFETCH(QString, label);
    QFETCH(int, expected);
    QFETCH(QStringList, keys);
    Item item;
    item.board = ParsePosition(position, PositionNotation::Fen).board;
    item.stipulation = stipulation;
    item.condition = condition;
    item.twins = twins;
    item.solution = stored;
    const QList<Twin> positions = BuildTwins(item);
    QCOMPARE(ExpectedSolutions(stored, label, positions), expected);
    QCOMPARE(StoredKeys(stored, positions), keys);
}

void TestVerifyCore::resultsFileRoundTrip()
{
    QTemporaryDir folder;
    const QString path = VerifyResultsPath(folder.filePath(QStringLiteral("c.dgr")));
    QCOMPARE(path, folder.filePath(QStringLiteral("c.dgr.verify")));
    VerifyResults results;
    const QList<Outcome>& outcomes = AllOutcomes();
    for (int n = 1; n <= outcomes.size(); ++n)
        results.put(
            sampleRecord(n, ItemKey(QByteArray::number(n), u"MaxTime 60"), outcomes[n - 1]));
    results.write(path);
    QString problem;
    const VerifyResults back = VerifyResults::read(path, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(back.records(), results.records());
    QCOMPARE(back.size(), outcomes.size());
    QVERIFY(!QFile::exists(path + QStringLiteral(".damaged")));
}

void TestVerifyCore::staleItems()
{
    // Items 1 to 4; item 3's lines change, and then the options.
    QHash<int, QByteArray> lines{{1, "one"}, {2, "two"}, {3, "three"}, {4, "four"}};
    QString options = VerifyOptionsText(60);
    auto key = [&](int n) { return ItemKey(lines.value(n), options); };
    VerifyResults results;
    for (int n = 1; n <= 3; ++n)
        results.put(sampleRecord(n, key(n), Outcome::Sound));
    QCOMPARE(StaleItems(results, {1, 2, 3, 4}, key), (QList<int>{4}));
    lines[3] = "three, edited";
    QCOMPARE(StaleItems(results, {1, 2, 3, 4}, key), (QList<int>{3, 4}));
    // An item moved to another place keeps its result.
    lines[4] = "one";
    QCOMPARE(StaleItems(results, {4}, key), QList<int>());
    options = VerifyOptionsText(30);
    QCOMPARE(StaleItems(results, {1, 2}, key), (QList<int>{1, 2}));
    // Results of items that are gone or changed are dropped, under their own options.
    VerifyRecord other = sampleRecord(2, ItemKey("two", u"MaxTime 30"), Outcome::Cooked);
    other.options = QStringLiteral("MaxTime 30");
    results.put(other);
    QCOMPARE(results.size(), 4);
    results.keepItems(2, [&](int n) { return lines.value(n); });
    QCOMPARE(results.size(), 3);
    QStringList kept;
    for (const VerifyRecord& record : results.records())
        kept.append(QStringLiteral("%1 %2").arg(record.number).arg(record.options));
    kept.sort();
    QCOMPARE(kept, (QStringList{"1 MaxTime 60", "2 MaxTime 30", "2 MaxTime 60"}));
    results.keepOnly({ItemKey("two", VerifyOptionsText(60))});
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.records().first().number, 2);
}

void TestVerifyCore::damagedResultsFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("c.dgr.verify"));
    for (const QByteArray& bytes :
         {QByteArray("{ not json"), QByteArray("{\"format\":\"other\"}")}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QString problem;
        const VerifyResults results = VerifyResults::read(path, &problem);
        QCOMPARE(results.size(), 0);
        QVERIFY(problem.contains(u".damaged"));
        QFile kept(path + QStringLiteral(".damaged"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
    }
    QString problem;
    QCOMPARE(
        VerifyResults::read(folder.filePath(QStringLiteral("missing.verify")), &problem).size(), 0);
    QVERIFY(problem.isEmpty());
}

void TestVerifyCore::unwritableResultsFile()
{
    QTemporaryDir folder;
    VerifyResults results;
    results.put(sampleRecord(1, "k", Outcome::Sound));
    const QString path = folder.filePath(QStringLiteral("no/such/folder/c.dgr.verify"));
    QVERIFY_THROWS_EXCEPTION(Failure, results.write(path));
}

void TestVerifyCore::resultsFileNotOurs_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("read");         // the results in it are read
    QTest::addColumn<bool>("writable");     // the window may write its results there
    QTest::addColumn<bool>("writeRefused"); // a write there is refused
    QTest::newRow("pipe") << "pipe" << false << false << true;
    QTest::newRow("link to an endless device") << "link to /dev/zero" << false << false << true;
    QTest::newRow("link to the user's notes") << "link to notes" << false << false << true;
    QTest::newRow("larger than 64 MB") << "large" << false << false << false;
    QTest::newRow("read-only") << "read-only" << true << true << true;
}

void TestVerifyCore::resultsFileNotOurs()
{
    QFETCH(QString, what);
    QFETCH(bool, read);
    QFETCH(bool, writable);
    QFETCH(bool, writeRefused);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("c.dgr.verify"));
    const QString notes = folder.filePath(QStringLiteral("notes.txt"));
    VerifyResults results;
    results.put(sampleRecord(1, "k", Outcome::Sound));
    results.write(notes);
    const QByteArray notesBytes = results.toBytes();
    if (what == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (what.startsWith(QLatin1String("link to"))) {
        QVERIFY(QFile::link(
            what == QLatin1String("link to notes") ? notes : QStringLiteral("/dev/zero"), path));
    } else if (what == QLatin1String("large")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize((qint64(64) << 20) + 1));
    } else {
        results.write(path);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    }
    QString problem;
    bool mayWrite = !writable;
    const VerifyResults found = VerifyResults::read(path, &problem, &mayWrite);
    QCOMPARE(found.size(), read ? 1 : 0);
    QCOMPARE(mayWrite, writable);
    QCOMPARE(problem.isEmpty(), read);
    QVERIFY(!QFile::exists(path + QStringLiteral(".damaged")));
    if (writeRefused) {
        VerifyResults other;
        other.put(sampleRecord(2, "j", Outcome::Cooked));
        QVERIFY_THROWS_EXCEPTION(Failure, other.write(path));
    }
    QFile kept(notes);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), notesBytes);
    if (what == QLatin1String("read-only"))
        QCOMPARE(VerifyResults::read(path).records(), results.records());
}

void TestVerifyCore::staleScratchFoldersGo()
{
    QTemporaryDir temp;
    // A process that has ended, and this one.
    QProcess ended;
    ended.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    QVERIFY(ended.waitForStarted());
    const QString gone = QString::number(ended.processId());
    QVERIFY(ended.waitForFinished());
    const QString mine = QString::number(QCoreApplication::applicationPid());
    const QStringList names{"vexil-verify-" + gone + "-aaaaaa", "vexil-verify-" + mine + "-bbbbbb",
                            "vexil-verify-cccccc", "other-" + gone + "-dddddd"};
    for (const QString& name : names) {
        QVERIFY(QDir(temp.path()).mkpath(name + "/inner"));
        QFile file(temp.filePath(name + "/inner/1.in"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // A link of such a name leads elsewhere: neither it nor what it leads to is touched.
    const QString target = temp.filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkpath(target + "/keep"));
    QVERIFY(QFile::link(target, temp.filePath("vexil-verify-" + gone + "-link")));

    QCOMPARE(RemoveStaleVerifyFolders(temp.path()), 1);
    QVERIFY(!QFileInfo::exists(temp.filePath(names[0])));
    for (const QString& name : names.mid(1))
        QVERIFY2(QFileInfo(temp.filePath(name + "/inner/1.in")).isFile(), qPrintable(name));
    QVERIFY(QFileInfo(temp.filePath("vexil-verify-" + gone + "-link")).isSymLink());
    QVERIFY(QFileInfo(target + "/keep").isDir());
    // The folder a verification of this process makes carries its number.
    QVERIFY(VerifyFolderTemplate().contains("vexil-verify-" + mine + "-"));
}

void TestVerifyCore::prepareInput_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("protocol out, MaxTime in")
        << QByteArray("BeginProblem\r\nAuthor A\r\nProtocol C:\\Chess\\py.txt\r\nPieces\r\n"
                      "Stipulation #2\r\nOption Variation NoBoard\r\nTwin Move e1 f1\r\n"
                      "EndProblem\r\n")
        << QByteArray("BeginProblem\nAuthor A\nPieces\nStipulation #2\n"
                      "Option Variation NoBoard MaxTime 7\nTwin Move e1 f1\nEndProblem\n");
    QTest::newRow("no option line")
        << QByteArray("BeginProblem\nStipulation #2\nEndProblem\n")
        << QByteArray("BeginProblem\nStipulation #2\nOption MaxTime 7\nEndProblem\n");
    QTest::newRow("no end") << QByteArray("BeginProblem\nStipulation #2")
                            << QByteArray("BeginProblem\nStipulation #2\nOption MaxTime 7\n");
    QTest::newRow("an author named Protocol stays")
        << QByteArray("Author Protocol\nOption NoBoard\n")
        << QByteArray("Author Protocol\nOption NoBoard MaxTime 7\n");
}

void TestVerifyCore::prepareInput()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(PrepareVerifyInput(text, 7), expected);
}

void TestVerifyCore::progress_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QList<double>>("running");
    QTest::addColumn<double>("average");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<QString>("text");
    const QList<double> none;
    QTest::newRow("nothing done") << 0 << 10 << qint64(1000) << none << 0.0 << 1 << "0 / 10 done";
    QTest::newRow("half") << 5 << 10 << qint64(30000) << none << 0.0 << 1
                          << "5 / 10 done, 10 items per minute, 0:30 left";
    QTest::newRow("hours left") << 1 << 1000 << qint64(10000) << none << 0.0 << 1
                                << "1 / 1000 done, 6 items per minute, 2:46:30 left";
    QTest::newRow("all done") << 10 << 10 << qint64(60000) << none << 0.0 << 1
                              << "10 / 10 done, 10 items per minute";
    // 100 quick items done, the last one searching for 30 s of its 60 s: not a second left.
    QTest::newRow("a long item still running")
        << 100 << 101 << qint64(40000) << QList<double>{30.0} << 0.1 << 2
        << "100 / 101 done, 150 items per minute, 0:30 left";
    QTest::newRow("never past the deadline")
        << 100 << 101 << qint64(70000) << QList<double>{60.0} << 0.1 << 2
        << "100 / 101 done, 86 items per minute, 0:05 left";
    QTest::newRow("running items finish at their average")
        << 2 << 6 << qint64(20000) << QList<double>{2.0, 4.0} << 10.0 << 2
        << "2 / 6 done, 6 items per minute, 0:17 left";
}

void TestVerifyCore::progress()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(qint64, elapsed);
    QFETCH(QList<double>, running);
    QFETCH(double, average);
    QFETCH(int, parallel);
    QFETCH(QString, text);
    const RunningItems items{running, average, parallel, 65.0};
    QCOMPARE(ProgressText(MeasureProgress(done, total, elapsed, items)), text);
}

void TestVerifyCore::interruptedOutcomes_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("killed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("many solutions before the time limit")
        << "08c-timeout-helpmate-partial" << false << "cooked (interrupted)";
    QTest::newRow("cooked before the deadline kill")
        << "04-helpmate-2sol" << true << "cooked (interrupted)";
    QTest::newRow("cooked, search finished") << "04-helpmate-2sol" << false << "cooked";
    QTest::newRow("nothing found before the limit")
        << "08a-timeout-option-maxtime" << false << "time limit";
}

void TestVerifyCore::interruptedOutcomes()
{
    QFETCH(QString, folder);
    QFETCH(bool, killed);
    QFETCH(QString, shown);
    const PopeyeReport report = ParsePopeyeOutput(recorded(folder, "stdout.txt"), {});
    const Verdict verdict = JudgeReport(report, {}, killed, false);
    VerifyRecord record;
    record.outcome = verdict.outcome;
    record.interrupted = verdict.interrupted;
    QCOMPARE(RecordOutcomeText(record), shown);
    // The mark is kept with the result.
    record.key = "k";
    VerifyResults results;
    results.put(record);
    QTemporaryDir dir;
    results.write(dir.filePath("r.verify"));
    QCOMPARE(RecordOutcomeText(*VerifyResults::read(dir.filePath("r.verify")).find("k")), shown);
}

QTEST_GUILESS_MAIN(TestVerifyCore)
#include "tst_verifycore.moc"
