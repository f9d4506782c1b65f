// vexil-cli as scripts run it: every command's normal run, bad usage and unreadable files; the
// items a search finds and the groups of duplicates; the published files, drawn on a machine
// without a display; a verification split into shards run by GNU parallel and merged, against
// a single run; what the merge refuses; and the window showing merged results without running
// Popeye again.
#include "app/scriptedprompts.h"
#include "model/failure.h"
#include "model/sampleitems.h"
#include "verify/verifywindow.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace vexil;

namespace {

const QString kCli = QStringLiteral(VEXIL_CLI);
const QString kFakePopeye = QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye");
const QStringList kMarkers{"unique", "cooked", "nosolution", "help2", "twins", "inputerror"};
constexpr int kItems = 24;

struct Ran {
    int code = -1;
    QString out;
    QString err;
};

// `headless`: as on a server, with no display and a platform that would need one.
Ran runCli(const QStringList& arguments, const QString& folder, bool headless = false)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (headless) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(environment);
    }
    process.start(kCli, arguments);
    Ran ran;
    if (!process.waitForFinished(300000))
        return ran;
    ran.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = QString::fromUtf8(process.readAllStandardOutput());
    ran.err = QString::fromUtf8(process.readAllStandardError());
    return ran;
}

// Items whose authors tell the stand-in solver what to answer, each with a king of each side.
QList<Item> markedItems(int count)
{
    QList<Item> items;
    for (int n = 1; n <= count; ++n) {
        Item item;
        item.author = kMarkers[(n - 1) % kMarkers.size()];
        item.source = QStringLiteral("Source %1").arg(n);
        item.stipulation = QStringLiteral("#2");
        item.board.at(7, 4) = 11;
        item.board.at(0, 4) = 12;
        items << item;
    }
    return items;
}

// The values of one field of JSON lines, in order.
QStringList jsonField(const QString& lines, const QString& field)
{
    QStringList values;
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        values
            << QJsonDocument::fromJson(line.toUtf8()).object().value(field).toVariant().toString();
    return values;
}

// Items for duplicates: 1 to 3 the same kings, 3 under another stipulation; 4 and 5 mirror
// images of each other; 6 the first position with one rook more.
QList<Item> duplicateItems()
{
    QList<Item> items(6);
    for (int n : {0, 1, 2, 5}) {
        items[n].board.at(7, 4) = 11;
        items[n].board.at(0, 4) = 12;
    }
    items[5].board.at(7, 0) = 3;
    items[3].board.at(7, 0) = 11;
    items[3].board.at(0, 2) = 12;
    items[4].board.at(7, 7) = 11;
    items[4].board.at(0, 5) = 12;
    for (int n = 0; n < items.size(); ++n) {
        items[n].author = QStringLiteral("Author %1").arg(n + 1);
        items[n].stipulation = n == 2 ? QStringLiteral("h#2") : QStringLiteral("#2");
    }
    return items;
}

// Two results files hold the same verification when they hold the same records, whatever
// each run took.
QList<VerifyRecord> timeless(const QString& path)
{
    QString problem;
    QList<VerifyRecord> records = VerifyResults::read(path, &problem).records();
    for (VerifyRecord& record : records)
        record.seconds = 0;
    return records;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_collection;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        qputenv("VEXIL_FAKE_DELAY", "0.02");
        QVERIFY(QFile::exists(kCli));
        m_collection = path(QStringLiteral("c.dgr"));
        Collection::fromLines(test::collectionOf(markedItems(kItems))).write(m_collection);
        Collection::fromLines(test::collectionOf(markedItems(2))).write(path("small.dgr"));
        QVERIFY(QFile::copy(VEXIL_SOURCE_DIR "/examples/sample.dgr", path("sample.dgr")));
        QVERIFY(QFile::copy(m_collection, path("shards.dgr")));
        Collection::fromLines(test::collectionOf(duplicateItems())).write(path("dups.dgr"));
    }
    void commands_data();
    void commands();
    void searchFinds_data();
    void searchFinds();
    void duplicateGroups_data();
    void duplicateGroups();
    void publishedFiles();
    void conversionKeepsItems();
    void mergeRefuses_data();
    void mergeRefuses();
    void shardsMergeAsOneRun();
};

void TestCli::commands_data()
{
    // "{dir}" is the test's folder; `told` is looked for on standard output for exit 0, on
    // standard error otherwise.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("told");
    const QString popeye = kFakePopeye;
    auto row = [](const char* name, const QStringList& arguments, int code, const QString& told) {
        QTest::newRow(name) << arguments << code << told;
    };
    row("help", {"--help"}, 0, "verify-merge");
    row("no command", {}, 2, "usage: vexil-cli");
    row("unknown command", {"frobnicate"}, 2, "usage: vexil-cli");

    row("info", {"info", "--format", "csv", "sample.dgr"}, 0, "sample.dgr,9,valid,");
    row("info help", {"info", "--help"}, 0, "usage: vexil-cli info");
    row("info bad option", {"info", "--bogus", "sample.dgr"}, 2, "usage: vexil-cli info");
    row("info bad format", {"info", "--format", "xml", "sample.dgr"}, 2, "usage: vexil-cli info");
    row("info unreadable", {"info", "missing.dgr"}, 1, "missing.dgr");

    row("convert", {"convert", "--format", "json", "sample.dgr", "out.olv"}, 0,
        "{\"in\":\"sample.dgr\",\"items\":9,\"out\":\"out.olv\"}");
    row("convert help", {"convert", "--help"}, 0, "usage: vexil-cli convert");
    row("convert one file", {"convert", "sample.dgr"}, 2, "usage: vexil-cli convert");
    row("convert to pbm", {"convert", "sample.dgr", "x.pbm"}, 2, "usage: vexil-cli convert");
    row("convert unreadable", {"convert", "missing.olv", "out.dgr"}, 1, "missing.olv");

    row("export", {"export", "--to", "fen", "--items", "2-3", "sample.dgr", "out.fen"}, 0,
        "sample.dgr\tout.fen\t2");
    row("export help", {"export", "--help"}, 0, "usage: vexil-cli export");
    // A description too long for one line is shown whole.
    row("export help wrapped", {"export", "--help"}, 0, "(end).");
    row("export bad format", {"export", "--to", "tex", "sample.dgr", "out.tex"}, 2,
        "usage: vexil-cli export");
    row("export unreadable", {"export", "--to", "olv", "missing.dgr", "out.olv"}, 1, "missing.dgr");

    row("export latex", {"export", "--to", "latex", "sample.dgr", "out.tex"}, 0,
        "sample.dgr\tout.tex\t9");
    row("export latex with pdf option",
        {"export", "--to", "latex", "--paper", "a4", "sample.dgr", "out.tex"}, 2,
        "usage: vexil-cli export");
    row("export latex unreadable", {"export", "--to", "latex", "missing.dgr", "out.tex"}, 1,
        "missing.dgr");
    row("export pdf", {"export", "--to", "pdf", "--items", "1-2", "sample.dgr", "out.pdf"}, 0,
        "sample.dgr\tout.pdf\t2");
    row("export pdf bad across",
        {"export", "--to", "pdf", "--across", "4", "sample.dgr", "out.pdf"}, 2,
        "usage: vexil-cli export");
    row("export pdf bad paper", {"export", "--to", "pdf", "--paper", "a5", "sample.dgr", "out.pdf"},
        2, "usage: vexil-cli export");
    row("export pdf unreadable", {"export", "--to", "pdf", "missing.dgr", "out.pdf"}, 1,
        "missing.dgr");
    row("export svg", {"export", "--to", "svg", "--items", "4", "sample.dgr", "out.svg"}, 0,
        "sample.dgr\tout.svg\t1");
    row("export svg many items",
        {"export", "--to", "svg", "--items", "1-3", "sample.dgr", "out.svg"}, 2,
        "usage: vexil-cli export");
    row("export svg no such item",
        {"export", "--to", "svg", "--items", "99", "sample.dgr", "out.svg"}, 1, "99");
    row("export svg unreadable",
        {"export", "--to", "svg", "--items", "1", "missing.dgr", "out.svg"}, 1, "missing.dgr");

    row("search", {"search", "--format", "csv", "A=Dawson", "sample.dgr"}, 0,
        "sample.dgr,2,T. R. Dawson,The Problemist,#3");
    row("search help", {"search", "--help"}, 0, "usage: vexil-cli search");
    row("search no file", {"search", "A=Dawson"}, 2, "usage: vexil-cli search");
    row("search bad query", {"search", "A=Dawson AND (Y>1900", "sample.dgr"}, 2, "At character 21");
    row("search bad query usage", {"search", "Y>=", "sample.dgr"}, 2, "usage: vexil-cli search");
    row("search unreadable", {"search", "A=Dawson", "sample.dgr", "missing.dgr"}, 1, "missing.dgr");

    row("duplicates", {"duplicates", "small.dgr"}, 0, "1\tsmall.dgr\t1\tfirst");
    row("duplicates help", {"duplicates", "--help"}, 0, "--same-stipulation");
    row("duplicates bad equivalence", {"duplicates", "--equivalence", "rotated", "small.dgr"}, 2,
        "usage: vexil-cli duplicates");
    row("duplicates no file", {"duplicates"}, 2, "usage: vexil-cli duplicates");
    row("duplicates unreadable", {"duplicates", "small.dgr", "missing.dgr"}, 1, "missing.dgr");

    row("verify", {"verify", "--format", "csv", "small.dgr", "--popeye", popeye, "--maxtime", "10"},
        0, "2,cooked,");
    row("verify help", {"verify", "--help"}, 0, "--shard");
    row("verify without popeye", {"verify", "small.dgr"}, 2, "usage: vexil-cli verify");
    row("verify bad shard", {"verify", "small.dgr", "--popeye", popeye, "--shard", "4/4"}, 2,
        "usage: vexil-cli verify");
    row("verify bad range", {"verify", "small.dgr", "--popeye", popeye, "--range", "5-2"}, 2,
        "usage: vexil-cli verify");
    row("verify bad jobs", {"verify", "small.dgr", "--popeye", popeye, "--jobs", "0"}, 2,
        "usage: vexil-cli verify");
    row("verify unreadable", {"verify", "missing.dgr", "--popeye", popeye}, 1, "missing.dgr");
    row("verify no popeye", {"verify", "small.dgr", "--popeye", "/no/such/popeye"}, 1,
        "/no/such/popeye");

    row("verify-merge", {"verify-merge", "small.dgr", "small.dgr.verify"}, 0,
        "small.dgr.verify\t2");
    row("verify-merge help", {"verify-merge", "--help"}, 0, "usage: vexil-cli verify-merge");
    row("verify-merge no results", {"verify-merge", "small.dgr"}, 2,
        "usage: vexil-cli verify-merge");
    row("verify-merge unreadable", {"verify-merge", "small.dgr", "missing.verify"}, 1,
        "missing.verify");
}

void TestCli::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, told);
    const Ran ran = runCli(arguments, m_dir.path());
    QVERIFY2(ran.code == code,
             qPrintable(QStringLiteral("exit %1\n%2%3").arg(ran.code).arg(ran.out, ran.err)));
    const QString& where = code == 0 ? ran.out : ran.err;
    QVERIFY2(where.contains(told), qPrintable(ran.out + ran.err));
}

void TestCli::searchFinds_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("stipulation") << "STIP=#2" << QStringList{"1", "7"};
    QTest::newRow("or") << "A=Dawson OR A=Shinkman" << QStringList{"1", "2"};
    QTest::newRow("condition") << "K=Circe" << QStringList{"4"};
    QTest::newRow("not") << "STIP=#* AND NOT A=Shinkman" << QStringList{"2", "7", "9"};
    QTest::newRow("none") << "A=Nobody" << QStringList{};
}

void TestCli::searchFinds()
{
    QFETCH(QString, query);
    QFETCH(QStringList, numbers);
    const Ran ran = runCli({"search", "--format", "json", query, "sample.dgr"}, m_dir.path());
    QVERIFY2(ran.code == 0, qPrintable(ran.err));
    QCOMPARE(jsonField(ran.out, "number"), numbers);
}

void TestCli::duplicateGroups_data()
{
    // The groups' members by number, largest group first.
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<QStringList>>("groups");
    QTest::newRow("exact") << QStringList{"--equivalence", "exact"}
                           << QList<QStringList>{{"1", "2", "3"}};
    QTest::newRow("mirror") << QStringList{"--equivalence", "mirror"}
                            << QList<QStringList>{{"1", "2", "3"}, {"4", "5"}};
    QTest::newRow("file named twice") << QStringList{"--equivalence", "exact", "./dups.dgr"}
                                      << QList<QStringList>{{"1", "2", "3"}};
    QTest::newRow("near") << QStringList{"--equivalence", "exact", "--near"}
                          << QList<QStringList>{{"1", "2", "3", "6"}};
    QTest::newRow("same stipulation")
        << QStringList{"--equivalence", "mirror", "--same-stipulation"}
        << QList<QStringList>{{"1", "2"}, {"4", "5"}};
}

void TestCli::duplicateGroups()
{
    QFETCH(QStringList, options);
    QFETCH(QList<QStringList>, groups);
    const Ran ran =
        runCli(QStringList{"duplicates", "--format", "json"} + options + QStringList{"dups.dgr"},
               m_dir.path());
    QVERIFY2(ran.code == 0, qPrintable(ran.err));
    const QStringList group = jsonField(ran.out, "group");
    const QStringList number = jsonField(ran.out, "number");
    QList<QStringList> found;
    for (qsizetype i = 0; i < group.size(); ++i) {
        if (found.size() < group[i].toInt())
            found.append(QStringList());
        found.last() << number[i];
    }
    for (QStringList& members : found)
        members.sort();
    QCOMPARE(found, groups);
}

void TestCli::publishedFiles()
{
    // Drawn as on a server: no display, and a platform that would want one.
    for (const QStringList& arguments :
         {QStringList{"export", "--to", "latex", "sample.dgr", "whole.tex"},
          QStringList{"export", "--to", "latex", "--diagrams-only", "sample.dgr", "part.tex"},
          QStringList{"export", "--to", "pdf", "--paper", "letter", "--across", "3", "--solutions",
                      "under", "sample.dgr", "book.pdf"},
          QStringList{"export", "--to", "svg", "--items", "2", "sample.dgr", "two.svg"}}) {
        const Ran ran = runCli(arguments, m_dir.path(), true);
        QVERIFY2(ran.code == 0, qPrintable(arguments.join(' ') + '\n' + ran.err));
    }
    auto read = [this](const char* name) {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray whole = read("whole.tex");
    const QByteArray part = read("part.tex");
    QCOMPARE(whole.count("\\begin{diagram}"), 9);
    QVERIFY(whole.contains("\\documentclass"));
    QCOMPARE(part.count("\\begin{diagram}"), 9);
    QVERIFY(!part.contains("\\documentclass"));

    QVERIFY(read("book.pdf").startsWith("%PDF"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed");
    QProcess text;
    text.start(pdftotext, {path("book.pdf"), "-"});
    QVERIFY(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* author : {"Shinkman", "Dawson", "Zocco", "Macleod"})
        QVERIFY2(words.contains(QLatin1String(author)), author);

    QXmlStreamReader svg(read("two.svg"));
    QVERIFY(svg.readNextStartElement());
    QCOMPARE(svg.name(), QStringLiteral("svg"));
    while (!svg.atEnd())
        svg.readNext();
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
}

void TestCli::conversionKeepsItems()
{
    // Out to Olive and back: the items and their authors survive, the .pbm-free round trip a
    // collector scripts over a folder.
    for (const auto& [in, out] : {std::pair{"sample.dgr", "trip.olv"},
                                  {"trip.olv", "trip.dgr"},
                                  {"sample.dgr", "trip.inp"}}) {
        const Ran ran = runCli({"convert", in, out}, m_dir.path());
        QVERIFY2(ran.code == 0, qPrintable(ran.err));
    }
    const Collection before = Collection::fromFile(path("sample.dgr"));
    const Collection after = Collection::fromFile(path("trip.dgr"));
    QCOMPARE(after.itemCount(), before.itemCount());
    for (int n = 1; n <= before.itemCount(); ++n)
        QCOMPARE(after.readItem(after.FindItemLine(n)).author,
                 before.readItem(before.FindItemLine(n)).author);
    const Ran info = runCli({"info", "--format", "csv", "trip.inp"}, m_dir.path());
    QVERIFY2(info.out.contains(QStringLiteral("trip.inp,%1,valid").arg(before.itemCount())),
             qPrintable(info.out + info.err));
}

void TestCli::mergeRefuses_data()
{
    // A shard's results are refused for an item whose lines changed after the shard ran, and
    // for shards run under other options than the others.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("told");
    QTest::newRow("item changed") << "item"
                                  << "a.verify"
                                  << "item 2";
    QTest::newRow("other options") << "options"
                                   << "b.verify"
                                   << "MaxTime 7";
}

void TestCli::mergeRefuses()
{
    QFETCH(QString, change);
    QFETCH(QString, results);
    QFETCH(QString, told);
    const QString file = path(QStringLiteral("refuse-%1.dgr").arg(change));
    Collection::fromLines(test::collectionOf(markedItems(4))).write(file);
    const QStringList base{"verify", file, "--popeye", kFakePopeye};
    QCOMPARE(runCli(base + QStringList{"--shard", "0/2", "--maxtime", "5", "--results", "a.verify"},
                    m_dir.path())
                 .code,
             0);
    const QString maxTime = change == u"options" ? QStringLiteral("7") : QStringLiteral("5");
    QCOMPARE(
        runCli(base + QStringList{"--shard", "1/2", "--maxtime", maxTime, "--results", "b.verify"},
               m_dir.path())
            .code,
        0);
    if (change == u"item") {
        Collection collection = Collection::fromFile(file);
        Item item = collection.readItem(collection.FindItemLine(2));
        item.source = QStringLiteral("edited after the shard ran");
        collection.writeItem(collection.FindItemLine(2), item);
        collection.write(file);
    }
    const Ran ran = runCli({"verify-merge", file, "a.verify", "b.verify"}, m_dir.path());
    QCOMPARE(ran.code, 1);
    QVERIFY2(ran.err.contains(results) && ran.err.contains(told), qPrintable(ran.err));
    // Nothing of a refused merge reaches the collection's results.
    QVERIFY(!QFile::exists(VerifyResultsPath(file)));
}

void TestCli::shardsMergeAsOneRun()
{
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    QVERIFY2(!parallel.isEmpty(), "GNU parallel is needed (scripts/setup.sh --test)");
    const QString single = path(QStringLiteral("single.dgr"));
    QVERIFY(QFile::copy(m_collection, single));
    const Ran one =
        runCli({"verify", single, "--popeye", kFakePopeye, "--jobs", "4", "--maxtime", "10"},
               m_dir.path());
    QVERIFY2(one.code == 0, qPrintable(one.err));

    QProcess shards;
    shards.setWorkingDirectory(m_dir.path());
    shards.start(parallel, {"--halt", "now,fail=1", "-j",       "4",         kCli,
                            "verify", "shards.dgr", "--popeye", kFakePopeye, "--maxtime",
                            "10",     "--shard",    "{}/4",     "--results", "shard{}.verify",
                            ":::",    "0",          "1",        "2",         "3"});
    QVERIFY(shards.waitForFinished(300000));
    QVERIFY2(shards.exitCode() == 0, shards.readAllStandardError().constData());
    const Ran merged = runCli({"verify-merge", "shards.dgr", "shard0.verify", "shard1.verify",
                               "shard2.verify", "shard3.verify"},
                              m_dir.path());
    QVERIFY2(merged.code == 0, qPrintable(merged.err));
    // Every shard got items from all over: 24 items in 4 shards, 6 each.
    QCOMPARE(timeless(path("shard1.verify")).size(), kItems / 4);

    const QList<VerifyRecord> fromShards = timeless(VerifyResultsPath(path("shards.dgr")));
    QCOMPARE(fromShards.size(), kItems);
    QCOMPARE(fromShards, timeless(VerifyResultsPath(single)));

    // The window shows the merged results as its own: nothing is left to run, so a Popeye
    // that cannot start is never asked for.
    auto collection = std::make_shared<Collection>(Collection::fromFile(path("shards.dgr")));
    VerifySource source;
    source.itemCount = [collection] { return collection->itemCount(); };
    source.itemInfo = [collection](int n) {
        const Item item = collection->readItem(collection->FindItemLine(n));
        return VerifyItemInfo{item.author, item.stipulation, item.solution};
    };
    source.storedLines = [collection](int n) { return StoredItemLines(*collection, n); };
    source.popeyeInput = [](int) -> QByteArray {
        throw Failure::error(QStringLiteral("nothing is to run"));
    };
    source.solver = [] { return VerifySolver{QStringLiteral("/no/such/popeye"), "4M"}; };
    test::ScriptedPrompts prompts;
    VerifyWindow window(prompts, source);
    window.setResultsFile(VerifyResultsPath(path("shards.dgr")));
    window.itemsChanged();
    window.MaxTime->setValue(10);
    window.VerifyButton->click();
    QVERIFY(!window.isRunning());
    QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.shown.join('|')));
    QCOMPARE(window.Table->model()->rowCount(), kItems);
    for (int row = 0; row < kItems; ++row)
        QVERIFY(window.table().rowAt(row).record.has_value());
    QCOMPARE(window.table().rowAt(1).record->outcome, Outcome::Cooked);
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
