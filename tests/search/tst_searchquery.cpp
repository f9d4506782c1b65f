// The search language: what each form of query reads as, where a bad one is refused, and which
// items each kind of term finds.
#include "model/sampleitems.h"
#include "search/match.h"
#include "search/query.h"
#include "search/scan.h"
#include "search/searchrun.h"
#include "views/entry.h"
#include "verify/verifyresults.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace vexil;

namespace {

// A query tree in one line, for comparing what the parser read.
QString shape(const QueryNode& node)
{
    using Kind = QueryNode::Kind;
    static const char* fields[] = {"A", "S", "STIP", "K", "TW", "SOL", "TEXT"};
    static const char* counts[] = {"W", "B", "N", "P", "FAIRY", "TWINS"};
    static const char* comparisons[] = {"=", "<", "<=", ">", ">="};
    auto unitsText = [](const QList<TypedPiece>& units) {
        QStringList parts;
        for (const TypedPiece& u : units)
            parts << QStringLiteral("%1@%2%3").arg(u.code).arg(u.row).arg(u.column);
        return parts.join(QLatin1Char(' '));
    };
    switch (node.kind) {
    case Kind::And:
    case Kind::Or:
    case Kind::Not: {
        QStringList parts;
        for (const QueryNode& child : node.children)
            parts << shape(child);
        const char* name = node.kind == Kind::And ? "AND" : node.kind == Kind::Or ? "OR" : "NOT";
        return QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QStringLiteral(", ")));
    }
    case Kind::Text:
        return QStringLiteral("%1[%2]").arg(QLatin1String(fields[int(node.field)]), node.pattern);
    case Kind::Year:
        return QStringLiteral("Y%1%2")
            .arg(QLatin1String(comparisons[int(node.comparison)]))
            .arg(node.value);
    case Kind::Count:
        return QStringLiteral("%1%2%3")
            .arg(QLatin1String(counts[int(node.count)]),
                 QLatin1String(comparisons[int(node.comparison)]))
            .arg(node.value);
    case Kind::Piece:
        return QStringLiteral("PIECE[%1 side%2 sp%3]")
            .arg(KindCode(node.walk))
            .arg(node.side ? int(*node.side) : -1)
            .arg(node.specification ? *node.specification : -1);
    case Kind::Position:
        return QStringLiteral("POS[%1]").arg(unitsText(node.units));
    case Kind::Exact:
        return QStringLiteral("EXACT[%1]").arg(unitsText(node.units));
    case Kind::Matrix:
        return QStringLiteral("MATRIX%1[%2]").arg(int(node.symmetry)).arg(unitsText(node.units));
    case Kind::Verify:
        return QStringLiteral("VERIFY[%1]")
            .arg(node.outcome ? OutcomeText(*node.outcome) : QStringLiteral("none"));
    }
    return {};
}

Item item(const QString& author, const QString& source, const QString& stipulation,
          const QString& condition, const QStringList& twins, const QString& board,
          const QStringList& solution = {})
{
    Item i;
    i.author = author;
    i.source = source;
    i.stipulation = stipulation;
    i.condition = condition;
    i.twins = twins;
    i.solution = solution;
    i.board = test::boardFrom(board);
    return i;
}

} // namespace

class TestSearchQuery : public QObject {
    Q_OBJECT
private slots:
    void parses_data();
    void parses();
    void refuses_data();
    void refuses();
    void anyLineParsesOrIsRefusedInsideIt();
    void finds_data();
    void finds();
    void findsByVerification();
    void statusLine();
    void jobStreamsSkipsAndStops();
    void scannerHandsOverStoredLines();
    void scannerReadsOddRowsAsTheViews_data();
    void scannerReadsOddRowsAsTheViews();

private:
    QTemporaryDir m_dir;
    QString m_path;
    Collection m_collection;
    void makeCollection();
};

void TestSearchQuery::parses_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("shape");
    QTest::newRow("bare word") << "Loyd"
                               << "TEXT[Loyd]";
    QTest::newRow("quoted text") << "'Sam Loyd'"
                                 << "TEXT[Sam Loyd]";
    QTest::newRow("double quotes") << "\"h#2 Circe\""
                                   << "TEXT[h#2 Circe]";
    QTest::newRow("fields") << "a=Loyd s=Schwalbe STIP=h#2 K=Circe TW=b SOL=1.Qd4! TEXT=x*"
                            << "AND(A[Loyd], S[Schwalbe], STIP[h#2], K[Circe], TW[b], "
                               "SOL[1.Qd4!], TEXT[x*])";
    QTest::newRow("blank after =") << "A= 'S. Loyd'"
                                   << "A[S. Loyd]";
    QTest::newRow("years") << "Y=1990 Y>=1990 Y<1900 y<=2000 Y>1500"
                           << "AND(Y=1990, Y>=1990, Y<1900, Y<=2000, Y>1500)";
    QTest::newRow("counts") << "W=3 B<4 N>=1 P<=20 FAIRY>0 TWINS=2"
                            << "AND(W=3, B<4, N>=1, P<=20, FAIRY>0, TWINS=2)";
    QTest::newRow("piece by name") << "PIECE=nightrider"
                                   << "PIECE[N side-1 sp-1]";
    QTest::newRow("piece by name with blank") << "PIECE='bishop hopper'"
                                              << "PIECE[BH side-1 sp-1]";
    QTest::newRow("piece by letter") << "PIECE=N"
                                     << "PIECE[N side-1 sp-1]";
    QTest::newRow("piece by knight letter") << "PIECE=s"
                                            << "PIECE[S side-1 sp-1]";
    QTest::newRow("piece with side") << "PIECE=wQ"
                                     << "PIECE[Q side1 sp-1]";
    QTest::newRow("neutral fairy piece") << "PIECE=nG"
                                         << "PIECE[G side3 sp-1]";
    QTest::newRow("black king, not bouncy knight") << "PIECE=bK"
                                                   << "PIECE[K side2 sp-1]";
    QTest::newRow("fairy code") << "PIECE=ZE"
                                << "PIECE[ZE side-1 sp-1]";
    QTest::newRow("with specification") << "PIECE='royal wQ'"
                                        << "PIECE[Q side1 sp5]";
    QTest::newRow("position") << "POS='wKe1 bKe8 wQd4'"
                              << "POS[11@74 12@04 9@43]";
    QTest::newRow("same square twice") << "POS='wKe1 bQe1'"
                                       << "POS[10@74]";
    QTest::newRow("exact") << "EXACT='wKa1 bKh8'"
                           << "EXACT[11@70 12@07]";
    QTest::newRow("matrix") << "MATRIX='wKa1 bQh8'"
                            << "MATRIX0[11@70 10@07]";
    QTest::newRow("matrix call") << "MATRIX('wKa1', mirror)"
                                 << "MATRIX1[11@70]";
    QTest::newRow("matrix call unquoted") << "MATRIX(wKa1 wSb3 , ALL)"
                                          << "MATRIX2[11@70 5@51]";
    QTest::newRow("matrix call shift") << "matrix( wKa1 , shift )"
                                       << "MATRIX0[11@70]";
    QTest::newRow("verify") << "VERIFY=cooked OR VERIFY=nosolution OR verify=none"
                            << "OR(VERIFY[cooked], VERIFY[no solution], VERIFY[none])";
    QTest::newRow("and binds closer than or") << "a b OR c AND d"
                                              << "OR(AND(TEXT[a], TEXT[b]), AND(TEXT[c], TEXT[d]))";
    QTest::newRow("parentheses") << "(a OR b) c"
                                 << "AND(OR(TEXT[a], TEXT[b]), TEXT[c])";
    QTest::newRow("not") << "NOT a not (b or c)"
                         << "AND(NOT(TEXT[a]), NOT(OR(TEXT[b], TEXT[c])))";
    QTest::newRow("operators as text when quoted") << "'AND' 'or'"
                                                   << "AND(TEXT[AND], TEXT[or])";
    QTest::newRow("keyword with bracket after value") << "(A=Loyd)"
                                                      << "A[Loyd]";
}

void TestSearchQuery::parses()
{
    QFETCH(QString, query);
    QFETCH(QString, shape);
    const ParsedQuery parsed = ParseQuery(query);
    QVERIFY2(parsed.isValid(), qPrintable(parsed.errorText()));
    QCOMPARE(::shape(*parsed.root), shape);
}

void TestSearchQuery::refuses_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected"); // a word of what the message says was expected
    QTest::newRow("empty") << "" << 0 << "search term";
    QTest::newRow("blank") << "   " << 3 << "search term";
    QTest::newRow("unknown keyword") << "Loyd XY=3" << 5 << "keyword";
    QTest::newRow("unclosed quote") << "A='Loyd" << 7 << "closing";
    QTest::newRow("unclosed bracket") << "(a OR b" << 7 << ")";
    QTest::newRow("lone closing bracket") << "a)" << 1 << ")";
    QTest::newRow("or without right side") << "a OR" << 4 << "search term";
    QTest::newRow("and at start") << "AND a" << 0 << "search term";
    QTest::newRow("not at end") << "a NOT " << 6 << "search term";
    QTest::newRow("missing value") << "A= " << 3 << "value";
    QTest::newRow("empty quoted value") << "A=''" << 2 << "text";
    QTest::newRow("year not a number") << "Y>=nineteen" << 3 << "number";
    QTest::newRow("order on a text") << "A<Loyd" << 1 << "=";
    QTest::newRow("operator without keyword") << "=3" << 0 << "keyword";
    QTest::newRow("bad unit") << "POS='wKe1 xQd4'" << 10 << "wKe1";
    QTest::newRow("unit without square") << "POS=wK" << 4 << "square";
    QTest::newRow("bad unit in matrix call") << "MATRIX(wKa1 bQz9, all)" << 12 << "wKe1";
    QTest::newRow("bad symmetry") << "MATRIX('wKa1', turned)" << 15 << "mirror";
    QTest::newRow("matrix call unclosed") << "MATRIX('wKa1'" << 13 << ")";
    QTest::newRow("unknown piece") << "PIECE=xyzzy" << 6 << "piece";
    QTest::newRow("unknown outcome") << "VERIFY=good" << 7 << "cooked";
    QTest::newRow("too long a text") << "A=" + QString(61, QLatin1Char('x')) << 2 << "shorter";
    QTest::newRow("too deep") << QString(100, QLatin1Char('(')) + "a" +
                                     QString(100, QLatin1Char(')'))
                              << 64 << "nested";
    QTest::newRow("too many nots") << QString("NOT ").repeated(100) + "a" << 256 << "nested";
}

void TestSearchQuery::refuses()
{
    QFETCH(QString, query);
    QFETCH(int, position);
    QFETCH(QString, expected);
    const ParsedQuery parsed = ParseQuery(query);
    QVERIFY(!parsed.isValid());
    QCOMPARE(parsed.error.position, position);
    QVERIFY2(parsed.error.expected.contains(expected), qPrintable(parsed.error.expected));
    QVERIFY(parsed.errorText().contains(QString::number(position + 1)));
}

void TestSearchQuery::anyLineParsesOrIsRefusedInsideIt()
{
    // Lines made of the language's own characters: every one is read or refused at a place
    // inside it, and whatever is read can be run.
    makeCollection();
    const QString alphabet = QStringLiteral("AYWPSTIKMRXONDE=<>()'\" ,*?wbnKQa1e8-#");
    QRandomGenerator rng(25);
    int valid = 0;
    for (int i = 0; i < 20000; ++i) {
        QString line;
        for (int n = rng.bounded(30); n > 0; --n)
            line += alphabet[rng.bounded(int(alphabet.size()))];
        const ParsedQuery parsed = ParseQuery(line);
        if (!parsed.isValid()) {
            QVERIFY2(parsed.error.position >= 0 && parsed.error.position <= line.size(),
                     qPrintable(line));
            QVERIFY2(!parsed.error.expected.isEmpty(), qPrintable(line));
            continue;
        }
        ++valid;
        SearchCollection(QueryMatcher(*parsed.root), m_collection, m_path, [](int) {});
    }
    QVERIFY(valid > 1000);
}

void TestSearchQuery::makeCollection()
{
    if (!m_path.isEmpty())
        return;
    const QList<Item> items = {
        // 1
        item("S. Loyd", "American Chess Journal 1878", "#2", "", {}, "8/8/8/8/8/8/8/K6k",
             {"1.Qd4! zugzwang"}),
        // 2
        item("Sam Loyd & W. Shinkman", "Die Schwalbe, 1990 (12345)", "h#2", "Circe",
             {"b) bKh1->g1", "c) +wPb2"}, "7k/8/8/8/3Q4/8/8/4K3"),
        // 3
        item("A. Loydson", "feenschach 2005/06", "ser-h#7", "Madrasi", {}, "4k3/8/8/8/8/8/8/R3K2R",
             {"1.Ke2", "2.Kd3"}),
        // 4: white king h1 and knight g3: the mirror image of king a1, knight b3
        item("", "", "#3", "", {""}, "8/8/8/8/8/6S1/8/7K"),
        // 5: fairy units: a white nightrider, a neutral grasshopper and a royal white queen
        item("Jean Dupont", "Problemesis 1499; 2100; 19999", "h=3", "Andernach Circe", {},
             "7k/8/8/8/8/8/8/8"),
        // 6: a neutral grasshopper
        item("J. Dupont", "no year", "#2", "", {}, "8/8/8/8/8/8/8/8"),
    };
    // Item 5: a neutral grasshopper on d5 and a royal white queen on a1, as the editor
    // stores them.
    QList<Item> stored = items;
    int royal = 0;
    for (int s = 1; s < piece::kSpecificationCount; ++s)
        if (SpecificationName(s) == QLatin1String("royal"))
            royal = s;
    for (int kind = 1; kind <= piece::kKindCount; ++kind)
        if (KindCode(kind) == QLatin1String("G"))
            stored[4].board.at(3, 3) = piece::make(piece::kFairyNeutral, kind, 0);
    for (int kind = 1; kind <= piece::kKindCount; ++kind)
        if (KindCode(kind) == QLatin1String("Q"))
            stored[4].board.at(7, 0) = piece::make(piece::kFairyWhite, kind, royal);
    stored[4].board.at(7, 1) = 15; // white nightrider b1
    stored[5].board.at(7, 0) = stored[4].board.at(3, 3);
    m_path = m_dir.filePath(QStringLiteral("c.dgr"));
    WriteLinesFile(m_path, test::collectionOf(stored));
    m_collection = Collection::fromFile(m_path);
}

void TestSearchQuery::finds_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("numbers");
    // Texts: a word of the field, whole words only, wildcards, letter case ignored.
    QTest::newRow("author word") << "A=Loyd" << QList<int>{1, 2};
    QTest::newRow("author prefix") << "A=Loyd*" << QList<int>{1, 2, 3};
    QTest::newRow("author one letter") << "a=loyd?on" << QList<int>{3};
    QTest::newRow("author two words") << "A='sam loyd'" << QList<int>{2};
    QTest::newRow("author across words") << "A='S*Shinkman'" << QList<int>{2};
    QTest::newRow("inside a word is no word") << "A=oyd" << QList<int>{};
    QTest::newRow("source after comma") << "S=Schwalbe" << QList<int>{2};
    QTest::newRow("stipulation whole") << "STIP=#2" << QList<int>{1, 6};
    QTest::newRow("stipulation wildcard") << "STIP=*h#?" << QList<int>{2, 3};
    QTest::newRow("condition") << "K=circe" << QList<int>{2, 5};
    QTest::newRow("condition word is not the stipulation") << "K=h#2" << QList<int>{};
    QTest::newRow("twins") << "TW=+wPb2" << QList<int>{2};
    QTest::newRow("twins after a stored break") << "TW='c)'" << QList<int>{2};
    QTest::newRow("solution line after the stored break") << "SOL=2.Kd3" << QList<int>{3};
    QTest::newRow("any text") << "Circe" << QList<int>{2, 5};
    QTest::newRow("any text, the solution") << "zugzwang" << QList<int>{1};
    QTest::newRow("any text, wildcard only") << "TEXT=*" << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("character Windows-1252 lacks")
        << QString::fromUtf8("A=Lo\u4e00d") << QList<int>{};
    // Years: the last four-digit year 1500-2099 of the source.
    QTest::newRow("year equal") << "Y=1990" << QList<int>{2};
    QTest::newRow("year after") << "Y>=1990" << QList<int>{2, 3};
    QTest::newRow("year before") << "Y<1900" << QList<int>{1};
    QTest::newRow("no year never compares") << "NOT Y>0" << QList<int>{4, 5, 6};
    // Counts.
    QTest::newRow("white units") << "W=3" << QList<int>{3};
    QTest::newRow("black units") << "B=0" << QList<int>{4, 6};
    QTest::newRow("neutral units") << "N=1" << QList<int>{5, 6};
    QTest::newRow("all units") << "P>3" << QList<int>{3, 5};
    QTest::newRow("fairy units") << "FAIRY>=2" << QList<int>{5};
    QTest::newRow("twin lines") << "TWINS=2" << QList<int>{2};
    QTest::newRow("one empty twin line") << "TWINS=1" << QList<int>{4};
    // Pieces.
    QTest::newRow("queen of any side and kind") << "PIECE=Q" << QList<int>{2, 5};
    QTest::newRow("white queen") << "PIECE=wQ" << QList<int>{2, 5};
    QTest::newRow("royal white queen") << "PIECE='royal wQ'" << QList<int>{5};
    QTest::newRow("nightrider by name") << "PIECE=nightrider" << QList<int>{5};
    QTest::newRow("knight") << "PIECE=S" << QList<int>{4};
    QTest::newRow("neutral grasshopper") << "PIECE=nG" << QList<int>{5, 6};
    QTest::newRow("black grasshopper") << "PIECE=bG" << QList<int>{};
    // Positions.
    QTest::newRow("position") << "POS='wKe1 bKh8'" << QList<int>{2};
    QTest::newRow("position, other units anywhere") << "POS=wKe1" << QList<int>{2, 3};
    QTest::newRow("exact") << "EXACT='wKa1 bKh1'" << QList<int>{1};
    QTest::newRow("exact, one unit more") << "EXACT='wKe1 bKe8 wRa1'" << QList<int>{};
    QTest::newRow("matrix shifted") << "MATRIX='wKb1 wSa3'" << QList<int>{4};
    QTest::newRow("matrix mirrored needs mirror") << "MATRIX='wKa1 wSb3'" << QList<int>{};
    QTest::newRow("matrix mirror") << "MATRIX('wKa1 wSb3', mirror)" << QList<int>{4};
    QTest::newRow("matrix turned needs all") << "MATRIX('wKa1 wSc2', mirror)" << QList<int>{};
    QTest::newRow("matrix all") << "MATRIX('wKa1 wSc2', all)" << QList<int>{4};
    QTest::newRow("matrix off the board") << "MATRIX='wKa1 wSa8'" << QList<int>{};
    // Combinations.
    QTest::newRow("and") << "A=Loyd* Y>1950" << QList<int>{2, 3};
    QTest::newRow("or") << "STIP=#3 OR K=Madrasi" << QList<int>{3, 4};
    QTest::newRow("not") << "NOT A=Loyd* AND NOT PIECE=G" << QList<int>{4};
    QTest::newRow("mixed") << "(A=Dupont OR Y<1900) AND NOT FAIRY>1" << QList<int>{1, 6};
    QTest::newRow("no verification file") << "VERIFY=none" << QList<int>{1, 2, 3, 4, 5, 6};
}

void TestSearchQuery::finds()
{
    QFETCH(QString, query);
    QFETCH(QList<int>, numbers);
    makeCollection();
    const ParsedQuery parsed = ParseQuery(query);
    QVERIFY2(parsed.isValid(), qPrintable(parsed.errorText()));
    const QueryMatcher matcher(*parsed.root);
    QList<int> found;
    SearchCollection(matcher, m_collection, m_path, [&](int n) { found << n; });
    QCOMPARE(found, numbers);
}

void TestSearchQuery::findsByVerification()
{
    makeCollection();
    VerifyResults results;
    VerifyRecord cooked;
    cooked.number = 2;
    cooked.options = VerifyOptionsText(10);
    cooked.key = ItemKey(StoredItemLines(m_collection, 2), cooked.options);
    cooked.outcome = Outcome::Cooked;
    results.put(cooked);
    VerifyRecord sound = cooked;
    sound.number = 5;
    sound.options = VerifyOptionsText(30); // another run's options
    sound.key = ItemKey(StoredItemLines(m_collection, 5), sound.options);
    sound.outcome = Outcome::Sound;
    results.put(sound);
    // A result of lines that are no longer stored belongs to no item.
    VerifyRecord stale = cooked;
    stale.number = 1;
    stale.key = ItemKey("other lines", stale.options);
    stale.outcome = Outcome::Failed;
    results.put(stale);
    results.write(VerifyResultsPath(m_path));
    auto find = [&](const QString& query) {
        const QueryMatcher matcher(*ParseQuery(query).root);
        QList<int> found;
        SearchCollection(matcher, m_collection, m_path, [&](int n) { found << n; });
        return found;
    };
    QCOMPARE(find("VERIFY=cooked"), QList<int>{2});
    QCOMPARE(find("VERIFY=sound"), QList<int>{5});
    QCOMPARE(find("VERIFY=failed"), QList<int>{});
    QCOMPARE(find("VERIFY=none"), (QList<int>{1, 3, 4, 6}));
    QFile::remove(VerifyResultsPath(m_path));
}

void TestSearchQuery::statusLine()
{
    SearchTotals totals;
    totals.items = 1000000;
    totals.found = 1234;
    totals.seconds = 0.44;
    QCOMPARE(SearchStatusText(totals, {}), QStringLiteral("1,234 of 1,000,000 items in 0.4 s"));
    totals.stopped = true;
    QVERIFY(SearchStatusText(totals, {QStringLiteral("gone.dgr")})
                .contains(QStringLiteral("gone.dgr")));
}

void TestSearchQuery::jobStreamsSkipsAndStops()
{
    makeCollection();
    SearchJob job;
    QList<QPair<int, QList<int>>> batches;
    QList<int> read, skipped;
    std::optional<SearchTotals> totals;
    connect(&job, &SearchJob::found, this, [&](int file, const QList<int>& numbers) {
        batches.append({file, numbers});
    });
    connect(&job, &SearchJob::fileRead, this, [&](int file, const Collection& c) {
        read << file;
        QCOMPARE(c.itemCount(), 6);
    });
    connect(&job, &SearchJob::fileSkipped, this, [&](int file, const QString& problem) {
        skipped << file;
        QVERIFY(problem.contains(QStringLiteral("missing.dgr")));
    });
    connect(&job, &SearchJob::finished, this, [&](const SearchTotals& t) {
        QVERIFY(batches.size() > 0 || t.found == 0); // results come before the end
        totals = t;
    });
    const QString missing = m_dir.filePath(QStringLiteral("missing.dgr"));
    job.start(*ParseQuery(QStringLiteral("STIP=#2 OR K=Madrasi")).root, {m_path, missing, m_path});
    QVERIFY(job.isRunning());
    QTRY_VERIFY(totals.has_value());
    QVERIFY(!job.isRunning());
    QCOMPARE(read, (QList<int>{0, 2}));
    QCOMPARE(skipped, QList<int>{1});
    QList<int> found;
    for (const auto& [file, numbers] : batches)
        for (int n : numbers)
            found << file * 100 + n;
    QCOMPARE(found, (QList<int>{1, 3, 6, 201, 203, 206}));
    QCOMPARE(totals->items, 12);
    QCOMPARE(totals->found, 6);
    QVERIFY(!totals->stopped);

    // Stop at once: a long list of files is not read to its end.
    totals.reset();
    job.start(*ParseQuery(QStringLiteral("TEXT=*")).root, QStringList(2000, m_path));
    job.stop();
    QTRY_VERIFY(totals.has_value());
    QVERIFY(totals->stopped);
    QVERIFY(totals->items < 2000 * 6);
}

void TestSearchQuery::scannerHandsOverStoredLines()
{
    // LF-only and lone-CR line ends are read as the collection reads them.
    makeCollection();
    const QByteArray crlf = test::fileBytes(m_path);
    for (const QByteArray& ends : {QByteArray("\n"), QByteArray("\r")}) {
        QByteArray bytes = crlf;
        bytes.replace("\r\n", ends);
        const Collection other = Collection::fromBytes(bytes);
        QList<QByteArray> seen, expected;
        ScanCollection(other, [&](const ScannedItem& item) {
            seen << item.storedLines();
            return item.number() < 4; // the scan ends when told to
        });
        for (int n = 1; n <= 4; ++n)
            expected << StoredItemLines(m_collection, n);
        QCOMPARE(seen, expected);
    }
}

void TestSearchQuery::scannerReadsOddRowsAsTheViews_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("as written") << QByteArray("[0,5,0,0,1700117,0,0,12],");
    QTest::newRow("first row") << QByteArray("([11,0,0,0,0,0,0,12],");
    QTest::newRow("blanks and signs") << QByteArray("[ 5,+3,-2,0 ,0,0,0,1],");
    QTest::newRow("not a number") << QByteArray("[x,5,0,0,0,0,0,9],");
    QTest::newRow("too few values") << QByteArray("[1,2,3],");
    QTest::newRow("too many values") << QByteArray("[1,2,3,4,5,6,7,8,9],");
    QTest::newRow("too large a value") << QByteArray("[12345678901,1,0,0,0,0,0,0],");
    QTest::newRow("closing bracket first") << QByteArray("][1,0,0,0,0,0,0,0],");
    QTest::newRow("no brackets") << QByteArray("1,2,3,4,5,6,7,8");
    QTest::newRow("empty") << QByteArray("");
}

void TestSearchQuery::scannerReadsOddRowsAsTheViews()
{
    QFETCH(QByteArray, row);
    Lines lines = test::collectionOf({Item()});
    for (int r = 1; r <= 8; ++r)
        lines[kItemLines + r] = r == 3 ? row : QByteArray("[1,2,3,4,5,6,7,8],");
    const Collection collection = Collection::fromLines(lines);
    Board scanned;
    ScanCollection(collection, [&](const ScannedItem& item) {
        scanned = item.board();
        return true;
    });
    QCOMPARE(scanned, EntryBoard(collection, 1));
    QVERIFY(scanned.at(0, 7) == 8);
}

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "tst_searchquery.moc"
