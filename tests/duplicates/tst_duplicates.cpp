#include "duplicates/duplicates.h"
#include "model/failure.h"
#include "model/transform.h"
#include "model/sampleitems.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

using namespace vexil;
using test::boardFrom;

Q_DECLARE_METATYPE(vexil::Board)
Q_DECLARE_METATYPE(vexil::Equivalence)

namespace {

using T = Transformation;

Board apply(Board board, std::initializer_list<Transformation> steps)
{
    for (Transformation step : steps)
        board = Transformed(board, step);
    return board;
}

Collection collectionOf(const QList<Board>& boards, const QStringList& stipulations = {})
{
    QList<Item> items;
    for (qsizetype i = 0; i < boards.size(); ++i) {
        Item item;
        item.board = boards[i];
        item.author = QStringLiteral("Author %1").arg(i + 1);
        item.source = QStringLiteral("Source, %1").arg(i + 1);
        item.stipulation = i < stipulations.size() ? stipulations[i] : QStringLiteral("#2");
        items << item;
    }
    return Collection::fromLines(test::collectionOf(items));
}

// The oracle the seeded test trusts: the main window's own board transformations, and the
// rule for when a position may turn, stated afresh.
bool directed(const Board& board)
{
    auto pawn = [](PieceCode code) {
        const int kind = (code % 100000) / 100;
        return code == 1 || code == 2 ||
               (code % 100 >= 17 && code % 100 <= 19 &&
                (kind == 70 || kind == 16 || kind == 18 || kind == 86 || kind == 122 ||
                 kind == 127));
    };
    QList<Board> images{board};
    for (int i = 0; i < 3; ++i)
        images << Transformed(images.back(), T::Rotation);
    for (int i = 0; i < 4; ++i)
        images << Transformed(images[i], T::VerticalMirror);
    for (const Board& b : images) {
        for (int s = 0; s < 64; ++s)
            if (pawn(b.at(s / 8, s % 8)))
                return true;
        if ((b.at(7, 4) == 11 && (b.at(7, 0) == 3 || b.at(7, 7) == 3)) ||
            (b.at(0, 4) == 12 && (b.at(0, 0) == 4 || b.at(0, 7) == 4)))
            return true;
    }
    return false;
}

Board piecesOnly(Board board)
{
    for (auto& row : board.squares)
        for (PieceCode& code : row)
            if (!(code > 0 && code % 100 >= 1 && code % 100 <= 19))
                code = 0;
    return board;
}

bool oracleEqual(const Board& a0, const Board& b0, Equivalence level)
{
    const Board a = piecesOnly(a0), b = piecesOnly(b0);
    QList<Board> images{b, Transformed(b, T::VerticalMirror)};
    if (level >= Equivalence::Symmetries && !directed(a) && !directed(b)) {
        Board turned = b;
        for (int i = 0; i < 3; ++i) {
            turned = Transformed(turned, T::Rotation);
            images << turned << Transformed(turned, T::VerticalMirror);
        }
    }
    if (level == Equivalence::Exact)
        images = {b};
    if (level == Equivalence::ColoursSwapped) {
        const qsizetype n = images.size();
        for (qsizetype i = 0; i < n; ++i)
            images << apply(images[i], {T::ExchangeColors, T::HorizontalMirror});
    }
    return images.contains(a);
}

PieceCode randomCode(QRandomGenerator& random, bool pawns)
{
    const int roll = random.bounded(10);
    if (roll == 0)
        return piece::make(17 + random.bounded(3), 1 + random.bounded(129), random.bounded(14));
    if (roll == 1)
        return 20 + random.bounded(3); // a marker, no unit
    PieceCode code = 3 + random.bounded(14);
    if (pawns && roll == 2)
        code = 1 + random.bounded(2);
    return code;
}

} // namespace

class TestDuplicates : public QObject {
    Q_OBJECT
private slots:
    void storedBoards_data();
    void storedBoards();
    void allowedTurnings_data();
    void allowedTurnings();
    void equalPositions_data();
    void equalPositions();
    void oneUnitAway_data();
    void oneUnitAway();
    void seededRecallAndPrecision_data();
    void seededRecallAndPrecision();
    void anticipationsOverCollections();
    void groupsAndCsv();
};

// The stored rows as the item reader reads them, or refused where it refuses.
void TestDuplicates::storedBoards_data()
{
    QTest::addColumn<QByteArray>("rows");
    const QByteArray rest = "[0,0,0,0,0,0,0,0],\r\n";
    QByteArray six;
    for (int i = 0; i < 6; ++i)
        six += rest;
    QTest::newRow("plain") << "([11,0,0,0,0,0,0,104018],\r\n" + rest + six;
    QTest::newRow("blanks and signs") << "([ 11,+3,-0,0,0,0,0,  7319],\r\n" + rest + six;
    QTest::newRow("line feeds only") << QByteArray("([1,2,0,0,0,0,0,0],\n[0,0,0,0,0,0,0,5],\n"
                                                   "[0,0,0,0,0,0,0,0],\n[0,0,0,0,0,0,0,0],\n"
                                                   "[0,0,0,0,0,0,0,0],\n[0,0,0,0,0,0,0,0],\n"
                                                   "[0,0,0,0,0,0,0,0],\n[0,0,0,0,0,0,0,0],\n");
    QTest::newRow("seven values") << "([11,0,0,0,0,0,0],\r\n" + rest + six;
    QTest::newRow("nine values") << "([11,0,0,0,0,0,0,0,0],\r\n" + rest + six;
    QTest::newRow("no closing bracket") << "([11,0,0,0,0,0,0,0,\r\n" + rest + six;
    QTest::newRow("a letter") << "([11,0,0,x,0,0,0,0],\r\n" + rest + six;
    QTest::newRow("too large") << "([2147483648,0,0,0,0,0,0,0],\r\n" + rest + six;
    QTest::newRow("a blank behind") << "([11 ,0,0,0,0,0,0,0],\r\n" + rest + six;
    QTest::newRow("rows missing") << "([11,0,0,0,0,0,0,0],\r\n" + rest;
    QTest::newRow("text after the bracket") << "([11,0,0,0,0,0,0,0]x],\r\n" + rest + six;
}

void TestDuplicates::storedBoards()
{
    QFETCH(QByteArray, rows);
    Lines lines{"Dg[1]=new Array"};
    lines += SplitLines(rows);
    while (lines.size() < 13)
        lines << "['']);";
    std::optional<Board> expected;
    try {
        expected = ReadItem(lines, 0).board;
    } catch (const Failure&) {
    }
    Board board;
    const bool read = DecodeStoredBoard(rows, board);
    QCOMPARE(read, expected.has_value());
    if (read)
        QCOMPARE(board, *expected);
}

void TestDuplicates::allowedTurnings_data()
{
    QTest::addColumn<Board>("board");
    QTest::addColumn<int>("symmetries"); // turnings at the symmetries level
    QTest::newRow("pieces only") << boardFrom("4k3/8/8/3Q4/8/8/8/4K3") << 8;
    QTest::newRow("a white pawn") << boardFrom("4k3/8/8/3Q4/8/8/P7/4K3") << 2;
    QTest::newRow("a berolina pawn") << boardFrom("4k3/8/8/{1617}7/8/8/8/4K3") << 2;
    QTest::newRow("a fairy queen") << boardFrom("4k3/8/8/{7317}7/8/8/8/4K3") << 8;
    QTest::newRow("king and rook could castle") << boardFrom("4k3/8/8/8/8/8/8/4K2R") << 2;
    QTest::newRow("black could castle long") << boardFrom("r3k3/8/8/8/8/8/8/3K4") << 2;
    QTest::newRow("castling seen after a quarter turn") << boardFrom("k7/8/8/8/K7/8/8/R7") << 2;
    QTest::newRow("king at home, rook elsewhere") << boardFrom("4k3/8/8/8/8/8/8/R3K3") << 2;
    QTest::newRow("king at home, rook off the corner") << boardFrom("4k3/8/8/8/8/8/8/1R2K3") << 8;
    QTest::newRow("a rook of the other side") << boardFrom("4k3/8/8/8/8/8/8/4K2r") << 8;
    QTest::newRow("markers are no pawns") << boardFrom("4k3/8/8/{20}7/8/8/8/4K3") << 8;
}

void TestDuplicates::allowedTurnings()
{
    QFETCH(Board, board);
    QFETCH(int, symmetries);
    const Position p = Position::of(board);
    QCOMPARE(std::popcount(AllowedTurnings(Equivalence::Exact, p)), 1);
    QCOMPARE(std::popcount(AllowedTurnings(Equivalence::Mirror, p)), 2);
    QCOMPARE(std::popcount(AllowedTurnings(Equivalence::Symmetries, p)), symmetries);
    // Colours swapped with the board upside down doubles whatever is allowed.
    QCOMPARE(std::popcount(AllowedTurnings(Equivalence::ColoursSwapped, p)), 2 * symmetries);
    // The rule sees every image of the position alike.
    for (int t = 0; t < kTurnings; ++t)
        QCOMPARE(SymmetriesKeepProblem(Position::of(Turned(t, board))), SymmetriesKeepProblem(p));
}

// The weakest level under which `other` equals `shown`, and what is said about it.
void TestDuplicates::equalPositions_data()
{
    QTest::addColumn<Board>("shown");
    QTest::addColumn<Board>("other");
    QTest::addColumn<int>("level"); // the first Equivalence that finds it, 4 for none
    QTest::addColumn<QString>("explanation");
    const Board free = boardFrom("6k1/8/2{4017}5/3Q4/8/1n6/8/K7");
    const Board pawn = boardFrom("6k1/8/8/3Q4/8/1p6/8/K7");
    QTest::newRow("the same") << free << free << 0 << QString();
    QTest::newRow("markers differ")
        << free << boardFrom("6k1/8/2{4017}5/3Q4/8/1n6/{21}7/K7") << 0 << QString();
    QTest::newRow("mirrored") << free << apply(free, {T::VerticalMirror}) << 1 << "mirrored";
    QTest::newRow("mirrored with a pawn")
        << pawn << apply(pawn, {T::VerticalMirror}) << 1 << "mirrored";
    QTest::newRow("quarter turn") << free << apply(free, {T::Rotation}) << 2 << "rotated by 90°";
    QTest::newRow("three quarter turns")
        << free << apply(free, {T::Rotation, T::Rotation, T::Rotation}) << 2 << "rotated by 270°";
    QTest::newRow("ranks exchanged")
        << free << apply(free, {T::HorizontalMirror}) << 2 << "mirrored top to bottom";
    QTest::newRow("quarter turn with a pawn") << pawn << apply(pawn, {T::Rotation}) << 4 << "";
    QTest::newRow("colours swapped")
        << pawn << apply(pawn, {T::ExchangeColors, T::HorizontalMirror}) << 3 << "colours swapped";
    QTest::newRow("colours swapped and mirrored")
        << pawn << apply(pawn, {T::ExchangeColors, T::HorizontalMirror, T::VerticalMirror}) << 3
        << "colours swapped, mirrored";
    QTest::newRow("colours swapped, board not turned")
        << pawn << apply(pawn, {T::ExchangeColors}) << 4 << "";
    QTest::newRow("a royal queen is no queen") << boardFrom("6k1/8/8/3{507317}4/8/8/8/K7")
                                               << boardFrom("6k1/8/8/3{7317}4/8/8/8/K7") << 4 << "";
    QTest::newRow("queen and fairy queen differ")
        << boardFrom("6k1/8/8/3Q4/8/8/8/K7") << boardFrom("6k1/8/8/3{7317}4/8/8/8/K7") << 4 << "";
}

void TestDuplicates::equalPositions()
{
    QFETCH(Board, shown);
    QFETCH(Board, other);
    QFETCH(int, level);
    QFETCH(QString, explanation);
    const Position a = Position::of(shown), b = Position::of(other);
    for (int l = 0; l <= 3; ++l) {
        const auto equivalence = Equivalence(l);
        const auto turning = EquivalentBy(a, b, equivalence);
        QCOMPARE(turning.has_value(), l >= level);
        // Equal keys for equal positions; different keys would hide a duplicate.
        if (l >= level)
            QCOMPARE(PositionKey(a, equivalence), PositionKey(b, equivalence));
        else
            QVERIFY(PositionKey(a, equivalence) != PositionKey(b, equivalence));
        if (turning && l == level)
            QCOMPARE(TurningText(*turning), explanation);
    }
}

void TestDuplicates::oneUnitAway_data()
{
    QTest::addColumn<Board>("shown");
    QTest::addColumn<Board>("other");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("explanation"); // empty: not one unit away
    const Board start = boardFrom("3q2k1/8/8/8/8/8/8/1S2K3");
    QTest::newRow("removed") << start << boardFrom("6k1/8/8/8/8/8/8/1S2K3") << 0 << "bQd8 removed";
    QTest::newRow("added") << start << boardFrom("3q2k1/8/8/8/8/8/8/RS2K3") << 0 << "wRa1 added";
    QTest::newRow("moved") << start << boardFrom("3q2k1/8/8/8/8/2S5/8/4K3") << 0
                           << "wSb1 on c3 instead of b1";
    QTest::newRow("replaced is two units")
        << start << boardFrom("3r2k1/8/8/8/8/8/8/1S2K3") << 0 << "";
    QTest::newRow("two moved") << start << boardFrom("2q3k1/8/8/8/8/2S5/8/4K3") << 0 << "";
    QTest::newRow("mirrored and removed")
        << start << apply(boardFrom("6k1/8/8/8/8/8/8/1S2K3"), {T::VerticalMirror}) << 1
        << "mirrored, bQd8 removed";
    QTest::newRow("mirror not allowed at exact")
        << start << apply(boardFrom("6k1/8/8/8/8/8/8/1S2K3"), {T::VerticalMirror}) << 0 << "";
    QTest::newRow("colours swapped and moved")
        << start
        << apply(boardFrom("3q2k1/8/8/8/8/2S5/8/4K3"), {T::ExchangeColors, T::HorizontalMirror})
        << 3 << "colours swapped, wSb1 on c3 instead of b1";
}

void TestDuplicates::oneUnitAway()
{
    QFETCH(Board, shown);
    QFETCH(Board, other);
    QFETCH(int, level);
    QFETCH(QString, explanation);
    const auto equivalence = Equivalence(level);
    const Position a = Position::of(shown), b = Position::of(other);
    const auto difference = OneUnitAway(a, b, equivalence);
    QCOMPARE(difference ? DifferenceText(*difference) : QString(), explanation);

    // The keys that bring the pair together: a reduced key of one is the other's whole key,
    // or the two share a moved key.
    NearKey ka[64], kb[64];
    NearKeys(a, equivalence, ka);
    NearKeys(b, equivalence, kb);
    bool shared = false;
    for (int i = 0; i < a.count; ++i) {
        shared = shared || ka[i].reduced == PositionKey(b, equivalence);
        for (int j = 0; j < b.count; ++j)
            shared = shared || ka[i].moved == kb[j].moved;
    }
    for (int j = 0; j < b.count; ++j)
        shared = shared || kb[j].reduced == PositionKey(a, equivalence);
    QCOMPARE(shared, !explanation.isEmpty());
}

void TestDuplicates::seededRecallAndPrecision_data()
{
    QTest::addColumn<Equivalence>("equivalence");
    QTest::addColumn<bool>("near");
    QTest::newRow("exact") << Equivalence::Exact << false;
    QTest::newRow("mirror") << Equivalence::Mirror << false;
    QTest::newRow("symmetries") << Equivalence::Symmetries << false;
    QTest::newRow("colours swapped") << Equivalence::ColoursSwapped << false;
    QTest::newRow("symmetries, near") << Equivalence::Symmetries << true;
    QTest::newRow("colours swapped, near") << Equivalence::ColoursSwapped << true;
}

// 10,000 random positions, each followed by a copy changed by one of the ways the level
// allows (or, with near, one unit away): every pair is found, and no group holds two positions
// the oracle tells apart.
void TestDuplicates::seededRecallAndPrecision()
{
    QFETCH(Equivalence, equivalence);
    QFETCH(bool, near);
    QRandomGenerator random(20261209);
    QList<Board> boards;
    constexpr int kPositions = 10000;
    for (int n = 0; n < kPositions; ++n) {
        Board board;
        const bool pawns = random.bounded(3) == 0;
        const int units = 3 + random.bounded(12);
        for (int u = 0; u < units; ++u)
            board.at(random.bounded(8), random.bounded(8)) = randomCode(random, pawns);
        if (random.bounded(8) == 0) { // castling in play
            board.at(7, 4) = 11;
            board.at(7, 7) = 3;
        }
        if (Position::of(board).count < 2)
            board.at(3, 3) = 9, board.at(4, 4) = 12;
        QList<Transformation> steps;
        const int way = random.bounded(4);
        if (int(equivalence) >= 1 && way >= 1)
            steps << T::VerticalMirror;
        if (equivalence >= Equivalence::Symmetries && way >= 2 && !directed(board))
            steps << T::Rotation;
        if (equivalence == Equivalence::ColoursSwapped && way == 3)
            steps << T::ExchangeColors << T::HorizontalMirror;
        Board copy = board;
        for (Transformation step : steps)
            copy = Transformed(copy, step);
        if (near) {
            // Take one unit away from the copy, or put one on an empty square.
            const Position p = Position::of(copy);
            if (random.bounded(2) == 0 && p.count > 2) {
                const auto& u = p.units[random.bounded(p.count)];
                copy.at(u.square / 8, u.square % 8) = 0;
            } else {
                for (int s = random.bounded(64);; s = (s + 1) % 64)
                    if (copy.at(s / 8, s % 8) == 0) {
                        copy.at(s / 8, s % 8) = 5;
                        break;
                    }
            }
        }
        boards << board << copy;
    }
    const QList<SearchedCollection> searched{
        {QStringLiteral("seeded.dgr"), collectionOf(boards), 0}};
    const DuplicateOptions options{equivalence, near, false};
    const QList<DuplicateGroup> groups = FindDuplicates(searched, options);

    std::vector<int> groupOf(boards.size() + 1, -1);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        QVERIFY(groups[g].size() >= 2);
        if (g > 0)
            QVERIFY(groups[g].size() <= groups[g - 1].size());
        for (const DuplicateMatch& m : groups[g]) {
            QCOMPARE(groupOf[m.number], -1);
            groupOf[m.number] = int(g);
        }
        // Precision: without near every member equals the first; with near each member is
        // equal or one unit from the member that brought it in.
        for (const DuplicateMatch& m : groups[g]) {
            if (m.relatedTo < 0)
                continue;
            const Board a = boards[groups[g][m.relatedTo].number - 1];
            const Board b = boards[m.number - 1];
            if (!near) {
                QVERIFY2(oracleEqual(a, b, equivalence),
                         qPrintable(QStringLiteral("items %1 and %2")
                                        .arg(groups[g][m.relatedTo].number)
                                        .arg(m.number)));
            } else {
                QVERIFY(oracleEqual(a, b, equivalence) ||
                        OneUnitAway(Position::of(a), Position::of(b), equivalence));
            }
        }
    }
    for (int n = 0; n < kPositions; ++n) {
        const int first = 2 * n + 1;
        QVERIFY2(groupOf[first] >= 0 && groupOf[first] == groupOf[first + 1],
                 qPrintable(QStringLiteral("pair %1, %2 not grouped").arg(first).arg(first + 1)));
    }
}

void TestDuplicates::anticipationsOverCollections()
{
    QTemporaryDir dir;
    const Board shown = boardFrom("3q2k1/8/8/8/8/8/8/1S2K3");
    const QString other = dir.filePath(QStringLiteral("other.dgr"));
    collectionOf({boardFrom("8/8/8/8/8/8/8/8"), apply(shown, {T::VerticalMirror}),
                  boardFrom("6k1/8/8/8/8/8/8/1S2K3"), shown},
                 {"#2", "#2", "#2", "h#2"})
        .write(other);
    const QString broken = dir.filePath(QStringLiteral("broken.dgr"));
    test::writeBytes(broken, "not a collection\r\n");
    const QString open = dir.filePath(QStringLiteral("open.dgr"));
    const Collection openCollection =
        collectionOf({shown, boardFrom("4k3/8/8/8/8/8/8/4K3"), shown});

    QStringList failures;
    const QList<SearchedCollection> searched = CollectionsToSearch(
        open, openCollection, 1, {other, broken, other, dir.filePath("missing.dgr")}, &failures);
    QCOMPARE(searched.size(), 2);
    QCOMPARE(failures.size(), 2);

    using K = DuplicateMatch::Kind;
    auto found = [&](const DuplicateOptions& options) {
        QList<std::tuple<K, int, int, QString>> list;
        for (const DuplicateMatch& m : FindAnticipations(shown, "#2", searched, options))
            list << std::tuple(m.kind, m.collection, m.number, m.explanation);
        return list;
    };
    // The item shown (1 of the open collection) is not its own anticipation.
    QCOMPARE(found({Equivalence::Exact, false, false}),
             (QList<std::tuple<K, int, int, QString>>{{K::Same, 0, 3, ""}, {K::Same, 1, 4, ""}}));
    QCOMPARE(found({Equivalence::Mirror, true, false}),
             (QList<std::tuple<K, int, int, QString>>{{K::Same, 0, 3, ""},
                                                      {K::Same, 1, 4, ""},
                                                      {K::Symmetric, 1, 2, "mirrored"},
                                                      {K::OneUnitAway, 1, 3, "bQd8 removed"}}));
    QCOMPARE(found({Equivalence::Mirror, true, true}),
             (QList<std::tuple<K, int, int, QString>>{{K::Same, 0, 3, ""},
                                                      {K::Symmetric, 1, 2, "mirrored"},
                                                      {K::OneUnitAway, 1, 3, "bQd8 removed"}}));
    const QList<DuplicateMatch> matches =
        FindAnticipations(shown, "#2", searched, {Equivalence::Mirror, false, false});
    QCOMPARE(matches.last().author, QStringLiteral("Author 2"));
    QCOMPARE(matches.last().source, QStringLiteral("Source, 2"));
    QCOMPARE(matches.last().stipulation, QStringLiteral("#2 "));
    QVERIFY(FindAnticipations(Board{}, "#2", searched, {}).isEmpty());
}

void TestDuplicates::groupsAndCsv()
{
    const Board a = boardFrom("3q2k1/8/8/8/8/8/8/1S2K3");
    const Board b = boardFrom("4k3/8/8/8/8/8/8/R3K3");
    const QList<SearchedCollection> searched{
        {QStringLiteral("one.dgr"), collectionOf({b, a, b}), 0},
        {QStringLiteral("two, \"quoted\".dgr"), collectionOf({a, a, Board{}, Board{}}), 0}};
    const QList<DuplicateGroup> groups =
        FindDuplicates(searched, {Equivalence::Exact, false, false});
    QCOMPARE(groups.size(), 2);
    QCOMPARE(groups[0].size(), 3); // largest first; empty boards are no position
    QCOMPARE(groups[0][0].number, 2);
    QCOMPARE(groups[0][0].kind, DuplicateMatch::Kind::First);
    QCOMPARE(groups[0][2].collection, 1);
    const QList<QByteArray> rows = DuplicateGroupsCsv(groups, searched).split('\n');
    QCOMPARE(rows.size(), 7); // header, five members, the final line end
    QCOMPARE(rows[3],
             QByteArray(
                 "1,same position,\"two, \"\"quoted\"\".dgr\",2,Author 2,\"Source, 2\",#2 ,,2\r"));
}

QTEST_GUILESS_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
