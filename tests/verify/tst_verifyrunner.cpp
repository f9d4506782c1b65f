// Verification runs with the stand-in solver: outcomes of real processes, the deadline
// outside Popeye, Stop, and runs that cannot start.
#include "model/failure.h"
#include "verify/verifyrunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace vexil;

namespace {

const QString kFake = QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/fake-popeye");

QByteArray textFor(const QString& marker)
{
    return "BeginProblem\nAuthor " + marker.toLatin1() +
           "\nOrigin Test\nProtocol py.txt\nPieces\nWhite Kd8\nBlack Kf8\nStipulation #2\n"
           "Option Variation NoBoard\nEndProblem\n";
}

// Live (not zombie) child processes of this test.
int liveChildren()
{
    int count = 0;
    const QString self = QString::number(getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
        // " S ppid ...": state then parent.
        if (fields.size() > 2 && fields[2] == self.toLatin1() && fields[1] != "Z")
            ++count;
    }
    return count;
}

// Processes anywhere below this test whose command line holds `text`.
int processesWith(const QByteArray& text)
{
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text))
            ++count;
    }
    return count;
}

} // namespace

class TestVerifyRunner : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VEXIL_FAKE_DELAY", "0.02"); }
    void outcomesOfRealRuns();
    void storedSolutionsAsWritten();
    void stopKillsEveryRun();
    void outputWithoutEnd();
    void programMissing();
    void textThatCannotBeMade();
    void refusedItemStartsNoPopeye();
    void helpersEndWithTheRun();
    void errorStreamIsBounded();
};

void TestVerifyRunner::outcomesOfRealRuns()
{
    const QStringList markers{"unique",    "cooked",     "nosolution", "help2", "twins",
                              "timelimit", "inputerror", "crash",      "hang",  "exit139"};
    const QStringList expected{"sound",      "cooked",      "no solution", "sound",      "cooked",
                               "time limit", "input error", "failed",      "time limit", "failed"};
    VerifyRunner runner(
        kFake, QStringLiteral("4M"), [&](int n) { return textFor(markers[n - 1]); },
        [](int n) { return QByteArray::number(n * 7); },
        [](int n) {
            return n == 4 ? QStringList{"1.Rf2 Rd6 2.Rb2 Rd1#", "1.Rb5 Rd6 2.Rb2 Rd1#"}
                          : QStringList{"1.Rg3!"};
        });
    runner.setParallel(3);
    // A limit of one second; the grace leaves room for a slow start of the stand-in on a
    // loaded machine.
    runner.setMaxTime(1);
    runner.setGrace(3000);
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QList<int> numbers;
    for (int n = 1; n <= markers.size(); ++n)
        numbers.append(n);
    QVERIFY(runner.start(numbers));
    QVERIFY(runner.isRunning());
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!runner.isRunning());
    QCOMPARE(verified.size(), markers.size());
    QCOMPARE(runner.progress().done, markers.size());
    for (const QList<QVariant>& signal : std::as_const(verified)) {
        const auto record = signal.first().value<VerifyRecord>();
        QCOMPARE(record.key, QByteArray::number(record.number * 7));
        QVERIFY2(OutcomeText(record.outcome) == expected[record.number - 1],
                 qPrintable(QStringLiteral("%1 %2 %3 s %4")
                                .arg(record.number)
                                .arg(OutcomeText(record.outcome))
                                .arg(record.seconds)
                                .arg(record.detail)));
        if (markers[record.number - 1] == u"unique") {
            QCOMPARE(MoveMatchText(record.storedMove), QStringLiteral("yes"));
            QVERIFY(record.output.startsWith(u"   1.Rb3-g3 ! threat:"));
        }
        if (markers[record.number - 1] == u"hang") {
            QCOMPARE(record.detail, QStringLiteral("ended at the deadline"));
            QVERIFY(record.seconds >= 4.0);
        }
        if (markers[record.number - 1] == u"inputerror")
            QCOMPARE(record.detail, QStringLiteral("Xq4"));
        // A key and an end line are no answer from a run that did not end as Popeye ends.
        if (markers[record.number - 1] == u"exit139")
            QCOMPARE(record.detail, QStringLiteral("Popeye ended with status 139"));
    }
    QCOMPARE(liveChildren(), 0);
}

// Stored solutions as problemists and Popeye write them, against Popeye's answers.
void TestVerifyRunner::storedSolutionsAsWritten()
{
    QFile twins(QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/data/06-twins/stdout.txt"));
    QVERIFY(twins.open(QIODevice::ReadOnly));
    struct Case {
        QString marker;
        QStringList stored;
        QString outcome;
        QString storedMove;
    };
    const QList<Case> cases{
        {"twins", QString::fromLatin1(twins.readAll()).split(u'\n'), "sound", "yes"},
        {"setplay",
         {"1...Ka5 2.Qd8#", "1.Qh7? zz", "but 1...Kc5!", "1.Qe7! zz 1...Ka5 2.Qa7#"},
         "sound",
         "yes"},
        {"setplay", {"1...Ka5 2.Qd8#", "1.Qh7! zz"}, "sound", "no"},
        // Popeye solves the last three twins and calls the others illegal.
        {"twinsmore", {"1.Nd3?", "1.Nc4!"}, "input error", "yes"},
        {"helpmany", {"1...Sc3 2.f5 e4 3.g5 Qh5#"}, "cooked (interrupted)", "yes"},
    };
    VerifyRunner runner(
        kFake, QStringLiteral("4M"), [&](int n) { return textFor(cases[n - 1].marker); },
        [](int n) { return QByteArray::number(n); }, [&](int n) { return cases[n - 1].stored; });
    runner.setParallel(3);
    runner.setMaxTime(1);
    runner.setGrace(3000);
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QList<int> numbers;
    for (int n = 1; n <= cases.size(); ++n)
        numbers.append(n);
    QVERIFY(runner.start(numbers));
    QVERIFY(finished.wait(120000));
    QCOMPARE(verified.size(), cases.size());
    for (const QList<QVariant>& signal : std::as_const(verified)) {
        const auto record = signal.first().value<VerifyRecord>();
        const Case& expected = cases[record.number - 1];
        QCOMPARE(RecordOutcomeText(record), expected.outcome);
        QCOMPARE(MoveMatchText(record.storedMove), expected.storedMove);
    }
}

void TestVerifyRunner::stopKillsEveryRun()
{
    // Popeye reached through a wrapper script: Stop ends the solver too, not only the wrapper.
    QTemporaryDir folder;
    const QString wrapper = folder.filePath(QStringLiteral("popeye.sh"));
    QFile script(wrapper);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n\"" + kFake.toUtf8() + "\" \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray memory = "77M-stop-" + QByteArray::number(getpid());

    VerifyRunner runner(
        wrapper, QString::fromLatin1(memory), [](int) { return textFor(QStringLiteral("hang")); },
        [](int n) { return QByteArray::number(n); });
    runner.setParallel(4);
    runner.setMaxTime(60);
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({1, 2, 3, 4, 5, 6}));
    // Four wrappers and four solvers.
    QTRY_COMPARE_WITH_TIMEOUT(processesWith(memory), 8, 20000);
    // Let the solvers get past reading their input, deep into the search.
    QTest::qWait(1500);
    QElapsedTimer clock;
    clock.start();
    runner.stop();
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(processesWith(memory), 0, 2000);
    QCOMPARE(liveChildren(), 0);
    QTest::qWait(200);
    QCOMPARE(verified.size(), 0);
    QVERIFY(!runner.isRunning());
}

void TestVerifyRunner::outputWithoutEnd()
{
    // Megabytes of solutions: the result keeps a readable part and the end line still counts.
    VerifyRunner runner(
        kFake, QStringLiteral("4M"), [](int) { return textFor(QStringLiteral("flood")); },
        [](int) { return QByteArray("k"); });
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({1}));
    QVERIFY(finished.wait(60000));
    QCOMPARE(verified.size(), 1);
    const auto record = verified.first().first().value<VerifyRecord>();
    QCOMPARE(OutcomeText(record.outcome), QStringLiteral("cooked"));
    QVERIFY(record.solutions > 10000);
    QVERIFY(record.output.size() < 70 * 1024);
    QVERIFY(record.output.startsWith(u"  1...Sb1-c3"));
    QVERIFY(record.output.endsWith(u"[Popeye's output was cut here]"));
}

void TestVerifyRunner::programMissing()
{
    const QString data = QStringLiteral(VEXIL_SOURCE_DIR "/tests/verify/data");
    const QList<std::pair<QString, QString>> paths{
        {QString(), "\"\": no program is set"},
        {"/no/such/popeye", "/no/such/popeye: not found"},
        {data, data + ": not a program"}};
    for (const auto& [path, named] : paths) {
        VerifyRunner runner(
            path, QStringLiteral("4M"), [](int) { return QByteArray(); },
            [](int) { return QByteArray("k"); });
        QSignalSpy refused(&runner, &VerifyRunner::failedToStart);
        QVERIFY(!runner.start({1}));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().first().toString(),
                 QStringLiteral("Set path to SOLVE-EXE file in \"Options\" window !\n") + named);
        QVERIFY(!runner.isRunning());
    }
}

void TestVerifyRunner::textThatCannotBeMade()
{
    VerifyRunner runner(
        kFake, QStringLiteral("4M"),
        [](int n) {
            if (n == 2)
                throw Failure::error(QStringLiteral("Cannot open file c.dgr"));
            return textFor(QStringLiteral("unique"));
        },
        [](int n) { return QByteArray::number(n); });
    runner.setParallel(1);
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({1, 2, 3}));
    QVERIFY(finished.wait(60000));
    QCOMPARE(verified.size(), 3);
    QStringList outcomes;
    for (const QList<QVariant>& signal : std::as_const(verified)) {
        const auto record = signal.first().value<VerifyRecord>();
        outcomes.append(
            QStringLiteral("%1 %2").arg(record.number).arg(OutcomeText(record.outcome)));
        if (record.number == 2)
            QCOMPARE(record.detail, QStringLiteral("Cannot open file c.dgr"));
    }
    outcomes.sort();
    QCOMPARE(outcomes, (QStringList{"1 sound", "2 failed", "3 sound"}));
}

void TestVerifyRunner::refusedItemStartsNoPopeye()
{
    int asked = 0;
    VerifyRunner runner(
        QStringLiteral("/bin/false"), QStringLiteral("4M"),
        [&](int n) -> QByteArray {
            ++asked;
            throw ItemRefused{QStringLiteral("Item %1 is not given to Popeye").arg(n)};
        },
        [](int n) { return QByteArray::number(n); });
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({4}));
    QVERIFY(finished.size() == 1 || finished.wait(10000));
    QCOMPARE(asked, 1);
    QCOMPARE(verified.size(), 1);
    const auto record = verified.first().first().value<VerifyRecord>();
    QCOMPARE(OutcomeText(record.outcome), QStringLiteral("refused"));
    QCOMPARE(record.detail, QStringLiteral("Item 4 is not given to Popeye"));
    QCOMPARE(liveChildren(), 0);
}

void TestVerifyRunner::helpersEndWithTheRun()
{
    // A solver that leaves a helper behind that ignores SIGTERM, once per item.
    const QByteArray memory = "66M-helpers-" + QByteArray::number(getpid());
    VerifyRunner runner(
        kFake, QString::fromLatin1(memory), [](int) { return textFor(QStringLiteral("forks")); },
        [](int n) { return QByteArray::number(n); });
    runner.setParallel(2);
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({1, 2, 3}));
    QVERIFY(finished.wait(60000));
    QCOMPARE(verified.size(), 3);
    QCOMPARE(OutcomeText(verified.first().first().value<VerifyRecord>().outcome),
             QStringLiteral("sound"));
    QTRY_COMPARE_WITH_TIMEOUT(processesWith(memory), 0, 8000);
}

void TestVerifyRunner::errorStreamIsBounded()
{
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    VerifyRunner runner(
        kFake, QStringLiteral("4M"), [](int) { return textFor(QStringLiteral("errflood")); },
        [](int n) { return QByteArray::number(n); });
    QSignalSpy verified(&runner, &VerifyRunner::itemVerified);
    QSignalSpy finished(&runner, &VerifyRunner::finished);
    QVERIFY(runner.start({1}));
    QVERIFY(finished.wait(120000));
    QCOMPARE(verified.size(), 1);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    // 256 MB went through; the peak may grow by a small part of it (ru_maxrss is in KB).
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024,
             qPrintable(QStringLiteral("%1 KB more").arg(after.ru_maxrss - before.ru_maxrss)));
}

QTEST_GUILESS_MAIN(TestVerifyRunner)
#include "tst_verifyrunner.moc"
