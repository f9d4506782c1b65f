#include "model/failure.h"
#include "solve/programfolder.h"
#include "solve/solverrun.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexil;

namespace {
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestSolveFiles : public QObject {
    Q_OBJECT
private slots:
    void programFolder();
    void paneLines_data();
    void paneLines();
    void inputFile();
    void outputFile();
    void runWritesMergedOutput();
    void runStops();
    void runOfMissingProgram();
};

void TestSolveFiles::programFolder()
{
    QTemporaryDir dir;
    const QString app = dir.filePath("app");
    const QString user = dir.filePath("user");
    QDir().mkpath(app);
    QCOMPARE(ChooseProgramFolder(app, user), QDir::toNativeSeparators(app + "/"));
    QVERIFY(!QDir(user).exists());
    // No probe is left behind in the program's folder.
    QCOMPARE(QDir(app).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    // An installed program and a folder that is gone both take the per-user folder, made now.
    for (const QString& installed : {QStringLiteral("/usr/bin"), dir.filePath("gone")}) {
        QCOMPARE(ChooseProgramFolder(installed, user), QDir::toNativeSeparators(user + "/solve/"));
        QVERIFY(QDir(user + "/solve").exists());
    }
}

void TestSolveFiles::paneLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one line") << "a" << QStringList{"a"};
    QTest::newRow("final break starts no line") << "a\n" << QStringList{"a"};
    QTest::newRow("empty lines inside kept") << "a\n\nb\n\n" << QStringList{"a", "", "b", ""};
    QTest::newRow("a lone break") << "\n" << QStringList{""};
}

void TestSolveFiles::paneLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(PaneLines(text), lines);
}

void TestSolveFiles::inputFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("py.in");
    WriteSolverInput(path, {"BeginProblem", "Author M\u00fcller \u20ac", ""});
    QCOMPARE(readAll(path), QByteArray("BeginProblem\r\nAuthor M\xfcller \x80\r\n\r\n"));
    WriteSolverInput(path, {});
    QCOMPARE(readAll(path), QByteArray());
    try {
        WriteSolverInput(path, {"ok", "Author \u4e2d"});
        QFAIL("a character Windows-1252 lacks was written");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message.startsWith("Line 2 "), qPrintable(failure.message));
    }
    QCOMPARE(readAll(path), QByteArray()); // the old file is left as it was
    QVERIFY_THROWS_EXCEPTION(Failure,
                             WriteSolverInput(dir.filePath("no/such/folder/py.in"), {"x"}));

    // Someone put a link of that name in a shared solver folder: the link goes, the file it
    // led to is not written.
    const QString notes = dir.filePath("notes.txt");
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("my notes");
    file.close();
    QFile::remove(path);
    QVERIFY(QFile::link(notes, path));
    WriteSolverInput(path, {"BeginProblem"});
    QCOMPARE(readAll(notes), QByteArray("my notes"));
    QVERIFY(!QFileInfo(path).isSymLink());
    QCOMPARE(readAll(path), QByteArray("BeginProblem\r\n"));
}

void TestSolveFiles::outputFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("py.txt");
    RemoveSolverOutput(path); // nothing there is no error
    QVERIFY(!ReadSolverOutput(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a\r\n\xe9\nlast");
    file.close();
    QCOMPARE(*ReadSolverOutput(path), QStringList({"a", "\u00e9", "last"}));
    RemoveSolverOutput(path);
    QVERIFY(!QFile::exists(path));
}

void TestSolveFiles::runWritesMergedOutput()
{
    QTemporaryDir dir;
    SolverRun run(QStringLiteral("Shell"));
    QSignalSpy ended(&run, &SolverRun::ended);
    QVERIFY(run.start("sh", {"-c", "echo out; echo err >&2; pwd; exit 3"}, dir.path(),
                      dir.filePath("bench.txt")));
    QVERIFY(ended.wait(10000));
    QCOMPARE(readAll(dir.filePath("bench.txt")),
             QByteArray("out\nerr\n") + QDir(dir.path()).canonicalPath().toUtf8() + "\n");
    QVERIFY2(run.statusText().startsWith("Shell finished (exit 3) in "),
             qPrintable(run.statusText()));
}

void TestSolveFiles::runStops()
{
    QTemporaryDir dir;
    SolverRun run(QStringLiteral("Sleeper"));
    QSignalSpy ended(&run, &SolverRun::ended);
    QVERIFY(run.start("/bin/sleep", {"30"}, dir.path()));
    QTRY_VERIFY(run.processId() > 0);
    QCOMPARE(run.statusText(), QStringLiteral("Sleeper running… 0 s"));
    QTRY_COMPARE_WITH_TIMEOUT(run.statusText(), QStringLiteral("Sleeper running… 1 s"), 3000);
    const qint64 pid = run.processId();
    run.stop();
    QVERIFY(ended.wait(5000));
    QCOMPARE(run.statusText(), QStringLiteral("Sleeper stopped"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)));

    // A run still going when its owner goes is ended with it.
    qint64 orphan = 0;
    {
        SolverRun owner(QStringLiteral("Sleeper"));
        QVERIFY(owner.start("sleep", {"30"}, dir.path()));
        QTRY_VERIFY(owner.processId() > 0);
        orphan = owner.processId();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(orphan)), 5000);
}

void TestSolveFiles::runOfMissingProgram()
{
    QTemporaryDir dir;
    const QString notExecutable = dir.filePath("solver");
    QFile file(notExecutable);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    SolverRun run(QStringLiteral("Popeye"));
    for (const QString& program : {QString(), QStringLiteral("  "), dir.filePath("nothing"),
                                   notExecutable, dir.path(), QStringLiteral("no-such-program-x")})
        QVERIFY2(!run.start(program, {"-maxmem", "4M", "py.in"}, dir.path()), qPrintable(program));
    QVERIFY(!run.isRunning());
    QCOMPARE(run.statusText(), QString());

    // Found but not startable: said once, and the run is over.
    const QString broken = dir.filePath("broken");
    QFile script(broken);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/nonexistent/interpreter\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    QSignalSpy failed(&run, &SolverRun::failedToStart);
    QSignalSpy ended(&run, &SolverRun::ended);
    QVERIFY(run.start(broken, {}, dir.path()));
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(failed.size(), 1);
    QVERIFY2(run.statusText().startsWith("Popeye could not be started"),
             qPrintable(run.statusText()));
    QVERIFY(!run.isRunning());
}

QTEST_GUILESS_MAIN(TestSolveFiles)
#include "tst_solvefiles.moc"
