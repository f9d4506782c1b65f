#include "interchange/popeyefile.h"
#include "model/collection.h"
#include "model/piece.h"
#include "model/typedpieces.h"
#include "solution/solution.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace vexil;

namespace {

QByteArray recorded(const QString& folder, const QString& name)
{
    // The runs the verification tests already keep, and the few only this suite reads.
    for (const char* root :
         {VEXIL_SOURCE_DIR "/tests/verify/data/", VEXIL_SOURCE_DIR "/tests/solution/data/"}) {
        QFile file(QString::fromUtf8(root) + folder + u'/' + name);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return {};
}

// Popeye's output cut at its end lines, one part per problem.
QList<QStringList> problemsOf(const QByteArray& out)
{
    QList<QStringList> problems{{}};
    for (const QString& line : QString::fromUtf8(out).split(u'\n')) {
        problems.last() << line;
        if (line.startsWith(QLatin1String("solution finished")) ||
            line.startsWith(QLatin1String("solving interrupted")) ||
            line.startsWith(QLatin1String("Partial solution")))
            problems << QStringList();
    }
    problems.removeLast();
    return problems;
}

// The moves of an output line, counted by a pattern of its own rather than by the reader.
int movesWritten(const QString& line)
{
    static const QRegularExpression move(
        QStringLiteral("(^|\\s)(\\d+\\.+)?(n?[A-Z0-9]{0,2}[a-h][1-8][-*][a-h][1-8]\\S*|0-0(-0)?)"));
    int count = 0;
    for (auto it = move.globalMatch(line); it.hasNext(); it.next())
        ++count;
    return count;
}

Board boardOf(const QString& pieces)
{
    Board board;
    for (const TypedPiece& p : ParseTypedPieces(pieces).pieces)
        board.at(p.row, p.column) = p.code;
    return board;
}

Twin position(const QString& pieces, const QString& stipulation = QStringLiteral("#2"))
{
    Twin twin;
    twin.board = boardOf(pieces);
    twin.stipulation = stipulation;
    return twin;
}

QString squares(const SolutionLine& line)
{
    QStringList list;
    for (const SolutionMove& move : line.moves)
        list << (move.played() ? move.from.name() + move.to.name() : move.error);
    return list.join(u' ');
}

Item sampleItem(int number)
{
    const Collection collection =
        Collection::fromFile(QStringLiteral(VEXIL_SOURCE_DIR "/examples/sample.dgr"));
    return collection.readItem(collection.FindItemLine(number));
}

} // namespace

class TestSolution : public QObject {
    Q_OBJECT

private slots:
    void recordedRunsPlay_data();
    void recordedRunsPlay();
    void recordedTwins_data();
    void recordedTwins();
    void twinPositions_data();
    void twinPositions();
    void headerTwins_data();
    void headerTwins();
    void shortAlgebraic_data();
    void shortAlgebraic();
    void lineRoles_data();
    void lineRoles();
    void sampleSolutions_data();
    void sampleSolutions();
    void keysCompareAcrossNotations();
    void movesBeyondTheLimitAreNamed();
};

void TestSolution::recordedRunsPlay_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("minimumMoves");
    QTest::newRow("01 key and threat") << "01-direct-unique" << 2;
    QTest::newRow("02 cooked") << "02-direct-cooked" << 20;
    QTest::newRow("03 nothing") << "03-no-solution" << 0;
    QTest::newRow("04 helpmate") << "04-helpmate-2sol" << 8;
    QTest::newRow("05 grasshoppers, Circe rebirth") << "05-fairy-grasshopper-circe" << 4;
    QTest::newRow("06 twins") << "06-twins" << 40;
    QTest::newRow("07 set play and try") << "07-setplay-try" << 10;
    QTest::newRow("08a interrupted") << "08a-timeout-option-maxtime" << 0;
    QTest::newRow("08b finished, nothing") << "08b-timeout-cmdline-maxtime-only" << 0;
    QTest::newRow("08c white to play, h#5") << "08c-timeout-helpmate-partial" << 1000;
    QTest::newRow("08d partial") << "08d-maxsolutions-partial" << 8;
    QTest::newRow("12 ignored") << "12-royal-piece-and-king" << 0;
    QTest::newRow("24 zero position") << "24-duplex-and-zeroposition" << 16;
    QTest::newRow("27 castling, promotion, Circe, Anticirce") << "27-move-notation" << 1000;
    QTest::newRow("28 twins") << "28-twins-more" << 40;
}

// Every move Popeye printed is played on the position of its problem (and twin): the piece
// named stands on its square and the target is empty or holds what is captured.
void TestSolution::recordedRunsPlay()
{
    QFETCH(QString, folder);
    QFETCH(int, minimumMoves);
    const ImportedItems input = ReadPopeyeFile(recorded(folder, QStringLiteral("input.in")));
    const QList<QStringList> problems = problemsOf(recorded(folder, QStringLiteral("stdout.txt")));
    QCOMPARE(problems.size(), input.items.size());
    int total = 0;
    for (qsizetype p = 0; p < problems.size(); ++p) {
        const Solution solution = ReadSolution(problems[p], BuildTwins(input.items[p]));
        QVERIFY2(solution.errors().isEmpty(), qPrintable(solution.errors().join(u'\n')));
        for (const SolutionLine& line : solution.lines) {
            QCOMPARE(line.moves.size(), movesWritten(line.text));
            for (const SolutionMove& move : line.moves)
                QVERIFY2(Piece(move.before.at(move.from.row, move.from.column)).isPiece(),
                         qPrintable(move.text));
            total += int(line.moves.size());
        }
    }
    QVERIFY2(total >= minimumMoves, qPrintable(QString::number(total)));
}

void TestSolution::recordedTwins_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("06") << "06-twins";
    QTest::newRow("24") << "24-duplex-and-zeroposition";
    QTest::newRow("28") << "28-twins-more";
}

// The twins built here carry the labels, continuation marks and headers Popeye gave them.
void TestSolution::recordedTwins()
{
    QFETCH(QString, folder);
    const ImportedItems input = ReadPopeyeFile(recorded(folder, QStringLiteral("input.in")));
    const QList<Twin> twins = BuildTwins(input.items.first());
    static const QRegularExpression header(QStringLiteral("^(\\+?)([a-z])\\) (.*)$"));
    QStringList popeye, mine;
    for (const QString& line : QString::fromUtf8(recorded(folder, "stdout.txt")).split(u'\n')) {
        const QRegularExpressionMatch m = header.match(line);
        if (m.hasMatch())
            popeye << m.captured(1) + m.captured(2) + u' ' + m.captured(3).trimmed();
    }
    for (const Twin& twin : twins)
        mine << (twin.continued ? QStringLiteral("+") : QString()) + twin.label + u' ' +
                    twin.header;
    QCOMPARE(mine, popeye);
}

void TestSolution::twinPositions_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QString>("error");
    QTest::newRow("06 b move") << "06-twins"
                               << "b"
                               << "wKh4 wBa4 wRg7 bKc1 bRf5 bPh3 bPc4"
                               << "h#2"
                               << "";
    QTest::newRow("06 c continued remove") << "06-twins"
                                           << "c"
                                           << "wKh4 wBa4 wRg7 bKc1 bRf5 bPh3"
                                           << "h#2"
                                           << "";
    QTest::newRow("06 d stipulation from the diagram") << "06-twins"
                                                       << "d"
                                                       << "wKh4 wBa4 wRg6 bKc1 bRf5 bPh3 bPc4"
                                                       << "h#1"
                                                       << "";
    QTest::newRow("06 f rotate 90") << "06-twins"
                                    << "f"
                                    << "wKe8 wBe1 wRc7 bKh3 bRd6 bPf8 bPe3"
                                    << "h#2"
                                    << "";
    QTest::newRow("06 g mirror a1<-->h1") << "06-twins"
                                          << "g"
                                          << "wKa4 wBh4 wRb6 bKf1 bRc5 bPa3 bPf4"
                                          << "h#2"
                                          << "";
    QTest::newRow("28 b exchange") << "28-twins-more"
                                   << "b"
                                   << "wKb3 wQe5 wSh1 bKa1 bPa2"
                                   << "#2"
                                   << "";
    QTest::newRow("28 c shift off the board") << "28-twins-more"
                                              << "c"
                                              << "wKb3 wQh1 wSe5 bKa1 bPa2"
                                              << "#2"
                                              << "A piece will be moved outside.";
    QTest::newRow("28 d PolishType") << "28-twins-more"
                                     << "d"
                                     << "bKb3 bQh1 bSe5 wKa1 wPa2"
                                     << "#2"
                                     << "";
    QTest::newRow("28 e substitute") << "28-twins-more"
                                     << "e"
                                     << "wKb3 wRh1 wSe5 bKa1 bPa2"
                                     << "#2"
                                     << "";
    QTest::newRow("28 h two continued") << "28-twins-more"
                                        << "h"
                                        << "wKc3 wQh1 wBc1 bKa1 bPa2"
                                        << "#2"
                                        << "";
    QTest::newRow("24 b empty square") << "24-duplex-and-zeroposition"
                                       << "b"
                                       << "wKh4 wBa4 wRg6 bKc1 bRf5 bPh3 bPc4"
                                       << "h#2"
                                       << "g7: square is empty - cannot (re)move any piece.";
}

void TestSolution::twinPositions()
{
    QFETCH(QString, folder);
    QFETCH(QString, label);
    QFETCH(QString, pieces);
    QFETCH(QString, stipulation);
    QFETCH(QString, error);
    const ImportedItems input = ReadPopeyeFile(recorded(folder, QStringLiteral("input.in")));
    const QList<Twin> twins = BuildTwins(input.items.first());
    const auto twin =
        std::find_if(twins.begin(), twins.end(), [&](const Twin& t) { return t.label == label; });
    QVERIFY(twin != twins.end());
    QCOMPARE(twin->board, boardOf(pieces));
    QCOMPARE(twin->stipulation, stipulation);
    QCOMPARE(twin->error, error);
}

void TestSolution::headerTwins_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("pieces"); // of the last twin
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("error");
    QTest::newRow("move, Popeye's arrow") << QStringList{"b) wRg6-->g7"} << "wKh4 wRg7 bKc1"
                                          << "wRg6-->g7"
                                          << "";
    QTest::newRow("move, one dash") << QStringList{"b) wRg6-g7"} << "wKh4 wRg7 bKc1"
                                    << "wRg6-->g7"
                                    << "";
    QTest::newRow("move, a piece named in words")
        << QStringList{"b) Rook g6 -> g7"} << "wKh4 wRg7 bKc1"
        << "wRg6-->g7"
        << "";
    QTest::newRow("exchange") << QStringList{"b) wRg6<-->wKh4"} << "wKg6 wRh4 bKc1"
                              << "wRg6<-->wKh4"
                              << "";
    QTest::newRow("remove, then added back continued")
        << QStringList{"b) -wRg6", "+c) +bQg6"} << "wKh4 bQg6 bKc1"
        << "+bQg6"
        << "";
    QTest::newRow("substitute") << QStringList{"b) R ==> Q"} << "wKh4 wQg6 bKc1"
                                << "R ==> Q"
                                << "";
    QTest::newRow("commands after the label")
        << QStringList{"b) mirror a1<-->h1"} << "wKa4 wRb6 bKf1"
        << "mirror a1<-->h1"
        << "";
    QTest::newRow("a) names the diagram") << QStringList{"a) diagram", "b) -bKc1"} << "wKh4 wRg6"
                                          << "-bKc1"
                                          << "";
    QTest::newRow("a stipulation alone, as Popeye prints its twin")
        << QStringList{"b) h#1"} << "wKh4 wRg6 bKc1"
        << "h#1"
        << "";
    QTest::newRow("several changes in one heading")
        << QStringList{"b) -bKc1 wRg6-->g7"} << "wKh4 wRg7"
        << "-bKc1  wRg6-->g7"
        << "";
    QTest::newRow("nothing it can read") << QStringList{"b) the rook to g7"} << "wKh4 wRg6 bKc1"
                                         << ""
                                         << "the rook to g7: not a twin command";
    QTest::newRow("an empty square") << QStringList{"b) wRa1-a2"} << "wKh4 wRg6 bKc1"
                                     << ""
                                     << "a1: square is empty - cannot (re)move any piece.";
}

// Twins written as Popeye heads them, as collections often hold them.
void TestSolution::headerTwins()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, pieces);
    QFETCH(QString, header);
    QFETCH(QString, error);
    Item item;
    item.board = boardOf(QStringLiteral("wKh4 wRg6 bKc1"));
    item.stipulation = QStringLiteral("#2");
    item.twins = lines;
    const QList<Twin> twins = BuildTwins(item);
    QCOMPARE(twins.size(), 1 + lines.size() - (lines.first().startsWith(u'a') ? 1 : 0));
    QCOMPARE(twins.last().board, boardOf(pieces));
    QCOMPARE(twins.last().header, header);
    QCOMPARE(twins.last().error, error);
}

void TestSolution::shortAlgebraic_data()
{
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<QString>("stipulation");
    QTest::addColumn<QStringList>("text");
    QTest::addColumn<QStringList>("played"); // per line: origin and target, or the error
    const QString shinkman = QStringLiteral("wRa7 wKg6 bKh8");
    QTest::newRow("short, variation after the key")
        << shinkman << "#2" << QStringList{"1.Rb7! zz", "1...Kg8 2.Rb8#"}
        << QStringList{"a7b7", "h8g8 b7b8"};
    QTest::newRow("a move that cannot be played stops its line")
        << shinkman << "#2" << QStringList{"1.Kh6! Kg8 2.Rb8#"}
        << QStringList{"g6h6 h8g8 2.Rb8#: no rook can reach b8"};
    QTest::newRow("two rooks: ambiguous, then told apart by file and by rank")
        << "wRa1 wRh1 wRa5 wKe3 bKe8"
        << "#2" << QStringList{"1.Rb1", "1.Rab1", "1.Rhb1", "1.R1a3", "1.R5a3"}
        << QStringList{"1.Rb1: more than one rook can reach b1", "a1b1", "h1b1", "a1a3", "a5a3"};
    QTest::newRow("N and S both the knight; the nightrider by its own walk")
        << "wSb1 wKe1 bKe8 bPd4"
        << "#2" << QStringList{"1.Nc3", "1.Sd2", "1.Nxd2"}
        << QStringList{"b1c3", "b1d2", "1.Nxd2: nothing to capture on d2"};
    QTest::newRow("pawns: push, double step, capture, promotion, en passant")
        << "wPe2 wPd7 wPe5 bPd5 bPf7 wKa1 bKh8 bRc8"
        << "#2" << QStringList{"1.e4", "1.e3", "1.dxc8=Q", "1.d8N", "1.e5-e6", "1.e2-e4 f5 2.exf6"}
        << QStringList{"e2e4", "e2e3", "d7c8", "d7d8", "e5e6", "e2e4 f7f5 e5f6"};
    QTest::newRow("castling both ways, O and 0")
        << "wKe1 wRa1 wRh1 bKe8 bRh8"
        << "#2" << QStringList{"1.O-O", "1.0-0-0", "1...O-O"}
        << QStringList{"e1g1", "e1c1", "e8g8"};
    QTest::newRow("help play: black first")
        << "wKh4 wBa4 wRg6 bKc1 bRf5 bPh3 bPc4"
        << "h#2" << QStringList{"1.Rf2 Rd6 2.Rb2 Rd1#"} << QStringList{"f5f2 g6d6 f2b2 d6d1"};
    QTest::newRow("long form: the piece named must stand there, the target be free")
        << "wKg6 wRa7 bKh8 bBb7"
        << "#2" << QStringList{"1.Ra6-a8", "1.Ra7-b7", "1.Ra7*b7"}
        << QStringList{"1.Ra6-a8: no rook on a6", "1.Ra7-b7: b7 is not empty", "a7b7"};
    QTest::newRow("unreadable move and a line of words")
        << shinkman << "#2" << QStringList{"1.Ra7-b7! 2.Zz9", "A fine key."}
        << QStringList{"a7b7 2.Zz9: not a move", ""};
}

void TestSolution::shortAlgebraic()
{
    QFETCH(QString, pieces);
    QFETCH(QString, stipulation);
    QFETCH(QStringList, text);
    QFETCH(QStringList, played);
    const Solution solution = ReadSolution(text, {position(pieces, stipulation)});
    QStringList got;
    for (const SolutionLine& line : solution.lines)
        got << squares(line);
    QCOMPARE(got, played);
}

void TestSolution::lineRoles_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("roles"); // one letter per line that holds moves
    // K key, T try, S set play, H threat, V variation, R refutation, C continuation,
    // L help or series solution.
    QTest::newRow("01") << "01-direct-unique"
                        << "KH";
    QTest::newRow("07") << "07-setplay-try"
                        << "SCSCKVCCCTVCCR";
    QTest::newRow("04") << "04-helpmate-2sol"
                        << "LL";
}

void TestSolution::lineRoles()
{
    QFETCH(QString, folder);
    QFETCH(QString, roles);
    const ImportedItems input = ReadPopeyeFile(recorded(folder, QStringLiteral("input.in")));
    const Solution solution = ReadSolution(problemsOf(recorded(folder, "stdout.txt")).first(),
                                           BuildTwins(input.items.first()));
    QString got;
    for (const SolutionLine& line : solution.lines) {
        if (line.moves.isEmpty())
            continue;
        got += QStringLiteral("KTSHVRLCX").at(int(line.role));
    }
    QCOMPARE(got, roles);
}

void TestSolution::sampleSolutions_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("keys");   // per twin label, the keys' squares
    QTest::addColumn<QStringList>("errors"); // what cannot be played, and why
    QTest::newRow("1 long notation") << 1 << QStringList{"a7b7"} << QStringList{};
    QTest::newRow("2 check key, x captures; the nightrider written S")
        << 2 << QStringList{"c4c5"} << QStringList{"2.Sd5-c7: no knight on d5"};
    QTest::newRow("3 twins a) and b)") << 3 << QStringList{"d6e5", "d6c5"} << QStringList{};
    QTest::newRow("4 neutral queen, zebra") << 4 << QStringList{"h2h5"} << QStringList{};
    QTest::newRow("5 castling long") << 5 << QStringList{"e1c1"} << QStringList{};
    QTest::newRow("6 series: an unknown move stops the line")
        << 6 << QStringList{"c6d5"} << QStringList{"6.?: not a move"};
    QTest::newRow("7 try and key: nightrider written N")
        << 7 << QStringList{"c4c8"} << QStringList{};
    QTest::newRow("8 no solution") << 8 << QStringList{} << QStringList{};
    QTest::newRow("9 mate in one, short form, twins")
        << 9 << QStringList{"c7b7", "d7b7"} << QStringList{};
}

void TestSolution::sampleSolutions()
{
    QFETCH(int, number);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, errors);
    const Solution solution = ReadItemSolution(sampleItem(number));
    QStringList got;
    for (qsizetype t = 0; t < solution.twins.size(); ++t)
        for (const SolutionMove& key : solution.keys(int(t)))
            got << key.from.name() + key.to.name();
    if (!keys.isEmpty())
        QCOMPARE(got, keys);
    else
        QVERIFY(!got.isEmpty() || number == 8);
    QCOMPARE(solution.errors(), errors);
}

// Popeye's long notation and a collection's short one name the same key.
void TestSolution::keysCompareAcrossNotations()
{
    const QList<Twin> start{position(QStringLiteral("wRa7 wKg6 bKh8"))};
    const Solution stored = ReadSolution({QStringLiteral("1.Rb7! Kg8 2.Rb8#")}, start);
    const Solution popeye =
        ReadSolution({QStringLiteral("   1.Ra7-b7 ! zugzwang."), QStringLiteral("      1...Kh8-g8"),
                      QStringLiteral("          2.Rb7-b8 #"), QStringLiteral("   1.Ra7-a8 + ?")},
                     start);
    QCOMPARE(popeye.keys(0).size(), 1);
    QCOMPARE(popeye.tries(0).size(), 1);
    QVERIFY(stored.keys(0).first().sameMoveAs(popeye.keys(0).first()));
    QVERIFY(!stored.keys(0).first().sameMoveAs(popeye.tries(0).first()));
}

void TestSolution::movesBeyondTheLimitAreNamed()
{
    QStringList text(kSolutionMoveLimit / 2 + 2, QStringLiteral("1.Ra7-b7 Kh8-g8"));
    const Solution solution = ReadSolution(text, {position(QStringLiteral("wRa7 wKg6 bKh8"))});
    QCOMPARE(solution.errors(),
             QStringList{QStringLiteral("1.Ra7-b7: not read, the solution has more than %1 moves")
                             .arg(kSolutionMoveLimit)});
    QCOMPARE(solution.lines.last().moves.size(), 0);
}

QTEST_GUILESS_MAIN(TestSolution)
#include "tst_solution.moc"
