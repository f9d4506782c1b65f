// The solver process: bounded output, how the program is found and ended, and that nothing
// it starts outlives Stop, its own end, its owner or a killed Vexil.
#include "solve/solverprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace vexil;

namespace {

constexpr int kGrace = 500;

// A solver that starts a helper, ignores SIGTERM (the helper too) and writes both their ids
// to the file in $1; with "exit" as $2 it ends at once and leaves the helper behind.
const QByteArray kSolver = "#!/bin/sh\n"
                           "trap '' TERM\n"
                           "sleep 300 &\n"
                           "echo $! >> \"$1\"\n"
                           "echo $$ >> \"$1\"\n"
                           "[ \"$2\" = exit ] && exit 0\n"
                           "exec sleep 300\n";
// A wrapper as packages write them: it starts the solver as its child and waits for it.
const QByteArray kWrapper = "#!/bin/sh\n"
                            "echo $$ >> \"$1\"\n"
                            "\"$(dirname \"$0\")/solver\" \"$@\"\n";

void writeScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QList<qint64> idsIn(const QString& path)
{
    QFile file(path);
    QList<qint64> ids;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                ids << line.trimmed().toLongLong();
    return ids;
}

// A process that still runs: a zombie has ended.
bool alive(qint64 id)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(id));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && text.mid(close + 2, 1) != "Z";
}

int aliveCount(const QList<qint64>& ids)
{
    return int(std::count_if(ids.begin(), ids.end(), alive));
}

// Runs as the "Vexil" that a test kills: starts the wrapper and waits to be killed.
int runHost(const QString& program, const QString& idFile)
{
    SolverProcess process;
    process.setGrace(kGrace);
    if (!process.start(program, {idFile}, QDir::tempPath()))
        return 3;
    return QCoreApplication::exec();
}

} // namespace

class TestSolverProcess : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        writeScript(path("solver"), kSolver);
        writeScript(path("wrapper"), kWrapper);
    }
    void cappedOutput_data();
    void cappedOutput();
    void findProgram_data();
    void findProgram();
    void argumentsStayWhole();
    void howItEnded_data();
    void howItEnded();
    void nothingOutlivesTheRun_data();
    void nothingOutlivesTheRun();
    void nothingOutlivesAKilledOwner();
    void outputFileIsCapped();
};

void TestSolverProcess::cappedOutput_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<bool>("cut");
    // Head 4 bytes, tail 3 bytes.
    QTest::newRow("all fits in the head")
        << QList<QByteArray>{"ab", "cd"} << QByteArray("abcd") << false;
    QTest::newRow("the tail holds the rest")
        << QList<QByteArray>{"abcdef"} << QByteArray("abcdef") << false;
    QTest::newRow("the middle is dropped, in small pieces")
        << QList<QByteArray>{"abc", "de", "fg", "hi", "j"} << QByteArray("abcd\nhij") << true;
    QTest::newRow("one large piece")
        << QList<QByteArray>{QByteArray(1000, 'x') + "end"} << QByteArray("xxxx\nend") << true;
}

void TestSolverProcess::cappedOutput()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QByteArray, kept);
    QFETCH(bool, cut);
    CappedOutput output(4, 3);
    qint64 total = 0;
    for (const QByteArray& chunk : chunks) {
        output.append(chunk);
        total += chunk.size();
    }
    QCOMPARE(output.kept(), kept);
    QCOMPARE(output.isCut(), cut);
    QCOMPARE(output.total(), total);
}

void TestSolverProcess::findProgram_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("found");
    const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
    QTest::newRow("a bare name is looked up in PATH") << "sh" << sh;
    QTest::newRow("a bare name is not taken from the current folder") << "solver"
                                                                      << "";
    QTest::newRow("a relative path is used as given") << "./solver" << path("solver");
    QTest::newRow("a folder is no program") << m_dir.path() << "";
    QTest::newRow("empty") << "  "
                           << "";
}

void TestSolverProcess::findProgram()
{
    QFETCH(QString, path);
    QFETCH(QString, found);
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const QString result = SolverProcess::findProgram(path);
    QDir::setCurrent(before);
    QCOMPARE(result, found);
}

void TestSolverProcess::argumentsStayWhole()
{
    SolverProcess process;
    process.setCapture(SolverProcess::Capture::Memory);
    QSignalSpy finished(&process, &SolverProcess::finished);
    QVERIFY(process.start(
        QStringLiteral("printf"),
        {QStringLiteral("<%s>"), QStringLiteral("64 M"), QStringLiteral("a\"b c"), QString()},
        m_dir.path()));
    QVERIFY(finished.wait(10000));
    QCOMPARE(process.output().kept(), QByteArray("<64 M><a\"b c><>"));
}

void TestSolverProcess::howItEnded_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("code");
    QTest::newRow("exit status") << QByteArray("exit 139") << false << 139;
    QTest::newRow("signal") << QByteArray("kill -SEGV $$") << true << int(SIGSEGV);
    QTest::newRow("normal end") << QByteArray("echo done") << false << 0;
}

void TestSolverProcess::howItEnded()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, crashed);
    QFETCH(int, code);
    SolverProcess process;
    QSignalSpy finished(&process, &SolverProcess::finished);
    QVERIFY(process.start(QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(script)},
                          m_dir.path()));
    QVERIFY(finished.wait(10000));
    QCOMPARE(process.crashed(), crashed);
    QCOMPARE(process.exitCode(), code);
}

void TestSolverProcess::nothingOutlivesTheRun_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop") << "stop";
    QTest::newRow("the program's own end") << "end";
    QTest::newRow("the owner goes") << "owner";
}

void TestSolverProcess::nothingOutlivesTheRun()
{
    QFETCH(QString, how);
    const QString idFile = path("ids-") + how;
    auto process = std::make_unique<SolverProcess>();
    process->setGrace(kGrace);
    QSignalSpy finished(process.get(), &SolverProcess::finished);
    QStringList arguments{idFile};
    if (how == u"end")
        arguments << QStringLiteral("exit");
    QVERIFY(process->start(path("wrapper"), arguments, m_dir.path()));
    // The wrapper, the solver and its helper.
    QTRY_COMPARE_WITH_TIMEOUT(idsIn(idFile).size(), 3, 10000);
    const QList<qint64> ids = idsIn(idFile);
    if (how == u"stop") {
        QCOMPARE(aliveCount(ids), 3);
        process->stop();
        QVERIFY(finished.wait(kGrace + 5000));
    } else if (how == u"end") {
        QVERIFY(finished.size() == 1 || finished.wait(10000));
    } else {
        process.reset();
    }
    QTRY_COMPARE_WITH_TIMEOUT(aliveCount(ids), 0, kGrace + 5000);
}

void TestSolverProcess::nothingOutlivesAKilledOwner()
{
    const QString idFile = path("ids-killed");
    QProcess host;
    host.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--host"), path("wrapper"), idFile});
    QVERIFY(host.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(idsIn(idFile).size(), 3, 10000);
    const QList<qint64> ids = idsIn(idFile);
    QCOMPARE(aliveCount(ids), 3);
    ::kill(pid_t(host.processId()), SIGKILL);
    QVERIFY(host.waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(aliveCount(ids), 0, kGrace + 5000);
}

void TestSolverProcess::outputFileIsCapped()
{
    const QString output = path("bench.txt");
    SolverProcess process;
    process.setCapture(SolverProcess::Capture::MergedFile, output);
    process.setOutputLimit(1000);
    QSignalSpy finished(&process, &SolverProcess::finished);
    QVERIFY(process.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("echo first; yes x | head -c 100000 >&2")},
        m_dir.path()));
    QVERIFY(finished.wait(10000));
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("first\nx\nx\n"));
    QVERIFY2(text.size() < 1200, QByteArray::number(text.size()));
    QVERIFY(text.contains("1000"));
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--host") == 0) {
        QCoreApplication app(argc, argv);
        return runHost(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestSolverProcess test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_solverprocess.moc"
